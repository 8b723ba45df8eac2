// The production serial port over a real pseudo-terminal. This one runs in real time.
#include "link/qt_serial_port.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

using namespace velinor;

namespace {

// A pseudo-terminal whose port side the tests open by its device path.
struct Pty {
    int master = -1;
    QString name;

    Pty() {
        int slave = -1;
        char path[256] = {};
        if (::openpty(&master, &slave, path, nullptr, nullptr) != 0)
            return;
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::close(slave);
        name = QString::fromLocal8Bit(path);
    }
    ~Pty() {
        if (master >= 0)
            ::close(master);
    }
    bool ok() const { return master >= 0; }

    // Everything that arrives on the master side within the time given.
    QByteArray receive(int ms) const {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        for (qint64 left = ms; left > 0; left = ms - timer.elapsed()) {
            pollfd pfd{master, POLLIN, 0};
            if (::poll(&pfd, 1, int(left)) <= 0 || !(pfd.revents & POLLIN))
                break;
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }
    bool send(const QByteArray& bytes) const {
        return ::write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
};

} // namespace

class TestQtSerialPort : public QObject {
    Q_OBJECT
private slots:
    void replyWithinWindow_data() {
        QTest::addColumn<bool>("thread"); // a thread without event loop waits blocking
        QTest::addColumn<int>("first");   // bytes read before, which fills the port's buffer
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<bool>("early");
        // A reply shorter than the read size is read after the whole window; a read
        // that gets all it asked for returns at once.
        for (const bool thread : {false, true}) {
            QTest::addRow("whole reply%s", thread ? ", blocking" : "")
                << thread << 0 << 5220 << false;
            QTest::addRow("read size reached%s", thread ? ", blocking" : "")
                << thread << 0 << 8 << true;
        }
        QTest::newRow("one byte") << false << 0 << 1 << true;
        QTest::newRow("the rest already buffered") << false << 4 << 18 << true;
    }
    void replyWithinWindow() {
        QFETCH(bool, thread);
        QFETCH(int, first);
        QFETCH(int, maxBytes);
        QFETCH(bool, early);
        const QByteArray reply = "AT+IBDRF?\r\n9\r\nI/OK\r\n\r\n";
        Pty pty;
        QVERIFY(pty.ok());
        QByteArray got;
        qint64 took = -1;
        auto run = [&] {
            QtSerialPort port;
            if (port.open(pty.name).result != OpenResult::Ok || port.write("", 100) != 0 ||
                port.write("AT+IBDRF?\r", 100) != 10 || pty.receive(300) != "AT+IBDRF?\r" ||
                !pty.send(reply))
                return;
            QThread::msleep(20);
            got = first ? port.read(first, 100) : QByteArray();
            QElapsedTimer timer;
            timer.start();
            got += port.read(maxBytes, 100);
            took = timer.elapsed();
        };
        if (thread)
            std::thread(run).join();
        else
            run();
        QCOMPARE(got, reply.left(first + qMin<int>(maxBytes, reply.size())));
        QVERIFY2(early ? took < 90 : took >= 95 && took < 600, qPrintable(QString::number(took)));
    }

    void discardInput() {
        Pty pty;
        QVERIFY(pty.ok());
        QtSerialPort port;
        QCOMPARE(port.open(pty.name).result, OpenResult::Ok);
        QVERIFY(pty.send("AT+IWLSI=x\r\nI/OK\r\n"));
        QTest::qWait(50);
        // Some of it already in the port's own buffer, the rest still in the kernel.
        QCOMPARE(port.read(4, 100), QByteArray("AT+I"));
        port.discardInput();
        QCOMPARE(port.read(5220, 100), QByteArray());
        QVERIFY(pty.send("I/ERROR\r\n"));
        QCOMPARE(port.read(5220, 100), QByteArray("I/ERROR\r\n"));
    }

    // A second open fails while the port is held, also as root.
    void open_data() {
        QTest::addColumn<QString>("holder"); // "", "qt" (another QtSerialPort), "flock"
        QTest::addColumn<bool>("missing");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("code"); // -1: any error
        QTest::newRow("free") << QString() << false << int(OpenResult::Ok) << 0;
        QTest::newRow("no such device") << QString() << true << int(OpenResult::NotFound) << ENOENT;
        QTest::newRow("held by this tool") << "qt" << false << int(OpenResult::Failed) << -1;
        QTest::newRow("held by another program")
            << "flock" << false << int(OpenResult::Failed) << -1;
    }
    void open() {
        QFETCH(QString, holder);
        QFETCH(bool, missing);
        QFETCH(int, result);
        QFETCH(int, code);
        Pty pty;
        QVERIFY(pty.ok());
        QtSerialPort first;
        int lockFd = -1;
        if (holder == "qt") {
            QCOMPARE(first.open(pty.name).result, OpenResult::Ok);
        } else if (holder == "flock") {
            lockFd = ::open(pty.name.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
            QVERIFY(lockFd >= 0);
            QCOMPARE(::flock(lockFd, LOCK_EX | LOCK_NB), 0);
        }
        QtSerialPort second;
        const OpenStatus status = second.open(missing ? pty.name + "-gone" : pty.name);
        QCOMPARE(int(status.result), result);
        QCOMPARE(second.isOpen(), code == 0);
        if (code >= 0)
            QCOMPARE(status.errorCode, code);
        else
            QVERIFY(status.errorCode != 0);
        QCOMPARE(status.errorText.isEmpty(), code == 0);
        QCOMPARE(second.lastError(), status.errorCode);
        if (lockFd >= 0)
            ::close(lockFd);
        // Once the holder has let go, the port opens.
        first.close();
        second.close();
        QCOMPARE(second.open(pty.name).result, OpenResult::Ok);
    }

    void closedPortFails() {
        QtSerialPort port;
        QCOMPARE(port.write("AT+IFD\r", 100), qint64(-1));
        QVERIFY(port.lastError() != 0);
        port.clearError();
        QElapsedTimer timer;
        timer.start();
        QVERIFY(port.read(10, 100).isEmpty());
        QVERIFY(timer.elapsed() < 50);
        QVERIFY(port.lastError() != 0);
    }
};

QTEST_GUILESS_MAIN(TestQtSerialPort)
#include "test_qt_serial_port.moc"
