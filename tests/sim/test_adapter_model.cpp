#include "app/clock.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QTest>

#include <algorithm>

using namespace velinor;
using Fault = AdapterModel::Fault;

Q_DECLARE_METATYPE(QList<QByteArray>)

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
        QTest::newRow("one") << QByteArray("AT+IFD\r") << QList<QByteArray>{"AT+IFD\r"}
                             << QByteArray();
        QTest::newRow("two and a rest")
            << QByteArray("AT+IFD\rAT+IHIF=4\rAT+IWL")
            << QList<QByteArray>{"AT+IFD\r", "AT+IHIF=4\r"} << QByteArray("AT+IWL");
        QTest::newRow("incomplete only") << QByteArray("AT+IWLSI=office") << QList<QByteArray>{}
                                         << QByteArray("AT+IWLSI=office");
        QTest::newRow("terminal line ends")
            << QByteArray("AT+IFD\r\nAT+IDOWN\r\n") << QList<QByteArray>{"AT+IFD\r", "AT+IDOWN\r"}
            << QByteArray();
        QTest::newRow("empty line") << QByteArray("\r") << QList<QByteArray>{"\r"} << QByteArray();
        QTest::newRow("binary kept")
            << QByteArray("AT+ICA=a\0b\xff\r", 12)
            << QList<QByteArray>{QByteArray("AT+ICA=a\0b\xff\r", 12)} << QByteArray();
    }
    void splitCommands() {
        QFETCH(QByteArray, input);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(QByteArray, rest);
        QByteArray buffer = input;
        QCOMPARE(AdapterModel::splitCommands(buffer), commands);
        QCOMPARE(buffer, rest);
    }

    void commandName_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("setting") << QByteArray("AT+IWLSI=x=y?\r") << QByteArray("AT+IWLSI");
        QTest::newRow("query") << QByteArray("AT+IWST0?\r") << QByteArray("AT+IWST0");
        QTest::newRow("plain") << QByteArray("AT+IFD\r") << QByteArray("AT+IFD");
        QTest::newRow("scan") << QByteArray("AT+IRP20\r") << QByteArray("AT+IRP20");
        QTest::newRow("query mark in value")
            << QByteArray("AT+IWLSI=why?\r") << QByteArray("AT+IWLSI");
    }
    void commandName() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, name);
        QCOMPARE(AdapterModel::commandName(command), name);
    }

    void replies_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("setting") << QByteArray("AT+IWLSI=office\r")
                                 << QByteArray("AT+IWLSI=office\r\nI/OK\r\n");
        QTest::newRow("empty value")
            << QByteArray("AT+IWLCH=\r") << QByteArray("AT+IWLCH=\r\nI/OK\r\n");
        QTest::newRow("probe") << QByteArray("AT+IBDRF?\r")
                               << QByteArray("AT+IBDRF?\r\na\r\nI/OK\r\n");
        QTest::newRow("factory defaults")
            << QByteArray("AT+IFD\r") << QByteArray("AT+IFD\r\nI/OK\r\n");
        QTest::newRow("restart") << QByteArray("AT+IDOWN\r") << QByteArray("AT+IDOWN\r\nI/OK\r\n");
        QTest::newRow("unknown") << QByteArray("AT+IXYZ=1\r")
                                 << QByteArray("AT+IXYZ=1\r\nI/ERROR\r\n");
        QTest::newRow("not a command")
            << QByteArray("hello\r") << QByteArray("hello\r\nI/ERROR\r\n");
        QTest::newRow("query with junk")
            << QByteArray("AT+IWLCH?x\r") << QByteArray("AT+IWLCH?x\r\nI/ERROR\r\n");
        QTest::newRow("restart with value")
            << QByteArray("AT+IDOWN=1\r") << QByteArray("AT+IDOWN=1\r\nI/ERROR\r\n");
        QTest::newRow("empty line") << QByteArray("\r") << QByteArray();
    }
    void replies() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        ManualClock clock;
        AdapterModel model(clock);
        QCOMPARE(exchange(model, clock, command), reply);
        QCOMPARE(model.transcript(), QList<QByteArray>{command});
    }

    void queries_data() {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("ssid") << QByteArray("AT+IWLSI=office\r") << QByteArray("AT+IWLSI?\r")
                              << QByteArray("AT+IWLSI?\r\noffice\r\nI/OK\r\n");
        QTest::newRow("ad hoc ssid") << QByteArray("AT+IWLSI=!lab\r") << QByteArray("AT+IWLSI?\r")
                                     << QByteArray("AT+IWLSI?\r\n!lab\r\nI/OK\r\n");
        QTest::newRow("security") << QByteArray("AT+IWST0=4\r") << QByteArray("AT+IWST0?\r")
                                  << QByteArray("AT+IWST0?\r\n4\r\nI/OK\r\n");
        QTest::newRow("channel") << QByteArray("AT+IWLCH=11\r") << QByteArray("AT+IWLCH?\r")
                                 << QByteArray("AT+IWLCH?\r\n11\r\nI/OK\r\n");
        QTest::newRow("baud rate") << QByteArray("AT+IBDRF=9\r") << QByteArray("AT+IBDRF?\r")
                                   << QByteArray("AT+IBDRF?\r\n9\r\nI/OK\r\n");
    }
    void queries() {
        QFETCH(QByteArray, setting);
        QFETCH(QByteArray, query);
        QFETCH(QByteArray, reply);
        ManualClock clock;
        AdapterModel model(clock);
        exchange(model, clock, setting);
        QCOMPARE(exchange(model, clock, query), reply);
    }

    void factoryDefaultsAndRestart() {
        ManualClock clock;
        AdapterModel model(clock);
        const QByteArray defaultSsid = model.stored("WLSI");
        exchange(model, clock, "AT+IWLSI=office\r");
        exchange(model, clock, "AT+IWST0=4\r");
        exchange(model, clock, "AT+IWPP0=secret phrase\r", AdapterModel::kDefaultKeyDelayMs);
        QCOMPARE(model.stored("WLSI"), QByteArray("office"));
        QCOMPARE(model.stored("WPP0"), QByteArray("secret phrase"));
        QCOMPARE(model.running("WLSI"), defaultSsid);

        exchange(model, clock, "AT+IDOWN\r");
        QCOMPARE(model.running("WLSI"), QByteArray("office"));
        QCOMPARE(model.running("WST0"), QByteArray("4"));
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
        QCOMPARE(model.nextDueMs(), qint64(AdapterModel::kDefaultScanDelayMs));
        clock.advance(1);
        QCOMPARE(model.takeOutput(1 << 20), reply);
        QCOMPARE(model.nextDueMs(), -1);
    }

    void defaultNetworksCoverTheFormats() {
        const QList<QByteArray> lines = AdapterModel::defaultNetworks();
        QVERIFY(lines.size() >= 6);
        QSet<QByteArray> types;
        QSet<QByteArray> security;
        QList<int> damping;
        for (const QByteArray& line : lines) {
            const QList<QByteArray> fields = line.split(',');
            QCOMPARE(fields.size(), 6);
            types.insert(fields[1]);
            security.insert(fields[3]);
            QCOMPARE(fields[2].size(), 17);
            QCOMPARE(fields[2].count(':'), 5);
            bool ok = false;
            fields[4].toInt(&ok);
            QVERIFY(ok);
            damping.append(fields[5].toInt(&ok));
            QVERIFY(ok);
        }
        QCOMPARE(types, (QSet<QByteArray>{"AP", "ADHOC"}));
        QCOMPARE(security,
                 (QSet<QByteArray>{"NONE", "WEP", "WEP128", "WPA", "WPA2", "WPA_ENT", "WPA2_ENT"}));
        QList<int> sorted = damping;
        std::sort(sorted.begin(), sorted.end());
        QVERIFY(damping != sorted);
        ManualClock clock;
        QCOMPARE(AdapterModel(clock).networks(), lines);
    }

    void delays_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("customDelay"); // -1: the model's own delay
        QTest::addColumn<int>("dueMs");
        QTest::newRow("wep key") << QByteArray("AT+IWKY0=12345\r") << -1
                                 << AdapterModel::kDefaultKeyDelayMs;
        QTest::newRow("passphrase")
            << QByteArray("AT+IWPP0=secret\r") << -1 << AdapterModel::kDefaultKeyDelayMs;
        QTest::newRow("scan") << QByteArray("AT+IRP20\r") << -1
                              << AdapterModel::kDefaultScanDelayMs;
        QTest::newRow("setting at once") << QByteArray("AT+IWLCH=6\r") << -1 << 0;
        QTest::newRow("late setting") << QByteArray("AT+IWLCH=6\r") << 1500 << 1500;
        QTest::newRow("quick key") << QByteArray("AT+IWPP0=x\r") << 300 << 300;
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
            QCOMPARE(model.pendingOutput(), 0);
            QCOMPARE(model.nextDueMs(), 1000 + dueMs);
            clock.advance(dueMs - 1);
            QCOMPARE(model.pendingOutput(), 0);
            clock.advance(1);
        }
        const QByteArray reply = model.takeOutput(1 << 20);
        QVERIFY(reply.startsWith(command.chopped(1) + "\r\n"));
        QVERIFY(reply.contains("I/OK"));
    }

    void keyDelayIsConfigurable() {
        ManualClock clock;
        AdapterModel model(clock);
        model.setKeyDelayMs(5000);
        model.setScanDelayMs(100);
        model.receive("AT+IWKY0=abc\r");
        QCOMPARE(model.nextDueMs(), 5000);
        model.clearOutput();
        model.receive("AT+IRP20\r");
        QCOMPARE(model.nextDueMs(), 100);
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
        QTest::addColumn<bool>("applied");
        QTest::newRow("silent") << int(Fault::Silent) << false;
        QTest::newRow("error") << int(Fault::Error) << false;
        QTest::newRow("garbage") << int(Fault::Garbage) << false;
        QTest::newRow("none") << int(Fault::None) << true;
    }
    void faults() {
        QFETCH(int, fault);
        QFETCH(bool, applied);
        ManualClock clock;
        AdapterModel model(clock);
        model.setFault("AT+IWLSI", Fault(fault));
        const QByteArray reply = exchange(model, clock, "AT+IWLSI=office\r");
        QCOMPARE(model.stored("WLSI") == "office", applied);
        QCOMPARE(model.transcript(), QList<QByteArray>{"AT+IWLSI=office\r"});
        switch (Fault(fault)) {
        case Fault::Silent:
            QVERIFY(reply.isEmpty());
            QCOMPARE(model.nextDueMs(), -1);
            break;
        case Fault::Error:
            QCOMPARE(reply, QByteArray("AT+IWLSI=office\r\nI/ERROR\r\n"));
            break;
        case Fault::Garbage:
            QVERIFY(reply.size() >= 32);
            QVERIFY(reply.contains('\0'));
            QVERIFY(reply.contains('\xff'));
            QVERIFY(!reply.contains("I/OK"));
            QVERIFY(!reply.contains("I/ERROR"));
            break;
        case Fault::None:
            QCOMPARE(reply, QByteArray("AT+IWLSI=office\r\nI/OK\r\n"));
            break;
        }
        // Other commands are not affected.
        QCOMPARE(exchange(model, clock, "AT+IWLCH=1\r"), QByteArray("AT+IWLCH=1\r\nI/OK\r\n"));
    }

    void garbageNeverHoldsTokens() {
        ManualClock clock;
        AdapterModel model(clock);
        model.setFault("AT+IBDRF", Fault::Garbage);
        QByteArray all;
        for (int i = 0; i < 500; ++i)
            all += exchange(model, clock, "AT+IBDRF?\r");
        QVERIFY(all.size() >= 500 * 32);
        QVERIFY(!all.contains("I/OK"));
    }

    void split_data() {
        QTest::addColumn<int>("parts");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("two") << 2 << 150;
        QTest::newRow("three") << 3 << 400;
        QTest::newRow("more parts than bytes") << 100 << 10;
    }
    void split() {
        QFETCH(int, parts);
        QFETCH(int, gapMs);
        ManualClock clock;
        AdapterModel model(clock);
        model.setSplit(parts, gapMs);
        model.receive("AT+IWLSI=office\r");
        const QByteArray whole = "AT+IWLSI=office\r\nI/OK\r\n";
        const int expectedParts = qMin(parts, int(whole.size()));
        QByteArray collected;
        for (int i = 0; i < expectedParts; ++i) {
            const QByteArray part = model.takeOutput(1 << 20);
            QVERIFY2(!part.isEmpty(), qPrintable(QString::number(i)));
            QVERIFY(part.size() < whole.size());
            collected += part;
            if (i + 1 < expectedParts)
                QCOMPARE(model.nextDueMs(), clock.elapsedMs() + gapMs);
            clock.advance(gapMs);
        }
        QCOMPARE(collected, whole);
        QCOMPARE(model.nextDueMs(), -1);
    }

    void takeOutputLimit() {
        ManualClock clock;
        AdapterModel model(clock);
        model.receive("AT+IWLSI=office\r");
        QCOMPARE(model.pendingOutput(), 23);
        QCOMPARE(model.takeOutput(5), QByteArray("AT+IW"));
        QCOMPARE(model.pendingOutput(), 18);
        QCOMPARE(model.takeOutput(100), QByteArray("LSI=office\r\nI/OK\r\n"));
    }

    void incompleteCommandWaits() {
        ManualClock clock;
        AdapterModel model(clock);
        model.receive("AT+IWLSI=of");
        QVERIFY(model.transcript().isEmpty());
        QCOMPARE(model.pendingOutput(), 0);
        QCOMPARE(model.pendingInput(), 11);
        model.receive("fice\rAT+IWL");
        QCOMPARE(model.transcript(), QList<QByteArray>{"AT+IWLSI=office\r"});
        QCOMPARE(model.stored("WLSI"), QByteArray("office"));
        QCOMPARE(model.pendingInput(), 6);
    }

    void oversizedGarbageIsBounded() {
        ManualClock clock;
        AdapterModel model(clock);
        const QByteArray junk(4096, 'x');
        for (int i = 0; i < 64; ++i) {
            model.receive(junk);
            QVERIFY(model.pendingInput() <= AdapterModel::kMaxPendingInput);
        }
        QVERIFY(model.droppedBytes() > 0);
        QVERIFY(model.transcript().isEmpty());
        // The end of the over-long line is refused; the next command is served normally.
        model.receive("tail\rAT+IWLCH=3\r");
        QCOMPARE(model.takeOutput(1 << 20), QByteArray("I/ERROR\r\nAT+IWLCH=3\r\nI/OK\r\n"));
        QCOMPARE(model.transcript(), QList<QByteArray>{"AT+IWLCH=3\r"});
        QCOMPARE(model.pendingInput(), 0);
    }

    void longCommandWithinBoundIsServed() {
        ManualClock clock;
        AdapterModel model(clock);
        const QByteArray pem = "-----BEGIN CERTIFICATE-----\n" + QByteArray(10000, 'A') +
                               "\n-----END CERTIFICATE-----\n";
        model.receive("AT+ICA=" + pem + "\r");
        QCOMPARE(model.stored("CA"), pem);
        QVERIFY(model.takeOutput(1 << 20).endsWith("I/OK\r\n"));
    }

    void vanishAfter_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("at once") << 0;
        QTest::newRow("after one") << 1;
        QTest::newRow("after three") << 3;
    }
    void vanishAfter() {
        QFETCH(int, count);
        ManualClock clock;
        AdapterModel model(clock);
        SimSerialPort port(model, clock);
        QCOMPARE(port.open("/dev/ttyACM0").result, OpenResult::Ok);
        model.vanishAfter(count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(port.write("AT+IWLCH=1\r", 100), qint64(11));
            QVERIFY(port.read(100, 100).contains("I/OK"));
        }
        QCOMPARE(port.write("AT+IWLCH=2\r", 100), qint64(-1));
        QVERIFY(model.vanished());
        QCOMPARE(model.transcript().size(), count);
        const qint64 before = clock.elapsedMs();
        QVERIFY(port.read(100, 100).isEmpty());
        QCOMPARE(clock.elapsedMs(), before); // a failed read does not wait
        LineSettings settings;
        QVERIFY(!port.readLineSettings(settings));
        port.close();
        QCOMPARE(port.open("/dev/ttyACM0").result, OpenResult::NotFound);
        // Plugged in again.
        model.setVanished(false);
        QCOMPARE(port.open("/dev/ttyACM0").result, OpenResult::Ok);
        QCOMPARE(port.write("AT+IWLCH=3\r", 100), qint64(11));
    }
};

QTEST_GUILESS_MAIN(TestAdapterModel)
#include "test_adapter_model.moc"
