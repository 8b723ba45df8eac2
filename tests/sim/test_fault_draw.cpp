// velinor-sim's faults drawn from a seed: repeatable, every kind reachable, each applied alone.
#include "base/clock.h"
#include "sim/adapter_model.h"
#include "sim/fault_draw.h"

#include <QTest>

using namespace velinor;
using Kind = DrawnFault::Kind;

Q_DECLARE_METATYPE(DrawnFault)

namespace {

QList<QByteArray> draws(quint64 seed, int count) {
    FaultDraw draw(seed);
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i)
        lines << draw.next().describe();
    return lines;
}

DrawnFault fault(Kind kind, const QByteArray& command = {}, int ms = 0, int count = 0) {
    DrawnFault f;
    f.kind = kind;
    f.command = command;
    f.ms = ms;
    f.count = count;
    return f;
}

} // namespace

class TestFaultDraw : public QObject {
    Q_OBJECT
private slots:
    void sameSeedSameFaults_data() {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<quint64>("otherSeed");
        QTest::newRow("seed 0 repeats, seed 1 differs") << quint64(0) << quint64(1);
        QTest::newRow("seed 42 repeats, seed 43 differs") << quint64(42) << quint64(43);
        QTest::newRow("largest seed repeats, seed 0 differs") << ~quint64(0) << quint64(0);
    }
    void sameSeedSameFaults() {
        QFETCH(quint64, seed);
        QFETCH(quint64, otherSeed);
        QCOMPARE(draws(seed, 200), draws(seed, 200));
        QVERIFY(draws(seed, 200) != draws(otherSeed, 200));
    }

    void everyKindReachable_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QByteArray>("word");
        QTest::newRow("no fault drawn") << Kind::None << QByteArray("none");
        QTest::newRow("silence drawn") << Kind::Silent << QByteArray("silent");
        QTest::newRow("I/ERROR drawn") << Kind::Error << QByteArray("error");
        QTest::newRow("garbage drawn") << Kind::Garbage << QByteArray("garbage");
        QTest::newRow("late reply drawn") << Kind::Late << QByteArray("late");
        QTest::newRow("split replies drawn") << Kind::Split << QByteArray("split");
        QTest::newRow("vanishing drawn") << Kind::Vanish << QByteArray("vanish");
    }
    void everyKindReachable() {
        QFETCH(Kind, kind);
        QFETCH(QByteArray, word);
        FaultDraw draw(7);
        int found = 0;
        for (int i = 0; i < 700; ++i) {
            const DrawnFault f = draw.next();
            if (f.kind != kind)
                continue;
            ++found;
            QCOMPARE(f.describe().split(' ').first(), word);
            const bool needsCommand = kind != Kind::None && kind < Kind::Split;
            QCOMPARE(FaultDraw::commands().contains(f.command), needsCommand);
            if (kind == Kind::Late)
                QVERIFY(f.ms <= FaultDraw::kShortLateMaxMs ||
                        (f.ms >= FaultDraw::kLongLateMinMs && f.ms <= FaultDraw::kLongLateMaxMs));
            if (kind == Kind::Split)
                QVERIFY(f.count >= 2 && f.count <= FaultDraw::kMaxSplitParts &&
                        f.ms <= FaultDraw::kMaxSplitGapMs);
            if (kind == Kind::Vanish)
                QVERIFY(f.count >= 0 && f.count <= FaultDraw::kMaxVanishAfter);
        }
        // Seven kinds in 700 draws: about 100 each.
        QVERIFY2(found > 50, qPrintable(QString::number(found)));
    }

    void appliedAlone_data() {
        QTest::addColumn<DrawnFault>("before");
        QTest::addColumn<DrawnFault>("drawn");
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("vanished");
        const DrawnFault silent = fault(Kind::Silent, "AT+IWLSI");
        const QByteArray ok = "AT+IWLSI?\r\nvelinor\r\nI/OK\r\n";
        QTest::newRow("silence keeps the reply back")
            << fault(Kind::None) << silent << 5000 << QByteArray() << false;
        QTest::newRow("I/ERROR answers the command")
            << fault(Kind::None) << fault(Kind::Error, "AT+IWLSI") << 0
            << QByteArray("AT+IWLSI?\r\nI/ERROR\r\n") << false;
        QTest::newRow("late reply not there before its time")
            << fault(Kind::None) << fault(Kind::Late, "AT+IWLSI", 1800) << 1799 << QByteArray()
            << false;
        QTest::newRow("late reply there at its time")
            << fault(Kind::None) << fault(Kind::Late, "AT+IWLSI", 1800) << 1800 << ok << false;
        QTest::newRow("split reply whole after its gaps")
            << fault(Kind::None) << fault(Kind::Split, {}, 40, 3) << 80 << ok << false;
        QTest::newRow("the next draw clears the silence")
            << silent << fault(Kind::None) << 0 << ok << false;
        QTest::newRow("the next draw clears a delay")
            << fault(Kind::Late, "AT+IWLSI", 1800) << fault(Kind::None) << 0 << ok << false;
        QTest::newRow("vanishing after no command: gone at once")
            << fault(Kind::None) << fault(Kind::Vanish, {}, 0, 0) << 5000 << QByteArray() << true;
    }
    void appliedAlone() {
        QFETCH(DrawnFault, before);
        QFETCH(DrawnFault, drawn);
        QFETCH(int, waitMs);
        QFETCH(QByteArray, reply);
        QFETCH(bool, vanished);
        ManualClock clock;
        AdapterModel model(clock);
        before.applyTo(model);
        drawn.applyTo(model);
        model.receive("AT+IWLSI?\r");
        clock.pause(waitMs);
        QCOMPARE(model.takeOutput(1024), reply);
        QCOMPARE(model.vanished(), vanished);
    }
};

QTEST_GUILESS_MAIN(TestFaultDraw)
#include "test_fault_draw.moc"
