// velinor-cli on a pseudo-terminal as a user runs it, against velinor-sim processes in real time:
// Ctrl+C typed, SIGHUP and SIGTERM give their exit codes and free the ports; a second Ctrl+C stops
// at once; the key question turns echo off and back on, also when Ctrl+C ends it. What a stop does
// to the adapters is checked in virtual time (test_cli_commands).
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

bool echoOn(int fd) {
    termios t{};
    return ::tcgetattr(fd, &t) == 0 && (t.c_lflag & ECHO) != 0;
}

const QByteArray kCtrlC = "\x03";
const QByteArray kUnchanged = "stopped before the factory reset: the adapter keeps its settings";

} // namespace

class TestCliSignals : public QObject {
    Q_OBJECT

private slots:
    void stops_data() {
        QTest::addColumn<int>("ports");           // 0: no key given, so it is asked for
        QTest::addColumn<QByteArrayList>("when"); // texts on the terminal, in turn
        QTest::addColumn<QByteArray>("typed");    // at each; empty: the signal of the code is sent
        QTest::addColumn<int>("code");            // a signal's: 128 + its number
        QTest::addColumn<QByteArray>("shown");  // on the terminal (after each port's name), logged
        QTest::addColumn<QByteArray>("result"); // each port's line on standard output begins so
        auto row = [](const char* name, int ports, const QByteArrayList& when,
                      const QByteArray& typed, int code, const QByteArray& shown = kUnchanged,
                      const QByteArray& result = kUnchanged) {
            QTest::newRow(name) << ports << when << typed << code << shown << result;
        };
        // The bar shows 0 % as the port is opened; the reset follows about 3 s later (20 %).
        row("1 port, Ctrl+C before the reset", 1, {"0%"}, kCtrlC, 130);
        row("3 ports, SIGHUP before the reset", 3, {"0%"}, {}, 129);
        row("1 port, SIGTERM before the reset", 1, {"0%"}, {}, 143);
        row("1 port, a second Ctrl+C stops at once", 1, {"20%", "50%"}, kCtrlC, 130,
            "already reset to factory defaults: its programming is being finished",
            "stopped at step ");
        row("Ctrl+C at the key question: echo back, no adapter touched", 0, {"Schl"}, kCtrlC, 130,
            "bei der Frage nach Schlüssel oder Passwort abgebrochen: kein WLAN-Produkt wurde "
            "angesprochen");
        row("key typed at the question: not echoed, echo back after", 0, {"Schl"}, "short\n", 1,
            "Ein WPA Schlüssel muss 8-63 Zeichen haben");
    }
    void stops() {
        QFETCH(int, ports);
        QFETCH(QByteArrayList, when);
        QFETCH(QByteArray, typed);
        QFETCH(int, code);
        QFETCH(QByteArray, shown);
        // The adapters, then velinor-cli with standard input and error on a terminal of its own
        // (a progress bar there), standard output in a file.
        QTemporaryDir dir;
        std::vector<std::unique_ptr<QProcess>> sims;
        QByteArrayList args = QByteArray(VELINOR_CLI " configure --ssid office --access-point "
                                                     "--security WPA2 --channel 6 --lang")
                                  .split(' ');
        args << (ports == 0 ? "de" : "en") << "--log" << dir.filePath("log").toUtf8();
        QStringList paths;
        for (int i = 0; i < ports; ++i) {
            sims.push_back(std::make_unique<QProcess>());
            sims.back()->start(VELINOR_SIM, {"--key-delay", "0"});
            QVERIFY(sims.back()->waitForReadyRead(10000));
            paths << QString::fromUtf8(sims.back()->readLine().trimmed());
            args << "--port" << paths.back().toUtf8();
        }
        if (ports == 0)
            args << "--port"
                 << "/dev/null";
        else if (fakes::writeFile(dir.filePath("key"), "passphrase1\n"))
            args << "--key-file" << dir.filePath("key").toUtf8();
        std::vector<char*> argv;
        for (QByteArray& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const QByteArray outPath = dir.filePath("out").toUtf8();
        int master = -1, slave = -1;
        QVERIFY(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setsid();
            ::ioctl(slave, TIOCSCTTY, 0);
            ::dup2(slave, STDIN_FILENO);
            ::dup2(::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            ::dup2(slave, STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        QVERIFY(pid > 0 && ::fcntl(master, F_SETFL, O_NONBLOCK) == 0);
        // The terminal read, each trigger done in turn, until the program ends.
        QByteArray terminal;
        int status = -1;
        for (qsizetype turn = 0, next = 0; turn < 1500; ++turn, QTest::qWait(20)) {
            char buffer[4096];
            for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
                terminal.append(buffer, n);
            if (status >= 0)
                break;
            if (next < when.size() && terminal.contains(when[next])) {
                ++next;
                QVERIFY(ports > 0 || !echoOn(slave)); // the question's echo is off
                if (typed.isEmpty())
                    ::kill(pid, code - 128);
                else
                    QCOMPARE(::write(master, typed.constData(), size_t(typed.size())),
                             ssize_t(typed.size()));
            }
            if (::waitpid(pid, &status, WNOHANG) != pid)
                status = -1;
        }
        const QByteArray out = fakes::readFile(QString::fromUtf8(outPath));
        const QByteArray log = fakes::readFile(dir.filePath("log"));
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == code, terminal + out);
        QVERIFY(echoOn(slave));
        if (ports == 0) {
            QVERIFY(out.isEmpty() && !terminal.contains("short"));
            QVERIFY2(terminal.contains(shown), terminal);
            QCOMPARE(log.contains("SIGINT: " + shown), code == 130);
        }
        QFETCH(QByteArray, result);
        for (const QString& path : paths) {
            const QByteArray prefix = path.toUtf8() + ": ";
            // Another program can take the port as velinor-cli does: exclusive and locked.
            QtSerialPort port;
            QVERIFY(port.open(path).result == OpenResult::Ok);
            QVERIFY2(out.contains(prefix + result), out);
            QVERIFY2(terminal.contains(prefix + shown), terminal);
            QVERIFY2(log.contains(": " + prefix + shown), log);
        }
        ::close(master);
        ::close(slave);
        for (auto& sim : sims) {
            sim->kill();
            sim->waitForFinished();
        }
    }
};

QTEST_GUILESS_MAIN(TestCliSignals)
#include "test_cli_signals.moc"
