// The form asked to end by a signal, in real time on one simulated adapter: SIGTERM during
// Configure is remembered like the close box and carried out once the adapter has been programmed
// and the message shown; SIGHUP while the About box waits closes both at once. settings.ini stays
// as it was written.
#include "e2e_bench.h"

#include "ui/signal_quit.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <csignal>

using namespace velinor;
using namespace velinor::e2e;

class TestE2eSignalForm : public QObject {
    Q_OBJECT

private slots:
    void sigtermDuringConfigure() {
        E2eBench b;
        QVERIFY(b.start("[settings]\nlanguage=10000\nlog=1\nsearch=1\n",
                        [](AdapterModel& m) { m.setKeyDelayMs(0); }));
        const SignalQuit quit(b.dlg.get());
        b.type(CSetupDlg::IDC_SSID, QStringLiteral("office"));
        b.chooseSecurity(security::kWpa2);
        b.type(CSetupDlg::IDC_KEY, QStringLiteral("passphrase1"));
        b.type(CSetupDlg::IDC_CHANNEL, QStringLiteral("6"));
        b.click(CSetupDlg::IDC_ACCESS_POINT);
        const QByteArray ini = fakes::readFile(b.dir.filePath(QStringLiteral("settings.ini")));
        // Once the adapter has been reset to its factory defaults.
        bool visibleAtSignal = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (b.transcript().contains("AT+IFD\r")) {
                poll.stop();
                std::raise(SIGTERM);
                visibleAtSignal = b.dlg->isVisible();
            }
        });
        poll.start(20);
        b.click(CSetupDlg::IDC_CONFIGURE);
        QVERIFY(visibleAtSignal);
        QCOMPARE(quit.received(), 1);
        // The exchange ran to its end, the message was shown, and then the form closed.
        QCOMPARE(b.transcript().last(), QByteArray("AT+IDOWN\r"));
        QCOMPARE(b.prompts.texts(), QStringList{"Settings saved on wireless product"});
        QVERIFY(b.dlg->isVisible());
        QTRY_VERIFY(!b.dlg->isVisible());
        QVERIFY(!b.port.isOpen());
        QCOMPARE(fakes::readFile(b.dir.filePath(QStringLiteral("settings.ini"))), ini);
        QVERIFY(fakes::readFile(b.dir.filePath(QStringLiteral("log.txt")))
                    .contains("Configuration successful"));
    }

    void sighupWhileAboutIsOpen() {
        E2eBench b;
        QVERIFY(b.start("[settings]\nlanguage=10000\nlog=0\n", [](AdapterModel&) {}));
        const SignalQuit quit(b.dlg.get());
        QTimer::singleShot(200, [] { std::raise(SIGHUP); });
        QElapsedTimer took;
        took.start();
        b.app->OnCommand(CSetupApp::kCmdAbout); // returns when the About box has closed
        QVERIFY(took.elapsed() < 5000);
        QCOMPARE(quit.received(), 1);
        QTRY_VERIFY(!b.dlg->isVisible());
    }
};

QTEST_MAIN(TestE2eSignalForm)
#include "test_e2e_signal_form.moc"
