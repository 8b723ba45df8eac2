// Read out through the form on the simulated adapter: what the adapter holds ->
// the queries -> what the form shows -> the log record. The replies' parser on its own.

#include "form_bench.h"

#include "config/readout.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

using Setup = std::function<void(FormBench&)>;
Q_DECLARE_METATYPE(Setup)

class TestReadOut : public QObject {
    Q_OBJECT
private slots:
    void readOut_data() {
        QTest::addColumn<QByteArray>("ssid"); // what the adapter holds; channel 6
        QTest::addColumn<QByteArray>("security");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("shown"); // SSID|security|channel|access point|ad hoc
        QTest::addColumn<int>("queries");
        QTest::addColumn<QString>("record"); // SSID|encryption|channel|access type
        const Setup none;
        const auto vanish = [](int n) { return [n](FormBench& b) { b.model.vanishAfter(n); }; };
        const auto garbage = [](int n) {
            return [n](FormBench& b) { b.port.replaceReply(n, {garbageBytes(quint32(n))}, {0}); };
        };
        QTest::newRow("ad hoc") << QByteArray("!lab") << QByteArray("1") << none << "lab|1|6|0|1"
                                << 5 << "lab|WEP|6|Ad Hoc";
        QTest::newRow("access point") << QByteArray("office") << QByteArray("4") << none
                                      << "office|4|6|1|0" << 5 << "office|WPA2|6|Access Point";
        QTest::newRow("Hello! is an access point")
            << QByteArray("Hello!") << QByteArray("5") << none << "Hello!|5|6|1|0" << 5
            << "Hello!|WPA-ENTERPRISE|6|Access Point";
        QTest::newRow("NONE") << QByteArray("open") << QByteArray("0") << none << "open|0|6|1|0"
                              << 5 << "open|NONE|6|Access Point";
        QTest::newRow("type out of range") << QByteArray("odd") << QByteArray("7") << none
                                           << "odd|-1|6|1|0" << 5 << "odd||6|Access Point";
        // Failed queries leave their failure values; a failed access type leaves the buttons.
        QTest::newRow("vanishes after the SSID query")
            << QByteArray("office") << QByteArray("4") << Setup(vanish(2)) << "office|-1|-1|0|0"
            << 2 << "office||-1|Access Point";
        QTest::newRow("garbage for the SSID")
            << QByteArray("office") << QByteArray("4") << Setup(garbage(2)) << "|4|6|1|0" << 5
            << "|WPA2|6|Access Point";
        QTest::newRow("garbage for the type")
            << QByteArray("office") << QByteArray("4") << Setup(garbage(3)) << "office|-1|6|1|0"
            << 5 << "office||6|Access Point";
        QTest::newRow("garbage for the access type")
            << QByteArray("office") << QByteArray("4") << Setup(garbage(5)) << "office|4|6|0|0" << 5
            << "office|WPA2|6|Access Point";
        // A query reads once, 250 ms after its write, for 100 ms.
        QTest::newRow("SSID's status after the read")
            << QByteArray("office") << QByteArray("4") << Setup([](FormBench& b) {
                   b.port.replaceReply(2, {"AT+IWLSI?\r\nx\r\nI/", "OK\r\n"}, {0, 400});
               })
            << "|4|6|1|0" << 5 << "|WPA2|6|Access Point";
        // Bytes beyond one read are thrown away before the next query.
        QTest::newRow("SSID reply longer than a read")
            << QByteArray("office") << QByteArray("4") << Setup([](FormBench& b) {
                   b.port.replaceReply(2,
                                       {"AT+IWLSI?\r\n" + QByteArray(6000, 'x') +
                                        "\r\nI/OK\r\nAT+IWST0?\r\n5\r\nI/OK\r\n"},
                                       {0});
                   b.model.setFault("AT+IWST0", AdapterModel::Fault::Silent);
               })
            << "|-1|6|1|0" << 5 << "||6|Access Point";
        QTest::newRow("port not selected")
            << QByteArray("office") << QByteArray("4") << Setup([](FormBench& b) {
                   qobject_cast<QComboBox*>(b.dlg->control(CSetupDlg::IDC_PORT))
                       ->setCurrentIndex(-1);
               })
            << "mine|3|11|0|0" << -1 << "";
    }
    void readOut() {
        QFETCH(QByteArray, ssid);
        QFETCH(QByteArray, security);
        QFETCH(Setup, setup);
        QFETCH(QString, shown);
        QFETCH(int, queries);
        QFETCH(QString, record);
        FormBench b;
        b.model.setStored("WLSI", ssid);
        b.model.setStored("WST0", security);
        b.model.setStored("WLCH", "6");
        b.start();
        Entries e;
        e.ssid = QStringLiteral("mine");
        e.security = security::kWpa;
        e.channel = QStringLiteral("11");
        e.accessPoint = false; // neither access type chosen
        e.adHoc = false;
        b.enter(e);
        if (setup)
            setup(b);

        b.click(CSetupDlg::IDC_READ_OUT);

        // The key and the enterprise fields keep what the user typed; the key field
        // is usable unless the adapter said NONE.
        const QStringList s = shown.split(QLatin1Char('|'));
        e.ssid = s[0];
        e.security = s[1].toInt();
        e.channel = s[2];
        e.accessPoint = s[3] == QLatin1String("1");
        e.adHoc = s[4] == QLatin1String("1");
        if (queries < 0)
            e.port.clear();
        QCOMPARE(b.shown().text(), e.text());
        QCOMPARE(b.edit(CSetupDlg::IDC_KEY)->isEnabled(), e.security != security::kNone);
        QList<QByteArray> sent = {"AT+IBDRF?\r", "AT+IWLSI?\r", "AT+IWST0?\r", "AT+IWLCH?\r",
                                  "AT+IWLSI?\r"};
        QCOMPARE(b.model.transcript(), sent.mid(0, qMax(queries, 0)));
        QCOMPARE(b.prompts.texts(), queries < 0 ? QStringList{"Select a COM port"} : QStringList());
        QVERIFY(b.portClosed());
        const QStringList r = record.split(QLatin1Char('|'));
        QCOMPARE(b.logLines().join('|'),
                 record.isEmpty() ? QString()
                                  : QStringLiteral("* Read out: *|SSID: %1|Encryption: %2|"
                                                   "Channel: %3|Access type: %4")
                                        .arg(r[0], r[1], r[2], r[3]));
    }

    void germanRecord() {
        FormBench b;
        b.model.setStored("WLSI", "!lab");
        b.model.setStored("WLCH", "6");
        b.start("[settings]\nlanguage=0\nlog=1\nport=/dev/ttyACM0\n");
        b.click(CSetupDlg::IDC_READ_OUT);
        QCOMPARE(b.logLines(), (QStringList{"* Auslesen: *", "SSID: lab", "Verschlüsselung: NONE",
                                            "Kanal: 6", "Zugriffsverfahren: Ad Hoc"}));
    }

    void parse_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("ssid"); // "-": failed
        QTest::addColumn<int>("number");   // -1: failed
        QTest::addColumn<int>("access");   // 0 ad hoc, 1 access point, -1 failed
        QTest::newRow("ad hoc") << QByteArray("AT+IWLSI?\r\n!lab\r\nI/OK\r\n") << "lab" << 0 << 0;
        QTest::newRow("mark inside") << QByteArray("AT+IWLSI?\r\na!b\r\nI/OK") << "a!b" << 0 << 1;
        QTest::newRow("UTF-8") << QByteArray("AT+IWLSI?\r\nCaf\xc3\xa9\r\nI/OK") << "Café" << 0
                               << 1;
        QTest::newRow("only the mark") << QByteArray("AT+IWLSI?\r\n!\r\nI/OK") << "" << 0 << 0;
        QTest::newRow("number") << QByteArray("AT+IWLCH?\r\n-3\r\nI/OK") << "-3" << -3 << 1;
        QTest::newRow("too large")
            << QByteArray("AT+IWLCH?\r\n123456789012\r\nI/OK") << "123456789012" << INT_MAX << 1;
        QTest::newRow("no status") << QByteArray("AT+IWLSI?\r\n6\r\n") << "-" << -1 << -1;
        QTest::newRow("no echo") << QByteArray("6\r\nI/OK\r\n") << "-" << -1 << 1;
        QTest::newRow("error") << QByteArray("AT+IWLSI?\r\n!x\r\nI/ERROR") << "-" << -1 << -1;
        QTest::newRow("status first, no value")
            << QByteArray("I/OK\r\nAT+IWLSI?\r\n") << "-" << 0 << 1;
        QTest::newRow("stale status first")
            << QByteArray("I/OK\r\nAT+IWLSI?\r\nlab\r\n") << "-" << 0 << 1;
    }
    void parse() {
        QFETCH(QByteArray, reply);
        bool ok = false;
        const QString ssid = ReadOut::ParseSsidReply(reply, &ok);
        QTEST(ok ? ssid : QStringLiteral("-"), "ssid");
        QVERIFY(ok || ssid.isEmpty());
        QTEST(ReadOut::ParseNumberReply(reply), "number");
        QTEST(ReadOut::ParseAccessTypeReply(reply), "access");
    }
};

QTEST_MAIN(TestReadOut)
#include "test_readout.moc"
