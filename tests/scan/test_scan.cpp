// Netsearch on the simulated adapter: reply -> rows of the dialog -> message -> form. The parser.

#include "form_bench.h"

#include "scan/scan_parser.h"

#include <QLabel>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

using Parts = QList<AdapterModel::Part>;
Q_DECLARE_METATYPE(Entries)
using Boxes = QList<QPair<QString, PromptIcon>>; // the message boxes shown, in order

class TestScan : public QObject {
    Q_OBJECT
private slots:
    void netsearch_data() {
        QTest::addColumn<Parts>("reply"); // the scan's reply, in parts due ms after the command
        QTest::addColumn<QStringList>("rows");   // SSIDs as listed
        QTest::addColumn<QStringList>("logged"); // the log: each network as the adapter sent it
        QTest::addColumn<Boxes>("messages");
        QTest::addColumn<int>("reads");     // after the scan command
        QTest::addColumn<QString>("pick");  // the SSID chosen with OK; empty: Cancel
        QTest::addColumn<Entries>("after"); // the form afterwards
        QTest::addColumn<QString>("damping");
        const QStringList all = {"Corp", "harbour", "office", "Guest"}; // by damping, -39 first
        const QStringList sent = {
            "office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62", "harbour,ADHOC,02:11:22:33:44:55,WEP128,3,48",
            "Guest,AP,00:1A:2B:3C:4D:60,NONE,1,71", "Corp,AP,00:1B:63:84:45:E6,WPA2_ENT,13,-39"};
        const QByteArray full = "AT+IRP20\r\n" + sent.join("\r\n").toUtf8() + "\r\nI/OK\r\n";
        const QByteArray x = "AT+IRP20\r\nx,AP,m,WPA2,6,62\r\nI/";
        const QStringList xSent = {"x,AP,m,WPA2,6,62"};
        const auto row = [](const char* name, const Parts& reply, const QStringList& rows,
                            const QStringList& logged, int reads, const Boxes& messages = {},
                            const QString& pick = {},
                            const Entries& after = {.security = security::kNone},
                            const QString& damping = {}) {
            QTest::newRow(name) << reply << rows << logged << messages << reads << pick << after
                                << damping;
        };
        // A pick keeps the key typed before.
        row("pick ad hoc", {{3000, full}}, all, sent, 2, {}, "harbour",
            {.ssid = "harbour",
             .channel = "3",
             .security = security::kWep128,
             .accessPoint = false,
             .adHoc = true},
            "48 db");
        row("cancel keeps the form", {{3000, full}}, all, sent, 2);
        row("no networks", {{3000, "AT+IRP20\r\nI/OK\r\n"}}, {}, {}, 2,
            {{"No wireless networks in range", PromptIcon::Information}});
        row("I/ERROR", {{3000, "AT+IRP20\r\nI/ERROR\r\n"}}, {}, {}, 2,
            {{"Error occured during wireless network scan", PromptIcon::Error}});
        row("20000 bytes of garbage, no answer", {{0, garbageBytes(9, 20000)}}, {}, {}, 20,
            {{"Timeout occured during wireless network scan", PromptIcon::Error}});
        // Regression: a reply in several reads is put together.
        row("answer in the last read", {{41000, full}}, all, sent, 20);
        row("OK split across two reads", {{0, x}, {3000, "OK\r\n"}}, {"x"}, xSent, 2);
        row("I/ERROR beside I/OK", {{0, x + "ERROR\r\nI/OK\r\n"}}, {"x"}, xSent, 1);
        // Regression: a reply longer than the buffer shows the networks that fit.
        QByteArray many = "AT+IRP20\r\n";
        QStringList fit, fitSent;
        for (int i = 1000; many.size() < 20000; ++i) {
            const QString line = QStringLiteral("net%1,AP,m,WPA2,6,%1").arg(i);
            many += line.toUtf8() + "\r\n";
            if (many.size() <= ModuleLink::kBufferSize)
                fit << "net" + QString::number(i), fitSent << line;
        }
        row("20000 bytes of networks", {{0, many + "I/OK\r\n"}}, fit, fitSent, 4);
    }
    void netsearch() {
        QFETCH(Parts, reply);
        QFETCH(QStringList, rows);
        QFETCH(QString, pick);
        FormBench b;
        b.start();
        b.enter({.security = security::kNone});
        // The probe's reply is longer than one read: its rest is not taken for the scan's.
        b.model.setReply(1, {{0, "AT+IBDRF?\r\n9\r\nI/OK\r\n" + QByteArray(6000, 'x') +
                                     "\r\nlate,AP,m,NONE,1,1\r\n"}});
        b.model.setReply(2, reply);
        QStringList listed;
        bool keyEnabled = false;
        // Another's cursor is left as it was: the wait cursor is taken away once, not twice.
        QApplication::setOverrideCursor(Qt::CrossCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        b.netsearch([&](CScanDlg& d) {
            keyEnabled = b.edit(CSetupDlg::IDC_KEY)->isEnabled();
            for (int r = 0; r < d.networkList()->rowCount(); ++r)
                listed << d.networkList()->item(r, CScanDlg::ColSsid)->text();
            if (pick.isEmpty())
                return d.cancelButton()->click();
            d.networkList()->selectRow(int(listed.indexOf(pick)));
            d.okButton()->click();
        });

        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QCOMPARE(listed, rows);
        QCOMPARE(keyEnabled, !rows.isEmpty());
        QTEST(b.prompts.shown, "messages");
        QCOMPARE(b.model.transcript(), (QList<QByteArray>{"AT+IBDRF?\r", "AT+IRP20\r"}));
        QTEST(b.sim.readCount() - 1, "reads"); // the probe reads once
        QVERIFY(b.portClosed());
        QFETCH(Entries, after);
        QCOMPARE(b.shown().text(), after.text());
        // The key field follows the type again (the dialog had it enabled for its rows).
        QCOMPARE(b.edit(CSetupDlg::IDC_KEY)->isEnabled(), after.security != security::kNone);
        const auto* damping = qobject_cast<QLabel*>(b.dlg->control(CSetupDlg::IDC_DAMPING));
        QTEST(damping->text(), "damping");
        QCOMPARE(b.dlg->control(CSetupDlg::IDC_DAMPING_LABEL)->isVisible(), !pick.isEmpty());
        QTEST(b.logLines(), "logged");
    }

    // A network chosen from the list puts its damping into the configuration record.
    void dampingInTheRecord_data() {
        QTest::addColumn<int>("language"); // the item chosen in the language list
        QTest::addColumn<QString>("line");
        QTest::newRow("English") << 1 << "Damping: 71 db";
        QTest::newRow("German") << 0 << "Dämpfung: 71 db";
    }
    void dampingInTheRecord() {
        QFETCH(int, language);
        FormBench b;
        b.start();
        b.choose(CSetupDlg::IDC_LANGUAGE, language);
        b.model.setReply(2, {{3000, "AT+IRP20\r\nGuest,AP,m,NONE,1,71\r\nI/OK\r\n"}});
        b.netsearch([](CScanDlg& d) {
            d.networkList()->selectRow(0);
            d.okButton()->click();
        });
        b.click(CSetupDlg::IDC_CONFIGURE);
        const QStringList lines = b.logLines();
        QTEST(lines.value(lines.size() - 2), "line"); // before the success line
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
        // Regression: a name with "AP" in it does not make an ad hoc network an access point.
        QTest::newRow("ad hoc named AP")
            << reply({"MAPLE-AP,ADHOC,02:11:22:33:44:55,WEP,11,-48"})
            << QStringList{"MAPLE-AP|ADHOC|02:11:22:33:44:55|1|11|-48"};
        QTest::newRow("no echo; blanks and a sign before the damping")
            << QByteArray("a,AP,m,WPA,6, \t\v\f+7x\r\nI/OK") << QStringList{"a|AP|m|3|6|7"};
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
        QTest::newRow("long lines: commas late, numbers cut to 99 characters and to int")
            << reply({QByteArray(290, 'x') + ",AP,m,WPA,3,40",
                      "n,AP,m,WPA,3," + QByteArray(287, '9'), "o,AP,m,WPA,3,-99999999999999999999"})
            << QStringList{"n|AP|m|3|3|2147483647", "o|AP|m|3|3|-2147483648"};
        QTest::newRow("UTF-8 SSID cut on a character boundary")
            << reply({QString(30, QChar(0xE4)).toUtf8() + ",AP,m,WPA,3,40"})
            << QStringList{QString(24, QChar(0xE4)) + "|AP|m|3|3|40"};
    }
    void parse() {
        QFETCH(QByteArray, reply);
        QStringList out;
        for (const ScanEntry& e : ParseScanReply(reply).entries)
            out << QStringLiteral("%1|%2|%3|%4|%5|%6")
                       .arg(QString::fromUtf8(e.szSsid), e.bAccessPoint ? "AP" : "ADHOC",
                            QString::fromUtf8(e.szMac))
                       .arg(e.nSecurity)
                       .arg(e.nChannel)
                       .arg(e.nDamping);
        QTEST(out, "expected");
    }
};

QTEST_MAIN(TestScan)
#include "test_scan.moc"
