// The catalogue of the tool's texts.

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
        QTest::newRow("German") << 28 << kGerman
                                << "Einstellungen wurden auf dem WLAN-Produkt gespeichert";
        QTest::newRow("English") << 28 << kEnglish << "Settings saved on wireless product";
        QTest::newRow("602 swapped as in the original") << 602 << kEnglish << "Sprache wählen";
        QTest::newRow("title") << kTitleId << kEnglish << "Velinor";
        QTest::newRow("unused id") << 510 << kEnglish << "";
        QTest::newRow("no language") << 28 << 5 << "";
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
        QString ranges;
        QString text;
        for (int id = 0, from = -1; id <= 1000; ++id) {
            const bool known = UiText(id, kGerman, &text) && UiText(id, kEnglish, &text);
            if (known && from < 0)
                from = id;
            if (!known && from >= 0)
                ranges += QStringLiteral("%1-%2 ").arg(std::exchange(from, -1)).arg(id - 1);
        }
        QCOMPARE(ranges, "1-12 17-21 26-28 30-30 32-32 34-37 500-509 511-531 600-617 900-901 ");
    }
};

QTEST_APPLESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
