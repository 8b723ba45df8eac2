#include "app/ui_text.h"

#include <QTest>

using namespace velinor;

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void lookup_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("text");
        QTest::newRow("28 de") << 28 << kGerman
                               << QStringLiteral(
                                      "Einstellungen wurden auf dem WLAN-Produkt gespeichert");
        QTest::newRow("28 en") << 28 << kEnglish
                               << QStringLiteral("Settings saved on wireless product");
        QTest::newRow("17 en typo")
            << 17 << kEnglish << QStringLiteral("Error occured while software-reset");
        QTest::newRow("27 de") << 27 << kGerman << QStringLiteral("Fehler beim Öffnen von ");
        QTest::newRow("509 de umlaut") << 509 << kGerman << QStringLiteral("Dämpfung");
        QTest::newRow("514 en") << 514 << kEnglish << QStringLiteral("License");
        QTest::newRow("602 de is English") << 602 << kGerman << QStringLiteral("Choose a language");
        QTest::newRow("602 en is German") << 602 << kEnglish << QStringLiteral("Sprache wählen");
        QTest::newRow("515 de") << 515 << kGerman
                                << QStringLiteral(
                                       "PEM Zertifikat (*.pem)|*.pem|Alle Dateien (*.*)|*.*||");
        QTest::newRow("515 en") << 515 << kEnglish
                                << QStringLiteral(
                                       "PEM License (*.pem)|*.pem|All Files (*.*)|*.*||");
        QTest::newRow("603 de")
            << 603 << kGerman
            << QStringLiteral(
                   "Virtueller COM-Port, im Gerätemanager zu finden unter \"Anschlüsse (COM "
                   "und LPT)\"\\\"Connect-One iChip Sabalo (COMx)\"");
        QTest::newRow("603 en")
            << 603 << kEnglish
            << QStringLiteral("Virtual COM-Port, found in device manager at \"Data links (COM and "
                              "LPT)\"\\\"Connect-One iChip Sabalo (COMx)\"");
        QTest::newRow("617 en") << 617 << kEnglish
                                << QStringLiteral("WPA2 enterprise encryption is used");
        QTest::newRow("title") << kTitleId << kEnglish << QStringLiteral("Velinor");
    }
    void lookup() {
        QFETCH(int, id);
        QFETCH(int, offset);
        QFETCH(QString, text);
        QString found;
        QVERIFY(UiText(id, offset, &found));
        QCOMPARE(found, text);
    }

    void missing_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("offset");
        QTest::newRow("13 unused") << 13 << kGerman;
        QTest::newRow("510 unused") << 510 << kEnglish;
        QTest::newRow("bad offset") << 28 << 5;
        QTest::newRow("negative") << -1 << kGerman;
    }
    void missing() {
        QFETCH(int, id);
        QFETCH(int, offset);
        QString found = QStringLiteral("stale");
        QVERIFY(!UiText(id, offset, &found));
        QVERIFY(found.isEmpty());
        QVERIFY(UiText(id, offset).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
