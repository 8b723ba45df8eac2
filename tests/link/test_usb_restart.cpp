#include "config/config_fakes.h"
#include "link/usb_restart.h"

#include <QTest>

#include <cerrno>

using namespace velinor;
using namespace cfgtest;

class TestUsbRestart : public QObject {
    Q_OBJECT

private slots:

    void switchesEveryAdapterOffThenOn() {
        Bench b;
        const QString first = b.sysfs.addDevice(QStringLiteral("1-1"), "7c5e", "0003");
        const QString other = b.sysfs.addDevice(QStringLiteral("1-2"), "7c5e", "0004");
        const QString second = b.sysfs.addDevice(QStringLiteral("2-3.1"), "7C5E", "0003");
        b.sysfs.addDevice(QStringLiteral("usb1"), "1d6b", "0002");
        QDir().mkpath(b.sysfs.devicesDir() + QStringLiteral("/1-1:1.0")); // an interface: no ids
        b.clock.watch({first, second, other});

        UsbRestart restart(b.sysfs.root(), b.clock, b.log);
        QCOMPARE(restart.adapterSwitches(), QStringList({first, second}));
        QVERIFY(restart.RestartAdapter());

        // Off for the first pause, on again for the second; other devices untouched.
        QCOMPARE(b.clock.seen, QList<QByteArray>({"001", "111"}));
        QCOMPARE(b.clock.elapsedMs(), 2000);
        QCOMPARE(FakeSysfs::read(first), QByteArray("1\n"));
        QCOMPARE(FakeSysfs::read(other), QByteArray("1\n"));
        QVERIFY(!b.logExists());
    }

    void failures_data() {
        QTest::addColumn<QStringList>("devices"); // "name:vendor:product[:dir]"
        QTest::addColumn<int>("error");
        QTest::addColumn<QByteArray>("afterwards"); // first byte of each adapter switch

        QTest::newRow("no devices at all") << QStringList() << ENOENT << QByteArray();
        QTest::newRow("only other devices")
            << QStringList({"1-1:7c5e:0004", "1-2:1234:0003"}) << ENOENT << QByteArray();
        QTest::newRow("switch cannot be written")
            << QStringList({"1-1:7c5e:0003:dir"}) << EISDIR << QByteArray("-");
        QTest::newRow("second of two fails: the first is switched back on")
            << QStringList({"1-1:7c5e:0003", "1-2:7c5e:0003:dir"}) << EISDIR << QByteArray("1-");
    }

    void failures() {
        QFETCH(QStringList, devices);
        QFETCH(int, error);
        QFETCH(QByteArray, afterwards);

        Bench b;
        QDir().mkpath(b.sysfs.devicesDir());
        QStringList switches;
        for (const QString& d : devices) {
            const QStringList f = d.split(QLatin1Char(':'));
            const QString path =
                b.sysfs.addDevice(f[0], f[1].toLatin1(), f[2].toLatin1(), f.size() > 3);
            if (f[1] == QLatin1String("7c5e") && f[2] == QLatin1String("0003"))
                switches << path;
        }
        UsbRestart restart(b.sysfs.root(), b.clock, b.log);
        QVERIFY(!restart.RestartAdapter());

        // No pause: the enable step is not attempted after a failed disable step.
        QCOMPARE(b.clock.elapsedMs(), 0);
        QCOMPARE(b.logEntries(), QStringList({QStringLiteral("usbrestart error: %1").arg(error)}));
        QByteArray state;
        for (const QString& s : switches)
            state += QFileInfo(s).isDir() ? QByteArray("-") : FakeSysfs::read(s).left(1);
        QCOMPARE(state, afterwards);
    }

    void failedEnableIsLoggedAfterOnePause() {
        Bench b;
        const QString path = b.sysfs.addDevice(QStringLiteral("1-1"), "7c5e", "0003");
        b.clock.onLongPause = [&] {
            // The device comes back as something that cannot be switched on.
            QFile::remove(path);
            QDir().mkpath(path);
        };
        UsbRestart restart(b.sysfs.root(), b.clock, b.log);
        QVERIFY(!restart.RestartAdapter());
        QCOMPARE(b.clock.elapsedMs(), 1000);
        QCOMPARE(b.logEntries(), QStringList({QStringLiteral("usbrestart error: %1").arg(EISDIR)}));
    }

    void nothingIsLoggedWhileLoggingIsOff() {
        Bench b;
        b.logging = false;
        UsbRestart restart(b.sysfs.root(), b.clock, b.log);
        QVERIFY(!restart.RestartAdapter());
        QVERIFY(!b.logExists());
    }
};

QTEST_GUILESS_MAIN(TestUsbRestart)
#include "test_usb_restart.moc"
