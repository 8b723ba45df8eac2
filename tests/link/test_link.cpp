// The real clock's pause, the port's set-up in virtual time, the adapter's restart through the
// USB switches, and the port list. The command transaction is proven by the Configure table.

#include "fakes.h"

#include "base/system_clock.h"
#include "link/port_list.h"
#include "link/usb_restart.h"

#include <QTest>

#include <cerrno>

using namespace velinor;
using namespace velinor::fakes;

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void systemClockPauses() {
        SystemClock clock;
        const qint64 start = clock.elapsedMs();
        clock.pause(30);
        QVERIFY(clock.elapsedMs() - start >= 30 && clock.elapsedMs() - start < 1000);
    }

    // The settings are read and written back, each after a pause; unreadable ones are not written.
    void configurePort() {
        for (const int c : {0, 1, 2}) { // readable, unreadable, no port
            AdapterBench b;
            QVERIFY(b.openPort());
            b.port.setLineSettingsReadable(c != 1);
            b.link.ConfigurePort(c == 2 ? nullptr : &b.port);
            QCOMPARE(b.clock.elapsedMs(), 2000);
            QCOMPARE(b.port.lineSettingsWrites(), c == 0 ? 1 : 0);
        }
    }

    // Devices as "name:vendor:product"; a "!" in front makes the switch unwritable.
    void usbRestart_data() {
        QTest::addColumn<QString>("devices");
        QTest::addColumn<QString>("seen"); // the adapters' switches at each pause, then after
        QTest::addColumn<int>("error");    // the one logged; 0: none
        const auto row = [](const char* name, const char* devices, const char* seen, int error) {
            QTest::newRow(name) << QString(devices) << QString(seen) << error;
        };
        row("both adapters off, then on",
            "1-1:7c5e:0003 1-2:7c5e:0004 2-3.1:7C5E:0003 usb1:1d6b:0002", "00 11 11", 0);
        row("no adapter", "1-1:7c5e:0004 1-2:1234:0003", "", ENOENT);
        row("second fails: the first is switched on again", "1-1:7c5e:0003 !1-2:7c5e:0003", "1-",
            EISDIR);
        row("gone while off", "1-1:7c5e:0003 1-2:7c5e:0003", "00 -x", EISDIR);
    }
    void usbRestart() {
        QFETCH(QString, devices);
        QFETCH(QString, seen);
        QFETCH(int, error);
        AdapterBench b;
        QStringList switches;
        for (const QString& d : devices.split(QLatin1Char(' '))) {
            const QStringList f = d.mid(d.startsWith('!') ? 1 : 0).split(QLatin1Char(':'));
            const QString path = b.addUsbDevice(f[0], f[1].toLatin1(), f[2].toLatin1());
            if (d.startsWith('!') && QFile::remove(path))
                QDir().mkpath(path);
            if (f[1].toLower() == QLatin1String("7c5e") && f[2] == QLatin1String("0003"))
                switches << path;
        }
        const auto state = [&] {
            QString s;
            for (const QString& p : switches)
                s += QFileInfo(p).isDir() ? QByteArray("-")
                     : QFile::exists(p)   ? readFile(p).left(1)
                                          : "x";
            return s;
        };
        QStringList states;
        b.clock.onPause = [&](int) {
            states << state();
            if (seen.endsWith(QLatin1String("-x")) && states.size() == 1) { // both gone while off
                QFile::remove(switches.first());
                QDir().mkpath(switches.first());
                QFile::remove(switches.last()); // the first failure is the one logged
            }
        };
        UsbRestart restart(b.dir.path(), b.clock, b.log);
        QCOMPARE(restart.RestartAdapter(), error == 0);
        QCOMPARE((states << state()).join(QLatin1Char(' ')).trimmed(), seen);
        QCOMPARE(b.logLines().join(""),
                 error ? QStringLiteral("usbrestart error: %1").arg(error) : QString());
    }

    // Sorted by name with numbers by value, without duplicates; the adapter's by their USB ids.
    void portList() {
        FakePortEnumerator e;
        for (const char* name : {"/dev/x1", "/dev/ttyS0", "/dev/x0b", "/dev/ttyACM0", "/dev/x01",
                                 "/dev/ttyACM", "/dev/x00a", "/dev/ttyS0"})
            e.addPlain(name);
        e.addAdapter("/dev/ttyACM10");
        e.addUsb("/dev/ttyACM1", 0x7C5E, 0x0004);
        e.addUsb("/dev/ttyACM3", 0x7C5F, 0x0003);
        e.addAdapter("/dev/ttyACM2");
        QCOMPARE(portlist::automatic(e), QStringList({"/dev/ttyACM2", "/dev/ttyACM10"}));
        QCOMPARE(portlist::manual(e).join(' '),
                 "/dev/ttyACM /dev/ttyACM0 /dev/ttyACM1 /dev/ttyACM2 /dev/ttyACM3 /dev/ttyACM10 "
                 "/dev/ttyS0 /dev/x00a /dev/x0b /dev/x01 /dev/x1");
        // The same number: more leading zeros first, either way round.
        QVERIFY(portlist::nameLess("/dev/x01", "/dev/x1") &&
                !portlist::nameLess("/dev/x1", "/dev/x01"));
        QCOMPARE(portlist::manual(e, 2).size(), 2);
        QCOMPARE(portlist::manual(e, 0).size(), 0);
        for (int i = 0; i < 130; ++i)
            e.addAdapter(QStringLiteral("/dev/ttyX%1").arg(i));
        QCOMPARE(portlist::automatic(e).size(), 127);
        QCOMPARE(portlist::manual(e, 80).size(), 50);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
