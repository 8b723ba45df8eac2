// The command transaction in virtual time, the adapter's restart through the USB
// switches, and the port list.

#include "fakes.h"

#include "base/system_clock.h"
#include "link/port_list.h"
#include "link/port_opener.h"
#include "link/usb_restart.h"

#include <QTest>

#include <cerrno>

using namespace velinor;
using namespace velinor::fakes;
using Fault = AdapterModel::Fault;

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void sendCommand_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("splitGapMs"); // 0: the reply in one piece
        QTest::addColumn<bool>("success");
        const QByteArray set = "AT+IWLSI=office\r";
        QTest::newRow("echo and OK") << set << int(Fault::None) << 0 << true;
        QTest::newRow("I/ERROR") << set << int(Fault::Error) << 0 << false;
        QTest::newRow("garbage") << set << int(Fault::Garbage) << 0 << false;
        QTest::newRow("case matters")
            << QByteArray("AT+IWLSI=i/ok\r") << int(Fault::Error) << 0 << false;
        QTest::newRow("I/OK in the echo")
            << QByteArray("AT+IWLSI=I/OK\r") << int(Fault::Error) << 0 << true;
        QTest::newRow("last part at the window's end") << set << int(Fault::None) << 1300 << true;
        QTest::newRow("last part after the window") << set << int(Fault::None) << 1301 << false;
    }
    void sendCommand() {
        QFETCH(QByteArray, command);
        QFETCH(int, fault);
        QFETCH(int, splitGapMs);
        AdapterBench b;
        QVERIFY(b.openPort());
        b.model.setFault(AdapterModel::commandName(command), Fault(fault));
        b.model.setSplit(2, splitGapMs);
        QTEST(b.link.SendCommand(&b.port, command), "success");
        // Write pause, reply wait and the full read window.
        QCOMPARE(b.clock.elapsedMs(), 1300);
        QCOMPARE(b.port.readCount(), 1);
        // A full read returns at once; the rest stays for the next read.
        b.model.setSplit(1, 0);
        b.clock.advance(10); // a late part is due now
        b.model.setStored("WLCH", QByteArray(6000, 'x'));
        QVERIFY(!b.link.SendCommand(&b.port, "AT+IWLCH?\r"));
        QCOMPARE(b.clock.elapsedMs(), 2510);
        QCOMPARE(b.link.ReadPort(&b.port).size(), 11 + 6000 + 8 - ModuleLink::kReadMax);
        // A port that has gone: only the write pause.
        b.model.setVanished(true);
        QVERIFY(!b.link.SendCommand(&b.port, command));
        QCOMPARE(b.clock.elapsedMs(), 2810);
    }

    void systemClockPauses() {
        SystemClock clock;
        const qint64 start = clock.elapsedMs();
        clock.pause(30);
        QVERIFY(clock.elapsedMs() - start >= 30 && clock.elapsedMs() - start < 1000);
    }

    void configurePort_data() {
        QTest::addColumn<bool>("port");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<int>("writes");
        QTest::newRow("settings written back") << true << true << 1;
        QTest::newRow("settings unreadable") << true << false << 0;
        QTest::newRow("no port") << false << true << 0;
    }
    void configurePort() {
        QFETCH(bool, port);
        QFETCH(bool, readable);
        AdapterBench b;
        QVERIFY(b.openPort());
        b.port.setLineSettingsReadable(readable);
        b.link.ConfigurePort(port ? &b.port : nullptr);
        QCOMPARE(b.clock.elapsedMs(), 2000);
        QTEST(b.port.lineSettingsWrites(), "writes");
        QCOMPARE(b.port.lineSettings().baudRate, 9600);
    }

    // Devices as "name:vendor:product"; a "!" in front makes the switch unwritable.
    void usbRestart_data() {
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<QString>("seen"); // the adapters' switches at each pause, then after
        QTest::addColumn<QString>("log");
        QTest::newRow("both adapters off, then on")
            << QStringList{"1-1:7c5e:0003", "1-2:7c5e:0004", "2-3.1:7C5E:0003", "usb1:1d6b:0002"}
            << "00 11 11"
            << "";
        QTest::newRow("no adapter") << QStringList{"1-1:7c5e:0004", "1-2:1234:0003"} << ""
                                    << QStringLiteral("usbrestart error: %1").arg(ENOENT);
        QTest::newRow("second fails: the first is switched on again")
            << QStringList{"1-1:7c5e:0003", "!1-2:7c5e:0003"} << "1-"
            << QStringLiteral("usbrestart error: %1").arg(EISDIR);
        QTest::newRow("cannot be switched on")
            << QStringList{"1-1:7c5e:0003", "1-2:7c5e:0003"} << "00 -x"
            << QStringLiteral("usbrestart error: %1").arg(EISDIR);
    }
    void usbRestart() {
        QFETCH(QStringList, devices);
        QFETCH(QString, seen);
        QFETCH(QString, log);
        AdapterBench b;
        QStringList switches;
        for (QString d : devices) {
            const bool broken = d.startsWith(QLatin1Char('!'));
            const QStringList f = d.remove(QLatin1Char('!')).split(QLatin1Char(':'));
            const QString path = b.addUsbDevice(f[0], f[1].toLatin1(), f[2].toLatin1());
            if (broken) {
                QFile::remove(path);
                QDir().mkpath(path);
            }
            if (f[1].toLower() == QLatin1String("7c5e") && f[2] == QLatin1String("0003"))
                switches << path;
        }
        const auto state = [&] {
            QString s;
            for (const QString& p : switches)
                s += QFileInfo(p).isDir() ? QByteArray("-")
                     : QFile::exists(p)   ? readFile(p).left(1)
                                          : QByteArray("x");
            return s;
        };
        QStringList states;
        b.clock.onPause = [&](int) {
            states << state();
            if (seen.endsWith(QLatin1String("-x")) && states.size() == 1) { // gone while off
                QFile::remove(switches.first());
                QDir().mkpath(switches.first());
                QFile::remove(switches.last()); // the first failure is the one logged
            }
        };
        UsbRestart restart(b.dir.path(), b.clock, b.log);
        QCOMPARE(restart.RestartAdapter(), log.isEmpty());
        QCOMPARE((states << state()).join(QLatin1Char(' ')).trimmed(), seen);
        QCOMPARE(b.logLines(), log.isEmpty() ? QStringList() : QStringList{log});
    }

    // A port that has vanished makes the opener restart the adapter before each next attempt.
    void openerRestartsVanishedAdapter() {
        AdapterBench b;
        const QString sw = b.addUsbDevice(QStringLiteral("3-2"), "7c5e", "0003");
        QString seen;
        b.clock.onPause = [&](int ms) {
            const QString now = QString::fromLatin1(readFile(sw).left(1));
            if (ms == UsbRestart::kPauseMs && !seen.endsWith(now))
                seen += now;
        };
        b.model.failOpens(2);
        UsbRestart restart(b.dir.path(), b.clock, b.log);
        PortOpener opener(b.form, b.port, b.link, restart, b.prompts, b.log);
        QVERIFY(opener.OpenSelectedPort(PortOpener::kAttempts));
        QCOMPARE(seen, QStringLiteral("0101"));
        const QString line =
            QStringLiteral("/dev/ttyACM0 : Restart of the wireless product needed");
        QCOMPARE(b.logLines(), (QStringList{line, line}));
        QCOMPARE(b.link.GetPortHandle(), static_cast<SerialPort*>(&b.port));
        // A port left open is opened again, not reused.
        QVERIFY(opener.OpenAndProbePort());
        QCOMPARE(b.port.openCount(), 4);
    }

    void portList() {
        FakePortEnumerator e;
        e.addAdapter("/dev/ttyACM10");
        e.addUsb("/dev/ttyUSB0", 0x0403, 0x6001);
        e.addUsb("/dev/ttyACM1", 0x7C5E, 0x0004);
        e.addUsb("/dev/ttyACM3", 0x7C5F, 0x0003);
        e.addPlain("/dev/ttyS0");
        e.addAdapter("/dev/ttyACM2");
        e.addPlain("/dev/ttyS0");
        QCOMPARE(portlist::automatic(e), QStringList({"/dev/ttyACM2", "/dev/ttyACM10"}));
        QCOMPARE(portlist::manual(e, 5),
                 QStringList({"/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM3", "/dev/ttyACM10",
                              "/dev/ttyS0"}));
        QCOMPARE(portlist::manual(e, 2).size(), 2);
        QCOMPARE(portlist::manual(e, 0).size(), 0);
        for (int i = 0; i < 130; ++i)
            e.addAdapter(QStringLiteral("/dev/ttyX%1").arg(i));
        QCOMPARE(portlist::automatic(e).size(), 127);
        QCOMPARE(portlist::manual(e, 80).size(), 50);
        // The remembered port is found by exact name only.
        const QStringList acm = {"/dev/ttyACM1", "/dev/ttyACM10"};
        QCOMPARE(portlist::restoreIndex(acm, "/dev/ttyACM10"), 1);
        QCOMPARE(portlist::restoreIndex(acm, "ttyACM1"), -1);
        QCOMPARE(portlist::restoreIndex({""}, ""), -1);
        QVERIFY(portlist::isPortName("/dev/pts/4"));
        for (const char* text : {"COM3", "/tmp/ttyACM0", "/dev/", "/DEV/ttyACM0"})
            QVERIFY(!portlist::isPortName(text));
    }

    void nameOrder_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("2 before 10") << "/dev/ttyACM2"
                                     << "/dev/ttyACM10";
        QTest::newRow("prefix first") << "/dev/ttyACM"
                                      << "/dev/ttyACM0";
        QTest::newRow("letters") << "/dev/ttyACM9"
                                 << "/dev/ttyS0";
        QTest::newRow("leading zero") << "/dev/x01"
                                      << "/dev/x1";
        QTest::newRow("zero numbers") << "/dev/x00a"
                                      << "/dev/x0b";
    }
    void nameOrder() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QVERIFY(portlist::nameLess(a, b));
        QVERIFY(!portlist::nameLess(b, a));
        QVERIFY(!portlist::nameLess(a, a));
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
