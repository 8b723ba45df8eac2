#include "config/certificate.h"
#include "config/config_fakes.h"
#include "config/configure.h"

#include <QTest>

using namespace velinor;
using namespace cfgtest;

namespace {

const QByteArray kPem = "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n";
const QList<QByteArray> kOpening = {"AT+IBDRF?\r", "AT+IFD\r", "AT+IHIF=4\r", "AT+IBDRF=9\r"};
const QList<QByteArray> kClosing = {"AT+IBRM=2\r", "AT+IDOWN\r"};

struct ConfigBench : Bench {
    ScriptedPicker picker;
    CertificateStore certificate{picker, prompts, form};
    ConfigureCommand command{form, certificate, port, link, clock, prompts, log, sysfs.root()};
    QTemporaryDir files;

    void loadCertificate() {
        const QString path = files.filePath(QStringLiteral("ca.pem"));
        FakeSysfs::write(path, kPem);
        QVERIFY(certificate.LoadCertificateFile(path));
    }
    // Index into the log text of the first occurrence of text; -1 when absent.
    qsizetype logIndex(const char* text) const { return logText().indexOf(text); }
};

} // namespace

class TestConfigure : public QObject {
    Q_OBJECT

private slots:
    void transcripts_data();
    void transcripts();
    void adapterHoldsTheSettings();
    void refusedKeyStopsBeforeAnything();
    void refusedFormStopsBeforeTheRecord();
    void overlongFieldStopsEverything();
    void recordComesBeforeTheOpening_data();
    void recordComesBeforeTheOpening();
    void failedStepClosesPortAndNextRunStartsAgain();
    void failedFactoryResetGoesOn();
};

void TestConfigure::transcripts_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<bool>("ap");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QList<QByteArray>>("settings");
    QTest::addColumn<QStringList>("messages");

    using namespace security;
    const QStringList saved = {"Settings saved on wireless product"};
    const QString wep = QStringLiteral("0123456789");
    const QString wep128 = QStringLiteral("0123456789abcdef0123456789");
    const QString wpa = QStringLiteral("passphrase");
    const QByteArray ca = "AT+ICA=" + kPem + "\r";

    QTest::newRow("access point, NONE")
        << kNone << true << "net"
        << "6"
        << ""
        << "" << QList<QByteArray>{"AT+IWLSI=net\r", "AT+IWST0=0\r", "AT+IWLCH=6\r"} << saved;
    QTest::newRow("access point, WEP")
        << kWep << true << "net"
        << "11" << wep << ""
        << QList<QByteArray>{"AT+IWLSI=net\r", "AT+IWST0=1\r", "AT+IWLCH=11\r",
                             "AT+IWKY0=0123456789\r"}
        << saved;
    QTest::newRow("access point, WEP128")
        << kWep128 << true << "net"
        << "1" << wep128 << ""
        << QList<QByteArray>{"AT+IWLSI=net\r", "AT+IWST0=2\r", "AT+IWLCH=1\r",
                             "AT+IWKY0=" + wep128.toLatin1() + "\r"}
        << saved;
    QTest::newRow("access point, WPA")
        << kWpa << true << "Office Net"
        << "36" << wpa << ""
        << QList<QByteArray>{"AT+IWLSI=Office Net\r", "AT+IWST0=3\r", "AT+IWLCH=36\r",
                             "AT+IWPP0=passphrase\r"}
        << saved;
    QTest::newRow("access point, WPA2")
        << kWpa2 << true << "net"
        << "13" << wpa << ""
        << QList<QByteArray>{"AT+IWLSI=net\r", "AT+IWST0=4\r", "AT+IWLCH=13\r",
                             "AT+IWPP0=passphrase\r"}
        << saved;
    QTest::newRow("access point, WPA-ENTERPRISE, domain CORP")
        << kWpaEnterprise << true << "net"
        << "6"
        << ""
        << "CORP" << QList<QByteArray>{"AT+IWST0=0\r",           ca,
                                       "AT+IEUSN=CORP\\alice\r", "AT+IWLSI=net\r",
                                       "AT+IWST0=5\r",           "AT+IWLCH=6\r"}
        << saved;
    QTest::newRow("access point, WPA2-ENTERPRISE, domain CORP")
        << kWpa2Enterprise << true << "net"
        << "6"
        << ""
        << "CORP" << QList<QByteArray>{"AT+IWST0=0\r",           ca,
                                       "AT+IEUSN=CORP\\alice\r", "AT+IWLSI=net\r",
                                       "AT+IWST0=6\r",           "AT+IWLCH=6\r"}
        << saved;
    QTest::newRow("access point, WPA2-ENTERPRISE, empty domain")
        << kWpa2Enterprise << true << "net"
        << "6"
        << ""
        << "" << QList<QByteArray>{"AT+IWST0=0\r",     ca,
                                   "AT+IEUSN=alice\r", "AT+IWLSI=net\r",
                                   "AT+IWST0=6\r",     "AT+IWLCH=6\r"}
        << saved;
    QTest::newRow("access point, empty channel: notice, then the empty command")
        << kNone << true << "net"
        << ""
        << ""
        << "" << QList<QByteArray>{"AT+IWLSI=net\r", "AT+IWST0=0\r", "AT+IWLCH=\r"}
        << QStringList{"Channel invalid", "Settings saved on wireless product"};
    QTest::newRow("ad hoc, NONE") << kNone << false << "net"
                                  << "6"
                                  << ""
                                  << ""
                                  << QList<QByteArray>{"AT+IWLCH=6\r", "AT+IWST0=0\r",
                                                       "AT+IWLSI=!net\r"}
                                  << saved;
    QTest::newRow("ad hoc, WEP, SSID net, channel 6")
        << kWep << false << "net"
        << "6" << wep << ""
        << QList<QByteArray>{"AT+IWLCH=6\r", "AT+IWST0=1\r", "AT+IWKY0=0123456789\r",
                             "AT+IWLSI=!net\r"}
        << saved;
    QTest::newRow("ad hoc, WEP128")
        << kWep128 << false << "net"
        << "3" << wep128 << ""
        << QList<QByteArray>{"AT+IWLCH=3\r", "AT+IWST0=2\r", "AT+IWKY0=" + wep128.toLatin1() + "\r",
                             "AT+IWLSI=!net\r"}
        << saved;
    QTest::newRow("ad hoc, WPA") << kWpa << false << "net"
                                 << "9" << wpa << ""
                                 << QList<QByteArray>{"AT+IWLCH=9\r", "AT+IWST0=3\r",
                                                      "AT+IWPP0=passphrase\r", "AT+IWLSI=!net\r"}
                                 << saved;
    QTest::newRow("ad hoc, WPA2, channel 149 is a notice")
        << kWpa2 << false << "mesh"
        << "149" << wpa << ""
        << QList<QByteArray>{"AT+IWLCH=149\r", "AT+IWST0=4\r", "AT+IWPP0=passphrase\r",
                             "AT+IWLSI=!mesh\r"}
        << QStringList{"Channel invalid", "Settings saved on wireless product"};
}

void TestConfigure::transcripts() {
    QFETCH(int, security);
    QFETCH(bool, ap);
    QFETCH(QString, ssid);
    QFETCH(QString, channel);
    QFETCH(QString, key);
    QFETCH(QString, domain);
    QFETCH(QList<QByteArray>, settings);
    QFETCH(QStringList, messages);

    ConfigBench b;
    b.loadCertificate();
    b.form.set(security, key, ap, !ap, ssid, channel);
    b.form.controls.m_strUser = QStringLiteral("alice");
    b.form.controls.m_strPassword = QStringLiteral("pw");
    b.form.controls.m_strDomain = domain;

    QVERIFY(b.command.OnConfigure());

    QCOMPARE(b.transcript(), kOpening + settings + kClosing);
    for (const QByteArray& c : b.transcript())
        QVERIFY(c.endsWith('\r') && c.count('\r') == 1);
    QCOMPARE(b.prompts.texts(), messages);
    for (const Shown& s : b.prompts.shown)
        QCOMPARE(s.icon, PromptIcon::None);
    QVERIFY(!b.port.isOpen());
    QCOMPARE(b.link.GetPortHandle(), nullptr);
    QCOMPARE(b.logEntries().last(), QStringLiteral("Configuration successful"));
}

void TestConfigure::adapterHoldsTheSettings() {
    ConfigBench b;
    b.form.set(security::kWpa2, QStringLiteral("passphrase"), true, false, QStringLiteral("office"),
               QStringLiteral("6"));
    QVERIFY(b.command.OnConfigure());
    QCOMPARE(b.model.running("WLSI"), QByteArray("office"));
    QCOMPARE(b.model.running("WST0"), QByteArray("4"));
    QCOMPARE(b.model.running("WLCH"), QByteArray("6"));
    QCOMPARE(b.model.running("WPP0"), QByteArray("passphrase"));
    QCOMPARE(b.model.running("BRM"), QByteArray("2"));
}

void TestConfigure::refusedKeyStopsBeforeAnything() {
    ConfigBench b;
    b.form.set(security::kWep, QStringLiteral("12345"), true, false);
    QVERIFY(!b.command.OnConfigure());
    QCOMPARE(b.prompts.texts(), QStringList({"A WEP key must have 10 hex-values"}));
    QCOMPARE(b.form.controls.m_strKey, QString());
    QCOMPARE(b.form.keyFocused, 1);
    QVERIFY(!b.logExists()); // no configuration record
    QCOMPARE(b.port.openCount(), 0);
}

void TestConfigure::refusedFormStopsBeforeTheRecord() {
    ConfigBench b;
    b.form.set(security::kWpa, QStringLiteral("passphrase"), true, false, QString());
    QVERIFY(!b.command.OnConfigure());
    QCOMPARE(b.prompts.texts(), QStringList({"Enter SSID"}));
    QCOMPARE(b.logEntries(), QStringList({"SSID is empty"}));
    QCOMPARE(b.port.openCount(), 0);
}

void TestConfigure::overlongFieldStopsEverything() {
    ConfigBench b;
    b.form.set(security::kWep, QStringLiteral("1"), false, false, QString());
    b.form.updateFails = true;
    QVERIFY(!b.command.OnConfigure());
    QVERIFY(b.prompts.shown.isEmpty());
    QVERIFY(!b.logExists());
    QCOMPARE(b.port.openCount(), 0);
}

void TestConfigure::recordComesBeforeTheOpening_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("afterRecord");
    QTest::newRow("no port selected") << "" << false << "Select a COM port" << QByteArray();
    QTest::newRow("adapter silent") << "/dev/ttyACM0" << true << "Error occured on /dev/ttyACM0"
                                    << QByteArray(" : no answer from wireless product");
}

void TestConfigure::recordComesBeforeTheOpening() {
    QFETCH(QString, port);
    QFETCH(bool, silent);
    QFETCH(QString, message);
    QFETCH(QByteArray, afterRecord);

    ConfigBench b;
    b.form.port = port;
    if (silent)
        b.model.setFault("AT+IBDRF", AdapterModel::Fault::Silent);
    b.form.set(security::kNone, QString(), true, false);
    QVERIFY(!b.command.OnConfigure());
    QCOMPARE(b.prompts.texts(), QStringList({message}));
    const qsizetype record = b.logIndex("* Configuration *");
    QVERIFY(record > 0);
    if (!afterRecord.isEmpty())
        QVERIFY(b.logText().indexOf(afterRecord) > record);
    QCOMPARE(b.transcript().size(), silent ? 5 : 0);
    QVERIFY(!b.port.isOpen());
}

void TestConfigure::failedStepClosesPortAndNextRunStartsAgain() {
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
    QCOMPARE(b.prompts.texts(), QStringList({"Error occured while software-reset",
                                             "Settings saved on wireless product"}));
    const QList<QByteArray> settings = {"AT+IWLSI=net\r", "AT+IWST0=0\r", "AT+IWLCH=6\r"};
    QCOMPARE(b.transcript(), kOpening + settings + kClosing);
    // A failed preparatory command is shown only, not logged.
    QVERIFY(!b.logText().contains("software-reset"));
}

QTEST_GUILESS_MAIN(TestConfigure)
#include "test_configure.moc"
