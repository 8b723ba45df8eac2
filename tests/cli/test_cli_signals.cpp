// velinor-cli on a pseudo-terminal as a user runs it, against velinor-sim processes in real time:
// stopped by Ctrl+C typed on the terminal, SIGTERM or SIGHUP before the factory reset, after it,
// a second time, and at the key question; and the key typed at the question without echo. The
// cases run side by side in initTestCase; each row checks one.
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

enum class Action { CtrlC, Sigterm, Sighup, TypeShortKey };
// What each adapter is left with, or what happened at the key question (no adapter).
enum class Outcome { KeepsSettings, Programmed, HalfProgrammed, QuestionStopped, KeyTyped };

// Done once the terminal (or every adapter's transcript) shows `when`.
struct Trigger {
    QByteArray when;
    bool onTerminal;
    Action action;
};

struct Case {
    int ports; // 0: no key given, so it is asked for on the terminal
    QList<Trigger> triggers;
    Outcome outcome;
    int code;
    // What the run left.
    QTemporaryDir dir{};
    std::vector<std::unique_ptr<QProcess>> sims{};
    QStringList paths{};
    pid_t pid = -1;
    int master = -1, slave = -1;
    QByteArray terminal{}; // what the program wrote there
    int next = 0, status = -1;
    bool echoOffAtTrigger = false;

    QString file(const QString& name) const { return dir.filePath(name); }
    QByteArray transcript(int i) const { return fakes::readFile(file(QString::number(i))); }
};

bool echoOn(int fd) {
    termios t{};
    return ::tcgetattr(fd, &t) == 0 && (t.c_lflag & ECHO) != 0;
}

// The adapters, then velinor-cli with standard input and error on a terminal of its own,
// standard output in a file; progress (a bar) only where it triggers.
bool start(Case& c) {
    for (int i = 0; i < c.ports; ++i) {
        c.sims.push_back(std::make_unique<QProcess>());
        c.sims.back()->start(VELINOR_SIM,
                             {"--key-delay", "0", "--transcript", c.file(QString::number(i))});
        if (!c.sims.back()->waitForReadyRead(10000))
            return false;
        c.paths << QString::fromUtf8(c.sims.back()->readLine().trimmed());
    }
    const bool question = c.ports == 0;
    QList<QByteArray> args{VELINOR_CLI,
                           "configure",
                           "--ssid",
                           "office",
                           "--access-point",
                           "--security",
                           "WPA2",
                           "--channel",
                           "6",
                           "--log",
                           c.file("log").toUtf8(),
                           "--lang",
                           question ? "de" : "en"};
    if (!c.triggers.first().onTerminal || question)
        args << "--quiet";
    for (const QString& path : question ? QStringList{"/dev/null"} : c.paths)
        args << "--port" << path.toUtf8();
    if (!question && fakes::writeFile(c.file("key"), "passphrase1\n"))
        args << "--key-file" << c.file("key").toUtf8();
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
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

// One turn: the terminal read, the next trigger done when due; true once the program ended.
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
            c.echoOffAtTrigger = !echoOn(c.slave);
            const QByteArray typed = t.action == Action::CtrlC ? "\x03" : "short\n";
            if (t.action == Action::CtrlC || t.action == Action::TypeShortKey) [[maybe_unused]]
                const ssize_t n = ::write(c.master, typed.constData(), size_t(typed.size()));
            else
                ::kill(c.pid, t.action == Action::Sigterm ? SIGTERM : SIGHUP);
            ++c.next;
        }
    }
    int status = 0;
    if (::waitpid(c.pid, &status, WNOHANG) == c.pid)
        c.status = status;
    return false;
}

const QByteArray kFinishing = "already reset to factory defaults: its programming is being "
                              "finished, so that it is not left unconfigured (a second Ctrl+C "
                              "stops at once)";
const QByteArray kUnchanged = "stopped before the factory reset: the adapter keeps its settings";

} // namespace

class TestCliSignals : public QObject {
    Q_OBJECT
    std::map<QString, std::unique_ptr<Case>> m_cases;

    void add(const char* name, Case* c) {
        m_cases[QString::fromLatin1(name)].reset(c);
        QTest::newRow(name) << QString::fromLatin1(name);
    }

private slots:
    void stops_data() {
        QTest::addColumn<QString>("name");
        // The bar shows 0 % as the port is opened; the reset follows about 3 s later.
        add("1 port, Ctrl+C before the reset",
            new Case{1, {{"0%", true, Action::CtrlC}}, Outcome::KeepsSettings, 130});
        add("4 ports, SIGHUP before the reset",
            new Case{4, {{"0%", true, Action::Sighup}}, Outcome::KeepsSettings, 129});
        add("2 ports, SIGTERM after the reset: programming finished",
            new Case{2, {{"AT+IFD", false, Action::Sigterm}}, Outcome::Programmed, 143});
        add("1 port, a second Ctrl+C stops at once",
            new Case{1,
                     {{"AT+IFD", false, Action::CtrlC}, {"AT+IWLSI", false, Action::CtrlC}},
                     Outcome::HalfProgrammed,
                     130});
        add("Ctrl+C at the key question: echo back, no adapter touched",
            new Case{0, {{"Schl", true, Action::CtrlC}}, Outcome::QuestionStopped, 130});
        add("key typed at the question: not echoed, echo back after",
            new Case{0, {{"Schl", true, Action::TypeShortKey}}, Outcome::KeyTyped, 1});
        for (auto& [name, c] : m_cases)
            QVERIFY2(start(*c), qPrintable(name));
        QElapsedTimer took;
        took.start();
        for (bool all = false; !all && took.elapsed() < 50000; QTest::qWait(20)) {
            all = true;
            for (auto& [name, c] : m_cases)
                all = done(*c) && all;
        }
    }
    void stops() {
        QFETCH(QString, name);
        const Case& c = *m_cases.at(name);
        const QByteArray out = fakes::readFile(c.file("out"));
        const QByteArray log = fakes::readFile(c.file("log"));
        QVERIFY2(WIFEXITED(c.status) && WEXITSTATUS(c.status) == c.code, c.terminal + out);
        QVERIFY(echoOn(c.slave));
        if (c.outcome == Outcome::QuestionStopped || c.outcome == Outcome::KeyTyped) {
            QVERIFY(c.echoOffAtTrigger && out.isEmpty());
            const QByteArray text = c.outcome == Outcome::KeyTyped
                                        ? "Ein WPA Schlüssel muss 8-63 Zeichen haben"
                                        : "bei der Frage nach Schlüssel oder Passwort "
                                          "abgebrochen: kein WLAN-Produkt wurde angesprochen";
            QVERIFY2(c.terminal.contains(text) && !c.terminal.contains("short"), c.terminal);
            QCOMPARE(log.contains("SIGINT: " + text), c.outcome == Outcome::QuestionStopped);
        }
        for (int i = 0; i < c.ports; ++i) {
            const QByteArray prefix = c.paths[i].toUtf8() + ": ";
            const QList<QByteArray> sent = c.transcript(i).trimmed().split('\n');
            // Another program can take the port as velinor-cli does: exclusive and locked.
            QtSerialPort port;
            QVERIFY(port.open(c.paths[i]).result == OpenResult::Ok);
            QByteArray message = kUnchanged, result = kUnchanged;
            if (c.outcome == Outcome::KeepsSettings) {
                QVERIFY2(!sent.contains("AT+IFD\\r"), sent.join());
            } else if (c.outcome == Outcome::Programmed) {
                QCOMPARE(sent, (QList<QByteArray>{
                                   "AT+IBDRF?\\r", "AT+IFD\\r", "AT+IHIF=4\\r", "AT+IBDRF=9\\r",
                                   "AT+IWLSI=office\\r", "AT+IWST0=4\\r", "AT+IWLCH=6\\r",
                                   "AT+IWPP0=passphrase1\\r", "AT+IBRM=2\\r", "AT+IDOWN\\r"}));
                message = kFinishing;
                result = "ok";
            } else {
                // Stopped where the transcript ends: the step names its command.
                QVERIFY2(c.terminal.contains(prefix + kFinishing) && sent.size() < 10, sent.join());
                message = result = "stopped at step " + QByteArray::number(sent.size()) +
                                   " of 10 (" + sent.last().chopped(2).split('=').first() +
                                   "): the adapter is left half-programmed and must be "
                                   "configured again";
            }
            QVERIFY2(out.contains(prefix + result + '\n'), out);
            QVERIFY2(c.terminal.contains(prefix + message), c.terminal);
            QVERIFY2(log.contains(": " + prefix + message), log);
        }
    }
    void cleanupTestCase() {
        for (auto& [name, c] : m_cases) {
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
