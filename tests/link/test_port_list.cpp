#include "fakes.h"
#include "link/port_list.h"

#include <QTest>

using namespace velinor;
using velinor::fakes::FakePortEnumerator;

class TestPortList : public QObject {
    Q_OBJECT
private slots:
    void automaticTakesOnlyTheAdapter() {
        FakePortEnumerator e;
        QVERIFY(portlist::automatic(e).isEmpty());
        e.addAdapter("/dev/ttyACM3");
        e.addUsb("/dev/ttyUSB0", 0x0403, 0x6001); // another USB device
        e.addUsb("/dev/ttyACM1", 0x7C5E, 0x0004); // same maker, other product
        e.addUsb("/dev/ttyACM2", 0x7C5F, 0x0003); // other maker
        e.addPlain("/dev/ttyS0");                 // no USB ids
        e.addAdapter("/dev/ttyACM0");
        QCOMPARE(portlist::automatic(e), QStringList({"/dev/ttyACM0", "/dev/ttyACM3"}));
        for (int i = 4; i < 130; ++i)
            e.addAdapter(QStringLiteral("/dev/ttyACM%1").arg(i));
        const QStringList list = portlist::automatic(e);
        QCOMPARE(list.size(), 127);
        QCOMPARE(list.last(), QStringLiteral("/dev/ttyACM128"));
    }

    void manualTakesEveryPortInOrder() {
        FakePortEnumerator e;
        e.addPlain("/dev/ttyS1");
        e.addAdapter("/dev/ttyACM10");
        e.addUsb("/dev/ttyUSB0", 0x0403, 0x6001);
        e.addAdapter("/dev/ttyACM2");
        e.addPlain("/dev/ttyS1"); // reported twice
        QCOMPARE(portlist::manual(e),
                 QStringList({"/dev/ttyACM2", "/dev/ttyACM10", "/dev/ttyS1", "/dev/ttyUSB0"}));
    }

    void manualLimits_data() {
        QTest::addColumn<int>("reported");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("expected");
        QTest::newRow("60 ports, 50") << 60 << 50 << 50;
        QTest::newRow("60 ports, more than 50 asked") << 60 << 80 << 50;
        QTest::newRow("3 ports, 50") << 3 << 50 << 3;
        QTest::newRow("n negative") << 3 << -1 << 0;
    }
    void manualLimits() {
        QFETCH(int, reported);
        QFETCH(int, n);
        FakePortEnumerator e;
        for (int i = reported - 1; i >= 0; --i)
            e.addPlain(QStringLiteral("/dev/ttyS%1").arg(i));
        const QStringList list = portlist::manual(e, n);
        QTEST(int(list.size()), "expected");
        for (int i = 0; i < list.size(); ++i)
            QCOMPARE(list.at(i), QStringLiteral("/dev/ttyS%1").arg(i));
    }

    void nameOrder_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("less");
        QTest::newRow("2 before 10") << QStringLiteral("/dev/ttyACM2") << "/dev/ttyACM10" << true;
        QTest::newRow("10 after 2") << QStringLiteral("/dev/ttyACM10") << "/dev/ttyACM2" << false;
        QTest::newRow("prefix first") << QStringLiteral("/dev/ttyACM") << "/dev/ttyACM0" << true;
        QTest::newRow("letters") << QStringLiteral("/dev/ttyACM0") << "/dev/ttyS0" << true;
        QTest::newRow("equal") << QStringLiteral("/dev/ttyS0") << "/dev/ttyS0" << false;
        QTest::newRow("leading zero") << QStringLiteral("/dev/x01") << "/dev/x1" << true;
        QTest::newRow("leading zero reverse") << QStringLiteral("/dev/x1") << "/dev/x01" << false;
    }
    void nameOrder() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QTEST(portlist::nameLess(a, b), "less");
    }

    // Regression: the stored port was found by substring.
    void restoreIsExact_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        const QStringList acm = {"/dev/ttyACM1", "/dev/ttyACM10"};
        QTest::newRow("not a prefix match") << acm << "/dev/ttyACM1" << 0;
        QTest::newRow("second") << acm << "/dev/ttyACM10" << 1;
        QTest::newRow("empty stored selects nothing") << acm << "" << -1;
        QTest::newRow("part of a name") << acm << "ttyACM1" << -1;
        QTest::newRow("case matters") << QStringList({"/dev/ttyacm1"}) << "/dev/ttyACM1" << -1;
    }
    void restoreIsExact() {
        QFETCH(QStringList, items);
        QFETCH(QString, stored);
        QTEST(portlist::restoreIndex(items, stored), "index");
    }

    void portNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isPort");
        QTest::newRow("acm") << "/dev/ttyACM0" << true;
        QTest::newRow("pts") << "/dev/pts/4" << true;
        QTest::newRow("windows name") << "COM3" << false;
        QTest::newRow("relative") << "dev/ttyACM0" << false;
        QTest::newRow("other path") << "/tmp/ttyACM0" << false;
        QTest::newRow("bare /dev/") << "/dev/" << false;
        QTest::newRow("upper case") << "/DEV/ttyACM0" << false;
    }
    void portNames() {
        QFETCH(QString, text);
        QTEST(portlist::isPortName(text), "isPort");
    }
};

QTEST_GUILESS_MAIN(TestPortList)
#include "test_port_list.moc"
