#pragma once

// velinor-cli's commands from the command line to the exit code and the output, on simulated
// adapters in virtual time: each port's adapter is made on the clock of the thread that opens it.
// The secrets come from fake files, standard input and terminal.
#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "cli/console_output.h"
#include "cli/secrets.h"
#include "fakes.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <map>
#include <mutex>

namespace velinor::cli {

using Settings = QMap<QByteArray, QByteArray>;

inline thread_local ManualClock* t_clock = nullptr; // of the port's work on this thread
struct ThreadClock : ManualClock {
    ThreadClock() { t_clock = this; }
    ~ThreadClock() override { t_clock = t_clock == this ? nullptr : t_clock; }
};

// The adapter on one port.
struct Adapter {
    Settings stored = {};            // before
    QList<QByteArray> networks = {}; // that its scan finds
    QByteArray refused = {};         // the command it answers with I/ERROR
    QByteArray unanswered = {};      // the command it never answers
};

class FakeSecretInput : public SecretInput {
public:
    QString typed; // null: standard input is no terminal; else what the user types there
    bool stdinIsTerminal() const override { return !typed.isNull(); }
    bool readStdinLine(QString& line) override {
        line = FirstLine("0123456789abcdef0123456789\r\nmore");
        return true;
    }
    bool askHidden(const QString&, QString& answer) override {
        answer = typed;
        return true;
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

// The lines in any order, as CliBench::err holds them.
inline QString sortedLines(const QString& text) {
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

    // velinor-cli on this command line (-q: --quiet), in English unless --lang says otherwise; the
    // exit code.
    // typed: what the user types at the terminal (null: standard input is no terminal).
    int run(const QString& commandLine, const StopRequest* stop = nullptr,
            const QString& typed = {}, bool errIsTerminal = false) {
        adapters.clear();
        leftOpen.clear();
        QFile::remove(log);
        QStringList args = commandLine.split(u' ');
        args.replaceInStrings(QRegularExpression("^-q$"), "--quiet");
        const ParseResult parsed = ParseArguments(args, QStringLiteral("en_GB.UTF-8"));
        [&] { QCOMPARE(parsed.error, QString()); }();
        FakeSecretInput input;
        input.typed = typed;
        QString key = "stale", password = "stale", error;
        [&] { QVERIFY(ReadSecrets(parsed.options, input, key, password, error)); }();
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
        const int code = RunCommand(parsed.options, key, password, env);
        out = received(o.get());
        if (out.startsWith(u'{'))
            out = QJsonDocument::fromJson(out.toUtf8()).toJson(QJsonDocument::Compact);
        err = sortedLines(received(e.get()));
        return code;
    }
};

} // namespace velinor::cli
