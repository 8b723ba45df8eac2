#include "base/clock.h"
#include "link/module_link.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QTest>

using namespace velinor;
using Fault = AdapterModel::Fault;

namespace {

// The adapter, its port and the link, all in virtual time.
struct Bench {
    ManualClock clock;
    AdapterModel model{clock};
    SimSerialPort port{model, clock};
    ModuleLink link{clock};

    Bench() {
        port.open(port.deviceName());
        link.SetPortHandle(&port);
    }
};

} // namespace

class TestModuleLink : public QObject {
    Q_OBJECT
private slots:
    void sendCommand_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("storedSsid"); // empty: leave the default
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("splitGapMs"); // 0: the reply in one piece
        QTest::addColumn<bool>("success");
        const QByteArray set = "AT+IWLSI=office\r";
        QTest::newRow("echo and OK") << set << QByteArray() << int(Fault::None) << 0 << true;
        QTest::newRow("I/ERROR only") << set << QByteArray() << int(Fault::Error) << 0 << false;
        QTest::newRow("I/OK after I/ERROR")
            << QByteArray("AT+IWLSI?\r") << QByteArray("I/ERROR") << int(Fault::None) << 0 << true;
        QTest::newRow("no reply") << set << QByteArray() << int(Fault::Silent) << 0 << false;
        QTest::newRow("garbage") << set << QByteArray() << int(Fault::Garbage) << 0 << false;
        QTest::newRow("case matters")
            << QByteArray("AT+IWLSI=i/ok\r") << QByteArray() << int(Fault::Error) << 0 << false;
        QTest::newRow("I/OK in the echo counts")
            << QByteArray("AT+IWLSI=I/OK\r") << QByteArray() << int(Fault::Error) << 0 << true;
        QTest::newRow("split, last part at the end of the window")
            << set << QByteArray() << int(Fault::None) << 1300 << true;
        QTest::newRow("split, last part after the window")
            << set << QByteArray() << int(Fault::None) << 1301 << false;
    }
    void sendCommand() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, storedSsid);
        QFETCH(int, fault);
        QFETCH(int, splitGapMs);
        QFETCH(bool, success);
        Bench b;
        if (!storedSsid.isEmpty())
            b.model.setStored("WLSI", storedSsid);
        b.model.setFault(AdapterModel::commandName(command), Fault(fault));
        if (splitGapMs)
            b.model.setSplit(2, splitGapMs);
        QCOMPARE(b.link.SendCommand(&b.port, command), success);
        // Write pause, reply wait and the full read window: a short reply never ends a read early.
        QCOMPARE(b.clock.elapsedMs(), 1300);
        QCOMPARE(b.model.transcript(), QList<QByteArray>{command});
        QCOMPARE(b.port.readCount(), 1);
    }

    void longReply_data() {
        QTest::addColumn<int>("valueSize");
        QTest::addColumn<bool>("success");
        // The query's reply is the 11-byte echo line, the value, "\r\n" and "I/OK\r\n".
        QTest::newRow("OK inside the first 5220 bytes") << 5220 - 11 - 2 - 4 << true;
        QTest::newRow("OK cut by the read size") << 5220 - 11 - 2 - 3 << false;
        QTest::newRow("OK far behind") << 8000 << false;
    }
    void longReply() {
        QFETCH(int, valueSize);
        QFETCH(bool, success);
        Bench b;
        b.model.setStored("WLSI", QByteArray(valueSize, 'x'));
        const QByteArray reply = "AT+IWLSI?\r\n" + QByteArray(valueSize, 'x') + "\r\nI/OK\r\n";
        QCOMPARE(b.link.SendCommand(&b.port, "AT+IWLSI?\r"), success);
        // A full read returns at once; the rest stays queued for the next read.
        QCOMPARE(b.clock.elapsedMs(), 1200);
        QCOMPARE(b.link.ReadPort(&b.port), reply.mid(ModuleLink::kReadMax));
    }

    void vanishedPort_data() {
        QTest::addColumn<int>("commandsBefore");
        QTest::newRow("gone already") << 0;
        QTest::newRow("gone after two commands") << 2;
    }
    void vanishedPort() {
        QFETCH(int, commandsBefore);
        Bench b;
        b.model.vanishAfter(commandsBefore);
        for (int i = 0; i < commandsBefore; ++i)
            QVERIFY(b.link.SendCommand(&b.port, "AT+IWLCH=6\r"));
        const qint64 start = b.clock.elapsedMs();
        const int readsBefore = b.port.readCount();
        QVERIFY(!b.link.SendCommand(&b.port, "AT+IWLCH=6\r"));
        // Only the write pause: no reply wait, no read.
        QCOMPARE(b.clock.elapsedMs() - start, 200);
        QCOMPARE(b.port.readCount(), readsBefore);
        QCOMPARE(b.model.transcript().size(), commandsBefore);
    }

    // A reply that comes after its read window does not make the next command succeed.
    void lateReply_data() {
        QTest::addColumn<int>("nextFault");
        QTest::addColumn<bool>("nextSuccess");
        QTest::newRow("next is silent") << int(Fault::Silent) << false;
        QTest::newRow("next answers I/ERROR") << int(Fault::Error) << false;
        QTest::newRow("next answers") << int(Fault::None) << true;
    }
    void lateReply() {
        QFETCH(int, nextFault);
        QFETCH(bool, nextSuccess);
        Bench b;
        b.model.setDelay("AT+IWLSI", 1500);
        b.model.setFault("AT+IWLCH", Fault(nextFault));
        QVERIFY(!b.link.SendCommand(&b.port, "AT+IWLSI=office\r"));
        // The late "I/OK" arrives before the next command is written.
        b.clock.advance(500);
        QCOMPARE(b.model.pendingOutput(), 23);
        QCOMPARE(b.link.SendCommand(&b.port, "AT+IWLCH=6\r"), nextSuccess);
    }

    void writeAndReadPort() {
        Bench b;
        QVERIFY(b.link.ReadPort(&b.port).isEmpty());
        QCOMPARE(b.clock.elapsedMs(), 100);
        QCOMPARE(b.link.WritePort(&b.port, "AT+IFD\r"), quint32(7));
        QCOMPARE(b.clock.elapsedMs(), 300);
        QCOMPARE(b.link.ReadPort(&b.port), QByteArray("AT+IFD\r\nI/OK\r\n"));
        QCOMPARE(b.clock.elapsedMs(), 400);
        b.port.close();
        QCOMPARE(b.link.WritePort(&b.port, "AT+IFD\r"), quint32(0));
        QCOMPARE(b.clock.elapsedMs(), 600);
    }

    void configurePort_data() {
        QTest::addColumn<bool>("havePort");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<int>("writes");
        QTest::newRow("settings written back") << true << true << 1;
        QTest::newRow("settings unreadable") << true << false << 0;
        QTest::newRow("no port") << false << true << 0;
    }
    void configurePort() {
        QFETCH(bool, havePort);
        QFETCH(bool, readable);
        QFETCH(int, writes);
        Bench b;
        b.port.setLineSettingsReadable(readable);
        const LineSettings before = b.port.lineSettings();
        b.link.ConfigurePort(havePort ? &b.port : nullptr);
        QCOMPARE(b.clock.elapsedMs(), 2000);
        QCOMPARE(b.port.lineSettingsWrites(), writes);
        const LineSettings after = b.port.lineSettings();
        QCOMPARE(after.baudRate, before.baudRate);
        QCOMPARE(after.dataBits, before.dataBits);
        QCOMPARE(after.parity, before.parity);
        QCOMPARE(after.stopBits, before.stopBits);
        QCOMPARE(after.flowControl, before.flowControl);
        QVERIFY(b.model.transcript().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestModuleLink)
#include "test_module_link.moc"
