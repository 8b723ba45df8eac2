// velinor-cli on a pseudo-terminal as a user runs it, against velinor-sim processes in real time:
// Ctrl+C typed, SIGHUP and SIGTERM give their exit codes and free the ports; the key question turns
// echo off and back on, also when Ctrl+C ends it. What a stop does to the adapters is checked in
// virtual time (test_cli_commands). The cases run side by side in initTestCase; each row checks
// one.
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

// Done once the terminal shows `when`: typed there, or the signal sent.
struct Trigger {
    QByteArray when;
    QByteArray typed;
    int signal = 0;
};
const QByteArray kCtrlC = "\x03";

struct Case {
    int ports; // 0: no key given, so it is asked for on the terminal
    QList<Trigger> triggers;
    int code;
    QByteArray shown;       // on the terminal (after each port's name) and in the log
    QByteArray result = {}; // each port's line on standard output begins with it
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
};

bool echoOn(int fd) {
    termios t{};
    return ::tcgetattr(fd, &t) == 0 && (t.c_lflag & ECHO) != 0;
}

// The adapters, then velinor-cli with standard input and error on a terminal of its own (a
// progress bar there), standard output in a file.
bool start(Case& c) {
    for (int i = 0; i < c.ports; ++i) {
        c.sims.push_back(std::make_unique<QProcess>());
        c.sims.back()->start(VELINOR_SIM, {"--key-delay", "0"});
        if (!c.sims.back()->waitForReadyRead(10000))
            return false;
        c.paths << QString::fromUtf8(c.sims.back()->readLine().trimmed());
    }
    const bool question = c.ports == 0;
    QList<QByteArray> args = QByteArray(VELINOR_CLI " configure --ssid office --access-point "
                                                    "--security WPA2 --channel 6 --log")
                                 .split(' ');
    args << c.file("log").toUtf8() << "--lang" << (question ? "de" : "en");
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
        if (c.terminal.contains(t.when)) {
            c.echoOffAtTrigger = !echoOn(c.slave);
            if (t.signal != 0)
                ::kill(c.pid, t.signal);
            else [[maybe_unused]]
                const ssize_t n = ::write(c.master, t.typed.constData(), size_t(t.typed.size()));
            ++c.next;
        }
    }
    int status = 0;
    if (::waitpid(c.pid, &status, WNOHANG) == c.pid)
        c.status = status;
    return false;
}

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
        // The bar shows 0 % as the port is opened; the reset follows about 3 s later (20 %).
        add("1 port, Ctrl+C before the reset",
            new Case{1, {{"0%", kCtrlC}}, 130, kUnchanged, kUnchanged});
        add("3 ports, SIGHUP before the reset",
            new Case{3, {{"0%", {}, SIGHUP}}, 129, kUnchanged, kUnchanged});
        add("1 port, SIGTERM before the reset",
            new Case{1, {{"0%", {}, SIGTERM}}, 143, kUnchanged, kUnchanged});
        add("1 port, a second Ctrl+C stops at once",
            new Case{1,
                     {{"20%", kCtrlC}, {"50%", kCtrlC}},
                     130,
                     "already reset to factory defaults: its programming is being finished",
                     "stopped at step "});
        add("Ctrl+C at the key question: echo back, no adapter touched",
            new Case{0,
                     {{"Schl", kCtrlC}},
                     130,
                     "bei der Frage nach Schlüssel oder Passwort abgebrochen: kein WLAN-Produkt "
                     "wurde angesprochen"});
        add("key typed at the question: not echoed, echo back after",
            new Case{0, {{"Schl", "short\n"}}, 1, "Ein WPA Schlüssel muss 8-63 Zeichen haben"});
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
        if (c.ports == 0) {
            QVERIFY(c.echoOffAtTrigger && out.isEmpty() && !c.terminal.contains("short"));
            QVERIFY2(c.terminal.contains(c.shown), c.terminal);
            QCOMPARE(log.contains("SIGINT: " + c.shown), c.code == 130);
        }
        for (int i = 0; i < c.ports; ++i) {
            const QByteArray prefix = c.paths[i].toUtf8() + ": ";
            // Another program can take the port as velinor-cli does: exclusive and locked.
            QtSerialPort port;
            QVERIFY(port.open(c.paths[i]).result == OpenResult::Ok);
            QVERIFY2(out.contains(prefix + c.result), out);
            QVERIFY2(c.terminal.contains(prefix + c.shown), c.terminal);
            QVERIFY2(log.contains(": " + prefix + c.shown), log);
        }
    }
    void cleanupTestCase() {
        for (auto& [name, c] : m_cases)
            for (auto& sim : c->sims) {
                sim->kill();
                sim->waitForFinished();
            }
    }
};

QTEST_GUILESS_MAIN(TestCliSignals)
#include "test_cli_signals.moc"
