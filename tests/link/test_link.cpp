// The real clock's pause, the port's set-up in virtual time, the adapter's restart through the
// USB switches, and the port list. The command transaction is proven by the Configure table.

#include "fakes.h"

#include "base/system_clock.h"
#include "link/port_list.h"
#include "link/usb_restart.h"

#include <QTest>
#include <QTimer>

#include <cerrno>

using namespace velinor;
using namespace velinor::fakes;
enum class Switch { Writable, Directory, Full }; // Full: every write fails (no space left)
struct Usb {
    const char* name;
    const char* vendor;
    const char* product;
    Switch authorized = Switch::Writable;
};
using Devices = QList<Usb>;
Q_DECLARE_METATYPE(Devices)

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void systemClockPauses() {
        SystemClock clock;
        const qint64 start = clock.elapsedMs();
        bool handled = false; // events go on meanwhile: the form repaints
        QTimer::singleShot(0, [&handled] { handled = true; });
        clock.pause(30);
        QVERIFY(clock.elapsedMs() - start >= 30 && clock.elapsedMs() - start < 1000);
        QVERIFY(handled);
    }

    // The settings are read and written back, each after a pause; unreadable ones, or none
    // without a port, are not written.
    void configurePort() {
        AdapterBench b;
        QVERIFY(b.openPort());
        b.link.ConfigurePort(&b.port);
        QVERIFY(b.clock.elapsedMs() == 2000 && b.port.lineSettingsWrites() == 1);
        b.link.ConfigurePort(nullptr);
        b.port.setLineSettingsReadable(false);
        b.link.ConfigurePort(&b.port);
        QVERIFY(b.clock.elapsedMs() == 6000 && b.port.lineSettingsWrites() == 1);
    }
    void usbRestart_data() {
        QTest::addColumn<Devices>("devices");
        QTest::addColumn<bool>("goneWhileOff");    // both adapters vanish during the first pause
        QTest::addColumn<QStringList>("switches"); // the adapters', at each pause, then after
        QTest::addColumn<QString>("logged");
        const Usb adapter{"1-1", "7c5e", "0003"};
        QTest::newRow("both adapters off, then on; other devices untouched")
            << Devices{adapter,
                       {"1-2", "7c5e", "0004"},
                       {"2-3.1", "7C5E", "0003"},
                       {"usb1", "1d6b", "0002"}}
            << false << QStringList{"off off", "on on", "on on"} << "";
        QTest::newRow("no adapter: No such file or directory")
            << Devices{{"1-1", "7c5e", "0004"}, {"1-2", "1234", "0003"}} << false << QStringList{""}
            << "usbrestart error: 2";
        QTest::newRow("second unwritable: the first is switched on again")
            << Devices{adapter, {"1-2", "7c5e", "0003", Switch::Directory}} << false
            << QStringList{"on unwritable"} << "usbrestart error: 21";
        QTest::newRow("second refuses the write: the first is switched on again")
            << Devices{adapter, {"1-2", "7c5e", "0003", Switch::Full}} << false
            << QStringList{"on full"} << "usbrestart error: 28";
        QTest::newRow("both gone while off: the first failure is logged")
            << Devices{adapter, {"1-2", "7c5e", "0003"}} << true
            << QStringList{"off off", "unwritable gone"} << "usbrestart error: 21";
    }
    void usbRestart() {
        QFETCH(Devices, devices);
        QFETCH(bool, goneWhileOff);
        AdapterBench b;
        QStringList switches;
        for (const Usb& d : devices) {
            const QString path = b.addUsbDevice(d.name, d.vendor, d.product);
            if (d.authorized != Switch::Writable && QFile::remove(path))
                QVERIFY(d.authorized == Switch::Directory ? QDir().mkpath(path)
                                                          : QFile::link("/dev/full", path));
            if (QByteArray(d.vendor).toLower() == "7c5e" && QByteArray(d.product) == "0003")
                switches << path;
        }
        const auto state = [&] {
            QStringList s;
            for (const QString& p : switches)
                s << (QFileInfo(p).isSymLink()      ? "full"
                      : QFileInfo(p).isDir()        ? "unwritable"
                      : !QFile::exists(p)           ? "gone"
                      : readFile(p).startsWith('1') ? "on"
                                                    : "off");
            return s.join(' ');
        };
        QStringList states;
        b.clock.onPause = [&](int) {
            states << state();
            if (goneWhileOff && states.size() == 1) {
                QFile::remove(switches.first());
                QDir().mkpath(switches.first());
                QFile::remove(switches.last());
            }
        };
        UsbRestart restart(b.dir.path(), b.clock, b.log);
        QFETCH(QString, logged);
        QCOMPARE(restart.RestartAdapter(), logged.isEmpty());
        QTEST(states << state(), "switches");
        QCOMPARE(b.logLines().join(""), logged);
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
        for (const auto& [first, second] :
             {std::pair{"/dev/x01", "/dev/x1"},
              {"/dev/x00", "/dev/x0"},
              {"/dev/x0", "/dev/x1"},
              {"/dev/x1.9", "/dev/x1.10"}}) // the numbers after the first count as well
            QVERIFY(portlist::nameLess(first, second) && !portlist::nameLess(second, first));
        QVERIFY(!portlist::nameLess("/dev/x1", "/dev/x1")); // nor before itself
        QVERIFY(portlist::isPortName("/dev/x") && !portlist::isPortName("/dev/"));
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
