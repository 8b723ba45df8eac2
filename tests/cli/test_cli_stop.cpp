// velinor-cli asked to stop while it configures, reads out or scans simulated adapters in
// virtual time. Requests come at fixed moments of each adapter's own clock: every run is the same.
#include "base/stop_signals.h"
#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "cli/console_output.h"
#include "fakes.h"

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

// The adapter of each port, made on the clock of the thread that opens it; a port left open
// when its work ends is noted.
struct Fleet : SimSerialPort {
    struct Shared {
        std::mutex mutex;
        std::map<QString, std::unique_ptr<AdapterModel>> adapters;
        QString silent; // this port's adapter never answers the probe
        QStringList leftOpen;
    };
    static AdapterModel& adapterOf(Shared& s, const QString& name) {
        const std::lock_guard lock(s.mutex);
        auto& model = s.adapters[name];
        if (!model)
            model = std::make_unique<AdapterModel>(*t_clock);
        if (name == s.silent)
            model->setFault("AT+IBDRF", AdapterModel::Fault::Silent);
        return *model;
    }
    Fleet(Shared& s, const QString& name)
        : SimSerialPort(adapterOf(s, name), *t_clock, name), m_shared(s) {}
    ~Fleet() override {
        const std::lock_guard lock(m_shared.mutex);
        if (isOpen())
            m_shared.leftOpen << deviceName();
    }
    Shared& m_shared;
};

// A port that becomes its adapter's port when it is opened.
struct FleetPort : SerialPort {
    explicit FleetPort(Fleet::Shared& s) : shared(s) {}
    OpenStatus open(const QString& name) override {
        sim = std::make_unique<Fleet>(shared, name);
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
    Fleet::Shared& shared;
    std::unique_ptr<Fleet> sim;
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

// velinor-cli run on these arguments (in English, quiet, with a log) against the fleet.
struct Run {
    ParseResult parsed;
    Fleet::Shared fleet;
    ScheduledStop stop;
    QString out, err;
    int code;
    Run(QStringList args, QList<int> atMs, int signal, int silent, const QTemporaryDir& dir) {
        args << QStringList{"--lang", "en", "--quiet", "--log", dir.filePath("log")};
        QFile::remove(dir.filePath("log"));
        parsed = ParseArguments(args, QString());
        fleet.silent = silent >= 0 ? parsed.options.ports[silent] : QString();
        stop.atMs = std::move(atMs);
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
        Environment env{enumerator, [&] { return std::make_unique<FleetPort>(fleet); },
                        makeClock,  dir.filePath("sys"),
                        console,    &stop};
        code = RunCommand(parsed.options, "passphrase1", QString(), env);
        out = received(o.get());
        err = received(e.get());
    }
};

const QString kFinishing = QStringLiteral(
    "already reset to factory defaults: its programming is being finished, so that it is not "
    "left unconfigured (a second Ctrl+C stops at once)");
const QString kUnchanged =
    QStringLiteral("stopped before the factory reset: the adapter keeps its settings");
const QString kAtSsid = QStringLiteral("stopped at step 5 of 10 (AT+IWLSI): the adapter is left "
                                       "half-programmed and must be configured again");
const QString kSaved = QStringLiteral("Settings saved on wireless product");

} // namespace

class TestCliStop : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // The probe goes out at 2.0 s, the reset at 3.2 s, the SSID at 6.8 s (answer read at 8.0 s).
    void stop_data() {
        QTest::addColumn<int>("ports");
        QTest::addColumn<QList<int>>("atMs");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("silent");   // the port whose adapter never answers, or -1
        QTest::addColumn<int>("commands"); // of the ten a WPA2 access point gets
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("code");
        for (const int n : {1, 4}) {
            QTest::addRow("%d port(s), SIGINT before the reset", n)
                << n << QList<int>{2500} << SIGINT << -1 << 1 << kUnchanged
                << QStringList{kUnchanged} << 130;
            QTest::addRow("%d port(s), SIGTERM after the reset", n)
                << n << QList<int>{3500} << SIGTERM << -1 << 10 << "ok"
                << QStringList{kFinishing, kSaved} << 143;
            QTest::addRow("%d port(s), a second SIGINT", n)
                << n << QList<int>{3500, 7500} << SIGINT << -1 << 5 << kAtSsid
                << QStringList{kFinishing, kAtSsid} << 130;
        }
        QTest::newRow("4 ports, SIGTERM while one is still opening")
            << 4 << QList<int>{5000} << SIGTERM << 2 << 10 << "ok"
            << QStringList{kFinishing, kSaved} << 143;
        QTest::newRow("1 port, SIGHUP before it is opened")
            << 1 << QList<int>{0} << SIGHUP << -1 << 0 << kUnchanged << QStringList{kUnchanged}
            << 129;
    }
    void stop() {
        QFETCH(int, ports);
        QFETCH(int, silent);
        QFETCH(int, commands);
        QFETCH(QString, result);
        QFETCH(QStringList, messages);
        QStringList args = QString("configure --ssid office --access-point --security WPA2 "
                                   "--channel 6")
                               .split(' ');
        for (int i = 0; i < ports; ++i)
            args << "--port" << QStringLiteral("/dev/ttyACM%1").arg(i);
        QFETCH(QList<int>, atMs);
        QFETCH(int, signal);
        Run r(args, atMs, signal, silent, m_dir);
        const ParseResult& parsed = r.parsed;
        Fleet::Shared& fleet = r.fleet;
        const int code = r.code;

        const QList<QByteArray> all{
            "AT+IBDRF?\r",       "AT+IFD\r",     "AT+IHIF=4\r",  "AT+IBDRF=9\r",
            "AT+IWLSI=office\r", "AT+IWST0=4\r", "AT+IWLCH=6\r", "AT+IWPP0=passphrase1\r",
            "AT+IBRM=2\r",       "AT+IDOWN\r"};
        const QStringList log = fakes::logLines(fakes::readFile(m_dir.filePath("log")));
        QString wantOut;
        QStringList wantErr;
        for (const QString& port : parsed.options.ports) {
            const bool quiet = port == fleet.silent; // its second probe was stopped
            const auto& model = fleet.adapters[port];
            QCOMPARE(model ? model->transcript() : QList<QByteArray>(),
                     all.mid(0, quiet ? 1 : commands));
            wantOut += port + ": " + (quiet ? kUnchanged : result) + '\n';
            for (const QString& m : quiet ? QStringList{kUnchanged} : messages) {
                // One port's own message comes without its name, a stop's always with it.
                wantErr << (ports == 1 && m == kSaved ? m : port + ": " + m);
                QVERIFY(m == kSaved ||
                        log.contains(StopSignals::name(signal) + ": " + port + ": " + m));
            }
        }
        QCOMPARE(r.out, wantOut);
        QStringList errLines = r.err.split(u'\n', Qt::SkipEmptyParts);
        errLines.sort();
        wantErr.sort();
        QCOMPARE(errLines, wantErr);
        QCOMPARE(fleet.leftOpen, QStringList());
        QTEST(code, "code");
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
        Run r({command, "--port", "/dev/ttyACM0", "--json"}, {atMs}, SIGINT, -1, m_dir);
        QCOMPARE(r.code, 130);
        QTEST(QString::fromUtf8(
                  QJsonDocument::fromJson(r.out.toUtf8()).toJson(QJsonDocument::Compact)),
              "json");
        const QString stopped = "/dev/ttyACM0: stopped: nothing was changed on the adapter";
        QCOMPARE(r.err, stopped + '\n');
        QVERIFY(fakes::readFile(m_dir.filePath("log")).contains("SIGINT: " + stopped.toUtf8()));
        QCOMPARE(r.fleet.leftOpen, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCliStop)
#include "test_cli_stop.moc"
