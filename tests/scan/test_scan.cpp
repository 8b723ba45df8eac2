// Netsearch through the form on the simulated adapter: the adapter's networks and
// faults -> the rows of the network dialog -> the message -> the form. The reply parser
// on its own.

#include "form_bench.h"

#include "scan/scan_parser.h"

#include <QLabel>
#include <QTableWidget>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

using Setup = std::function<void(FormBench&)>;
Q_DECLARE_METATYPE(Setup)

namespace {

using Fault = AdapterModel::Fault;

QStringList column(const QTableWidget* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r)
        out << list->item(r, c)->text();
    return out;
}

} // namespace

class TestScan : public QObject {
    Q_OBJECT
private slots:
    void netsearch_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("rows"); // SSIDs as listed
        QTest::addColumn<QString>("message");  // catalogue id and icon letter
        QTest::addColumn<int>("reads");
        QTest::addColumn<QString>("pick"); // the row chosen with OK; empty: Cancel
        QTest::addColumn<QString>("form"); // SSID|security|channel|access point|ad hoc|damping
        const QStringList all = {"Corp", "harbour", "office", "Guest"};
        const Setup networks = [](FormBench& b) {
            b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62",
                                 "harbour,ADHOC,02:11:22:33:44:55,WEP128,3,48",
                                 "Guest,AP,00:1A:2B:3C:4D:60,NONE,1,71",
                                 "Corp,AP,00:1B:63:84:45:E6,WPA2_ENT,13,-39"});
        };
        const auto with = [networks](const Setup& more) {
            return Setup([=](FormBench& b) {
                networks(b);
                more(b);
            });
        };
        const QString kept = QStringLiteral("mine|3|11|0|1|");
        QTest::newRow("pick ad hoc") << networks << all << "" << 2 << "harbour"
                                     << "harbour|2|3|0|1|48 db";
        QTest::newRow("pick enterprise") << networks << all << "" << 2 << "Corp"
                                         << "Corp|6|13|1|0|-39 db";
        QTest::newRow("cancel") << networks << all << "" << 2 << "" << kept;
        QTest::newRow("no networks") << Setup([](FormBench& b) { b.model.setNetworks({}); })
                                     << QStringList() << "523i" << 2 << "" << kept;
        QTest::newRow("error") << with([](FormBench& b) {
            b.model.setFault("AT+IRP20", Fault::Error);
        }) << QStringList() << "524e"
                               << 2 << "" << kept;
        QTest::newRow("no answer")
            << with([](FormBench& b) { b.model.setFault("AT+IRP20", Fault::Silent); })
            << QStringList() << "525e" << 20 << "" << kept;
        QTest::newRow("answer in the last read")
            << with([](FormBench& b) { b.model.setScanDelayMs(41000); }) << all << "" << 20 << ""
            << kept;
        QTest::newRow("lines cut over three reads") << with([](FormBench& b) {
            const QByteArray r = "AT+IRP20\r\n" + b.model.networks().join("\r\n") + "\r\nI/OK\r\n";
            b.port.replaceReply(2, {r.left(30), r.mid(30, 60), r.mid(90)}, {4000, 6000, 8000});
        }) << all << "" << 4 << "" << kept;
        QTest::newRow("vanishes after the first read")
            << with([](FormBench& b) { b.port.vanishAfterReads("AT+IRP20", 1); }) << QStringList()
            << "525e" << 20 << "" << kept;
        QTest::newRow("20000 bytes of garbage")
            << with([](FormBench& b) { b.port.replaceReply(2, {garbageBytes(9, 20000)}, {0}); })
            << QStringList() << "525e" << 20 << "" << kept;
        QTest::newRow("OK split across two reads") << with([](FormBench& b) {
            b.port.replaceReply(2, {"AT+IRP20\r\nx,AP,m,WPA2,6,62\r\nI/", "OK\r\n"}, {0, 3000});
        }) << QStringList{"x"} << "" << 2 << "" << kept;
        QTest::newRow("I/ERROR beside I/OK") << with([](FormBench& b) {
            b.port.replaceReply(2, {"AT+IRP20\r\nx,AP,m,WPA2,6,62\r\nI/ERROR\r\nI/OK\r\n"}, {0});
        }) << QStringList{"x"} << "" << 1 << ""
                                             << kept;
        QByteArray many = "AT+IRP20\r\n";
        QStringList fit;
        for (int i = 0; many.size() < 20000; ++i) {
            const QByteArray ssid = "net" + QByteArray::number(1000 + i);
            many += ssid + ",AP,00:1A:2B:3C:4D:5E,WPA2,6," + QByteArray::number(1000 + i) + "\r\n";
            if (many.size() <= ModuleLink::kBufferSize)
                fit << QString::fromLatin1(ssid);
        }
        QTest::newRow("20000 bytes of networks: those that fit")
            << with([many](FormBench& b) { b.port.replaceReply(2, {many + "I/OK\r\n"}, {0}); })
            << fit << "" << 4 << "" << kept;
    }
    void netsearch() {
        QFETCH(Setup, setup);
        QFETCH(QStringList, rows);
        QFETCH(QString, message);
        QFETCH(int, reads);
        QFETCH(QString, pick);
        QFETCH(QString, form);
        FormBench b;
        b.start();
        Entries e;
        e.ssid = QStringLiteral("mine");
        e.security = security::kWpa;
        e.channel = QStringLiteral("11");
        e.accessPoint = false;
        e.adHoc = true;
        b.enter(e);
        b.port.vanishAfterReads("AT+IRP20", 0);
        setup(b);
        QStringList listed;
        b.netsearch([&](CScanDlg& d) {
            listed = column(d.networkList(), CScanDlg::ColSsid);
            if (pick.isEmpty())
                return d.cancelButton()->click();
            d.networkList()->selectRow(int(listed.indexOf(pick)));
            d.okButton()->click();
        });

        QCOMPARE(listed, rows);
        QCOMPARE(b.prompts.texts(),
                 message.isEmpty() ? QStringList()
                                   : QStringList{UiText(message.chopped(1).toInt(), kEnglish)});
        QCOMPARE(b.prompts.icons(), message.right(1));
        QCOMPARE(b.model.transcript(), (QList<QByteArray>{"AT+IBDRF?\r", "AT+IRP20\r"}));
        QCOMPARE(b.port.watchedReads(), reads);
        QVERIFY(b.portClosed());
        const QStringList f = form.split(QLatin1Char('|'));
        e.ssid = f[0];
        e.security = f[1].toInt();
        e.channel = f[2];
        e.accessPoint = f[3] == QLatin1String("1");
        e.adHoc = f[4] == QLatin1String("1");
        QCOMPARE(b.shown().text(), e.text()); // the key typed before stays
        QCOMPARE(b.dlg->control(CSetupDlg::IDC_DAMPING_LABEL)->isVisible(), !f[5].isEmpty());
        QCOMPARE(qobject_cast<QLabel*>(b.dlg->control(CSetupDlg::IDC_DAMPING))->text(), f[5]);
        // Each network found is logged as the adapter sent it.
        QCOMPARE(b.logLines().size(), rows.size());
    }

    void parse_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("expected"); // ssid|AP or ADHOC|mac|security|channel|damping
        const auto reply = [](const QList<QByteArray>& lines) {
            return "AT+IRP20\r\n" + lines.join("\r\n") + "\r\nI/OK\r\n";
        };
        QTest::newRow("security words")
            << reply({"a,AP,m,WPA2_ENT,1,5", "b,AP,m,WPA_ENT,1,5", "c,AP,m,WPA2,1,5",
                      "d,AP,m,WPA,1,5", "e,AP,m,WEP128,1,5", "f,ADHOC,m,WEP,1,5", "g,AP,m,NONE,1,5",
                      "h,AP,m,OPEN,1,5", "WPA2net,AP,m,WEP,1,5"})
            << QStringList{"a|AP|m|6|1|5", "b|AP|m|5|1|5", "c|AP|m|4|1|5",
                           "d|AP|m|3|1|5", "e|AP|m|2|1|5", "f|ADHOC|m|1|1|5",
                           "g|AP|m|0|1|5", "h|AP|m|0|1|5", "WPA2net|AP|m|1|1|5"};
        QTest::newRow("ad hoc named AP")
            << reply({"MAPLE-AP,ADHOC,02:11:22:33:44:55,WEP,11,-48"})
            << QStringList{"MAPLE-AP|ADHOC|02:11:22:33:44:55|1|11|-48"};
        QTest::newRow("no echo") << QByteArray("a,AP,m,WPA,6,9\r\nI/OK")
                                 << QStringList{"a|AP|m|3|6|9"};
        QTest::newRow("empty first line, no echo")
            << QByteArray("\nx,AP,m,WPA,6,9\r\nI/OK") << QStringList{"x|AP|m|3|6|9"};
        QTest::newRow("empty first line before the echo")
            << QByteArray("\nAT+IRP20\r\nx,AP,m,WPA,6,9\r\nI/OK") << QStringList{"x|AP|m|3|6|9"};
        QTest::newRow("channel cut to two, SSID with a comma")
            << reply({"n,AP,m,WPA,123,5", "my,net,AP,m,WPA2,6,62"})
            << QStringList{"n|AP|m|3|12|5", "my|AP|AP|4|0|6"};
        QTest::newRow("last line without line feed, line with four commas")
            << QByteArray("AT+IRP20\r\na,AP,m,WPA2,6\r\nb,AP,m,NONE,2,60\r\nc,AP,m,NONE,2,60I/OK")
            << QStringList{"b|AP|m|0|2|60"};
        QTest::newRow("SSID cut to 49, MAC to 17")
            << reply({QByteArray(60, 'S') + ",AP,00:11:22:33:44:55:66,WPA,3,40"})
            << QStringList{QString(49, 'S') + "|AP|00:11:22:33:44:55|3|3|40"};
        QTest::newRow("long lines: commas late, number cut to 99 characters")
            << reply({QByteArray(290, 'x') + ",AP,m,WPA,3,40",
                      "n,AP,m,WPA,3," + QByteArray(287, '9')})
            << QStringList{"n|AP|m|3|3|2147483647"};
        QTest::newRow("UTF-8 SSID cut on a character boundary")
            << reply({QString(30, QChar(0xE4)).toUtf8() + ",AP,m,WPA,3,40"})
            << QStringList{QString(24, QChar(0xE4)) + "|AP|m|3|3|40"};
    }
    void parse() {
        QFETCH(QByteArray, reply);
        const ScanReply parsed = ParseScanReply(reply);
        QStringList out;
        for (const ScanEntry& e : parsed.entries)
            out << QStringLiteral("%1|%2|%3|%4|%5|%6")
                       .arg(QString::fromUtf8(e.szSsid), e.bAccessPoint ? "AP" : "ADHOC",
                            QString::fromUtf8(e.szMac))
                       .arg(e.nSecurity)
                       .arg(e.nChannel)
                       .arg(e.nDamping);
        QTEST(out, "expected");
        QCOMPARE(parsed.lines.size(), parsed.entries.size());
    }

    void leadingInt() {
        QCOMPARE(ParseLeadingInt(" \t+7x"), 7);
        QCOMPARE(ParseLeadingInt("-62"), -62);
        QCOMPARE(ParseLeadingInt("12", 5), 0);
        QCOMPARE(ParseLeadingInt("-99999999999999999999"), INT_MIN);
    }
};

QTEST_MAIN(TestScan)
#include "test_scan.moc"
