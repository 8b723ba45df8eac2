#include "config/config_fakes.h"
#include "link/port_opener.h"
#include "link/usb_restart.h"

#include <QTest>

using namespace velinor;
using namespace cfgtest;

namespace {

struct OpenerBench : Bench {
    UsbRestart restart{sysfs.root(), clock, log};
    PortOpener opener{form, port, link, restart, prompts, log};
};

} // namespace

class TestPortOpener : public QObject {
    Q_OBJECT

private slots:

    void noPortSelected() {
        OpenerBench b;
        b.form.port.clear();
        QVERIFY(!b.opener.OpenSelectedPort(PortOpener::kAttempts));
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown[0].text, QStringLiteral("Select a COM port"));
        QCOMPARE(b.prompts.shown[0].icon, PromptIcon::Warning);
        QCOMPARE(b.port.openCount(), 0);
        QVERIFY(b.transcript().isEmpty());
    }

    void opensConfiguresAndProbes() {
        OpenerBench b;
        QVERIFY(b.opener.OpenSelectedPort(PortOpener::kAttempts));
        QVERIFY(b.prompts.shown.isEmpty());
        QCOMPARE(b.transcript(), QList<QByteArray>({"AT+IBDRF?\r"}));
        QVERIFY(b.port.isOpen());
        QCOMPARE(b.link.GetPortHandle(), static_cast<SerialPort*>(&b.port));
        // Two configuration pauses, the write pause, the reply wait and the read window.
        QVERIFY(b.clock.elapsedMs() >= 3200 && b.clock.elapsedMs() <= 3300);
        QVERIFY(!b.logExists());
    }

    void failedAttempts_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QString>("message");

        const QString dev = QStringLiteral("/dev/ttyACM0");
        QTest::newRow("silent adapter, English")
            << "silent" << kEnglish << dev + " : no answer from wireless product"
            << "Error occured on " + dev;
        QTest::newRow("silent adapter, German")
            << "silent" << kGerman << dev + " : WLAN-Produkt antwortet nicht"
            << QString::fromUtf8("Fehler beim Öffnen von ") + dev;
        QTest::newRow("port held by another program, English")
            << "held" << kEnglish << dev + " : Unknown Error"
            << "Error occured on " + dev;
        QTest::newRow("port held by another program, German")
            << "held" << kGerman << dev + " : Unbekannter Fehler"
            << QString::fromUtf8("Fehler beim Öffnen von ") + dev;
        QTest::newRow("port gone for good, English")
            << "gone" << kEnglish << dev + " : Restart of the wireless product needed"
            << "Error occured on " + dev;
        QTest::newRow("port gone for good, German")
            << "gone" << kGerman << dev + " : Neustart des WLAN-Produkts erforderlich"
            << QString::fromUtf8("Fehler beim Öffnen von ") + dev;
    }

    void failedAttempts() {
        QFETCH(QString, kind);
        QFETCH(int, language);
        QFETCH(QString, logLine);
        QFETCH(QString, message);

        OpenerBench b;
        b.form.language = language;
        const QString sw = b.sysfs.addDevice(QStringLiteral("1-1"), "7c5e", "0003");
        b.clock.watch({sw});
        if (kind == QLatin1String("silent"))
            b.model.setFault("AT+IBDRF", AdapterModel::Fault::Silent);
        else if (kind == QLatin1String("held"))
            b.port.setHeldElsewhere(true);
        else
            b.model.setVanished(true);

        QVERIFY(!b.opener.OpenSelectedPort(PortOpener::kAttempts));

        QCOMPARE(b.port.openCount(), 5);
        QStringList expectedLog;
        for (int i = 0; i < 5; ++i)
            expectedLog << logLine;
        QCOMPARE(b.logEntries(), expectedLog);
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.shown[0].text, message);
        QVERIFY(!b.port.isOpen());
        QCOMPARE(b.link.GetPortHandle(), nullptr);
        QCOMPARE(b.transcript().size(), kind == QLatin1String("silent") ? 5 : 0);
        // Only a vanished port restarts the adapter: off and on at each attempt.
        const int restarts = kind == QLatin1String("gone") ? 5 : 0;
        QCOMPARE(b.clock.seen.size(), 2 * restarts);
        for (int i = 0; i < b.clock.seen.size(); ++i)
            QCOMPARE(b.clock.seen[i], QByteArray(i % 2 == 0 ? "0" : "1"));
    }

    void vanishedPortRestartsAdapterUntilItIsBack() {
        OpenerBench b;
        const QString sw = b.sysfs.addDevice(QStringLiteral("3-2"), "7c5e", "0003");
        b.clock.watch({sw});
        b.model.failOpens(2);

        QVERIFY(b.opener.OpenSelectedPort(PortOpener::kAttempts));

        QCOMPARE(b.port.openCount(), 3);
        QCOMPARE(b.clock.seen, QList<QByteArray>({"0", "1", "0", "1"}));
        const QString line =
            QStringLiteral("/dev/ttyACM0 : Restart of the wireless product needed");
        QCOMPARE(b.logEntries(), QStringList({line, line}));
        QVERIFY(b.prompts.shown.isEmpty());
        QCOMPARE(b.transcript(), QList<QByteArray>({"AT+IBDRF?\r"}));
        QVERIFY(b.port.isOpen());
    }

    void portLeftOpenIsNotReused() {
        OpenerBench b;
        QCOMPARE(b.port.open(b.form.port).result, OpenResult::Ok);
        QVERIFY(b.opener.OpenAndProbePort());
        QCOMPARE(b.port.openCount(), 2);
    }
};

QTEST_GUILESS_MAIN(TestPortOpener)
#include "test_port_opener.moc"
