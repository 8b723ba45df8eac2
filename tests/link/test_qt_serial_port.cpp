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
#include <unistd.h>

using namespace velinor;

namespace {
constexpr int kWindowMs = 800;
enum class Holder { Nobody, ThisTool, OtherProgram, NoDevice }; // of the port before the open

// A pseudo-terminal whose port side the tests open by its device path.
struct Pty {
    int master = -1;
    QString name;

    Pty() {
        int slave = -1;
        char path[256] = {};
        if (::openpty(&master, &slave, path, nullptr, nullptr) != 0)
            return;
        ::close(slave);
        name = QString::fromLocal8Bit(path);
    }
    ~Pty() { vanish(); }
    void vanish() { // as an adapter pulled out
        ::close(master);
        master = -1;
    }
    // What arrives on the master side within 300 ms.
    QByteArray receive() const {
        pollfd pfd{master, POLLIN, 0};
        char buffer[256];
        const ssize_t n = ::poll(&pfd, 1, 300) > 0 ? ::read(master, buffer, sizeof buffer) : 0;
        return QByteArray(buffer, qMax<ssize_t>(n, 0));
    }
    bool send(const QByteArray& bytes) const {
        return ::write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
};

} // namespace

class TestQtSerialPort : public QObject {
    Q_OBJECT
private slots:
    // A read after the adapter's reply has come.
    void read_data() {
        QTest::addColumn<bool>("thread");  // a thread without event loop waits blocking
        QTest::addColumn<int>("first");    // bytes read before, which fills the port's buffer
        QTest::addColumn<bool>("discard"); // the input thrown away after those
        QTest::addColumn<int>("maxBytes");
        QTest::newRow("whole reply") << false << 0 << false << 5220;
        QTest::newRow("whole reply, blocking") << true << 0 << false << 5220;
        QTest::newRow("read size reached, blocking") << true << 0 << false << 8;
        QTest::newRow("the whole reply's size, blocking") << true << 0 << false << 22;
        QTest::newRow("one byte") << false << 0 << false << 1;
        QTest::newRow("the whole reply's size") << false << 0 << false << 22;
        QTest::newRow("the rest already buffered") << false << 4 << false << 18;
        QTest::newRow("discarded") << false << 4 << true << 5220;
    }
    void read() {
        QFETCH(bool, thread);
        QFETCH(int, first);
        QFETCH(bool, discard);
        QFETCH(int, maxBytes);
        const QByteArray reply = "AT+IBDRF?\r\n9\r\nI/OK\r\n\r\n";
        Pty pty;
        QVERIFY(!pty.name.isEmpty());
        QByteArray got;
        qint64 took = -1;
        auto run = [&] {
            QtSerialPort port;
            if (port.open(pty.name).result != OpenResult::Ok || port.write("", 100) != 0 ||
                port.write("AT+IBDRF?\r", 100) != 10 || pty.receive() != "AT+IBDRF?\r" ||
                !pty.send(reply))
                return;
            QThread::msleep(20);
            got = first ? port.read(first, 100) : QByteArray();
            if (discard)
                port.discardInput();
            QElapsedTimer timer;
            timer.start();
            got += port.read(maxBytes, kWindowMs);
            took = timer.elapsed();
        };
        if (thread)
            std::thread(run).join();
        else
            run();
        QCOMPARE(got, reply.left(discard ? first : first + maxBytes));
        // A read that gets all it asked for returns at once, else after the whole window. The
        // window is long so that a loaded machine cannot blur the two.
        const bool early = !discard && first + maxBytes <= reply.size();
        QVERIFY2(early ? took < kWindowMs / 2 : took >= kWindowMs - 5 && took < 5 * kWindowMs,
                 qPrintable(QString::number(took)));
    }

    // The adapter vanishes during a read window: the read ends at once with an error, and the
    // port's next write fails.
    void vanishes_data() {
        QTest::addColumn<bool>("thread");
        QTest::newRow("event loop") << false;
        QTest::newRow("blocking") << true;
    }
    void vanishes() {
        QFETCH(bool, thread);
        Pty pty;
        QtSerialPort port;
        QVERIFY(port.open(pty.name).result == OpenResult::Ok);
        qint64 took = -1;
        int error = 0;
        QByteArray got = "none";
        auto run = [&] {
            std::thread vanishing([&] {
                QThread::msleep(100);
                pty.vanish();
            });
            QElapsedTimer timer;
            timer.start();
            got = port.read(100, 4 * kWindowMs);
            took = timer.elapsed();
            error = port.lastError();
            vanishing.join();
        };
        if (thread)
            std::thread(run).join();
        else
            run();
        QVERIFY2(took < 2 * kWindowMs, qPrintable(QString::number(took)));
        QVERIFY(got.isEmpty() && error != 0);
        QCOMPARE(port.write("AT+IFD\r", 100), -1);
    }

    // A command longer than the terminal's buffer goes out whole while the adapter reads. When
    // it does not read, what did not go out in time is dropped (also from the terminal's
    // buffer), not sent before the next command.
    void longCommand() {
        Pty pty;
        QtSerialPort port;
        QVERIFY(port.open(pty.name).result == OpenResult::Ok);
        const QByteArray command = "AT+IEUSN=" + QByteArray(20000, 'u') + "\r";
        const auto adapterReads = [&](const QByteArray& end) { // for up to 5 s
            QByteArray received;
            QElapsedTimer timer;
            timer.start();
            while (!received.endsWith(end) && timer.elapsed() < 5000)
                received += pty.receive();
            return received;
        };
        QByteArray received;
        std::thread adapter([&] { received = adapterReads("\r"); });
        QCOMPARE(port.write(command, 5000), command.size());
        adapter.join();
        QCOMPARE(received, command);

        const qint64 cut = port.write(command, 300); // nobody reads
        QVERIFY(cut < command.size() && port.lastError() == ETIMEDOUT);
        adapter = std::thread([&] { received = adapterReads("AT+IFD\r"); });
        QCOMPARE(port.write("AT+IFD\r", 1000), 7);
        adapter.join();
        const qsizetype before = received.size() - 7; // what the adapter got of the long one
        QVERIFY(before < command.size());
        QCOMPARE(received, command.left(before) + "AT+IFD\r");
    }

    // A second open fails while the port is held, also as root.
    void open_data() {
        QTest::addColumn<Holder>("holder");
        QTest::addColumn<OpenResult>("result");
        QTest::addColumn<int>("code"); // the error number; -1: any but 0
        QTest::newRow("free") << Holder::Nobody << OpenResult::Ok << 0;
        QTest::newRow("no such device") << Holder::NoDevice << OpenResult::NotFound << ENOENT;
        QTest::newRow("held by this tool") << Holder::ThisTool << OpenResult::Failed << -1;
        QTest::newRow("held by another program")
            << Holder::OtherProgram << OpenResult::Failed << -1;
    }
    void open() {
        QFETCH(Holder, holder);
        QFETCH(OpenResult, result);
        QFETCH(int, code);
        Pty pty;
        QVERIFY(!pty.name.isEmpty());
        QtSerialPort first;
        const int lockFd = holder == Holder::OtherProgram
                               ? ::open(pty.name.toLocal8Bit().constData(), O_RDWR | O_NOCTTY)
                               : -1;
        QVERIFY(holder != Holder::OtherProgram || ::flock(lockFd, LOCK_EX | LOCK_NB) == 0);
        QVERIFY(holder != Holder::ThisTool || first.open(pty.name).result == OpenResult::Ok);
        QtSerialPort second;
        const OpenStatus status =
            second.open(holder == Holder::NoDevice ? pty.name + "-gone" : pty.name);
        QCOMPARE(status.result, result);
        QCOMPARE(second.isOpen(), result == OpenResult::Ok);
        QVERIFY(code >= 0 ? status.errorCode == code : status.errorCode != 0);
        QCOMPARE(status.errorText.isEmpty(), code == 0);
        QCOMPARE(second.lastError(), status.errorCode);
        ::close(lockFd);
        // A closed port fails; once the holder has let go, the port opens and takes its line
        // settings (19200 baud, two stop bits, hardware flow control).
        first.close();
        second.close();
        LineSettings line{19200, 8, 0, 2, 1}, read;
        QVERIFY(second.write("AT+IFD\r", 100) == -1 && second.read(10, 100).isEmpty());
        QVERIFY(!second.readLineSettings(read) && !second.writeLineSettings(line));
        QCOMPARE(second.open(pty.name).result, OpenResult::Ok);
        QVERIFY(second.writeLineSettings(line) && second.readLineSettings(read));
        QCOMPARE((QList<int>{read.baudRate, read.dataBits, read.parity, read.stopBits,
                             read.flowControl}),
                 (QList<int>{19200, 8, 0, 2, 1}));
    }
};

QTEST_GUILESS_MAIN(TestQtSerialPort)
#include "test_qt_serial_port.moc"
