// Read out through the form on the simulated adapter: what the adapter holds ->
// the queries -> what the form shows -> the log record.

#include "form_bench.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

using Setup = std::function<void(FormBench&)>;
Q_DECLARE_METATYPE(Setup)

class TestReadOut : public QObject {
    Q_OBJECT
private slots:
    void readOut_data() {
        QTest::addColumn<QString>("held");   // SSID|security type; the channel is 6
        QTest::addColumn<QString>("shown");  // SSID|security|key|channel|access point|ad hoc
        QTest::addColumn<QString>("record"); // SSID|encryption|channel|access type
        QTest::addColumn<int>("queries");
        QTest::addColumn<Setup>("setup");
        const auto row = [](const char* name, const QString& held, const QString& shown,
                            const QString& record, int queries = 5, const Setup& setup = {}) {
            QTest::newRow(name) << held << shown << record << queries << setup;
        };
        const auto garbage = [](int n) {
            return [n](FormBench& b) { b.port.replaceReply(n, {garbageBytes(quint32(n))}, {0}); };
        };
        row("ad hoc", "!lab|1", "lab|1|k|6|0|1", "lab|WEP|6|Ad Hoc");
        // Regression: only a leading "!" marks an ad hoc network.
        row("Hello! is an access point", "Hello!|5", "Hello!|5|k|6|1|0",
            "Hello!|WPA-ENTERPRISE|6|Access Point");
        row("NONE", "open|0", "open|0|k|6|1|0", "open|NONE|6|Access Point");
        row("UTF-8", "Caf\u00e9|4", "Caf\u00e9|4|k|6|1|0", "Caf\u00e9|WPA2|6|Access Point");
        row("only the mark", "!|0", "|0|k|6|0|1", "|NONE|6|Ad Hoc");
        row("type out of range", "odd|7", "odd|-1|k|6|1|0", "odd||6|Access Point");
        // Failed queries leave their failure values; a failed access type leaves the buttons.
        row("vanishes after the SSID query", "office|4", "office|-1|k|-1|0|0",
            "office||-1|Access Point", 2, [](FormBench& b) { b.model.vanishAfter(2); });
        row("garbage for the SSID", "office|4", "|4|k|6|1|0", "|WPA2|6|Access Point", 5,
            garbage(2));
        row("garbage for the type", "office|4", "office|-1|k|6|1|0", "office||6|Access Point", 5,
            garbage(3));
        row("garbage for the access type", "office|4", "office|4|k|6|0|0",
            "office|WPA2|6|Access Point", 5, garbage(5));
        // A query reads once, 250 ms after its write, for 100 ms.
        row("SSID's status after the read", "office|4", "|4|k|6|1|0", "|WPA2|6|Access Point", 5,
            [](FormBench& b) {
                b.port.replaceReply(2, {"AT+IWLSI?\r\nx\r\nI/", "OK\r\n"}, {0, 400});
            });
        // Regression: bytes beyond one read are thrown away before the next query.
        row("SSID reply longer than a read", "office|4", "|-1|k|6|1|0", "||6|Access Point", 5,
            [](FormBench& b) {
                b.port.replaceReply(2,
                                    {"AT+IWLSI?\r\n" + QByteArray(6000, 'x') +
                                     "\r\nI/OK\r\nAT+IWST0?\r\n5\r\nI/OK\r\n"},
                                    {0});
                b.model.setFault("AT+IWST0", AdapterModel::Fault::Silent);
            });
        row("port not selected", "office|4", "mine|3|k|11|0|0", "", -1, [](FormBench& b) {
            qobject_cast<QComboBox*>(b.dlg->control(CSetupDlg::IDC_PORT))->setCurrentIndex(-1);
        });
    }
    void readOut() {
        QFETCH(QString, held);
        QFETCH(QString, shown);
        QFETCH(QString, record);
        QFETCH(int, queries);
        QFETCH(Setup, setup);
        FormBench b;
        b.model.setStored("WLSI", held.section('|', 0, 0).toUtf8());
        b.model.setStored("WST0", held.section('|', 1).toUtf8());
        b.model.setStored("WLCH", "6");
        b.start();
        Entries e; // WPA, neither access type chosen
        e.ssid = QStringLiteral("mine");
        e.security = security::kWpa;
        e.channel = QStringLiteral("11");
        e.key = QStringLiteral("k");
        e.accessPoint = false;
        b.enter(e);
        if (setup)
            setup(b);

        b.click(CSetupDlg::IDC_READ_OUT);

        // The key field keeps what the user typed; it is usable unless the adapter said NONE.
        QCOMPARE(b.shown().text().section('|', 0, 5), shown);
        QCOMPARE(b.edit(CSetupDlg::IDC_KEY)->isEnabled(), b.shown().security != security::kNone);
        const QList<QByteArray> sent = {"AT+IBDRF?\r", "AT+IWLSI?\r", "AT+IWST0?\r", "AT+IWLCH?\r",
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
};

QTEST_MAIN(TestReadOut)
#include "test_readout.moc"
