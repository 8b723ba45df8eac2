#include "config/certificate.h"
#include "config/config_fakes.h"
#include "config/configure.h"
#include "log/records.h"

#include <QTest>

using namespace velinor;
using namespace cfgtest;

namespace {

const QByteArray kPem = "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n";
const QList<QByteArray> kOpening = {"AT+IBDRF?\r", "AT+IFD\r", "AT+IHIF=4\r", "AT+IBDRF=9\r"};
const QList<QByteArray> kClosing = {"AT+IBRM=2\r", "AT+IDOWN\r"};
const QString kSaved = QStringLiteral("Settings saved on wireless product");

struct ConfigBench : Bench {
    fakes::FakeFilePicker picker;
    CertificateStore certificate{picker, prompts, form};
    ConfigureCommand command{form, certificate, port, link, clock, prompts, log, sysfs.root()};
};

} // namespace

class TestConfigure : public QObject {
    Q_OBJECT

private slots:
    void transcripts_data();
    void transcripts();
    void refusedInputStopsBeforeThePort_data();
    void refusedInputStopsBeforeThePort();
    void recordComesBeforeTheOpening_data();
    void recordComesBeforeTheOpening();
    void failedSsidClosesPortAndNextRunStartsAgain();
    void failedFactoryResetGoesOn();
    void record_data();
    void record();
};

void TestConfigure::transcripts_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<bool>("ap");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QList<QByteArray>>("settings");
    QTest::addColumn<bool>("notice"); // "Channel invalid" before the success message

    using namespace security;
    const QString wep128 = QStringLiteral("0123456789abcdef0123456789");
    const QString wpa = QStringLiteral("passphrase");
    const QByteArray ca = "AT+ICA=" + kPem + "\r";

    const auto row = [](const char* tag, int security, bool ap, const char* channel,
                        const QString& key, const char* domain, const QList<QByteArray>& settings,
                        bool notice = false) {
        QTest::newRow(tag) << security << ap << QString(channel) << key << QString(domain)
                           << settings << notice;
    };
    row("access point, NONE", kNone, true, "6", "", "",
        {"AT+IWLSI=net\r", "AT+IWST0=0\r", "AT+IWLCH=6\r"});
    row("access point, WEP128", kWep128, true, "1", wep128, "",
        {"AT+IWLSI=net\r", "AT+IWST0=2\r", "AT+IWLCH=1\r", "AT+IWKY0=" + wep128.toLatin1() + "\r"});
    row("access point, WPA", kWpa, true, "36", wpa, "",
        {"AT+IWLSI=net\r", "AT+IWST0=3\r", "AT+IWLCH=36\r", "AT+IWPP0=passphrase\r"});
    row("access point, WPA-ENTERPRISE, domain CORP", kWpaEnterprise, true, "6", "", "CORP",
        {"AT+IWST0=0\r", ca, "AT+IEUSN=CORP\\alice\r", "AT+IWLSI=net\r", "AT+IWST0=5\r",
         "AT+IWLCH=6\r"});
    row("access point, WPA2-ENTERPRISE, domain CORP", kWpa2Enterprise, true, "6", "", "CORP",
        {"AT+IWST0=0\r", ca, "AT+IEUSN=CORP\\alice\r", "AT+IWLSI=net\r", "AT+IWST0=6\r",
         "AT+IWLCH=6\r"});
    row("access point, WPA2-ENTERPRISE, empty domain", kWpa2Enterprise, true, "6", "", "",
        {"AT+IWST0=0\r", ca, "AT+IEUSN=alice\r", "AT+IWLSI=net\r", "AT+IWST0=6\r", "AT+IWLCH=6\r"});
    row("access point, empty channel: notice, then the empty command", kNone, true, "", "", "",
        {"AT+IWLSI=net\r", "AT+IWST0=0\r", "AT+IWLCH=\r"}, true);
    row("ad hoc, WEP, SSID net, channel 6", kWep, false, "6", "0123456789", "",
        {"AT+IWLCH=6\r", "AT+IWST0=1\r", "AT+IWKY0=0123456789\r", "AT+IWLSI=!net\r"});
    row("ad hoc, WPA2, channel 149 is a notice", kWpa2, false, "149", wpa, "",
        {"AT+IWLCH=149\r", "AT+IWST0=4\r", "AT+IWPP0=passphrase\r", "AT+IWLSI=!net\r"}, true);
}

void TestConfigure::transcripts() {
    QFETCH(int, security);
    QFETCH(bool, ap);
    QFETCH(QString, channel);
    QFETCH(QString, key);
    QFETCH(QString, domain);
    QFETCH(QList<QByteArray>, settings);
    QFETCH(bool, notice);

    ConfigBench b;
    FakeSysfs::write(b.logDir.filePath(QStringLiteral("ca.pem")), kPem);
    QVERIFY(b.certificate.LoadCertificateFile(b.logDir.filePath(QStringLiteral("ca.pem"))));
    b.form.set(security, key, ap, !ap, QStringLiteral("net"), channel);
    b.form.controls.m_strUser = QStringLiteral("alice");
    b.form.controls.m_strPassword = QStringLiteral("pw");
    b.form.controls.m_strDomain = domain;

    QVERIFY(b.command.OnConfigure());

    QCOMPARE(b.transcript(), kOpening + settings + kClosing);
    for (const QByteArray& c : b.transcript())
        QVERIFY(c.endsWith('\r') && c.count('\r') == 1);
    QCOMPARE(b.prompts.texts(),
             notice ? QStringList({"Channel invalid", kSaved}) : QStringList({kSaved}));
    for (const Shown& s : b.prompts.shown)
        QCOMPARE(s.icon, PromptIcon::None);
    QVERIFY(!b.port.isOpen());
    QCOMPARE(b.link.GetPortHandle(), nullptr);
    QCOMPARE(b.logEntries().last(), QStringLiteral("Configuration successful"));
}

void TestConfigure::refusedInputStopsBeforeThePort_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<bool>("updateFails"); // a field over its length
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("log"); // the record is not written
    QTest::newRow("refused key") << "12345"
                                 << "net" << false
                                 << QStringList{"A WEP key must have 10 hex-values"}
                                 << QStringList();
    QTest::newRow("refused form") << "0123456789"
                                  << "" << false << QStringList{"Enter SSID"}
                                  << QStringList{"SSID is empty"};
    QTest::newRow("overlong field") << "1"
                                    << "" << true << QStringList() << QStringList();
}

void TestConfigure::refusedInputStopsBeforeThePort() {
    QFETCH(QString, key);
    QFETCH(QString, ssid);
    QFETCH(bool, updateFails);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, log);

    ConfigBench b;
    b.form.set(security::kWep, key, true, false, ssid);
    b.form.updateFails = updateFails;
    QVERIFY(!b.command.OnConfigure());
    QCOMPARE(b.prompts.texts(), messages);
    QCOMPARE(b.logEntries(), log);
    QCOMPARE(b.port.openCount(), 0);
}

void TestConfigure::recordComesBeforeTheOpening_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("message");
    QTest::newRow("no port selected") << "" << false << "Select a COM port";
    QTest::newRow("adapter silent") << "/dev/ttyACM0" << true << "Error occured on /dev/ttyACM0";
}

void TestConfigure::recordComesBeforeTheOpening() {
    QFETCH(QString, port);
    QFETCH(bool, silent);
    QFETCH(QString, message);

    ConfigBench b;
    b.form.port = port;
    if (silent)
        b.model.setFault("AT+IBDRF", AdapterModel::Fault::Silent);
    b.form.set(security::kNone, QString(), true, false);
    QVERIFY(!b.command.OnConfigure());
    QCOMPARE(b.prompts.texts(), QStringList({message}));
    const qsizetype record = b.logText().indexOf("* Configuration *");
    QVERIFY(record > 0);
    if (silent)
        QVERIFY(b.logText().indexOf(" : no answer from wireless product") > record);
    QCOMPARE(b.transcript().size(), silent ? 5 : 0);
    QVERIFY(!b.port.isOpen());
}

void TestConfigure::failedSsidClosesPortAndNextRunStartsAgain() {
    ConfigBench b;
    b.form.set(security::kWpa, QStringLiteral("passphrase"), true, false);
    b.model.setFault("AT+IWLSI", AdapterModel::Fault::Error);
    QVERIFY(!b.command.OnConfigure());
    QCOMPARE(b.transcript(), kOpening + QList<QByteArray>{"AT+IWLSI=net\r"});
    QCOMPARE(b.prompts.texts(), QStringList({"Error occurred while set SSID"}));
    QVERIFY(!b.port.isOpen());
    QCOMPARE(b.link.GetPortHandle(), nullptr);
    QCOMPARE(b.logEntries().last(), QStringLiteral("Error occurred while set SSID"));

    b.model.setFault("AT+IWLSI", AdapterModel::Fault::None);
    b.model.clearTranscript();
    QVERIFY(b.command.OnConfigure());
    QCOMPARE(b.port.openCount(), 2);
    QCOMPARE(b.transcript().first(), QByteArray("AT+IBDRF?\r"));
    QCOMPARE(b.transcript().last(), QByteArray("AT+IDOWN\r"));
}

void TestConfigure::failedFactoryResetGoesOn() {
    ConfigBench b;
    b.form.set(security::kNone, QString(), true, false);
    b.model.setFault("AT+IFD", AdapterModel::Fault::Error);
    QVERIFY(b.command.OnConfigure());
    QCOMPARE(b.prompts.texts(), QStringList({"Error occured while software-reset", kSaved}));
    const QList<QByteArray> settings = {"AT+IWLSI=net\r", "AT+IWST0=0\r", "AT+IWLCH=6\r"};
    QCOMPARE(b.transcript(), kOpening + settings + kClosing);
    QVERIFY(!b.logText().contains("software-reset")); // shown only, not logged
}

void TestConfigure::record_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("filled");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray stamp = "05.12.2012 14:03:11 : ";
    QTest::newRow("English, filled")
        << kEnglish << true
        << stamp + "* Configuration *\nLanguage: English\nPort: /dev/ttyACM0\nSSID: typed\n"
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
                   "SSID: typed\nVerschlüsselung: WPA2\nKanal: 11\nSchlüssel: passphrase\n"
                   "Zugriffsverfahren: Ad Hoc\nDämpfung: 3\n";
    QTest::newRow("German, empty")
        << kGerman << false
        << stamp + "* Konfigurieren *\nSprache: # keine Sprache ausgewählt #\n"
                   "Schnittstelle: # kein COM Port ausgewählt #\nSSID: # keine SSID eingetragen #\n"
                   "Verschlüsselung: # keine Verschlüsselung eingetragen #\n"
                   "Kanal: # kein Kanal eingetragen #\nSchlüssel: # kein Schlüssel eingetragen #\n"
                   "Zugriffsverfahren: # keine Zugriffsart ausgewählt #\n";
}

void TestConfigure::record() {
    QFETCH(int, language);
    QFETCH(bool, filled);
    QFETCH(QByteArray, expected);

    Bench b;
    b.form.language = language;
    if (filled) {
        // Ad Hoc wins when both buttons report on.
        b.form.set(security::kWpa2, QStringLiteral("passphrase"), true, true, QStringLiteral("old"),
                   QStringLiteral("11"));
        b.form.controls.m_strDamping = QStringLiteral("3");
        b.form.controls.m_strSsid = QStringLiteral("typed"); // the fields are taken first
    } else {
        b.form.port.clear();
        b.form.languageText.clear();
    }
    LogConfiguration(b.form, b.log);
    QCOMPARE(b.logText(), expected);
}

QTEST_GUILESS_MAIN(TestConfigure)
#include "test_configure.moc"
