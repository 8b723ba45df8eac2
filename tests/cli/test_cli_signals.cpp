// velinor-cli on a pseudo-terminal, as a user runs it, configuring one or four adapters served by
// velinor-sim processes in real time, and stopped by Ctrl+C (typed on the terminal), SIGTERM or
// SIGHUP: before the factory reset, after it, and a second time. Each case checks the adapters'
// transcripts, the messages, the result lines, the log, the exit code, that every port can be
// opened and locked again afterwards, and the terminal's echo. The cases run side by side.
#include "fakes.h"
#include "link/qt_serial_port.h"

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

enum class Send { CtrlC, Term, Hup };

// When to send which signal: once every adapter's transcript holds `when`.
struct Trigger {
    QByteArray when;
    Send send;
};

struct Case {
    QString name;
    int ports = 1;
    QList<Trigger> triggers;
    bool askKey = false; // no key file: the key is asked for on the terminal
    QString lang = QStringLiteral("en");

    // Filled in while it runs.
    QTemporaryDir dir;
    QList<QProcess*> sims;
    QStringList portPaths;
    pid_t pid = -1;
    int master = -1;
    int slave = -1;
    QByteArray terminal; // what the program wrote on the terminal
    int next = 0;        // the next trigger
    int status = -1;
    bool echoOffAtQuestion = false;

    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QByteArray transcript(int i) const {
        return fakes::readFile(dir.filePath(QStringLiteral("transcript%1").arg(i)));
    }
    bool allHold(const QByteArray& command) const {
        for (int i = 0; i < ports; ++i)
            if (!transcript(i).contains(command))
                return false;
        return true;
    }
};

bool startSims(Case& c) {
    for (int i = 0; i < c.ports; ++i) {
        auto* sim = new QProcess;
        c.sims << sim;
        sim->start(QStringLiteral(VELINOR_SIM),
                   {"--key-delay", "0", "--transcript", c.dir.filePath(QStringLiteral("transcript%1").arg(i))});
        if (!sim->waitForReadyRead(10000))
            return false;
        c.portPaths << QString::fromUtf8(sim->readLine().trimmed());
    }
    return true;
}

// velinor-cli with standard input and error on a new terminal that it controls, standard
// output in a file.
bool startCli(Case& c) {
    if (::openpty(&c.master, &c.slave, nullptr, nullptr, nullptr) != 0)
        return false;
    ::fcntl(c.master, F_SETFL, O_NONBLOCK);
    ::fcntl(c.master, F_SETFD, FD_CLOEXEC);
    QList<QByteArray> args{VELINOR_CLI, "configure", "--ssid", "office", "--access-point",
                           "--security", "WPA2",     "--channel", "6",   "--quiet",
                           "--lang",     c.lang.toUtf8(), "--log", c.file("log").toUtf8()};
    for (const QString& port : c.portPaths)
        args << "--port" << port.toUtf8();
    if (!c.askKey) {
        fakes::writeFile(c.file("key"), "passphrase1\n");
        args << "--key-file" << c.file("key").toUtf8();
    }
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray out = c.file("out").toUtf8();
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::setsid();
        ::ioctl(c.slave, TIOCSCTTY, 0);
        const int outFd = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(c.slave, STDIN_FILENO);
        ::dup2(outFd, STDOUT_FILENO);
        ::dup2(c.slave, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    c.pid = pid;
    return true;
}

void send(Case& c, Send what) {
    if (what == Send::CtrlC) {
        const char ctrlC = 3;
        [[maybe_unused]] const ssize_t n = ::write(c.master, &ctrlC, 1);
    } else {
        ::kill(c.pid, what == Send::Term ? SIGTERM : SIGHUP);
    }
}

bool echoOn(int fd) {
    termios t{};
    return ::tcgetattr(fd, &t) == 0 && (t.c_lflag & ECHO) != 0;
}

// One turn: the terminal read, the next trigger looked at, the end looked for. true when done.
bool step(Case& c) {
    char buffer[4096];
    for (ssize_t n; (n = ::read(c.master, buffer, sizeof buffer)) > 0;)
        c.terminal.append(buffer, n);
    if (c.status >= 0)
        return true;
    if (c.next < c.triggers.size()) {
        const Trigger& t = c.triggers[c.next];
        const bool ready = c.askKey ? c.terminal.contains(t.when) : c.allHold(t.when);
        if (ready) {
            if (c.askKey)
                c.echoOffAtQuestion = !echoOn(c.slave);
            send(c, t.send);
            ++c.next;
        }
    }
    int status = 0;
    if (::waitpid(c.pid, &status, WNOHANG) == c.pid)
        c.status = status;
    return false;
}

// Another program can take the port as velinor-cli does: open it exclusively and lock it.
bool portFree(const QString& path) {
    QtSerialPort port;
    const bool ok = port.open(path).result == OpenResult::Ok;
    port.close();
    return ok;
}

} // namespace

class TestCliSignals : public QObject {
    Q_OBJECT

private slots:
    void signals_() {
        const QByteArray finishing = "already reset to factory defaults: its programming is being "
                                     "finished, so that it is not left unconfigured (a second "
                                     "Ctrl+C stops at once)";
        const QByteArray unchanged =
            "stopped before the factory reset: the adapter keeps its settings";
        std::vector<std::unique_ptr<Case>> cases;
        auto add = [&](const char* name, int ports, QList<Trigger> triggers) {
            auto c = std::make_unique<Case>();
            c->name = QString::fromLatin1(name);
            c->ports = ports;
            c->triggers = std::move(triggers);
            cases.push_back(std::move(c));
        };
        for (const int ports : {1, 4}) {
            // The probe has been sent; the reset comes 1.2 s later.
            add("before the reset", ports,
                {{"AT+IBDRF?", ports == 1 ? Send::CtrlC : Send::Hup}});
            add("after the reset", ports, {{"AT+IFD", Send::Term}});
            add("a second Ctrl+C", ports, {{"AT+IFD", Send::CtrlC}, {"AT+IWLSI", Send::CtrlC}});
        }
        add("at the key question", 1, {{": ", Send::CtrlC}});
        cases.back()->askKey = true;
        cases.back()->lang = QStringLiteral("de");

        for (auto& c : cases) {
            QVERIFY2(startSims(*c), qPrintable(c->name));
            QVERIFY2(startCli(*c), qPrintable(c->name));
        }
        QElapsedTimer took;
        took.start();
        for (bool done = false; !done && took.elapsed() < 50000;) {
            done = true;
            for (auto& c : cases)
                done = step(*c) && done;
            QTest::qWait(20);
        }

        for (auto& c : cases) {
            const QString what = QStringLiteral("%1 port(s), %2").arg(c->ports).arg(c->name);
            const QByteArray out = fakes::readFile(c->file("out"));
            const QByteArray log = fakes::readFile(c->file("log"));
            QVERIFY2(c->status >= 0, qPrintable(what + ": still running"));
            QVERIFY2(WIFEXITED(c->status), qPrintable(what));
            const Send first = c->triggers.first().send;
            const int code = first == Send::Term ? 143 : first == Send::Hup ? 129 : 130;
            QVERIFY2(WEXITSTATUS(c->status) == code,
                     qPrintable(what + ": exit " + QString::number(WEXITSTATUS(c->status))));
            QVERIFY2(echoOn(c->slave), qPrintable(what + ": no echo"));
            if (c->askKey) {
                QVERIFY2(c->echoOffAtQuestion, qPrintable(what));
                QVERIFY2(c->terminal.contains("bei der Frage nach dem Schlüssel abgebrochen: kein "
                                              "WLAN-Produkt wurde angesprochen"),
                         c->terminal.constData());
                QVERIFY2(c->transcript(0).isEmpty() && out.isEmpty(), qPrintable(what));
                QVERIFY2(log.contains("SIGINT: bei der Frage"), log.constData());
            }
            for (int i = 0; i < (c->askKey ? 0 : c->ports); ++i) {
                const QString port = c->portPaths[i];
                const QByteArray prefix = port.toUtf8() + ": ";
                const QByteArray transcript = c->transcript(i);
                QVERIFY2(portFree(port), qPrintable(what + ": " + port + " still held"));
                QByteArray result;
                for (const QByteArray& line : out.split('\n'))
                    if (line.startsWith(prefix))
                        result = line.mid(prefix.size());
                if (c->name == "before the reset") {
                    QVERIFY2(!transcript.contains("AT+IFD"), transcript.constData());
                    QCOMPARE(result, unchanged);
                    QVERIFY(c->terminal.contains(prefix + unchanged));
                    QVERIFY(log.contains(": " + prefix + unchanged));
                } else if (c->name == "after the reset") {
                    QVERIFY2(transcript.endsWith("AT+IBRM=2\nAT+IDOWN\n"), transcript.constData());
                    QCOMPARE(result, QByteArray("ok"));
                    QVERIFY(c->terminal.contains(prefix + finishing));
                    QVERIFY(log.contains("SIGTERM: " + prefix + finishing));
                } else {
                    // Stopped where the adapter's transcript ends: the step names its command.
                    QVERIFY2(!transcript.contains("AT+IDOWN"), transcript.constData());
                    const QList<QByteArray> sent = transcript.trimmed().split('\n');
                    const QByteArray last = sent.last().split('=').first();
                    const QByteArray named = QByteArray("stopped at step ") +
                                             QByteArray::number(sent.size()) + " of 10 (" + last +
                                             "): the adapter is left half-programmed and must be "
                                             "configured again";
                    QCOMPARE(result, named);
                    QVERIFY(c->terminal.contains(prefix + finishing));
                    QVERIFY2(c->terminal.contains(prefix + named), c->terminal.constData());
                    QVERIFY(log.contains("SIGINT: " + prefix + named));
                }
            }
            for (QProcess* sim : c->sims) {
                sim->terminate();
                sim->waitForFinished(5000);
                delete sim;
            }
            ::close(c->master);
            ::close(c->slave);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliSignals)
#include "test_cli_signals.moc"
