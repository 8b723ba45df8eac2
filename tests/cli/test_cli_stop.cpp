// velinor-cli asked to stop while it configures, reads out or scans simulated adapters in
// virtual time. Requests come at fixed moments of each adapter's own clock: every run is the same.
#include "base/stop_signals.h"
#include "cli_bench.h"

#include <QJsonArray>

#include <csignal>

using namespace velinor;
using namespace velinor::cli;

namespace {

// Stopping asked for at these moments of each adapter's clock; asked off a port's thread, the
// most that any port was told.
struct ScheduledStop : StopRequest {
    ScheduledStop(const QList<int>& at, int s) : atMs(at), sig(s) {}
    QList<int> atMs;
    int sig;
    mutable std::atomic<int> most{0};
    int level() const override {
        if (!t_clock)
            return most;
        const int level = int(std::count_if(atMs.begin(), atMs.end(),
                                            [](int at) { return t_clock->elapsedMs() >= at; }));
        most = std::max(most.load(), level);
        return level;
    }
    int signal() const override { return sig; }
};

const QString kFinishing = "already reset to factory defaults: its programming is being finished, "
                           "so that it is not left unconfigured (a second Ctrl+C stops at once)";
const QString kUnchanged = "stopped before the factory reset: the adapter keeps its settings";
const QString kAtSsid = "stopped at step 5 of 10 (AT+IWLSI): the adapter is left half-programmed "
                        "and must be configured again";
const QString kSaved = "Settings saved on wireless product";
const QList<QByteArray> kAll{
    "AT+IBDRF?\r",       "AT+IFD\r",     "AT+IHIF=4\r",  "AT+IBDRF=9\r",
    "AT+IWLSI=office\r", "AT+IWST0=4\r", "AT+IWLCH=6\r", "AT+IWPP0=passphrase1\r",
    "AT+IBRM=2\r",       "AT+IDOWN\r"};
const QString kConfigure =
    "configure --ssid office --access-point --security WPA2 --channel 6 --key-file /wpa -q";

} // namespace

class TestCliStop : public QObject {
    Q_OBJECT
    CliBench m_bench;

    // The adapters on /dev/ttyACM0 and on; the options that name their ports.
    QString ports(int n) {
        m_bench.present.clear();
        QString options;
        for (int i = 0; i < n; ++i) {
            const QString port = QStringLiteral("/dev/ttyACM%1").arg(i);
            m_bench.present[port] = {};
            options += " --port " + port;
        }
        return options + " --log " + m_bench.log;
    }

private slots:
    // The probe goes out at 2.0 s, the reset at 3.2 s, the SSID at 6.8 s (answer read at 8.0 s).
    void configure_data() {
        QTest::addColumn<int>("ports");
        QTest::addColumn<QList<int>>("atMs"); // the moments of the requests
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("sent"); // commands sent of the ten a WPA2 access point gets
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("messages"); // per port, logged with the signal's name
        for (const int n : {1, 4}) {
            QTest::addRow("%d port(s), SIGINT before the reset: settings kept", n)
                << n << QList<int>{2500} << SIGINT << 1 << kUnchanged << QStringList{kUnchanged};
            QTest::addRow("%d port(s), SIGTERM after the reset: programming finished", n)
                << n << QList<int>{3500} << SIGTERM << 10 << "ok"
                << QStringList{kFinishing, kSaved};
            QTest::addRow("%d port(s), a second SIGINT stops at once, naming the step", n)
                << n << QList<int>{3500, 7500} << SIGINT << 5 << kAtSsid
                << QStringList{kFinishing, kAtSsid};
        }
        QTest::newRow("1 port, SIGHUP before it is opened")
            << 1 << QList<int>{0} << SIGHUP << 0 << kUnchanged << QStringList{kUnchanged};
    }
    void configure() {
        QFETCH(int, ports);
        QFETCH(int, signal);
        QFETCH(QString, result);
        QFETCH(QStringList, messages);
        QFETCH(QList<int>, atMs);
        QFETCH(int, sent);
        const ScheduledStop stop(atMs, signal);
        QCOMPARE(m_bench.run(kConfigure + this->ports(ports), &stop),
                 StopSignals::exitCode(signal));
        const QStringList log = fakes::logLines(fakes::readFile(m_bench.log));
        QString wantOut, wantErr;
        for (const auto& [port, adapter] : m_bench.present) {
            const auto& model = m_bench.adapters[port];
            QCOMPARE(model ? model->transcript() : QList<QByteArray>(), kAll.mid(0, sent));
            wantOut += port + ": " + result + '\n';
            for (const QString& m : messages) {
                // One port's own message comes without its name, a stop's always with it.
                wantErr += (ports == 1 && m == kSaved ? m : port + ": " + m) + '\n';
                QVERIFY(m == kSaved ||
                        log.contains(StopSignals::name(signal) + ": " + port + ": " + m));
            }
        }
        QCOMPARE(m_bench.out, wantOut);
        QCOMPARE(m_bench.err, sortedLines(wantErr));
        QCOMPARE(m_bench.leftOpen, QStringList());
    }

    // The other ports' programming is finished while one still waits for its probe's answer:
    // that one stops before its reset.
    void configureWhileOnePortIsOpening() {
        const QString options = ports(3) + " --json";
        m_bench.present["/dev/ttyACM1"].unanswered = "AT+IBDRF";
        const ScheduledStop stop({5000}, SIGTERM);
        QCOMPARE(m_bench.run(kConfigure + options, &stop), 143);
        QCOMPARE(m_bench.adapters["/dev/ttyACM0"]->transcript(), kAll);
        QCOMPARE(m_bench.adapters["/dev/ttyACM1"]->transcript(), kAll.mid(0, 1));
        QCOMPARE(m_bench.adapters["/dev/ttyACM2"]->transcript(), kAll);
        const QJsonDocument json = QJsonDocument::fromJson(m_bench.out.toUtf8());
        const QJsonArray results = json["ports"].toArray();
        QCOMPARE(results[1]["result"].toString(), "stopped");
        QCOMPARE(results[1]["message"].toString(), kUnchanged);
        QCOMPARE(results[2]["result"].toString(), "ok");
        QCOMPARE(json["stopped"].toString(), "SIGTERM");
    }

    // A read-out or a scan stops at the first request: the port closed, one JSON document that
    // says so, the message, the exit code of the signal.
    void query_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("atMs");
        QTest::addColumn<QString>("json");
        const QString readout = R"({"accessType":null,"channel":null,"port":"/dev/ttyACM0",)"
                                R"("security":null,"ssid":null,"stopped":"SIGINT"})";
        QTest::newRow("readout, while the port is probed") << "readout" << 2500 << readout;
        QTest::newRow("readout, between the queries") << "readout" << 3800 << readout;
        QTest::newRow("scan, while the scan waits")
            << "scan" << 6000 << R"({"networks":[],"port":"/dev/ttyACM0","stopped":"SIGINT"})";
    }
    void query() {
        QFETCH(QString, command);
        QFETCH(int, atMs);
        const ScheduledStop stop({atMs}, SIGINT);
        QCOMPARE(m_bench.run(command + ports(1) + " --json -q", &stop), 130);
        QTEST(m_bench.out, "json");
        const QString stopped = "/dev/ttyACM0: stopped: nothing was changed on the adapter";
        QCOMPARE(m_bench.err, stopped);
        QVERIFY(fakes::readFile(m_bench.log).contains("SIGINT: " + stopped.toUtf8()));
        QCOMPARE(m_bench.leftOpen, QStringList());
    }

    // German: the stop texts.
    void german() {
        const ScheduledStop once({2500}, SIGINT), twice({3500, 7500}, SIGINT);
        const QString configure = kConfigure + ports(1) + " --lang de";
        QCOMPARE(m_bench.run(configure, &once), 130);
        QCOMPARE(m_bench.err, "/dev/ttyACM0: vor dem Zurücksetzen auf Werkseinstellungen "
                              "angehalten: das WLAN-Produkt behält seine Einstellungen");
        QCOMPARE(m_bench.run(configure, &twice), 130);
        QCOMPARE(m_bench.err,
                 "/dev/ttyACM0: bei Schritt 5 von 10 (AT+IWLSI) abgebrochen: das WLAN-Produkt ist "
                 "nur zum Teil programmiert und muss neu konfiguriert werden\n/dev/ttyACM0: "
                 "bereits auf Werkseinstellungen zurückgesetzt: die Programmierung wird zu Ende "
                 "geführt, damit es nicht unkonfiguriert bleibt (ein zweites Strg+C bricht sofort "
                 "ab)");
        QCOMPARE(m_bench.run("readout" + ports(1) + " -q --lang de", &once), 130);
        QCOMPARE(m_bench.err, "/dev/ttyACM0: abgebrochen: am WLAN-Produkt wurde nichts verändert");
    }
};

QTEST_GUILESS_MAIN(TestCliStop)
#include "test_cli_stop.moc"
