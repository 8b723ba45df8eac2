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

QStringList defaultSsids() {
    QStringList out;
    for (const QByteArray& line : AdapterModel::defaultNetworks())
        out << QString::fromUtf8(line.left(line.indexOf(',')));
    return out;
}

} // namespace

class TestScanner : public QObject {
    Q_OBJECT
private slots:
    void findsTheDefaultNetworks() {
        Bench b;
        QVERIFY(b.openPort());
        b.form.keyEnabled = false;
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Networks);
        QCOMPARE(ssids(scanner), defaultSsids());
        QCOMPARE(scanner.entryCount(), int(AdapterModel::defaultNetworks().size()));
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(b.form.keyEnabled);
        QCOMPARE(b.commandsOf("AT+IRP20"), QList<QByteArray>{cmd::Scan()});
        // The reply is due 4 s after the write: the second read, 2 s apart, finds it.
        QCOMPARE(b.port.readCount(), 2);
    }

    void logsEachNetworkLine() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62", "lab,ADHOC,02:11,WEP,11,48"});
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        scanner.ScanNetworks();
        QCOMPARE(b.logLines(), (QStringList{"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62",
                                            "lab,ADHOC,02:11,WEP,11,48"}));
        QVERIFY(b.logText().startsWith("05.12.2012 14:03:"));
    }

    void nothingLoggedWhenLoggingIsOff() {
        Bench b;
        b.logging = false;
        QVERIFY(b.openPort());
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        scanner.ScanNetworks();
        QCOMPARE(scanner.entryCount(), int(AdapterModel::defaultNetworks().size()));
        QVERIFY(b.logText().isEmpty());
    }

    void noNetworks_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("reads");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("first read")
            << 1000 << 1 << int(kEnglish) << "No wireless networks in range";
        QTest::newRow("second read")
            << 3000 << 2 << int(kEnglish) << "No wireless networks in range";
        QTest::newRow("German, seventh read")
            << 13000 << 7 << int(kGerman) << "Keine Drahtlosnetzwerke in Reichweite";
    }
    void noNetworks() {
        QFETCH(int, delayMs);
        QFETCH(int, reads);
        QFETCH(int, language);
        QFETCH(QString, text);
        Bench b;
        QVERIFY(b.openPort());
        b.model.setNetworks({});
        b.model.setScanDelayMs(delayMs);
        b.form.keyEnabled = false;
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        scanner.setLanguage(language);
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::NoNetworks);
        QCOMPARE(b.port.readCount(), reads);
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown.first().text, text);
        QCOMPARE(b.prompts.shown.first().icon, PromptIcon::Information);
        QCOMPARE(scanner.entryCount(), 0);
        QVERIFY(!b.form.keyEnabled);
        QVERIFY(b.logText().isEmpty());
    }

    void emptyLineThenOk() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setNetworks({""}); // "AT+IRP20\r\n\r\nI/OK\r\n"
        b.form.keyEnabled = false;
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Networks);
        QCOMPARE(scanner.entryCount(), 0);
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(!b.form.keyEnabled);
    }

    void errorReply() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setFault("AT+IRP20", AdapterModel::Fault::Error);
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        scanner.setLanguage(kEnglish);
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Error);
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown.first().text,
                 QStringLiteral("Error occured during wireless network scan"));
        QCOMPARE(b.prompts.shown.first().icon, PromptIcon::Error);
        QCOMPARE(scanner.entryCount(), 0);
    }

    void errorAndOkIsParsed() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62", "I/ERROR"});
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Networks);
        QCOMPARE(ssids(scanner), QStringList{"office"});
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void timeout() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setFault("AT+IRP20", AdapterModel::Fault::Silent);
        b.form.language = kGerman;
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        scanner.setLanguage(kGerman);
        const qint64 start = b.clock.elapsedMs();
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Timeout);
        const qint64 took = b.clock.elapsedMs() - start;
        QCOMPARE(b.port.readCount(), Scanner::kMaxReads);
        QVERIFY2(took >= 40000 && took <= 43000, QByteArray::number(took).constData());
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown.first().text,
                 QStringLiteral("Timeout beim Drahtlosnetzwerke empfangen"));
        QCOMPARE(b.prompts.shown.first().icon, PromptIcon::Error);
    }

    // A reply that arrives only in the twentieth read is still taken.
    void replyInTheLastRead() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setScanDelayMs(41000);
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Networks);
        QCOMPARE(b.port.readCount(), 20);
        QCOMPARE(ssids(scanner), defaultSsids());
    }

    void linesSplitOverThreeReads() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setSplit(3, Scanner::kPollPauseMs);
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Networks);
        QCOMPARE(b.port.readCount(), 4); // one empty read, then the three parts
        QCOMPARE(ssids(scanner), defaultSsids());
        QCOMPARE(b.logLines().size(), defaultSsids().size());
    }

    // Reads played back one by one: the joined reply is what is parsed.
    void scriptedReads_data() {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("readsTaken");
        QTest::newRow("echo in an earlier read than the lines")
            << QList<QByteArray>{"AT+IRP20\r\n",
                                 "a,AP,m,WPA2,6,62\r\nb,ADHOC,m,WEP,1,40\r\nI/OK\r\n"}
            << QStringList{"a", "b"} << 2;
        QTest::newRow("short read after a long one mixes nothing in")
            << QList<QByteArray>{"AT+IRP20\r\nlongname-network,AP,00:11:22:33:44:55,WPA2,6,62\r\n",
                                 "x,AP,m,NONE,1,2\r\n", "I/OK"}
            << QStringList{"longname-network", "x"} << 3;
        QTest::newRow("line cut between reads")
            << QList<QByteArray>{"AT+IRP20\r\nof", "fice,AP,m,WPA2,6", ",62\r\nI/O", "K"}
            << QStringList{"office"} << 4;
        QTest::newRow("no networks in a later read")
            << QList<QByteArray>{"", "AT+IRP20\r", "\nI/OK"} << QStringList{} << 3;
        QTest::newRow("empty reads between the parts")
            << QList<QByteArray>{"AT+IRP20\r\n", "", "a,AP,m,WPA2,6,62\r\n", "", "", "I/OK\r\n"}
            << QStringList{"a"} << 6;
    }
    void scriptedReads() {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(QStringList, expected);
        QFETCH(int, readsTaken);
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
        scanner.ScanNetworks();
        QCOMPARE(ssids(scanner), expected);
        QCOMPARE(port.reads, readsTaken);
        QCOMPARE(port.written, QList<QByteArray>{cmd::Scan()});
        QCOMPARE(port.discards, 1);
        QCOMPARE(prompts.shown.size(), expected.isEmpty() ? 1 : 0);
    }

    // The receive buffer holds at most its size; the end of a longer reply is
    // still recognised, and what fits is parsed.
    void floodIsBounded() {
        ManualClock clock;
        QList<QByteArray> reads;
        for (int i = 0; i < 20; ++i)
            reads << QByteArray(ModuleLink::kReadMax, 'x');
        // Two reads fill the buffer; the status line of the third has no room left.
        reads[2].replace(0, 4, "I/OK");
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
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Networks);
        QCOMPARE(port.reads, 3);
        QCOMPARE(scanner.entryCount(), 0);
        QVERIFY(prompts.shown.isEmpty());
    }

    void failingScanAfterAGoodOneLeavesNoRecords_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("outcome");
        QTest::newRow("error") << int(AdapterModel::Fault::Error) << int(Scanner::Outcome::Error);
        QTest::newRow("silent") << int(AdapterModel::Fault::Silent)
                                << int(Scanner::Outcome::Timeout);
    }
    void failingScanAfterAGoodOneLeavesNoRecords() {
        QFETCH(int, fault);
        QFETCH(int, outcome);
        Bench b;
        QVERIFY(b.openPort());
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Networks);
        QVERIFY(scanner.entryCount() > 0);
        b.model.setFault("AT+IRP20", AdapterModel::Fault(fault));
        QCOMPARE(int(scanner.ScanNetworks()), outcome);
        QCOMPARE(scanner.entryCount(), 0);
        QVERIFY(scanner.entries().isEmpty());
    }

    void staleInputIsThrownAway() {
        Bench b;
        QVERIFY(b.openPort());
        // An answer that came too late for an earlier command.
        b.link.WritePort(&b.port, cmd::QuerySsid());
        Scanner scanner(b.link, b.prompts, b.log, b.form);
        b.model.setNetworks({"a,AP,m,WPA2,6,62"});
        QCOMPARE(scanner.ScanNetworks(), Scanner::Outcome::Networks);
        QCOMPARE(ssids(scanner), QStringList{"a"});
    }
};

QTEST_GUILESS_MAIN(TestScanner)
#include "test_scanner.moc"
