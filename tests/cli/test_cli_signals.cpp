// velinor-cli on a pseudo-terminal as a user runs it, configuring one or four adapters served by
// velinor-sim processes in real time, stopped by Ctrl+C typed on the terminal, SIGTERM or SIGHUP:
// before the factory reset, after it, a second time, and at the key question. Each case checks
// the transcripts, the messages, the result lines, the log, the exit code, the ports free to be
// opened and locked again, and the terminal's echo. The cases run side by side.
#include "fakes.h"
#include "link/qt_serial_port.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace velinor;

namespace {

// Sent once every adapter's transcript (or the terminal) holds `when`; 0 stands for Ctrl+C
// typed on the terminal.
struct Trigger {
    QByteArray when;
    int signal;
    bool onTerminal = false;
};

struct Case {
    Case(QString n, int p, QList<Trigger> t)
        : name(std::move(n)), ports(p), triggers(std::move(t)) {}
    QString name;
    int ports;
    QList<Trigger> triggers;
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> sims;
    QStringList paths;
    pid_t pid = -1;
    int master = -1, slave = -1;
    QByteArray terminal; // what the program wrote there
    int next = 0, status = -1;
    bool echoOffAtQuestion = false;

    bool askKey() const { return ports == 0; }
    QString file(const QString& name) const { return dir.filePath(name); }
    QByteArray transcript(int i) const { return fakes::readFile(file(QString::number(i))); }
};

bool echoOn(int fd) {
    termios t{};
    return ::tcgetattr(fd, &t) == 0 && (t.c_lflag & ECHO) != 0;
}

// The adapters, then velinor-cli with standard input and error on a terminal of its own,
// standard output in a file.
bool start(Case& c) {
    for (int i = 0; i < c.ports; ++i) {
        c.sims.push_back(std::make_unique<QProcess>());
        c.sims.back()->start(VELINOR_SIM,
                             {"--key-delay", "0", "--transcript", c.file(QString::number(i))});
        if (!c.sims.back()->waitForReadyRead(10000))
            return false;
        c.paths << QString::fromUtf8(c.sims.back()->readLine().trimmed());
    }
    QStringList args{
        "configure", "--ssid", "office", "--access-point",         "--security", "WPA2",
        "--channel", "6",      "--lang", c.askKey() ? "de" : "en", "--log",      c.file("log")};
    // Progress (a bar on the terminal) only where it is the trigger.
    if (!c.triggers.first().onTerminal || c.askKey())
        args << "--quiet";
    for (const QString& path : c.askKey() ? QStringList{"/dev/null"} : c.paths)
        args << "--port" << path;
    if (!c.askKey() && fakes::writeFile(c.file("key"), "passphrase1\n"))
        args << "--key-file" << c.file("key");
    QList<QByteArray> bytes{VELINOR_CLI};
    std::vector<char*> argv{bytes[0].data()};
    for (const QString& a : args)
        bytes << a.toUtf8();
    for (qsizetype i = 1; i < bytes.size(); ++i)
        argv.push_back(bytes[i].data());
    argv.push_back(nullptr);
    const QByteArray out = c.file("out").toUtf8();
    if (::openpty(&c.master, &c.slave, nullptr, nullptr, nullptr) != 0 || (c.pid = ::fork()) < 0)
        return false;
    if (c.pid == 0) {
        ::setsid();
        ::ioctl(c.slave, TIOCSCTTY, 0);
        ::dup2(c.slave, STDIN_FILENO);
        ::dup2(::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
        ::dup2(c.slave, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return ::fcntl(c.master, F_SETFL, O_NONBLOCK) == 0;
}

// One turn: the terminal read, the next trigger sent when due, the end looked for.
bool done(Case& c) {
    char buffer[4096];
    for (ssize_t n; (n = ::read(c.master, buffer, sizeof buffer)) > 0;)
        c.terminal.append(buffer, n);
    if (c.status >= 0)
        return true;
    if (c.next < c.triggers.size()) {
        const Trigger& t = c.triggers[c.next];
        bool due = !t.onTerminal || c.terminal.contains(t.when);
        for (int i = 0; i < (t.onTerminal ? 0 : c.ports); ++i)
            due = due && c.transcript(i).contains(t.when);
        if (due) {
            c.echoOffAtQuestion = !echoOn(c.slave);
            if (t.signal == 0) [[maybe_unused]]
                const ssize_t n = ::write(c.master, "\x03", 1);
            else
                ::kill(c.pid, t.signal);
            ++c.next;
        }
    }
    int status = 0;
    if (::waitpid(c.pid, &status, WNOHANG) == c.pid)
        c.status = status;
    return false;
}

} // namespace

class TestCliSignals : public QObject {
    Q_OBJECT

private slots:
    void stops() {
        const QByteArray finishing = "already reset to factory defaults: its programming is being "
                                     "finished, so that it is not left unconfigured (a second "
                                     "Ctrl+C stops at once)";
        const QByteArray unchanged = "stopped before the factory reset: the adapter keeps its "
                                     "settings";
        std::vector<std::unique_ptr<Case>> cases;
        for (const int n : {1, 4}) {
            // The bar shows 0 % as the port is opened; the reset follows about 3 s later.
            for (const auto& [name, triggers] :
                 std::initializer_list<std::pair<const char*, QList<Trigger>>>{
                     {"before the reset", {{"0%", n == 1 ? 0 : SIGHUP, true}}},
                     {"after the reset", {{"AT+IFD", SIGTERM}}},
                     {"a second Ctrl+C", {{"AT+IFD", 0}, {"AT+IWLSI", 0}}}})
                cases.emplace_back(new Case{QString::fromLatin1(name), n, triggers});
        }
        cases.emplace_back(new Case{QStringLiteral("at the key question"), 0, {{"Schl", 0, true}}});
        for (auto& c : cases)
            QVERIFY2(start(*c), qPrintable(c->name));
        QElapsedTimer took;
        took.start();
        for (bool all = false; !all && took.elapsed() < 50000; QTest::qWait(20)) {
            all = true;
            for (auto& c : cases)
                all = done(*c) && all;
        }

        for (auto& c : cases) {
            const QString what = QStringLiteral("%1 port(s), %2").arg(c->ports).arg(c->name);
            const QByteArray out = fakes::readFile(c->file("out"));
            const QByteArray log = fakes::readFile(c->file("log"));
            const int signal = c->triggers.first().signal;
            QVERIFY2(WIFEXITED(c->status), qPrintable(what));
            QVERIFY2(WEXITSTATUS(c->status) == 128 + (signal ? signal : SIGINT),
                     qPrintable(what + ": " + c->terminal + out));
            QVERIFY2(echoOn(c->slave), qPrintable(what));
            if (c->askKey()) {
                const QByteArray text = "bei der Frage nach Schlüssel oder Passwort abgebrochen: "
                                        "kein WLAN-Produkt wurde angesprochen";
                QVERIFY(c->echoOffAtQuestion && c->terminal.contains(text) && out.isEmpty());
                QVERIFY(log.contains("SIGINT: " + text));
            }
            for (int i = 0; i < c->ports; ++i) {
                const QByteArray prefix = c->paths[i].toUtf8() + ": ";
                const QByteArray transcript = c->transcript(i);
                // Another program can take the port as velinor-cli does: exclusive and locked.
                QtSerialPort port;
                QVERIFY2(port.open(c->paths[i]).result == OpenResult::Ok, qPrintable(what));
                QByteArray result;
                for (const QByteArray& line : out.split('\n'))
                    result = line.startsWith(prefix) ? line.mid(prefix.size()) : result;
                QByteArray message = unchanged, wanted = unchanged;
                if (c->name == "before the reset") {
                    QVERIFY2(!transcript.contains("AT+IFD"), qPrintable(what + ": " + transcript));
                } else if (c->name == "after the reset") {
                    QVERIFY2(transcript.endsWith("AT+IBRM=2\\r\nAT+IDOWN\\r\n"),
                             transcript.constData());
                    message = finishing;
                    wanted = "ok";
                } else {
                    // Stopped where the transcript ends: the step names its command (each line
                    // ends in an escaped "\r").
                    const QList<QByteArray> sent = transcript.trimmed().split('\n');
                    message = "stopped at step " + QByteArray::number(sent.size()) + " of 10 (" +
                              sent.last().chopped(2).split('=').first() +
                              "): the adapter is left half-programmed and must be configured again";
                    wanted = message;
                    QVERIFY2(c->terminal.contains(prefix + finishing) && sent.size() < 10,
                             transcript.constData());
                }
                QCOMPARE(result, wanted);
                QVERIFY2(c->terminal.contains(prefix + message), c->terminal.constData());
                QVERIFY2(log.contains(": " + prefix + message), log.constData());
            }
            ::close(c->master);
            ::close(c->slave);
            for (auto& sim : c->sims) {
                sim->terminate();
                sim->waitForFinished(5000);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCliSignals)
#include "test_cli_signals.moc"
