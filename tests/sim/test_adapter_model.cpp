// The simulated adapter and its in-process serial port, in virtual time.
#include "base/clock.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QTest>

#include <cerrno>

using namespace velinor;
using Fault = AdapterModel::Fault;

class TestAdapterModel : public QObject {
    Q_OBJECT
private slots:
    void replies_data() {
        QTest::addColumn<QByteArray>("input"); // commands sent one after the other
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("setting") << QByteArray("AT+IWLSI=office\r")
                                 << QByteArray("AT+IWLSI=office\r\nI/OK\r\n");
        QTest::newRow("stored and asked, terminal line ends")
            << QByteArray("AT+IWLSI=!why?\r\nAT+IWLSI?\r\n")
            << QByteArray("AT+IWLSI=!why?\r\nI/OK\r\nAT+IWLSI?\r\n!why?\r\nI/OK\r\n");
        QTest::newRow("probe") << QByteArray("AT+IBDRF?\r")
                               << QByteArray("AT+IBDRF?\r\na\r\nI/OK\r\n");
        QTest::newRow("unknown, query with junk, empty line")
            << QByteArray("AT+IXYZ=1\rAT+IWLCH?x\r\r")
            << QByteArray("AT+IXYZ=1\r\nI/ERROR\r\nAT+IWLCH?x\r\nI/ERROR\r\n");
        QTest::newRow("scan") << QByteArray("AT+IRP20\r")
                              << "AT+IRP20\r\n" + AdapterModel::defaultNetworks().join("\r\n") +
                                     "\r\nI/OK\r\n";
    }
    void replies() {
        QFETCH(QByteArray, input);
        ManualClock clock;
        AdapterModel model(clock);
        model.receive(input + "AT+IWL");
        QCOMPARE(model.pendingInput(), 6);
        clock.advance(AdapterModel::kDefaultScanDelayMs);
        QTEST(model.takeOutput(1 << 20), "output");
    }

    void restartAndDefaults() {
        ManualClock clock;
        AdapterModel model(clock);
        const QByteArray defaultSsid = model.stored("WLSI");
        model.receive("AT+IWLSI=office\rAT+IWPP0=secret\r");
        QCOMPARE(model.running("WLSI"), defaultSsid);
        model.receive("AT+IDOWN\r");
        QCOMPARE(model.running("WPP0"), QByteArray("secret"));
        QCOMPARE(model.restarts(), 1);
        model.receive("AT+IFD\r");
        QCOMPARE(model.stored("WLSI"), defaultSsid);
        QCOMPARE(model.running("WLSI"), QByteArray("office"));
    }

    void timing_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("delay");         // of the setting; -1: none
        QTest::addColumn<QByteArray>("output"); // of the setting, then of "AT+IWLCH=1\r"
        QTest::addColumn<int>("dueMs");
        QTest::newRow("late, later commands do not overtake")
            << int(Fault::None) << 1500
            << QByteArray("AT+IWPP0=s\r\nI/OK\r\nAT+IWLCH=1\r\nI/OK\r\n") << 1500;
        QTest::newRow("key delay")
            << int(Fault::None) << -1 << QByteArray("AT+IWPP0=s\r\nI/OK\r\nAT+IWLCH=1\r\nI/OK\r\n")
            << AdapterModel::kDefaultKeyDelayMs;
        QTest::newRow("silent") << int(Fault::Silent) << -1 << QByteArray("AT+IWLCH=1\r\nI/OK\r\n")
                                << 0;
        QTest::newRow("error") << int(Fault::Error) << -1
                               << QByteArray("AT+IWPP0=s\r\nI/ERROR\r\nAT+IWLCH=1\r\nI/OK\r\n")
                               << AdapterModel::kDefaultKeyDelayMs;
    }
    void timing() {
        QFETCH(int, fault);
        QFETCH(int, delay);
        QFETCH(int, dueMs);
        ManualClock clock;
        AdapterModel model(clock);
        model.setFault("AT+IWPP0", Fault(fault));
        model.setDelay("AT+IWPP0", delay);
        model.receive("AT+IWPP0=s\rAT+IWLCH=1\r");
        QCOMPARE(model.nextDueMs(), dueMs ? dueMs : -1);
        clock.advance(qMax(dueMs - 1, 0));
        QCOMPARE(model.pendingOutput() > 0, dueMs == 0);
        clock.advance(1);
        QTEST(model.takeOutput(1 << 20), "output");
        QCOMPARE(model.stored("WPP0"), fault ? QByteArray() : QByteArray("s"));
    }

    void garbageAndSplit() {
        ManualClock clock;
        AdapterModel model(clock);
        model.setFault("AT+IWLSI", Fault::Garbage);
        model.receive("AT+IWLSI=x\r");
        const QByteArray got = model.takeOutput(1 << 20);
        QVERIFY(got.size() >= 32 && got.contains('\0') && got.contains('\xff'));
        QVERIFY(!got.contains("I/OK") && !got.contains("I/ERROR"));
        model.setSplit(3, 400);
        model.receive("AT+IWLCH=6\r");
        QByteArray collected;
        for (int i = 0; i < 3; ++i, clock.advance(400))
            collected += model.takeOutput(1 << 20);
        QCOMPARE(collected, QByteArray("AT+IWLCH=6\r\nI/OK\r\n"));
    }

    // A line longer than the input bound is thrown away; a long certificate within it is served.
    void inputBound() {
        ManualClock clock;
        AdapterModel model(clock);
        for (int i = 0; i < 64; ++i)
            model.receive(QByteArray(4096, 'x'));
        QVERIFY(model.pendingInput() <= AdapterModel::kMaxPendingInput);
        QVERIFY(model.droppedBytes() > 0);
        model.receive("tail\rAT+IWLCH=3\r");
        QCOMPARE(model.takeOutput(1 << 20), QByteArray("I/ERROR\r\nAT+IWLCH=3\r\nI/OK\r\n"));
        const QByteArray pem = "-----BEGIN\n" + QByteArray(10000, 'A') + "\n-----END\n";
        model.receive("AT+ICA=" + pem + "\r");
        QCOMPARE(model.stored("CA"), pem);
    }

    // The reply "AT+IWLCH=6\r\nI/OK\r\n" (18 bytes) is due at the given time.
    void portRead_data() {
        QTest::addColumn<int>("replyDelay");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("waited");
        QTest::addColumn<int>("bytes");
        QTest::newRow("due, fewer than max: full window") << 0 << 5220 << 100 << 18;
        QTest::newRow("due, max at once") << 0 << 6 << 0 << 6;
        QTest::newRow("fills max in the window") << 60 << 18 << 60 << 18;
        QTest::newRow("after the window") << 150 << 5220 << 100 << 0;
    }
    void portRead() {
        QFETCH(int, replyDelay);
        QFETCH(int, maxBytes);
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        QCOMPARE(port.open(QStringLiteral("/dev/ttyACM1")).result, OpenResult::NotFound);
        QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        QCOMPARE(port.open(port.deviceName()).errorCode, EBUSY);
        model.setDelay("AT+IWLCH", replyDelay);
        QCOMPARE(port.write("AT+IWLCH=6\r", 100), qint64(11));
        QTEST(int(port.read(maxBytes, 100).size()), "bytes");
        QTEST(int(clock.elapsedMs()), "waited");
    }

    void portVanishes() {
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        QCOMPARE(port.open(port.deviceName()).result, OpenResult::Ok);
        model.vanishAfter(1);
        QCOMPARE(port.write("AT+IWLCH=1\r", 100), qint64(11));
        QCOMPARE(port.write("AT+IWLCH=2\r", 100), qint64(-1));
        QCOMPARE(model.transcript().size(), 1);
        QVERIFY(port.read(100, 100).isEmpty());
        QCOMPARE(clock.elapsedMs(), 0); // a failed read does not wait
        port.close();
        QCOMPARE(port.open(port.deviceName()).result, OpenResult::NotFound);
        model.setVanished(false);
        port.setHeldElsewhere(true);
        QCOMPARE(port.open(port.deviceName()).errorCode, EBUSY);
    }
};

QTEST_GUILESS_MAIN(TestAdapterModel)
#include "test_adapter_model.moc"
