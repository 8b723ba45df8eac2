#include "base/ui_text.h"

#include <QTest>

using namespace velinor;

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void lookup_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("text"); // empty: not in the catalogue
        QTest::newRow("28 de") << 28 << kGerman
                               << "Einstellungen wurden auf dem WLAN-Produkt gespeichert";
        QTest::newRow("28 en") << 28 << kEnglish << "Settings saved on wireless product";
        QTest::newRow("17 en typo") << 17 << kEnglish << "Error occured while software-reset";
        QTest::newRow("602 en is German") << 602 << kEnglish << "Sprache wählen";
        QTest::newRow("515 en") << 515 << kEnglish
                                << "PEM License (*.pem)|*.pem|All Files (*.*)|*.*||";
        QTest::newRow("603 en") << 603 << kEnglish
                                << "Virtual COM-Port, found in device manager at \"Data links "
                                   "(COM and LPT)\"\\\"Connect-One iChip Sabalo (COMx)\"";
        QTest::newRow("title") << kTitleId << kEnglish << "Velinor";
        QTest::newRow("510 unused") << 510 << kEnglish << "";
        QTest::newRow("bad offset") << 28 << 5 << "";
        QTest::newRow("negative") << -1 << kGerman << "";
    }
    void lookup() {
        QFETCH(int, id);
        QFETCH(int, offset);
        QFETCH(QString, text);
        QString found = QStringLiteral("stale");
        QCOMPARE(UiText(id, offset, &found), !text.isEmpty());
        QCOMPARE(found, text);
        QCOMPARE(UiText(id, offset), text);
    }

    // Each text keeps its own id in both languages.
    void ids() {
        QList<int> ids, expected;
        QString text;
        for (int id = 0; id < 1000; ++id)
            if (UiText(id, kGerman, &text) && UiText(id, kEnglish, &text))
                ids << id;
        for (const auto& [from, to] : {std::pair{1, 12},
                                       {17, 21},
                                       {26, 28},
                                       {30, 30},
                                       {32, 32},
                                       {34, 37},
                                       {500, 509},
                                       {511, 531},
                                       {600, 617},
                                       {900, 901}})
            for (int id = from; id <= to; ++id)
                expected << id;
        QCOMPARE(ids, expected);
    }
};

QTEST_APPLESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
