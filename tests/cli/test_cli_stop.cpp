// velinor-cli asked to stop while it configures, reads out or scans simulated adapters in
// virtual time. Requests come at fixed moments of each adapter's own clock: every run is the same.
#include "base/stop_signals.h"
#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "cli/console_output.h"
#include "fakes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <csignal>
#include <map>
#include <mutex>

using namespace velinor;
using namespace velinor::cli;

namespace {

thread_local ManualClock* t_clock = nullptr; // of the work on this thread
struct ThreadClock : ManualClock {
    ThreadClock() { t_clock = this; }
    ~ThreadClock() override { t_clock = t_clock == this ? nullptr : t_clock; }
};

// The adapters by port name, each made on the clock of the thread that opens its port.
struct Fleet {
    std::mutex mutex;
    std::map<QString, std::unique_ptr<AdapterModel>> adapters;
    QString silent;       // this port's adapter never answers the probe
    QStringList leftOpen; // ports still open when their work ended
};

// A port that becomes its adapter's port when it is opened.
struct FleetPort : SerialPort {
    explicit FleetPort(Fleet& f) : fleet(f) {}
    ~FleetPort() override {
        const std::lock_guard lock(fleet.mutex);
        if (isOpen())
            fleet.leftOpen << sim->deviceName();
    }
    OpenStatus open(const QString& name) override {
        const std::lock_guard lock(fleet.mutex);
        auto& model = fleet.adapters[name];
        model = model ? std::move(model) : std::make_unique<AdapterModel>(*t_clock);
        if (name == fleet.silent)
            model->setFault("AT+IBDRF", AdapterModel::Fault::Silent);
        sim = std::make_unique<SimSerialPort>(*model, *t_clock, name);
        return sim->open(name);
    }
    void close() override { sim->close(); }
    bool isOpen() const override { return sim && sim->isOpen(); }
    qint64 write(const QByteArray& d, int ms) override { return sim->write(d, ms); }
    QByteArray read(qint64 max, int ms) override { return sim->read(max, ms); }
    void discardInput() override { sim->discardInput(); }
    bool readLineSettings(LineSettings& s) override { return sim->readLineSettings(s); }
    bool writeLineSettings(const LineSettings& s) override { return sim->writeLineSettings(s); }
    int lastError() const override { return sim ? sim->lastError() : 0; }
    void clearError() override {}
    Fleet& fleet;
    std::unique_ptr<SimSerialPort> sim;
};

// Stopping asked for at these moments of each adapter's clock; asked off a port's thread, the
// most that any port was told.
struct ScheduledStop : StopRequest {
    QList<int> atMs;
    int sig = SIGINT;
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

QString received(FILE* file) {
    std::rewind(file);
    QFile read;
    return read.open(file, QIODevice::ReadOnly) ? QString::fromUtf8(read.readAll()) : QString();
}

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

} // namespace

class TestCliStop : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_log = m_dir.filePath("log");
    Fleet m_fleet;
    QString m_out, m_err;

    // velinor-cli on these arguments (in English, quiet, with a log) against a fresh fleet.
    int run(const QStringList& args, const QList<int>& atMs, int signal,
            const QString& silent = {}) {
        QFile::remove(m_log);
        m_fleet.adapters.clear();
        m_fleet.leftOpen.clear();
        m_fleet.silent = silent;
        const ParseResult parsed = ParseArguments(
            args.mid(0, 1) + QStringList{"--lang", "en", "--quiet", "--log", m_log} + args.mid(1),
            QString());
        ScheduledStop stop;
        stop.atMs = atMs;
        stop.sig = signal;
        fakes::FakePortEnumerator enumerator;
        const std::unique_ptr<FILE, int (*)(FILE*)> o(std::tmpfile(), std::fclose),
            e(std::tmpfile(), std::fclose);
        ConsoleOutput console(o.get(), e.get(), false, false);
        std::atomic<int> clocks{0};
        // The first clock of configure is that of the checks, on no port.
        auto makeClock = [&]() -> std::unique_ptr<Clock> {
            if (clocks++ == 0 && parsed.options.command == Command::Configure)
                return std::make_unique<ManualClock>();
            return std::make_unique<ThreadClock>();
        };
        Environment env{enumerator, [&] { return std::make_unique<FleetPort>(m_fleet); },
                        makeClock,  m_dir.filePath("sys"),
                        console,    &stop};
        const int code = RunCommand(parsed.options, "passphrase1", QString(), env);
        m_out = received(o.get());
        m_err = received(e.get());
        return code;
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
        QFETCH(int, sent);
        QFETCH(QString, result);
        QFETCH(QStringList, messages);
        QFETCH(QList<int>, atMs);
        QStringList args{"configure",  "--ssid", "office",    "--access-point",
                         "--security", "WPA2",   "--channel", "6"};
        for (int i = 0; i < ports; ++i)
            args << "--port" << QStringLiteral("/dev/ttyACM%1").arg(i);
        QCOMPARE(run(args, atMs, signal), StopSignals::exitCode(signal));
        const QStringList log = fakes::logLines(fakes::readFile(m_log));
        QString wantOut;
        QStringList wantErr;
        for (int i = 0; i < ports; ++i) {
            const QString port = QStringLiteral("/dev/ttyACM%1").arg(i);
            const auto& model = m_fleet.adapters[port];
            QCOMPARE(model ? model->transcript() : QList<QByteArray>(), kAll.mid(0, sent));
            wantOut += port + ": " + result + '\n';
            for (const QString& m : messages) {
                // One port's own message comes without its name, a stop's always with it.
                wantErr << (ports == 1 && m == kSaved ? m : port + ": " + m);
                QVERIFY(m == kSaved ||
                        log.contains(StopSignals::name(signal) + ": " + port + ": " + m));
            }
        }
        QCOMPARE(m_out, wantOut);
        QStringList errLines = m_err.split(u'\n', Qt::SkipEmptyParts);
        errLines.sort();
        wantErr.sort();
        QCOMPARE(errLines, wantErr);
        QCOMPARE(m_fleet.leftOpen, QStringList());
    }

    // The other ports' programming is finished while one still waits for its probe's answer:
    // that one stops before its reset.
    void configureWhileOnePortIsOpening() {
        QStringList args{"configure", "--ssid",    "office", "--access-point", "--security",
                         "WPA2",      "--channel", "6",      "--json"};
        for (int i = 0; i < 3; ++i)
            args << "--port" << QStringLiteral("/dev/ttyACM%1").arg(i);
        QCOMPARE(run(args, {5000}, SIGTERM, "/dev/ttyACM1"), 143);
        QCOMPARE(m_fleet.adapters["/dev/ttyACM0"]->transcript(), kAll);
        QCOMPARE(m_fleet.adapters["/dev/ttyACM1"]->transcript(), kAll.mid(0, 1));
        QCOMPARE(m_fleet.adapters["/dev/ttyACM2"]->transcript(), kAll);
        const QJsonArray ports = QJsonDocument::fromJson(m_out.toUtf8())["ports"].toArray();
        QCOMPARE(ports[1]["result"].toString(), "stopped");
        QCOMPARE(ports[1]["message"].toString(), kUnchanged);
        QCOMPARE(ports[2]["result"].toString(), "ok");
        QCOMPARE(QJsonDocument::fromJson(m_out.toUtf8())["stopped"].toString(), "SIGTERM");
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
        QCOMPARE(run({command, "--port", "/dev/ttyACM0", "--json"}, {atMs}, SIGINT), 130);
        QTEST(QString::fromUtf8(
                  QJsonDocument::fromJson(m_out.toUtf8()).toJson(QJsonDocument::Compact)),
              "json");
        const QString stopped = "/dev/ttyACM0: stopped: nothing was changed on the adapter";
        QCOMPARE(m_err, stopped + '\n');
        QVERIFY(fakes::readFile(m_log).contains("SIGINT: " + stopped.toUtf8()));
        QCOMPARE(m_fleet.leftOpen, QStringList());
    }

    // German: the stop texts.
    void german() {
        const QStringList args{"configure",  "--ssid",       "office",    "--access-point",
                               "--security", "WPA2",         "--channel", "6",
                               "--port",     "/dev/ttyACM0", "--lang",    "de"};
        QCOMPARE(run(args, {2500}, SIGINT), 130);
        QCOMPARE(m_err, "/dev/ttyACM0: vor dem Zurücksetzen auf Werkseinstellungen angehalten: das "
                        "WLAN-Produkt behält seine Einstellungen\n");
        QCOMPARE(run(args, {3500, 7500}, SIGINT), 130);
        QCOMPARE(m_err,
                 "/dev/ttyACM0: bereits auf Werkseinstellungen zurückgesetzt: die "
                 "Programmierung wird zu Ende geführt, damit es nicht unkonfiguriert bleibt "
                 "(ein zweites Strg+C bricht sofort ab)\n/dev/ttyACM0: bei Schritt 5 von 10 "
                 "(AT+IWLSI) abgebrochen: das WLAN-Produkt ist nur zum Teil programmiert und "
                 "muss neu konfiguriert werden\n");
        QCOMPARE(run({"readout", "--port", "/dev/ttyACM0", "--lang", "de"}, {2500}, SIGINT), 130);
        QCOMPARE(m_err, "/dev/ttyACM0: abgebrochen: am WLAN-Produkt wurde nichts verändert\n");
    }
};

QTEST_GUILESS_MAIN(TestCliStop)
#include "test_cli_stop.moc"
