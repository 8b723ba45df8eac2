// The production serial port over a real pseudo-terminal. This one runs in real time.
#include "link/qt_serial_port.h"

#include <QElapsedTimer>
#include <QTest>

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
    void commandArrivesUnchanged() {
        Pty pty;
        QVERIFY(pty.ok());
        QtSerialPort port;
        QCOMPARE(port.open(pty.name).result, OpenResult::Ok);
        const QByteArray command = "AT+IWLSI=office\r";
        QCOMPARE(port.write(command, 100), qint64(command.size()));
        QCOMPARE(pty.receive(300), command);
    }

    void replyWithinWindow_data() {
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("early");
        // A reply shorter than the read size is read after the whole window.
        QTest::newRow("whole reply") << 5220 << 22 << false;
        // A read that gets all it asked for returns at once.
        QTest::newRow("read size reached") << 8 << 8 << true;
    }
    void replyWithinWindow() {
        QFETCH(int, maxBytes);
        QFETCH(int, expected);
        QFETCH(bool, early);
        Pty pty;
        QVERIFY(pty.ok());
        QtSerialPort port;
        QCOMPARE(port.open(pty.name).result, OpenResult::Ok);
        const QByteArray reply = "AT+IBDRF?\r\n9\r\nI/OK\r\n\r\n";
        QVERIFY(pty.send(reply));
        QElapsedTimer timer;
        timer.start();
        const QByteArray got = port.read(maxBytes, 100);
        const qint64 took = timer.elapsed();
        QCOMPARE(got, reply.left(expected));
        if (early)
            QVERIFY2(took < 90, qPrintable(QString::number(took)));
        else
            QVERIFY2(took >= 95 && took < 600, qPrintable(QString::number(took)));
    }

    void readWithNothingPending() {
        Pty pty;
        QVERIFY(pty.ok());
        QtSerialPort port;
        QCOMPARE(port.open(pty.name).result, OpenResult::Ok);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(port.read(5220, 100), QByteArray());
        const qint64 took = timer.elapsed();
        QVERIFY2(took >= 95 && took < 600, qPrintable(QString::number(took)));
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

    void open_data() {
        QTest::addColumn<QString>("holder"); // "", "qt" (another QtSerialPort), "flock"
        QTest::addColumn<bool>("missing");
        QTest::addColumn<int>("result");
        QTest::newRow("free") << QString() << false << int(OpenResult::Ok);
        QTest::newRow("no such device") << QString() << true << int(OpenResult::NotFound);
        QTest::newRow("held by this tool")
            << QStringLiteral("qt") << false << int(OpenResult::Failed);
        QTest::newRow("held by another program")
            << QStringLiteral("flock") << false << int(OpenResult::Failed);
    }
    void open() {
        QFETCH(QString, holder);
        QFETCH(bool, missing);
        QFETCH(int, result);
        Pty pty;
        QVERIFY(pty.ok());
        const QString name = missing ? pty.name + QStringLiteral("-gone") : pty.name;
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
        const OpenStatus status = second.open(name);
        QCOMPARE(int(status.result), result);
        QCOMPARE(second.isOpen(), result == int(OpenResult::Ok));
        if (result == int(OpenResult::Ok)) {
            QCOMPARE(status.errorCode, 0);
        } else {
            QVERIFY(!status.errorText.isEmpty());
            QCOMPARE(second.lastError(), status.errorCode);
        }
        if (missing)
            QCOMPARE(status.errorCode, ENOENT);
        else if (result == int(OpenResult::Failed))
            QVERIFY(status.errorCode != 0);
        if (lockFd >= 0)
            ::close(lockFd);
        // Once the holder has let go, the port opens.
        first.close();
        if (!missing) {
            second.close();
            QCOMPARE(second.open(pty.name).result, OpenResult::Ok);
        }
    }

    void lineSettingsWrittenBack() {
        Pty pty;
        QVERIFY(pty.ok());
        QtSerialPort port;
        LineSettings settings;
        QVERIFY(!port.readLineSettings(settings));
        QCOMPARE(port.open(pty.name).result, OpenResult::Ok);
        QVERIFY(port.readLineSettings(settings));
        QVERIFY(settings.baudRate > 0);
        QVERIFY(port.writeLineSettings(settings));
        LineSettings again;
        QVERIFY(port.readLineSettings(again));
        QCOMPARE(again.baudRate, settings.baudRate);
        QCOMPARE(again.dataBits, settings.dataBits);
        QCOMPARE(again.parity, settings.parity);
        QCOMPARE(again.stopBits, settings.stopBits);
        QCOMPARE(again.flowControl, settings.flowControl);
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
