// velinor-cli's commands from the command line to the exit code, the output, the log and the
// adapters' settings, on simulated adapters in virtual time (each made on the clock of the thread
// that opens its port); secrets from fake files, stdin and terminal; stops at fixed moments.
#include "base/stop_signals.h"
#include "cli/cli_runner.h"
#include "cli/console_output.h"
#include "cli/headless_form.h"
#include "cli/secrets.h"
#include "fakes.h"

#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace velinor;
using namespace velinor::cli;

namespace {

using Settings = QMap<QByteArray, QByteArray>;

thread_local ManualClock* t_clock = nullptr; // of the port's work on this thread
struct ThreadClock : ManualClock {
    ThreadClock() { t_clock = this; }
    ~ThreadClock() override { t_clock = t_clock == this ? nullptr : t_clock; }
};

struct Adapter {
    Settings stored = {};            // before
    QList<QByteArray> networks = {}; // that its scan finds
    QByteArray refused = {};         // the command it answers with I/ERROR
    QByteArray unanswered = {};      // the command it never answers
};

class FakeSecretInput : public SecretInput {
public:
    QString typed;            // null: standard input is no terminal; else what the user types there
    bool interrupted = false; // a signal ends the question
    bool stdinIsTerminal() const override { return !typed.isNull(); }
    bool readStdinLine(QString& line) override {
        line = FirstLine("0123456789abcdef0123456789\r\nmore");
        return true;
    }
    // The user answers the two questions velinor-cli asks; any other gets an empty answer.
    bool askHidden(const QString& question, QString& answer) override {
        answer = question == "Key: " || question == "Password: " ? typed : QString();
        return !interrupted;
    }
    bool readFileLine(const QString& path, QString& line, QString& error) override {
        static const QHash<QString, QByteArray> files = {{"/wep", "0123456789\n"},
                                                         {"/wpa", "passphrase1\r\nsecond"},
                                                         {"/pw", "secret\n"},
                                                         {"/blank", "\npassphrase1"}};
        error = path + QStringLiteral(": No such file or directory");
        line = FirstLine(files.value(path));
        return files.contains(path);
    }
};

QString sortedLines(const QString& text) {
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines.join(u'\n');
}

struct CliBench {
    std::map<QString, Adapter> present; // the ports that exist, with their adapters
    std::mutex mutex;
    std::map<QString, std::unique_ptr<AdapterModel>> adapters; // of the ports opened
    QStringList leftOpen;                                      // ports still open after the work
    QString out, err; // the JSON compacted; the lines of err sorted
    QTemporaryDir dir;
    const QString log = dir.filePath("log"); // removed before each run

    // A port that becomes its adapter's port when it is opened.
    struct Port : SerialPort {
        explicit Port(CliBench& b) : bench(b) {}
        ~Port() override {
            const std::lock_guard lock(bench.mutex);
            if (isOpen())
                bench.leftOpen << sim->deviceName();
        }
        OpenStatus open(const QString& name) override {
            const std::lock_guard lock(bench.mutex);
            const auto found = bench.present.find(name);
            auto& model = bench.adapters[name];
            const Adapter a = found == bench.present.end() || model ? Adapter() : found->second;
            model = model ? std::move(model) : std::make_unique<AdapterModel>(*t_clock);
            for (auto [setting, value] : a.stored.asKeyValueRange())
                model->setStored(setting, value);
            if (!a.networks.isEmpty())
                model->setNetworks(a.networks);
            if (!a.refused.isEmpty())
                model->setFault(a.refused, AdapterModel::Fault::Error);
            if (!a.unanswered.isEmpty())
                model->setFault(a.unanswered, AdapterModel::Fault::Silent);
            sim = std::make_unique<SimSerialPort>(*model, *t_clock,
                                                  found == bench.present.end() ? QString() : name);
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
        CliBench& bench;
        std::unique_ptr<SimSerialPort> sim;
    };

    static QString received(FILE* file) {
        std::rewind(file);
        QFile read;
        return read.open(file, QIODevice::ReadOnly) ? QString::fromUtf8(read.readAll()) : QString();
    }

    // velinor-cli on this command line (-q: --quiet), in English unless --lang says otherwise;
    // the exit code. typed: what the user types at the terminal (null: stdin is no terminal);
    // interrupted: the stop comes at that question, as velinor-cli's main() then reports it.
    int run(const QString& commandLine, const StopRequest* stop = nullptr,
            const QString& typed = {}, bool errIsTerminal = false, bool interrupted = false) {
        adapters.clear();
        leftOpen.clear();
        QFile::remove(log);
        QStringList args = commandLine.split(u' ');
        args.replaceInStrings(QRegularExpression("^-q$"), "--quiet");
        const ParseResult parsed = ParseArguments(args, QStringLiteral("en_GB.UTF-8"));
        [&] { QCOMPARE(parsed.error, QString()); }();
        FakeSecretInput input;
        input.typed = typed;
        input.interrupted = interrupted;
        QString key = "stale", password = "stale", error;
        const bool asked = ReadSecrets(parsed.options, input, key, password, error);
        [&] { QCOMPARE(asked, !interrupted); }();
        fakes::FakePortEnumerator ports;
        ports.addAdapter("/dev/ttyACM10");
        ports.addPlain("/dev/ttyS0");
        ports.addAdapter("/dev/ttyACM2");
        ports.addUsb("/dev/ttyUSB0", 0x0403, 0x6001);
        const std::unique_ptr<FILE, int (*)(FILE*)> o(std::tmpfile(), std::fclose),
            e(std::tmpfile(), std::fclose);
        ConsoleOutput console(o.get(), e.get(), errIsTerminal, !parsed.options.quiet);
        std::atomic<int> clocks{0};
        // The first clock of configure is that of the checks, on no port.
        auto makeClock = [&]() -> std::unique_ptr<Clock> {
            if (clocks++ == 0 && parsed.options.command == Command::Configure)
                return std::make_unique<ManualClock>();
            return std::make_unique<ThreadClock>();
        };
        Environment env{ports,     [this] { return std::make_unique<Port>(*this); },
                        makeClock, dir.filePath("sys"),
                        console,   stop};
        const int code = asked ? RunCommand(parsed.options, key, password, env)
                               : StoppedAtQuestion(parsed.options, env);
        out = received(o.get());
        if (out.startsWith(u'{'))
            out = QJsonDocument::fromJson(out.toUtf8()).toJson(QJsonDocument::Compact);
        err = sortedLines(received(e.get()));
        return code;
    }
};

// A run of velinor-cli on the adapter on "P": what it meets and what it must give.
struct Run {
    Adapter adapter = {};
    Settings running = {}; // the adapter's afterwards, of these names
    QString typed = {};    // at the terminal; null: standard input is no terminal
    bool errIsTerminal = false;
    QStringList log = {}; // the --log file's records without time stamps; empty: not compared
    // An absent port restarts the adapters' USB devices ("authorized" written 0, then 1), but
    // not while other ports are being programmed: it would cut them off.
    bool usbRestarted = false;
    QList<int> sigintAtMs = {};    // the moments of the adapter's clock at which SIGINT comes
    bool sigintAtQuestion = false; // a SIGINT before any port's work ends the key question
    QString args = {}; // starting with an option: run as "configure --port P --ssid office ..."
    int code = kExitOk;
    QString out = {}, err = {};
};

// Stopping asked for at these moments of each adapter's clock; asked off a port's thread, the
// most that any port was told (a request at moment 0 has come before any port's work).
struct ScheduledStop : StopRequest {
    ScheduledStop(const QList<int>& at, int s) : atMs(at), sig(s), most(int(at.count(0))) {}
    QList<int> atMs;
    int sig;
    mutable std::atomic<int> most;
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
enum class Answer { Types, CtrlC, TerminalGone, Unreadable }; // at the key question on a terminal

const QString kConfigure =
    "configure --ssid office --access-point --security WPA2 --channel 6 --key-file /wpa -q";

} // namespace

Q_DECLARE_METATYPE(Run)
Q_DECLARE_METATYPE(Answer)

class TestCliCommands : public QObject {
    Q_OBJECT
    CliBench m_bench;
    const QString m_usb = m_bench.dir.filePath("sys/bus/usb/devices/1-2/");

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
    void initTestCase() {
        QVERIFY(fakes::writeFile(m_bench.dir.filePath("ca.pem"),
                                 "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n"));
        // A USB device of the adapter's type, which a restart would switch off and on.
        QVERIFY(QDir().mkpath(m_usb));
        QVERIFY(fakes::writeFile(m_usb + "idVendor", "7c5e\n"));
        QVERIFY(fakes::writeFile(m_usb + "idProduct", "0003\n"));
    }

    void run_data() {
        QTest::addColumn<Run>("run");
        // Arguments, exit code, standard output, standard error (in any line order), the rest.
        auto row = [](const char* name, const QString& args, int code, const QString& out,
                      const QString& err, Run run = {}) {
            run.args = args;
            run.code = code;
            run.out = out;
            run.err = err;
            QTest::newRow(name) << run;
        };
        const QString ok = "P: ok\n", saved = "Settings saved on wireless product\n";
        const QString ca = m_bench.dir.filePath("ca.pem");
        row("NONE access point on channel 6", "-q --access-point --security NONE --channel 6",
            kExitOk, ok, saved, {.running = {{"WLSI", "office"}, {"WST0", "0"}, {"WLCH", "6"}}});
        // The configuration record holds the key, never the enterprise password.
        row("German: WEP ad hoc, key file: the SSID gets the ad hoc mark",
            "-q --ad-hoc --security WEP --channel=1 --key-file /wep --lang de", kExitOk, ok,
            "Einstellungen wurden auf dem WLAN-Produkt gespeichert",
            {.running = {{"WLSI", "!office"}, {"WST0", "1"}, {"WLCH", "1"}, {"WKY0", "0123456789"}},
             .log = {"* Konfigurieren *", "Sprache: Deutsch", "Schnittstelle: P", "SSID: office",
                     "Verschlüsselung: WEP", "Kanal: 1", "Schlüssel: 0123456789",
                     "Zugriffsverfahren: Ad Hoc", "Konfiguration erfolgreich"}});
        row("--key-stdin on a terminal asks; access point without channel",
            "-q --access-point --security WPA --key-stdin", kExitOk, ok,
            "Channel invalid\n" + saved,
            {.running = {{"WST0", "3"}, {"WLCH", ""}, {"WPP0", "typed-key"}},
             .typed = "typed-key"});
        row("no key named: asked at the terminal", "-q --access-point --security WPA --channel 3",
            kExitOk, ok, saved,
            {.running = {{"WST0", "3"}, {"WPP0", "typed-key"}}, .typed = "typed-key"});
        row("WPA-ENTERPRISE: domain\\user",
            "-q --access-point --security WPA-ENTERPRISE --user anna --domain corp --password-file "
            "/pw --certificate " +
                ca + " --channel 6",
            kExitOk, ok, saved,
            {.running = {{"WST0", "5"}, {"EUSN", "corp\\anna"}},
             .log = {"* Configuration *", "Language: English", "Port: P", "SSID: office",
                     "Encryption: WPA-ENTERPRISE", "Channel: 6", "Key: # no key input #",
                     "Access type: Access Point", "Configuration successful"}});
        const QString wpa2Enterprise =
            "-q --access-point --security WPA2-ENTERPRISE --user anna --channel 6 --certificate " +
            ca;
        const QString atQuestion = "stopped at the question for the key or password: no adapter "
                                   "was touched";
        row("Ctrl+C at the key question: no adapter touched", "--access-point --security WPA", 130,
            "", atQuestion,
            {.typed = "", .log = {"SIGINT: " + atQuestion}, .sigintAtQuestion = true});
        row("WPA2-ENTERPRISE, password from stdin", wpa2Enterprise + " --password-stdin", kExitOk,
            ok, saved, {.running = {{"WST0", "6"}, {"EUSN", "anna"}}});
        row("WPA2-ENTERPRISE, no password and no terminal: refused", wpa2Enterprise, kExitRefused,
            "", "Password is empty");
        row("WPA2-ENTERPRISE, password asked at the terminal", wpa2Enterprise, kExitOk, ok, saved,
            {.running = {{"WST0", "6"}, {"EUSN", "anna"}}, .typed = "typed"});
        const QString goneCertificate = "-q --access-point --security WPA-ENTERPRISE --user anna "
                                        "--password-file /pw --certificate /gone --channel 6";
        row("unreadable certificate", goneCertificate, kExitRefused, "",
            "/gone: cannot be read\nNo valid certificate detected");
        row("German: unreadable certificate", goneCertificate + " --lang de", kExitRefused, "",
            "/gone: nicht lesbar\nEs wurde kein gültiges Zertifikat ausgewählt");
        row("key file with an empty first line: refused",
            "-q --access-point --security WPA2 --channel 6 --key-file /blank", kExitRefused, "",
            "A WPA key must have 8-63 characters");
        row("SSID over 32 bytes: refused by the form",
            "configure --port P --ssid " + QString(33, u's') + " -q --access-point --security NONE",
            kExitRefused, "", "Please enter no more than 32 bytes (UTF-8; ä takes two).");
        row("progress bar on a terminal, cleared for a message",
            "--access-point --security NONE --channel 6", kExitRefused,
            "P: Error occurred while set channel\n",
            "\rP [                    ]   0%  \rP [##                  ]  11%  "
            "\rP [####                ]  22%  \rP [######              ]  33%  "
            "\rP [########            ]  44%  \rP [###########         ]  55%  "
            "\rP [#############       ]  66%  \rP [###############     ]  77%  "
            "\r\033[KError occurred while set channel\n\rP [###############     ]  77%  \r\033[K",
            {.adapter = {.unanswered = "AT+IWLCH"}, .errIsTerminal = true});
        const QString twoPorts =
            "configure --port /dev/gone --port P --ssid x --ad-hoc --security NONE --channel 1";
        const QStringList adHocNone{"SSID: x", "Encryption: NONE", "Channel: 1",
                                    "Key: # no key input #", "Access type: Ad Hoc"};
        row("two ports --json, the first absent: lines and records name their port, each port's "
            "records in one piece",
            twoPorts + " --json", kExitNoPort,
            R"({"ports":[{"code":3,"message":"Error occured on /dev/gone","port":"/dev/gone",)"
            R"("result":"failed"},{"code":0,"message":"","port":"P","result":"ok"}]})",
            "P: 0/9\nP: 1/9\nP: 2/9\nP: 3/9\nP: 4/9\nP: 5/9\nP: 6/9\nP: 7/9\nP: 8/9\nP: 9/9\n"
            "P: Settings saved on wireless product\n/dev/gone: 0/9\n"
            "/dev/gone: Error occured on /dev/gone",
            {.log = QStringList{"* Configuration *", "Language: English", "Port: /dev/gone"} +
                    adHocNone +
                    QStringList(5, "/dev/gone : Restart of the wireless product needed") +
                    QStringList{"* Configuration *", "Language: English", "Port: P"} + adHocNone +
                    QStringList{"Configuration successful"}});
        row("configure --json, refused by the adapter",
            "-q --json --access-point --security NONE --channel 6", kExitRefused,
            R"({"ports":[{"code":1,"message":"Error occurred while set SSID","port":"P",)"
            R"("result":"failed"}]})",
            "Error occurred while set SSID", {.adapter = {.refused = "AT+IWLSI"}});
        // The system reports /dev/ttyACM10, /dev/ttyS0, /dev/ttyACM2, /dev/ttyUSB0.
        row("ports: the adapters' ports in number order", "ports", kExitOk,
            "/dev/ttyACM2\n/dev/ttyACM10\n", "");
        row("ports --json", "ports --json", kExitOk,
            R"({"ports":[{"port":"/dev/ttyACM2","usbId":"7c5e:0003"},)"
            R"({"port":"/dev/ttyACM10","usbId":"7c5e:0003"}]})",
            "");
        row("ports --all: every port, with its USB id where known", "ports --all", kExitOk,
            "/dev/ttyACM2 7c5e:0003\n/dev/ttyACM10 7c5e:0003\n/dev/ttyS0\n/dev/ttyUSB0 0403:6001\n",
            "");
        row("ports --all --json", "ports --all --json", kExitOk,
            R"({"ports":[{"port":"/dev/ttyACM2","usbId":"7c5e:0003"},{"port":"/dev/ttyACM10",)"
            R"("usbId":"7c5e:0003"},{"port":"/dev/ttyS0","usbId":null},{"port":"/dev/ttyUSB0",)"
            R"("usbId":"0403:6001"}]})",
            "");
        row("readout, and its record", "readout --port P -q", kExitOk,
            "SSID: lab\nEncryption: WEP\nChannel: 11\nAccess type: Ad Hoc\n", "",
            {.adapter = {.stored = {{"WLSI", "!lab"}, {"WST0", "1"}, {"WLCH", "11"}}},
             .log = {"* Read out: *", "SSID: lab", "Encryption: WEP", "Channel: 11",
                     "Access type: Ad Hoc"}});
        row("German: readout of an adapter as it comes (NONE is security type 0)",
            "readout --port P -q --lang de", kExitOk,
            "SSID: velinor\nVerschlüsselung: NONE\nKanal: 0\nZugriffsverfahren: Access Point\n",
            "");
        row("readout on a terminal: the bar cleared at its end", "readout --port P", kExitOk,
            "SSID: velinor\nEncryption: NONE\nChannel: 0\nAccess type: Access Point\n",
            "\rP [                    ]   0%  \rP [####                ]  20%  "
            "\rP [########            ]  40%  \rP [############        ]  60%  "
            "\rP [################    ]  80%  \rP [####################] 100%  \r\033[K",
            {.errIsTerminal = true});
        row("readout --json with progress, channel unanswered: null, refused",
            "readout --port P --json", kExitRefused,
            R"({"accessType":"access-point","channel":null,"port":"P","security":"NONE",)"
            R"("ssid":"velinor"})",
            "P: 0/5\nP: 1/5\nP: 2/5\nP: 3/5\nP: 4/5\nP: 5/5",
            {.adapter = {.unanswered = "AT+IWLCH"}});
        // A read-out or a scan stops at the first request: the port closed, one JSON document
        // that says so, the message, the exit code of the signal.
        const QString readoutStopped = R"({"accessType":null,"channel":null,"port":"P",)"
                                       R"("security":null,"ssid":null,"stopped":"SIGINT"})";
        const QString stopped = "P: stopped: nothing was changed on the adapter";
        row("readout stopped while the port is probed", "readout --port P --json -q", 130,
            readoutStopped, stopped, {.log = {"SIGINT: " + stopped}, .sigintAtMs = {2500}});
        const QString atRestart = "P: stopped at step 9 of 9 (AT+IDOWN): the adapter is left "
                                  "half-programmed and must be configured again";
        row("NONE: a second SIGINT at the restart stops, not taken for configured",
            "-q --access-point --security NONE --channel 6", 130, atRestart + "\n",
            "P: " + kFinishing + "\n" + atRestart, {.sigintAtMs = {3500, 13000}});
        row("scan stopped while it waits", "scan --port P --json -q", 130,
            R"({"networks":[],"port":"P","stopped":"SIGINT"})", stopped,
            {.log = {"SIGINT: " + stopped}, .sigintAtMs = {6000}});
        row("German: readout, port absent: the USB devices restarted",
            "readout --port /dev/gone -q --lang de", kExitNoPort, "",
            "Fehler beim Öffnen von /dev/gone",
            {.log = QStringList(5, "/dev/gone : Neustart des WLAN-Produkts erforderlich"),
             .usbRestarted = true});
        const Run farThenNear{.adapter = {.networks = {"far,AP,00:1A:2B:3C:4D:01,WPA2_ENT,6,80",
                                                       "near,ADHOC,02:11:22:33:44:55,WEP,11,40"}}};
        const QString networks = "near\tAd-hoc\t02:11:22:33:44:55\t11\tWEP\t40\n"
                                 "far\tAccess Point\t00:1A:2B:3C:4D:01\t6\tWPA2-ENTERPRISE\t80\n";
        row("scan: lowest damping first", "scan --port P -q", kExitOk,
            "SSID\tAccess\tMAC-Address\tChannel\tEncryption\tDamping\n" + networks, "",
            farThenNear);
        row("German: scan", "scan --port P -q --lang de", kExitOk,
            "SSID\tZugang\tMAC-Adresse\tKanal\tVerschlüsselung\tDämpfung\n" + networks, "",
            farThenNear);
        row("scan --json", "scan --port P --json", kExitOk,
            R"({"networks":[{"accessType":"ad-hoc","channel":11,"damping":40,"mac":)"
            R"("02:11:22:33:44:55","security":"WEP","ssid":"near"},{"accessType":)"
            R"("access-point","channel":6,"damping":80,"mac":"00:1A:2B:3C:4D:01","security":)"
            R"("WPA2-ENTERPRISE","ssid":"far"}],"port":"P"})",
            "P: 1/20\nP: 2/20", farThenNear);
        row("scan refused by the adapter", "scan --port P", kExitRefused, "",
            "Error occured during wireless network scan\nP: 1/20\nP: 2/20",
            {.adapter = {.refused = "AT+IRP20"}});
    }
    void run() {
        QFETCH(Run, run);
        if (run.args.startsWith(u'-'))
            run.args = "configure --port P --ssid office " + run.args;
        m_bench.present = {{"P", run.adapter}};
        QVERIFY(fakes::writeFile(m_usb + "authorized", "-"));
        const ScheduledStop stop(run.sigintAtQuestion ? QList<int>{0} : run.sigintAtMs, SIGINT);
        const bool stopping = run.sigintAtQuestion || !run.sigintAtMs.isEmpty();
        const int code = m_bench.run(run.args + " --log " + m_bench.log, stopping ? &stop : nullptr,
                                     run.typed, run.errIsTerminal, run.sigintAtQuestion);
        QCOMPARE(code, run.code);
        QVERIFY(!run.sigintAtQuestion || m_bench.adapters.empty());
        QCOMPARE(m_bench.leftOpen, QStringList());
        QCOMPARE(m_bench.out, run.out);
        QCOMPARE(m_bench.err, sortedLines(run.err));
        Settings running;
        for (const QByteArray& name : run.running.keys())
            running[name] = m_bench.adapters["P"]->running(name);
        QCOMPARE(running, run.running);
        if (!run.log.isEmpty())
            QCOMPARE(fakes::logLines(fakes::readFile(m_bench.log)), run.log);
        QCOMPARE(fakes::readFile(m_usb + "authorized"), run.usbRestarted ? "1" : "-");
    }

    // Wrong usage and unreadable secrets: arguments => error; C starts a configure.
    void usage_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("error");
        for (const char* row : {
                 " => no command given",
                 "flash => unknown command \"flash\"",
                 "ports --fast => unknown option --fast",
                 "ports --f=1 => unknown option --f",
                 "ports --=1 => unknown option --=1",
                 "ports extra => unexpected argument \"extra\"",
                 "scan --port a --port b => give one --port",
                 "scan --port a --all => --all does not go with scan",
                 "ports --lang fr => --lang takes de or en",
                 "C --all => --all does not go with configure",
                 "C --ad-hoc --security WPA-ENTERPRISE --password-stdin --password-file /pw => "
                 "give the password once: --password-file or --password-stdin",
                 "C --password-file /pw --password-stdin => give the password once: "
                 "--password-file or --password-stdin",
                 "configure --ssid x --ad-hoc --security NONE => give at least one --port",
                 "C --port /dev/x => port /dev/x given twice",
                 "configure --port= --ssid x => --port is empty",
                 "configure --port a --ad-hoc => --ssid is missing",
                 "C --ssid= --ad-hoc => --ssid given twice",
                 "C --security NONE => give either --access-point or --ad-hoc",
                 "C --ad-hoc => --security is missing",
                 "C --ad-hoc --security => --security needs a value",
                 "C --ad-hoc=1 => --ad-hoc takes no value",
                 "C --ad-hoc --security NONE --security WPA => --security given twice",
                 "C --ad-hoc --security WPA3 => unknown security type \"WPA3\"",
                 "C --ad-hoc --security NONE --key-stdin => NONE takes no key",
                 "C --ad-hoc --security WPA --key-stdin --key-file /wpa => give the key once: "
                 "--key-file or --key-stdin",
                 "C --ad-hoc --security WPA2 --password-stdin => --user, --domain, "
                 "--password-file, --password-stdin and --certificate belong to WPA-ENTERPRISE "
                 "and WPA2-ENTERPRISE",
                 "C --ad-hoc --security WPA-ENTERPRISE --password-file /gone => /gone: No such "
                 "file or directory",
             }) {
            const QStringList parts = QString::fromUtf8(row).split(QStringLiteral(" => "));
            QTest::newRow(row) << parts[0] << parts[1];
        }
    }
    void usage() {
        QFETCH(QString, args);
        args.replace(QRegularExpression(QStringLiteral("^C ")),
                     QStringLiteral("configure --port /dev/x --ssid s "));
        ParseResult parsed = ParseArguments(args.split(u' ', Qt::SkipEmptyParts), QString());
        FakeSecretInput input;
        QString key, password, secretsError;
        if (parsed.error.isEmpty() &&
            !ReadSecrets(parsed.options, input, key, password, secretsError))
            parsed.error = secretsError;
        QTEST(parsed.error, "error");
    }

    // The question on a terminal (standard input is a pseudo-terminal here): the answer is
    // typed with the echo off, and the echo comes back, also when a signal ends the question;
    // the question's line (on standard error) is then ended.
    void hiddenQuestion_data() {
        QTest::addColumn<Answer>("user");
        QTest::addColumn<QString>("answer"); // null: none
        QTest::newRow("typed: the line, echo back") << Answer::Types << "typed key";
        QTest::newRow("Ctrl+C at the question: no answer, echo back") << Answer::CtrlC << QString();
        QTest::newRow("the terminal goes away: an empty line") << Answer::TerminalGone << "";
        QTest::newRow("a terminal that cannot be read: no answer, echo back")
            << Answer::Unreadable << QString();
    }
    void hiddenQuestion() {
        QFETCH(Answer, user);
        QFETCH(QString, answer);
        const bool interrupted = answer.isNull();
        int master = -1, slave = -1;
        QVERIFY(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
        const std::unique_ptr<FILE, int (*)(FILE*)> err(std::tmpfile(), std::fclose);
        const int savedStdin = ::dup(STDIN_FILENO), savedStderr = ::dup(STDERR_FILENO);
        const int in = user == Answer::Unreadable ? ::open(::ptsname(master), O_WRONLY | O_NOCTTY)
                                                  : ::dup(slave);
        QVERIFY(::dup2(in, STDIN_FILENO) == STDIN_FILENO);
        QVERIFY(::dup2(::fileno(err.get()), STDERR_FILENO) == STDERR_FILENO);
        const auto restore = qScopeGuard([&] {
            ::dup2(savedStdin, STDIN_FILENO);
            ::dup2(savedStderr, STDERR_FILENO);
            for (int fd : {savedStdin, savedStderr, in, slave, master})
                ::close(fd);
        });
        const auto echo = [slave] {
            termios t{};
            return ::tcgetattr(slave, &t) == 0 && (t.c_lflag & ECHO) != 0;
        };
        const StopSignals stop;
        ConsoleSecretInput input(stop);
        QVERIFY(input.stdinIsTerminal() && echo());
        std::atomic<bool> echoWhileAsked = true;
        std::thread typing([&] {
            while (echo())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            echoWhileAsked = echo();
            if (user == Answer::CtrlC)
                ::kill(::getpid(), SIGINT);
            else if (user == Answer::TerminalGone)
                ::close(std::exchange(master, -1));
            else
                QVERIFY(::write(master, "typed key\nrest\n", 15) == 15);
        });
        QString got = "stale";
        const bool answered = input.askHidden("Key: ", got);
        typing.join();
        QVERIFY(!echoWhileAsked && (echo() || user == Answer::TerminalGone)); // none to go back to
        QCOMPARE(answered, !interrupted);
        QCOMPARE(got, interrupted ? "stale" : answer);
        QCOMPARE(CliBench::received(err.get()), interrupted ? "Key: \n" : "Key: ");
    }

    // Progress as lines, or as a bar on a terminal that a long wait moves within its step.
    void progressLinesAndBar() {
        using File = std::unique_ptr<FILE, int (*)(FILE*)>;
        const File lines(std::tmpfile(), std::fclose), bar(std::tmpfile(), std::fclose);
        ConsoleOutput plain(stdout, lines.get(), false, true),
            terminal(stdout, bar.get(), true, true);
        for (ConsoleOutput* console : {&plain, &terminal}) {
            console->startProgress({"P"});
            PortProgress progress(*console, 0);
            progress.progress(0, 0); // no total yet: nothing shown
            progress.progress(1, 4);
            progress.progress(5, 10); // half of a long wait within the second step
        }
        PortProgress(plain, 0).progress(0, 1); // a job of a single step
        terminal.endProgress();                // the bar cleared once, also for a message after it
        terminal.err("done");
        QCOMPARE(CliBench::received(lines.get()), "P: 1/4\nP: 0/1\n");
        QCOMPARE(
            CliBench::received(bar.get()),
            "\rP [#####               ]  25%  \rP [#######             ]  37%  \r\033[Kdone\n");
    }

    // Each line reaches a pipe at once: a caller reads one port's result while others still run.
    void linesReachAPipeAtOnce() {
        int out[2], err[2];
        QVERIFY(::pipe(out) == 0 && ::pipe(err) == 0);
        FILE* outFile = ::fdopen(out[1], "w");
        FILE* errFile = ::fdopen(err[1], "w");
        std::setvbuf(outFile, nullptr, _IOFBF, 4096);
        std::setvbuf(errFile, nullptr, _IOFBF, 4096);
        ConsoleOutput console(outFile, errFile, false, true);
        console.out("P: ok\n");
        console.err("saved");
        for (int fd : {out[0], err[0]})
            QVERIFY(::fcntl(fd, F_SETFL, O_NONBLOCK) == 0);
        char buffer[16] = {};
        QCOMPARE(QByteArray(buffer, qMax(0, int(::read(out[0], buffer, sizeof buffer)))),
                 "P: ok\n");
        QCOMPARE(QByteArray(buffer, qMax(0, int(::read(err[0], buffer, sizeof buffer)))),
                 "saved\n");
        std::fclose(outFile);
        std::fclose(errFile);
        ::close(out[0]);
        ::close(err[0]);
    }

    // Showing the values selects the first type that begins with the stored text, as the form's
    // combo does (none: the choice stays); an index outside the list selects none.
    void headlessForm() {
        fakes::RecordingPrompts prompts;
        HeadlessForm form(prompts);
        QList<int> shown;
        for (const char* stored : {"WPA", "", "WPA3", "NONE"}) {
            form.values().m_strSecurityType = QString::fromUtf8(stored);
            QVERIFY(form.UpdateData(false));
            shown << form.securityIndex();
        }
        QCOMPARE(shown, (QList<int>{security::kWpa, security::kWpa, security::kWpa, 0}));
        form.setSecurityIndex(7);
        QVERIFY(form.securityIndex() == -1 && form.UpdateData(true));
        QVERIFY(form.values().m_strSecurityType.isEmpty());
        form.values().m_strSsid = QString(32, u's'); // the limit itself is taken
        QVERIFY(form.UpdateData(true) && prompts.shown.isEmpty());
    }
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
        QCOMPARE(
            m_bench.out,
            R"({"ports":[{"code":0,"message":"","port":"/dev/ttyACM0","result":"ok"},{"code":3,)"
            R"("message":")" +
                kUnchanged +
                R"(","port":"/dev/ttyACM1","result":"stopped"},)"
                R"({"code":0,"message":"","port":"/dev/ttyACM2","result":"ok"}],"stopped":"SIGTERM"})");
    }

    // The velinor-cli program itself, run as a shell runs it: exit code, standard output and
    // standard error together, for the answers that need no adapter.
    void program_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("lang");      // the LANG variable
        QTest::addColumn<QString>("stdinFile"); // no terminal
        auto row = [](const char* name, const QStringList& args, int code, const QString& out,
                      const QString& err, const QString& lang = "C",
                      const QString& stdinFile = QProcess::nullDevice()) {
            QTest::newRow(name) << args << code << out << err << lang << stdinFile;
        };
        const QStringList wep{"configure", "--port",   "a",          "--ssid",
                              "s",         "--ad-hoc", "--security", "WEP"};
        row("wrong usage: the reason and the usage, exit 2", {"readout"}, 2, "",
            "velinor-cli: give one --port\n\n" + UsageText());
        row("--help beats a bad option: the usage on standard output, exit 0",
            {"scan", "--bad", "--help"}, 0, UsageText(), "");
        row("--version, exit 0", {"scan", "--version"}, 0, "velinor-cli " PROJECT_VERSION "\n", "");
        row("LANG=de_DE.UTF-8 chooses German; no key and no terminal: the check refuses, exit 1",
            wep, 1, "", "Ein WEP Schlüssel muss aus 10 Hex-Werten bestehen\n", "de_DE.UTF-8");
        row("--lang en beats LANG=de_DE.UTF-8", wep + QStringList{"--lang", "en"}, 1, "",
            "A WEP key must have 10 hex-values\n", "de_DE.UTF-8");
        row("endless key file: its first 64 KiB read, refused",
            wep + QStringList{"--key-file", "/dev/zero"}, 1, "",
            "Please enter no more than 63 bytes (UTF-8; ä takes two).\n");
        row("unreadable key file, exit 2", wep + QStringList{"--key-file", "/nonexistent"}, 2, "",
            "velinor-cli: /nonexistent: No such file or directory\n");
        const QString keyLines = m_bench.dir.filePath("key");
        QVERIFY(fakes::writeFile(keyLines, "01234567xy\n0123456789\n"));
        row("--key-stdin takes the first line of standard input", wep + QStringList{"--key-stdin"},
            1, "", "Values not matching the hex-format found in key\n", "C", keyLines);
        row("standard input unreadable for --key-stdin, exit 2", wep + QStringList{"--key-stdin"},
            2, "", "velinor-cli: standard input: Is a directory\n", "C", "/");
        row("port that does not exist, exit 3", {"readout", "--port", "/dev/gone", "--quiet"}, 3,
            "", "Error occured on /dev/gone\n");
    }
    void program() {
        QFETCH(QStringList, args);
        QFETCH(QString, lang);
        QFETCH(QString, stdinFile);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LANG", lang);
        p.setProcessEnvironment(env);
        p.setStandardInputFile(stdinFile);
        p.start(VELINOR_CLI, args);
        QVERIFY(p.waitForFinished(60000));
        QTEST(QString::fromUtf8(p.readAllStandardOutput()), "out");
        QTEST(QString::fromUtf8(p.readAllStandardError()), "err");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QTEST(p.exitCode(), "code");
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "test_cli_commands.moc"
