// velinor-sim's faults drawn from a seed: repeatable, every kind reachable, each applied alone.
#include "base/clock.h"
#include "sim/adapter_model.h"
#include "sim/fault_draw.h"

#include <QTest>

using namespace velinor;
using Kind = DrawnFault::Kind;

namespace {

QList<QByteArray> draws(quint64 seed, int count) {
    FaultDraw draw(seed);
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i)
        lines << draw.next().describe();
    return lines;
}

// One command asked, then the reply after a wait.
struct Applied {
    DrawnFault before = {}, drawn = {};
    int waitMs = 0;
    QByteArray reply = {};
    bool vanished = false;
};

} // namespace

Q_DECLARE_METATYPE(Applied)

class TestFaultDraw : public QObject {
    Q_OBJECT
private slots:
    void sameSeedSameFaults() {
        for (const auto& [seed, otherSeed] :
             {std::pair<quint64, quint64>{0, 1}, {42, 43}, {~quint64(0), 0}}) {
            QCOMPARE(draws(seed, 200), draws(seed, 200));
            QVERIFY(draws(seed, 200) != draws(otherSeed, 200));
        }
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
        QTest::addColumn<Applied>("applied");
        const DrawnFault silent{Kind::Silent, "AT+IWLSI"}, late{Kind::Late, "AT+IWLSI", 1800};
        const QByteArray ok = "AT+IWLSI?\r\nvelinor\r\nI/OK\r\n";
        QTest::newRow("silence keeps the reply back") << Applied{.drawn = silent, .waitMs = 5000};
        QTest::newRow("I/ERROR answers the command")
            << Applied{.drawn = {Kind::Error, "AT+IWLSI"}, .reply = "AT+IWLSI?\r\nI/ERROR\r\n"};
        QTest::newRow("late reply not there before its time")
            << Applied{.drawn = late, .waitMs = 1799};
        QTest::newRow("late reply there at its time")
            << Applied{.drawn = late, .waitMs = 1800, .reply = ok};
        QTest::newRow("split reply whole after its gaps")
            << Applied{.drawn = {Kind::Split, {}, 40, 3}, .waitMs = 80, .reply = ok};
        QTest::newRow("the next draw clears the silence") << Applied{.before = silent, .reply = ok};
        QTest::newRow("the next draw clears a delay") << Applied{.before = late, .reply = ok};
        QTest::newRow("vanishing after no command: gone at once")
            << Applied{.drawn = {Kind::Vanish, {}}, .waitMs = 5000, .vanished = true};
    }
    void appliedAlone() {
        QFETCH(Applied, applied);
        ManualClock clock;
        AdapterModel model(clock);
        applied.before.applyTo(model);
        applied.drawn.applyTo(model);
        model.receive("AT+IWLSI?\r");
        clock.pause(applied.waitMs);
        QCOMPARE(model.takeOutput(1024), applied.reply);
        QCOMPARE(model.vanished(), applied.vanished);
    }
};

QTEST_GUILESS_MAIN(TestFaultDraw)
#include "test_fault_draw.moc"
