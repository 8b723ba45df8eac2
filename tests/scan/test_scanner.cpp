#include "scan/scanner.h"
#include "scan_fakes.h"

#include "link/commands.h"

#include <QTest>

using namespace velinor;
using namespace scantest;

namespace {

QStringList ssids(const Scanner& s) {
    QStringList out;
    for (const ScanEntry& e : s.entries())
        out << QString::fromUtf8(e.szSsid);
    return out;
}

QStringList strings(const QList<QByteArray>& lines, bool ssidOnly) {
    QStringList out;
    for (const QByteArray& line : lines)
        out << QString::fromUtf8(ssidOnly ? line.left(line.indexOf(',')) : line);
    return out;
}

using Fault = AdapterModel::Fault;
using Outcome = Scanner::Outcome;

} // namespace

class TestScanner : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data() {
        QTest::addColumn<QList<QByteArray>>("networks");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("delayMs"); // 0: the adapter's own 4 s
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("reads");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<int>("icon");
        const auto row = [](const char* name, const QList<QByteArray>& networks, Fault fault,
                            int delayMs, int language, Outcome outcome, int reads,
                            const QStringList& expected, const QString& message = {},
                            PromptIcon icon = PromptIcon::Error) {
            QTest::newRow(name) << networks << int(fault) << delayMs << language << int(outcome)
                                << reads << expected << message << int(icon);
        };
        const QList<QByteArray> all = AdapterModel::defaultNetworks();
        const QStringList allSsids = strings(all, true);
        row("networks", all, Fault::None, 0, kEnglish, Outcome::Networks, 2, allSsids);
        row("no networks, second read", {}, Fault::None, 3000, kEnglish, Outcome::NoNetworks, 2, {},
            "No wireless networks in range", PromptIcon::Information);
        row("no networks, German, seventh read", {}, Fault::None, 13000, kGerman,
            Outcome::NoNetworks, 7, {}, "Keine Drahtlosnetzwerke in Reichweite",
            PromptIcon::Information);
        row("empty line then I/OK: no records, no message", {""}, Fault::None, 0, kEnglish,
            Outcome::Networks, 2, {});
        row("I/ERROR", all, Fault::Error, 0, kEnglish, Outcome::Error, 2, {},
            "Error occured during wireless network scan");
        row("I/ERROR with I/OK is parsed", {"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62", "I/ERROR"},
            Fault::None, 0, kEnglish, Outcome::Networks, 2, {"office"});
        row("no reply: time-out after 20 reads", all, Fault::Silent, 0, kGerman, Outcome::Timeout,
            20, {}, "Timeout beim Drahtlosnetzwerke empfangen");
        row("reply in the twentieth read", all, Fault::None, 41000, kEnglish, Outcome::Networks, 20,
            allSsids);
    }
    void outcomes() {
        QFETCH(QList<QByteArray>, networks);
        QFETCH(int, fault);
        QFETCH(int, delayMs);
        QFETCH(int, language);
        QFETCH(int, outcome);
        QFETCH(int, reads);
        QFETCH(QStringList, expected);
        QFETCH(QString, message);
        QFETCH(int, icon);
        Bench b;
        QVERIFY(b.openPort());
        b.model.setNetworks(networks);
        b.model.setFault("AT+IRP20", Fault(fault));
        if (delayMs > 0)
            b.model.setScanDelayMs(delayMs);
        b.form.keyEnabled = false;
        b.form.language = language;
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        scanner.setLanguage(language);
        const qint64 start = b.clock.elapsedMs();
        QCOMPARE(int(scanner.ScanNetworks()), outcome);
        const qint64 took = b.clock.elapsedMs() - start;
        QVERIFY2(took >= reads * Scanner::kPollPauseMs &&
                     took <= reads * Scanner::kPollPauseMs + 3000,
                 QByteArray::number(took).constData());
        QCOMPARE(b.port.readCount(), reads);
        QCOMPARE(b.model.transcript(), QList<QByteArray>{cmd::Scan()});
        QCOMPARE(ssids(scanner), expected);
        QCOMPARE(b.form.keyEnabled, !expected.isEmpty());
        QCOMPARE(b.logLines().size(), expected.size());
        QCOMPARE(b.prompts.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(b.prompts.lastText(), message);
            QCOMPARE(int(b.prompts.shown.first().second), icon);
        }
    }

    void linesSplitOverThreeReads() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setSplit(3, Scanner::kPollPauseMs);
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        QCOMPARE(scanner.ScanNetworks(), Outcome::Networks);
        QCOMPARE(b.port.readCount(), 4); // one empty read, then the three parts
        QCOMPARE(ssids(scanner), strings(AdapterModel::defaultNetworks(), true));
        QCOMPARE(b.logLines(), strings(AdapterModel::defaultNetworks(), false));
    }

    // Reads played back one by one: the joined reply is what is parsed.
    void scriptedReads_data() {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("readsTaken");
        QTest::addColumn<int>("outcome");
        QTest::newRow("echo in an earlier read than the lines")
            << QList<QByteArray>{"AT+IRP20\r\n",
                                 "a,AP,m,WPA2,6,62\r\nb,ADHOC,m,WEP,1,40\r\nI/OK\r\n"}
            << QStringList{"a", "b"} << 2 << int(Outcome::Networks);
        QTest::newRow("short read after a long one mixes nothing in")
            << QList<QByteArray>{"AT+IRP20\r\nlongname-network,AP,00:11:22:33:44:55,WPA2,6,62\r\n",
                                 "x,AP,m,NONE,1,2\r\n", "I/OK"}
            << QStringList{"longname-network", "x"} << 3 << int(Outcome::Networks);
        QTest::newRow("line cut between reads")
            << QList<QByteArray>{"AT+IRP20\r\nof", "fice,AP,m,WPA2,6", ",62\r\nI/O", "K"}
            << QStringList{"office"} << 4 << int(Outcome::Networks);
        QTest::newRow("no networks in a later read")
            << QList<QByteArray>{"", "AT+IRP20\r", "\nI/OK"} << QStringList{} << 3
            << int(Outcome::NoNetworks);
        // Two full reads fill the buffer; the status of the third still ends the scan.
        QList<QByteArray> flood(20, QByteArray(ModuleLink::kReadMax, 'x'));
        flood[2].replace(0, 4, "I/OK");
        QTest::newRow("flood is bounded") << flood << QStringList{} << 3 << int(Outcome::Networks);
    }
    void scriptedReads() {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(QStringList, expected);
        QFETCH(int, readsTaken);
        QFETCH(int, outcome);
        ManualClock clock;
        ScriptedPort port(clock, reads);
        port.open(QString());
        ModuleLink link(clock);
        link.SetPortHandle(&port);
        RecordingPrompts prompts;
        FakeForm form;
        QTemporaryDir dir;
        LogWriter writer(dir.path(), clock, prompts, {});
        EventLog log(writer, [] { return false; });
        Scanner scanner(link, prompts, log, form);
        QCOMPARE(int(scanner.ScanNetworks()), outcome);
        QCOMPARE(ssids(scanner), expected);
        QCOMPARE(port.reads, readsTaken);
        QCOMPARE(port.written, QList<QByteArray>{cmd::Scan()});
        QCOMPARE(port.discards, 1);
        QCOMPARE(prompts.shown.size(), outcome == int(Outcome::Networks) ? 0 : 1);
    }

    void failingScanAfterAGoodOneLeavesNoRecords() {
        Bench b;
        QVERIFY(b.openPort());
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        QCOMPARE(scanner.ScanNetworks(), Outcome::Networks);
        QVERIFY(scanner.entryCount() > 0);
        b.model.setFault("AT+IRP20", Fault::Error);
        QCOMPARE(scanner.ScanNetworks(), Outcome::Error);
        QCOMPARE(scanner.entryCount(), 0);
        QVERIFY(scanner.entries().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestScanner)
#include "test_scanner.moc"
