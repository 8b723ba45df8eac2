// velinor-cli asked to stop (Ctrl+C, SIGTERM) while it configures one or four simulated adapters
// in virtual time: before the factory reset the adapter is left alone, after it the programming is
// finished, a second request stops at once and names the step. The requests come at fixed
// moments of each adapter's own clock, so every run is the same.
#include "base/stop_signals.h"
#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "cli/console_output.h"
#include "fakes.h"

#include <QTest>

#include <csignal>
#include <list>
#include <map>
#include <mutex>

using namespace velinor;
using namespace velinor::cli;

namespace {

// The clock of the work on this thread: the last one made here, while it lives.
thread_local ManualClock* t_clock = nullptr;

class ThreadClock : public ManualClock {
public:
    ThreadClock() { t_clock = this; }
    ~ThreadClock() override {
        if (t_clock == this)
            t_clock = nullptr;
    }
};

// An adapter per port name, made when the port is opened, on the clock of the thread.
struct Fleet {
    std::mutex mutex;
    QStringList silentProbe; // ports whose adapter never answers the probe
    std::map<QString, std::unique_ptr<AdapterModel>> adapters;
    QStringList leftOpen;

    AdapterModel& adapter(const QString& name, const Clock& clock) {
        const std::lock_guard lock(mutex);
        auto& model = adapters[name];
        if (!model) {
            model = std::make_unique<AdapterModel>(clock);
            if (silentProbe.contains(name))
                model->setFault("AT+IBDRF", AdapterModel::Fault::Silent);
        }
        return *model;
    }
    QList<QByteArray> transcript(const QString& name) {
        const std::lock_guard lock(mutex);
        return adapters.count(name) ? adapters[name]->transcript() : QList<QByteArray>();
    }
};

class FleetPort : public SerialPort {
public:
    FleetPort(Fleet& fleet, ManualClock& clock) : m_fleet(fleet), m_clock(clock) {}
    ~FleetPort() override {
        if (m_sim && m_sim->isOpen()) {
            const std::lock_guard lock(m_fleet.mutex);
            m_fleet.leftOpen << m_sim->deviceName();
        }
    }
    OpenStatus open(const QString& name) override {
        if (!m_sim)
            m_sim = std::make_unique<SimSerialPort>(m_fleet.adapter(name, m_clock), m_clock, name);
        return m_sim->open(name);
    }
    void close() override {
        if (m_sim)
            m_sim->close();
    }
    bool isOpen() const override { return m_sim && m_sim->isOpen(); }
    qint64 write(const QByteArray& data, int timeoutMs) override {
        return m_sim->write(data, timeoutMs);
    }
    QByteArray read(qint64 maxBytes, int timeoutMs) override {
        return m_sim->read(maxBytes, timeoutMs);
    }
    void discardInput() override { m_sim->discardInput(); }
    bool readLineSettings(LineSettings& s) override { return m_sim->readLineSettings(s); }
    bool writeLineSettings(const LineSettings& s) override { return m_sim->writeLineSettings(s); }
    int lastError() const override { return m_sim ? m_sim->lastError() : 0; }
    void clearError() override {
        if (m_sim)
            m_sim->clearError();
    }

private:
    Fleet& m_fleet;
    ManualClock& m_clock;
    std::unique_ptr<SimSerialPort> m_sim;
};

// Stopping asked for at these moments of each adapter's clock. Asked from a thread without
// an adapter (the one that waits for the others), it tells the most any adapter was told.
class ScheduledStop : public StopRequest {
public:
    ScheduledStop(QList<int> atMs, int signal) : m_atMs(std::move(atMs)), m_signal(signal) {}
    const ManualClock* overall = nullptr;
    int level() const override {
        if (!t_clock || t_clock == overall)
            return m_most;
        int level = 0;
        for (const int at : m_atMs)
            level += t_clock->elapsedMs() >= at;
        m_most = std::max(m_most.load(), level);
        return level;
    }
    int signal() const override { return m_signal; }

private:
    QList<int> m_atMs;
    int m_signal;
    mutable std::atomic<int> m_most{0};
};

QString received(FILE* file) {
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, qsizetype(n));
    return QString::fromUtf8(bytes);
}

// Every command of a WPA2 access point, from the probe; "<n" the first n of them.
QList<QByteArray> sequence(int count = 10) {
    const QList<QByteArray> all{"AT+IBDRF?\r",        "AT+IFD\r",       "AT+IHIF=4\r",
                                "AT+IBDRF=9\r",       "AT+IWLSI=office\r", "AT+IWST0=4\r",
                                "AT+IWLCH=6\r",       "AT+IWPP0=passphrase1\r", "AT+IBRM=2\r",
                                "AT+IDOWN\r"};
    return all.mid(0, count);
}

const QString kFinishing = QStringLiteral(
    "already reset to factory defaults: its programming is being finished, so that it is not "
    "left unconfigured (a second Ctrl+C stops at once)");
const QString kUnchanged =
    QStringLiteral("stopped before the factory reset: the adapter keeps its settings");
const QString kAtLsi = QStringLiteral("stopped at step 5 of 10 (AT+IWLSI): the adapter is left "
                                      "half-programmed and must be configured again");

} // namespace

class TestCliStop : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // Ports, the moments of the requests (ms on each adapter's clock), the signal, the ports
    // whose adapter does not answer; then per port: the commands it received, its result line,
    // the messages on standard error; and the exit code.
    void stop_data() {
        QTest::addColumn<int>("ports");
        QTest::addColumn<QList<int>>("atMs");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("silent"); // index of a port that never answers, or -1
        QTest::addColumn<int>("commands"); // commands each answering adapter received
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("code");
        for (const int ports : {1, 4}) {
            const QByteArray n = QByteArray::number(ports);
            // While the probe waits for its answer (2.0 s to 3.2 s): the factory reset is
            // never sent.
            QTest::newRow(n + " port(s), SIGINT before the reset")
                << ports << QList<int>{2500} << SIGINT << -1 << 1 << kUnchanged
                << QStringList{kUnchanged} << 130;
            // Right after the reset (3.2 s): the whole sequence, told on standard error.
            QTest::newRow(n + " port(s), SIGTERM after the reset")
                << ports << QList<int>{3500} << SIGTERM << -1 << 10 << "ok"
                << QStringList{kFinishing, "Settings saved on wireless product"} << 143;
            // The second request while the SSID waits for its answer (6.8 s to 8.0 s).
            QTest::newRow(n + " port(s), a second SIGINT")
                << ports << QList<int>{3500, 7500} << SIGINT << -1 << 5 << kAtLsi
                << QStringList{kFinishing, kAtLsi} << 130;
        }
        QTest::newRow("4 ports, SIGTERM while one is still opening")
            << 4 << QList<int>{5000} << SIGTERM << 2 << 10 << "ok"
            << QStringList{kFinishing, "Settings saved on wireless product"} << 143;
        QTest::newRow("1 port, SIGHUP before the port is opened")
            << 1 << QList<int>{0} << SIGHUP << -1 << 0 << kUnchanged << QStringList{kUnchanged}
            << 129;
    }
    void stop() {
        QFETCH(int, ports);
        QFETCH(QList<int>, atMs);
        QFETCH(int, signal);
        QFETCH(int, silent);
        QFETCH(int, commands);
        QFETCH(QString, result);
        QFETCH(QStringList, messages);

        QStringList names;
        for (int i = 0; i < ports; ++i)
            names << QStringLiteral("/dev/ttyACM%1").arg(i);
        QStringList args{"configure", "--ssid",    "office", "--access-point", "--security",
                         "WPA2",      "--channel", "6",      "--lang",         "en",
                         "--quiet",   "--log",     m_dir.filePath("log.txt")};
        for (const QString& name : names)
            args << "--port" << name;
        const ParseResult parsed = ParseArguments(args, QString());
        QCOMPARE(parsed.error, QString());
        QFile::remove(m_dir.filePath("log.txt"));

        Fleet fleet;
        if (silent >= 0)
            fleet.silentProbe << names[silent];
        ScheduledStop stop(atMs, signal);
        std::mutex mutex;
        auto makeClock = [&]() -> std::unique_ptr<Clock> {
            auto clock = std::make_unique<ThreadClock>();
            const std::lock_guard lock(mutex);
            if (!stop.overall)
                stop.overall = clock.get(); // the checks' clock, before any port
            return clock;
        };
        fakes::FakePortEnumerator enumerator;
        const std::unique_ptr<FILE, int (*)(FILE*)> out(std::tmpfile(), std::fclose),
            errors(std::tmpfile(), std::fclose);
        ConsoleOutput console(out.get(), errors.get(), false, false);
        Environment env{enumerator,
                        [&] { return std::make_unique<FleetPort>(fleet, *t_clock); },
                        makeClock,
                        m_dir.filePath("sys"),
                        console,
                        &stop};
        const int code = RunCommand(parsed.options, "passphrase1", QString(), env);

        QString wantOut;
        QStringList wantErr, wantLog;
        const QString saved = QStringLiteral("Settings saved on wireless product");
        for (int i = 0; i < ports; ++i) {
            const bool isSilent = i == silent;
            // The silent adapter got its first probe; the second attempt was stopped.
            QCOMPARE(fleet.transcript(names[i]), isSilent ? sequence(1) : sequence(commands));
            wantOut += names[i] + QStringLiteral(": ") + (isSilent ? kUnchanged : result) + '\n';
            for (const QString& m : isSilent ? QStringList{kUnchanged} : messages) {
                // A single port's own messages come without its name, the stop's with it.
                wantErr << (ports == 1 && m == saved ? m : names[i] + ": " + m);
                if (m != saved)
                    wantLog << StopSignals::name(signal) + ": " + names[i] + ": " + m;
            }
        }
        QCOMPARE(received(out.get()), wantOut);
        QStringList errLines = received(errors.get()).split(u'\n', Qt::SkipEmptyParts);
        errLines.sort();
        wantErr.sort();
        QCOMPARE(errLines, wantErr);
        QCOMPARE(fleet.leftOpen, QStringList());
        QTEST(code, "code");
        // The log holds each stop with its signal and port.
        const QStringList log = fakes::logLines(fakes::readFile(m_dir.filePath("log.txt")));
        for (const QString& line : wantLog)
            QVERIFY2(log.contains(line), qPrintable(line + " not in:\n" + log.join('\n')));

    }
};

QTEST_GUILESS_MAIN(TestCliStop)
#include "test_cli_stop.moc"
