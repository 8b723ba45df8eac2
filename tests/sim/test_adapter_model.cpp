#include "base/clock.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QTest>

using namespace velinor;
using Fault = AdapterModel::Fault;

class TestAdapterModel : public QObject {
    Q_OBJECT

    // Sends one command and returns everything the model has sent by the time given.
    static QByteArray exchange(AdapterModel& model, ManualClock& clock, const QByteArray& command,
                               qint64 waitMs = 0) {
        model.receive(command);
        clock.advance(waitMs);
        return model.takeOutput(1 << 20);
    }

private slots:
    void splitCommands_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QList<QByteArray>>("commands");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("two and a rest")
            << QByteArray("AT+IFD\rAT+IHIF=4\rAT+IWL")
            << QList<QByteArray>{"AT+IFD\r", "AT+IHIF=4\r"} << QByteArray("AT+IWL");
        QTest::newRow("terminal line ends")
            << QByteArray("AT+IFD\r\nAT+IDOWN\r\n") << QList<QByteArray>{"AT+IFD\r", "AT+IDOWN\r"}
            << QByteArray();
        QTest::newRow("binary kept")
            << QByteArray("AT+ICA=a\0b\xff\r", 12)
            << QList<QByteArray>{QByteArray("AT+ICA=a\0b\xff\r", 12)} << QByteArray();
    }
    void splitCommands() {
        QFETCH(QByteArray, input);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(QByteArray, rest);
        QCOMPARE(AdapterModel::splitCommands(input), commands);
        QCOMPARE(input, rest);
    }

    void replies_data() {
        QTest::addColumn<QByteArray>("before"); // a setting sent first
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("setting") << QByteArray() << QByteArray("AT+IWLSI=office\r")
                                 << QByteArray("AT+IWLSI=office\r\nI/OK\r\n");
        QTest::newRow("empty value")
            << QByteArray() << QByteArray("AT+IWLCH=\r") << QByteArray("AT+IWLCH=\r\nI/OK\r\n");
        QTest::newRow("probe") << QByteArray() << QByteArray("AT+IBDRF?\r")
                               << QByteArray("AT+IBDRF?\r\na\r\nI/OK\r\n");
        QTest::newRow("unknown") << QByteArray() << QByteArray("AT+IXYZ=1\r")
                                 << QByteArray("AT+IXYZ=1\r\nI/ERROR\r\n");
        QTest::newRow("query with junk") << QByteArray() << QByteArray("AT+IWLCH?x\r")
                                         << QByteArray("AT+IWLCH?x\r\nI/ERROR\r\n");
        QTest::newRow("empty line") << QByteArray() << QByteArray("\r") << QByteArray();
        QTest::newRow("ad hoc ssid") << QByteArray("AT+IWLSI=!lab\r") << QByteArray("AT+IWLSI?\r")
                                     << QByteArray("AT+IWLSI?\r\n!lab\r\nI/OK\r\n");
        QTest::newRow("security") << QByteArray("AT+IWST0=4\r") << QByteArray("AT+IWST0?\r")
                                  << QByteArray("AT+IWST0?\r\n4\r\nI/OK\r\n");
        QTest::newRow("query mark in value")
            << QByteArray("AT+IWLSI=why?\r") << QByteArray("AT+IWLSI?\r")
            << QByteArray("AT+IWLSI?\r\nwhy?\r\nI/OK\r\n");
    }
    void replies() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        ManualClock clock;
        AdapterModel model(clock);
        if (!before.isEmpty())
            exchange(model, clock, before);
        QCOMPARE(exchange(model, clock, command), reply);
        QCOMPARE(model.transcript().last(), command);
    }

    void factoryDefaultsAndRestart() {
        ManualClock clock;
        AdapterModel model(clock);
        const QByteArray defaultSsid = model.stored("WLSI");
        exchange(model, clock, "AT+IWLSI=office\r");
        exchange(model, clock, "AT+IWPP0=secret phrase\r", AdapterModel::kDefaultKeyDelayMs);
        QCOMPARE(model.running("WLSI"), defaultSsid);
        exchange(model, clock, "AT+IDOWN\r");
        QCOMPARE(model.running("WLSI"), QByteArray("office"));
        QCOMPARE(model.running("WPP0"), QByteArray("secret phrase"));
        QCOMPARE(model.restarts(), 1);
        exchange(model, clock, "AT+IFD\r");
        QCOMPARE(model.stored("WLSI"), defaultSsid);
        QVERIFY(model.stored("WPP0").isEmpty());
        // The running configuration changes only with the next restart.
        QCOMPARE(model.running("WLSI"), QByteArray("office"));
    }

    void scan_data() {
        QTest::addColumn<QList<QByteArray>>("networks");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("none") << QList<QByteArray>{} << QByteArray("AT+IRP20\r\nI/OK");
        QTest::newRow("two") << QList<QByteArray>{"a,AP,00:00:00:00:00:01,WPA2,6,50",
                                                  "b,ADHOC,00:00:00:00:00:02,NONE,1,70"}
                             << QByteArray("AT+IRP20\r\na,AP,00:00:00:00:00:01,WPA2,6,50\r\n"
                                           "b,ADHOC,00:00:00:00:00:02,NONE,1,70\r\nI/OK\r\n");
    }
    void scan() {
        QFETCH(QList<QByteArray>, networks);
        QFETCH(QByteArray, reply);
        ManualClock clock;
        AdapterModel model(clock);
        model.setNetworks(networks);
        model.receive("AT+IRP20\r");
        clock.advance(AdapterModel::kDefaultScanDelayMs - 1);
        QCOMPARE(model.pendingOutput(), 0);
        clock.advance(1);
        QCOMPARE(model.takeOutput(1 << 20), reply);
    }

    void delays_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("customDelay"); // -1: the model's own delay
        QTest::addColumn<int>("dueMs");
        QTest::newRow("wep key") << QByteArray("AT+IWKY0=12345\r") << -1
                                 << AdapterModel::kDefaultKeyDelayMs;
        QTest::newRow("passphrase")
            << QByteArray("AT+IWPP0=secret\r") << -1 << AdapterModel::kDefaultKeyDelayMs;
        QTest::newRow("setting at once") << QByteArray("AT+IWLCH=6\r") << -1 << 0;
        QTest::newRow("late setting") << QByteArray("AT+IWLCH=6\r") << 1500 << 1500;
    }
    void delays() {
        QFETCH(QByteArray, command);
        QFETCH(int, customDelay);
        QFETCH(int, dueMs);
        ManualClock clock;
        clock.advance(1000);
        AdapterModel model(clock);
        if (customDelay >= 0)
            model.setDelay(AdapterModel::commandName(command), customDelay);
        model.receive(command);
        if (dueMs > 0) {
            QCOMPARE(model.nextDueMs(), 1000 + dueMs);
            clock.advance(dueMs - 1);
            QCOMPARE(model.pendingOutput(), 0);
            clock.advance(1);
        }
        QCOMPARE(model.takeOutput(1 << 20), command.chopped(1) + "\r\nI/OK\r\n");
    }

    void laterCommandsDoNotOvertake() {
        ManualClock clock;
        AdapterModel model(clock);
        model.setDelay("AT+IWLSI", 3000);
        model.receive("AT+IWLSI=a\r");
        model.receive("AT+IWLCH=6\r");
        QCOMPARE(model.pendingOutput(), 0);
        clock.advance(3000);
        QCOMPARE(model.takeOutput(1 << 20),
                 QByteArray("AT+IWLSI=a\r\nI/OK\r\nAT+IWLCH=6\r\nI/OK\r\n"));
    }

    void faults_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("reply"); // garbage: empty here
        QTest::newRow("silent") << int(Fault::Silent) << QByteArray();
        QTest::newRow("error") << int(Fault::Error) << QByteArray("AT+IWLSI=office\r\nI/ERROR\r\n");
        QTest::newRow("garbage") << int(Fault::Garbage) << QByteArray();
    }
    void faults() {
        QFETCH(int, fault);
        QFETCH(QByteArray, reply);
        ManualClock clock;
        AdapterModel model(clock);
        model.setFault("AT+IWLSI", Fault(fault));
        const QByteArray got = exchange(model, clock, "AT+IWLSI=office\r");
        QVERIFY(model.stored("WLSI") != "office");
        QCOMPARE(model.transcript(), QList<QByteArray>{"AT+IWLSI=office\r"});
        if (Fault(fault) == Fault::Garbage) {
            QVERIFY(got.size() >= 32 && got.contains('\0') && got.contains('\xff'));
            QVERIFY(!got.contains("I/OK") && !got.contains("I/ERROR"));
        } else {
            QCOMPARE(got, reply);
            QCOMPARE(model.nextDueMs(), -1);
        }
        // Other commands are not affected.
        QCOMPARE(exchange(model, clock, "AT+IWLCH=1\r"), QByteArray("AT+IWLCH=1\r\nI/OK\r\n"));
    }

    void split() {
        ManualClock clock;
        AdapterModel model(clock);
        model.setSplit(3, 400);
        model.receive("AT+IWLSI=office\r");
        const QByteArray whole = "AT+IWLSI=office\r\nI/OK\r\n";
        QByteArray collected;
        for (int i = 0; i < 3; ++i) {
            const QByteArray part = model.takeOutput(1 << 20);
            QVERIFY(!part.isEmpty() && part.size() < whole.size());
            collected += part;
            QCOMPARE(model.nextDueMs(), i < 2 ? clock.elapsedMs() + 400 : -1);
            clock.advance(400);
        }
        QCOMPARE(collected, whole);
    }

    // A line longer than the input bound is thrown away; a long certificate within it is served.
    void inputBound() {
        ManualClock clock;
        AdapterModel model(clock);
        for (int i = 0; i < 64; ++i) {
            model.receive(QByteArray(4096, 'x'));
            QVERIFY(model.pendingInput() <= AdapterModel::kMaxPendingInput);
        }
        QVERIFY(model.droppedBytes() > 0);
        model.receive("tail\rAT+IWLCH=3\r");
        QCOMPARE(model.takeOutput(1 << 20), QByteArray("I/ERROR\r\nAT+IWLCH=3\r\nI/OK\r\n"));
        QCOMPARE(model.transcript(), QList<QByteArray>{"AT+IWLCH=3\r"});
        const QByteArray pem = "-----BEGIN CERTIFICATE-----\n" + QByteArray(10000, 'A') +
                               "\n-----END CERTIFICATE-----\n";
        model.receive("AT+ICA=" + pem + "\r");
        QCOMPARE(model.stored("CA"), pem);
    }

    void vanishAfter() {
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        QCOMPARE(port.open("/dev/ttyACM0").result, OpenResult::Ok);
        model.vanishAfter(1);
        QCOMPARE(port.write("AT+IWLCH=1\r", 100), qint64(11));
        QVERIFY(port.read(100, 100).contains("I/OK"));
        QCOMPARE(port.write("AT+IWLCH=2\r", 100), qint64(-1));
        QCOMPARE(model.transcript().size(), 1);
        QVERIFY(port.read(100, 100).isEmpty());
        QCOMPARE(clock.elapsedMs(), 100); // a failed read does not wait
        port.close();
        QCOMPARE(port.open("/dev/ttyACM0").result, OpenResult::NotFound);
        model.setVanished(false); // plugged in again
        QCOMPARE(port.open("/dev/ttyACM0").result, OpenResult::Ok);
        QCOMPARE(port.write("AT+IWLCH=3\r", 100), qint64(11));
    }
};

QTEST_GUILESS_MAIN(TestAdapterModel)
#include "test_adapter_model.moc"
