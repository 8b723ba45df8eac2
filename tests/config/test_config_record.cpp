#include "config/config_fakes.h"
#include "log/records.h"

#include <QTest>

using namespace velinor;
using namespace cfgtest;

class TestConfigRecord : public QObject {
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void takesTheFieldsFirst();
    void nothingWhileLoggingIsOff();
    void twoRecordsAppend();
};

void TestConfigRecord::record_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("filled");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray stamp = "05.12.2012 14:03:11 : ";
    QTest::newRow("English, filled")
        << kEnglish << true
        << stamp + "* Configuration *\nLanguage: English\nPort: /dev/ttyACM0\nSSID: office\n"
                   "Encryption: WPA2\nChannel: 11\nKey: passphrase\nAccess type: Ad Hoc\n"
                   "Damping: 3\n";
    QTest::newRow("English, empty")
        << kEnglish << false
        << stamp + "* Configuration *\nLanguage: # no language selected #\n"
                   "Port: # no COM port selected #\nSSID: # no SSID input #\n"
                   "Encryption: # no encryption selected #\nChannel: # no channel input #\n"
                   "Key: # no key input #\nAccess type: # no access type selected #\n";
    QTest::newRow("German, filled")
        << kGerman << true
        << stamp + "* Konfigurieren *\nSprache: English\nSchnittstelle: /dev/ttyACM0\n"
                   "SSID: office\nVerschlüsselung: WPA2\nKanal: 11\nSchlüssel: passphrase\n"
                   "Zugriffsverfahren: Ad Hoc\nDämpfung: 3\n";
    QTest::newRow("German, empty")
        << kGerman << false
        << stamp + "* Konfigurieren *\nSprache: # keine Sprache ausgewählt #\n"
                   "Schnittstelle: # kein COM Port ausgewählt #\nSSID: # keine SSID eingetragen #\n"
                   "Verschlüsselung: # keine Verschlüsselung eingetragen #\n"
                   "Kanal: # kein Kanal eingetragen #\nSchlüssel: # kein Schlüssel eingetragen #\n"
                   "Zugriffsverfahren: # keine Zugriffsart ausgewählt #\n";
}

void TestConfigRecord::record() {
    QFETCH(int, language);
    QFETCH(bool, filled);
    QFETCH(QByteArray, expected);

    Bench b;
    b.form.language = language;
    if (filled) {
        // Ad Hoc wins when both buttons report on.
        b.form.set(security::kWpa2, QStringLiteral("passphrase"), true, true,
                   QStringLiteral("office"), QStringLiteral("11"));
        b.form.controls.m_strDamping = QStringLiteral("3");
    } else {
        b.form.port.clear();
        b.form.languageText.clear();
    }
    LogConfiguration(b.form, b.log);
    QCOMPARE(b.logText(), expected);
}

void TestConfigRecord::takesTheFieldsFirst() {
    Bench b;
    b.form.set(security::kNone, QString(), true, false, QStringLiteral("old"));
    b.form.controls.m_strSsid = QStringLiteral("typed");
    LogConfiguration(b.form, b.log);
    QVERIFY(b.logText().contains("\nSSID: typed\nEncryption: NONE\n"));
    QVERIFY(b.logText().contains("\nAccess type: Access Point\n"));
    QCOMPARE(b.form.updatesIn, 1);
}

void TestConfigRecord::nothingWhileLoggingIsOff() {
    Bench b;
    b.logging = false;
    LogConfiguration(b.form, b.log);
    QVERIFY(!b.logExists());
}

void TestConfigRecord::twoRecordsAppend() {
    Bench b;
    LogConfiguration(b.form, b.log);
    LogConfiguration(b.form, b.log);
    QCOMPARE(b.logText().count("* Configuration *"), 2);
}

QTEST_GUILESS_MAIN(TestConfigRecord)
#include "test_config_record.moc"
