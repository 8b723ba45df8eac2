#include "app/clock.h"
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
        QTest::addColumn<bool>("alreadyOpen");
        QTest::addColumn<bool>("heldElsewhere");
        QTest::addColumn<bool>("vanished");
        QTest::addColumn<int>("failOpens");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("code");
        const QString dev = QStringLiteral("/dev/ttyACM0");
        QTest::newRow("ok") << dev << false << false << false << 0 << int(OpenResult::Ok) << 0;
        QTest::newRow("other name") << QStringLiteral("/dev/ttyACM1") << false << false << false
                                    << 0 << int(OpenResult::NotFound) << ENOENT;
        QTest::newRow("vanished") << dev << false << false << true << 0 << int(OpenResult::NotFound)
                                  << ENOENT;
        QTest::newRow("failing opens")
            << dev << false << false << false << 2 << int(OpenResult::NotFound) << ENOENT;
        QTest::newRow("already open")
            << dev << true << false << false << 0 << int(OpenResult::Failed) << EBUSY;
        QTest::newRow("held elsewhere")
            << dev << false << true << false << 0 << int(OpenResult::Failed) << EBUSY;
    }
    void open() {
        QFETCH(QString, name);
        QFETCH(bool, alreadyOpen);
        QFETCH(bool, heldElsewhere);
        QFETCH(bool, vanished);
        QFETCH(int, failOpens);
        QFETCH(int, result);
        QFETCH(int, code);
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        if (alreadyOpen)
            QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        port.setHeldElsewhere(heldElsewhere);
        model.setVanished(vanished);
        model.failOpens(failOpens);
        const OpenStatus status = port.open(name);
        QCOMPARE(int(status.result), result);
        QCOMPARE(status.errorCode, code);
        QCOMPARE(status.errorText.isEmpty(), code == 0);
        QCOMPARE(port.lastError(), code);
        QCOMPARE(port.isOpen(), alreadyOpen || result == int(OpenResult::Ok));
        QCOMPARE(port.openCount(), alreadyOpen ? 2 : 1);
        QCOMPARE(clock.elapsedMs(), 0);
    }

    void failedOpensRunOut() {
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        model.failOpens(3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(port.open(port.deviceName()).result, OpenResult::NotFound);
        QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        QCOMPARE(port.openCount(), 4);
    }

    void closedPortFails() {
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        QCOMPARE(port.write("AT+IFD\r", 100), qint64(-1));
        QVERIFY(port.read(10, 100).isEmpty());
        QCOMPARE(clock.elapsedMs(), 0);
        QVERIFY(model.transcript().isEmpty());
        QVERIFY(port.lastError() != 0);
        port.clearError();
        QCOMPARE(port.lastError(), 0);
    }

    // The reply "AT+IWLCH=6\r\nI/OK\r\n" (18 bytes) is due at the given time.
    void read_data() {
        QTest::addColumn<int>("replyDelay");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("waited");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray reply = "AT+IWLCH=6\r\nI/OK\r\n";
        QTest::newRow("due, fewer than max: full window") << 0 << 5220 << 100 << 100 << reply;
        QTest::newRow("due, max at once") << 0 << 6 << 100 << 0 << QByteArray("AT+IWL");
        QTest::newRow("exactly max at once") << 0 << 18 << 100 << 0 << reply;
        QTest::newRow("arrives in window") << 60 << 5220 << 100 << 100 << reply;
        QTest::newRow("fills max in window") << 60 << 18 << 100 << 60 << reply;
        QTest::newRow("after window") << 150 << 5220 << 100 << 100 << QByteArray();
        QTest::newRow("zero window") << 0 << 5220 << 0 << 0 << reply;
    }
    void read() {
        QFETCH(int, replyDelay);
        QFETCH(int, maxBytes);
        QFETCH(int, timeout);
        QFETCH(int, waited);
        QFETCH(QByteArray, bytes);
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        model.setDelay("AT+IWLCH", replyDelay);
        QCOMPARE(port.write("AT+IWLCH=6\r", 100), qint64(11));
        QCOMPARE(port.read(maxBytes, timeout), bytes);
        QCOMPARE(clock.elapsedMs(), waited);
        QCOMPARE(port.readCount(), 1);
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
        QCOMPARE(port.discardCount(), 1);
    }

    void lineSettings() {
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        LineSettings settings;
        QVERIFY(!port.readLineSettings(settings));
        QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        QVERIFY(port.readLineSettings(settings));
        QCOMPARE(settings.baudRate, 9600);
        QCOMPARE(settings.dataBits, 8);
        settings.baudRate = 115200;
        QVERIFY(port.writeLineSettings(settings));
        QCOMPARE(port.lineSettings().baudRate, 115200);
        QCOMPARE(port.lineSettingsWrites(), 1);
        port.setLineSettingsReadable(false);
        QVERIFY(!port.readLineSettings(settings));
    }
};

QTEST_GUILESS_MAIN(TestSimSerialPort)
#include "test_sim_serial_port.moc"
