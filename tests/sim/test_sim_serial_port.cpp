#include "base/clock.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QTest>

#include <cerrno>

using namespace velinor;

class TestSimSerialPort : public QObject {
    Q_OBJECT
private slots:
    void open_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("code");
        const QString dev = QStringLiteral("/dev/ttyACM0");
        QTest::newRow("ok") << dev << "" << int(OpenResult::Ok) << 0;
        QTest::newRow("other name")
            << QStringLiteral("/dev/ttyACM1") << "" << int(OpenResult::NotFound) << ENOENT;
        QTest::newRow("vanished") << dev << "vanished" << int(OpenResult::NotFound) << ENOENT;
        QTest::newRow("failing opens") << dev << "failing" << int(OpenResult::NotFound) << ENOENT;
        QTest::newRow("already open") << dev << "open" << int(OpenResult::Failed) << EBUSY;
        QTest::newRow("held elsewhere") << dev << "held" << int(OpenResult::Failed) << EBUSY;
    }
    void open() {
        QFETCH(QString, name);
        QFETCH(QString, state);
        QFETCH(int, result);
        QFETCH(int, code);
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        if (state == "open")
            QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        port.setHeldElsewhere(state == "held");
        model.setVanished(state == "vanished");
        model.failOpens(state == "failing" ? 2 : 0);
        const OpenStatus status = port.open(name);
        QCOMPARE(int(status.result), result);
        QCOMPARE(status.errorCode, code);
        QCOMPARE(status.errorText.isEmpty(), code == 0);
        QCOMPARE(port.lastError(), code);
        QCOMPARE(port.isOpen(), state == "open" || result == int(OpenResult::Ok));
    }

    // The reply "AT+IWLCH=6\r\nI/OK\r\n" (18 bytes) is due at the given time.
    void read_data() {
        QTest::addColumn<int>("replyDelay");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("waited");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray reply = "AT+IWLCH=6\r\nI/OK\r\n";
        QTest::newRow("due, fewer than max: full window") << 0 << 5220 << 100 << reply;
        QTest::newRow("due, max at once") << 0 << 6 << 0 << QByteArray("AT+IWL");
        QTest::newRow("arrives in window") << 60 << 5220 << 100 << reply;
        QTest::newRow("fills max in window") << 60 << 18 << 60 << reply;
        QTest::newRow("after window") << 150 << 5220 << 100 << QByteArray();
    }
    void read() {
        QFETCH(int, replyDelay);
        QFETCH(int, maxBytes);
        QFETCH(int, waited);
        QFETCH(QByteArray, bytes);
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        model.setDelay("AT+IWLCH", replyDelay);
        QCOMPARE(port.write("AT+IWLCH=6\r", 100), qint64(11));
        QCOMPARE(port.read(maxBytes, 100), bytes);
        QCOMPARE(clock.elapsedMs(), waited);
    }

    void discardKeepsWhatIsNotYetSent() {
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        model.setDelay("AT+IWLCH", 500);
        port.write("AT+IWLSI=a\r", 100);
        port.write("AT+IWLCH=6\r", 100);
        port.discardInput();
        QCOMPARE(model.pendingOutput(), 0);
        clock.advance(500);
        QCOMPARE(port.read(5220, 100), QByteArray("AT+IWLCH=6\r\nI/OK\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSimSerialPort)
#include "test_sim_serial_port.moc"
