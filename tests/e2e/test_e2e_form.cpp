// The main form and the network dialog driven as a user would, on one adapter in real time:
// Configure with a 5 s wait for the key (the window stays alive through it), Read out of what
// it programmed, Netsearch.
#include "e2e_bench.h"

#include "ui/scan_dlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>

using namespace velinor;
using namespace velinor::e2e;

namespace {

constexpr int kKeyWaitMs = 5000;
const QString kSsid = QStringLiteral("velinor-e2e");
const QString kKey = QStringLiteral("correct horse battery");

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestE2eForm : public QObject {
    Q_OBJECT
    E2eBench b;
    QString text(int id) const { return b.ctl<QLineEdit>(id)->text(); }
    QString security() const { return b.ctl<QComboBox>(CSetupDlg::IDC_SECURITY)->currentText(); }

private slots:
    void initTestCase() {
        QVERIFY(b.start("[settings]\nlanguage=10000\nlog=0\nsearch=1\n", [](AdapterModel& m) {
            m.setKeyDelayMs(kKeyWaitMs);
            m.setScanDelayMs(3000);
            m.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62",
                           "harbour,ADHOC,02:11:22:33:44:55,WEP128,3,48",
                           "Guest,AP,00:1A:2B:3C:4D:60,NONE,1,71",
                           "Corp,AP,00:1B:63:84:45:E6,WPA_ENT,13,39"});
        }));
        QVERIFY(QTest::qWaitForWindowExposed(b.dlg.get()));
    }

    // Liveness: the event loop turns at least every 100 ms, the bar and the wait cursor show,
    // and clicks and keys meant for the form are thrown away instead of running later.
    void configureKeepsTheWindowAlive() {
        b.type(CSetupDlg::IDC_SSID, kSsid);
        b.chooseSecurity(4);
        b.type(CSetupDlg::IDC_KEY, kKey);
        b.type(CSetupDlg::IDC_CHANNEL, QStringLiteral("11"));
        b.click(CSetupDlg::IDC_ACCESS_POINT);
        b.transcript(true);
        QProgressBar* bar = b.dlg->progressBar();
        QVERIFY(bar->isHidden());
        PaintCounter barPaints;
        bar->installEventFilter(&barPaints);

        QElapsedTimer sinceLastTurn;
        qint64 longestGap = 0;
        int turns = 0, withBar = 0, withWaitCursor = 0, barMaximum = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceLastTurn.restart());
            ++turns;
            withBar += bar->isVisible();
            barMaximum = std::max(barMaximum, bar->maximum());
            const QCursor* cursor = QApplication::overrideCursor();
            withWaitCursor += cursor && cursor->shape() == Qt::WaitCursor;
        });
        // 4 s in the user clicks Quit and Configure and presses Escape, through the window.
        bool userActed = false;
        QTimer::singleShot(4000, [&] {
            for (const int id : {int(CSetupDlg::IDOK), int(CSetupDlg::IDC_CONFIGURE)}) {
                QWidget* w = b.dlg->control(id);
                QTest::mouseClick(b.dlg->windowHandle(), Qt::LeftButton, {},
                                  w->mapTo(b.dlg.get(), w->rect().center()));
            }
            QTest::keyClick(b.dlg->windowHandle(), Qt::Key_Escape);
            userActed = true;
        });
        QElapsedTimer took;
        took.start();
        sinceLastTurn.start();
        ticker.start();
        b.click(CSetupDlg::IDC_CONFIGURE);
        longestGap = std::max(longestGap, sinceLastTurn.elapsed());
        ticker.stop();
        const qint64 duration = took.elapsed();
        qInfo("Configure took %lld ms, %d turns, longest gap %lld ms", duration, turns, longestGap);
        QVERIFY(duration >= kKeyWaitMs && userActed);
        QVERIFY2(longestGap < 100, qPrintable(QString::number(longestGap)));
        QVERIFY2(turns > duration / 10, qPrintable(QString::number(turns)));
        QVERIFY(withBar > turns * 9 / 10 && withWaitCursor > turns * 9 / 10 && barMaximum > 1);
        QVERIFY2(barPaints.paints >= 3, qPrintable(QString::number(barPaints.paints)));

        QTest::qWait(300);
        QVERIFY(b.dlg->isVisible() && b.dlg->result() == 0);
        QCOMPARE(
            b.transcript(),
            (QList<QByteArray>{"AT+IBDRF?\r", "AT+IFD\r", "AT+IHIF=4\r", "AT+IBDRF=9\r",
                               "AT+IWLSI=" + kSsid.toUtf8() + "\r", "AT+IWST0=4\r", "AT+IWLCH=11\r",
                               "AT+IWPP0=" + kKey.toUtf8() + "\r", "AT+IBRM=2\r", "AT+IDOWN\r"}));
        QCOMPARE(b.prompts.texts(), QStringList{"Settings saved on wireless product"});
        QByteArray running; // the adapter runs with the new key after its restart
        b.adapter.call([&](PtyServer& s) { running = s.model().running("WPP0"); });
        QCOMPARE(running, kKey.toUtf8());
        QVERIFY(bar->isHidden() && !QApplication::overrideCursor() && !b.port.isOpen());
    }

    void readOutAfterConfiguration() {
        // Other values in the form, so that only the adapter can bring them back.
        b.type(CSetupDlg::IDC_SSID, QStringLiteral("something else"));
        b.chooseSecurity(0);
        b.ctl<QLineEdit>(CSetupDlg::IDC_CHANNEL)->clear();
        b.click(CSetupDlg::IDC_AD_HOC);
        b.transcript(true);
        b.prompts.shown.clear();
        b.click(CSetupDlg::IDC_READ_OUT);
        QCOMPARE(text(CSetupDlg::IDC_SSID), kSsid);
        QCOMPARE(security(), QStringLiteral("WPA2"));
        QCOMPARE(text(CSetupDlg::IDC_CHANNEL), QStringLiteral("11"));
        QVERIFY(b.dlg->isAccessPoint());
        // Only questions reached the adapter, never one for the key.
        const QList<QByteArray> commands = b.transcript();
        QCOMPARE(commands.first(), QByteArray("AT+IBDRF?\r"));
        for (const QByteArray& command : commands)
            QVERIFY2(command.endsWith("?\r") && !command.startsWith("AT+IWPP0"), command.data());
        QVERIFY(b.prompts.shown.isEmpty() && !b.port.isOpen());
    }

    void netsearchListsByDampingAndFillsTheForm() {
        QStringList listed;
        // Once the dialog is up (it scans before it shows): read the list, pick harbour.
        std::function<void()> inDialog = [&] {
            auto* dlg = qobject_cast<CScanDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return QTimer::singleShot(20, inDialog);
            QTableWidget* list = dlg->networkList();
            for (int r = 0; r < list->rowCount(); ++r)
                listed << list->item(r, CScanDlg::ColSsid)->text() + u' ' +
                              list->item(r, CScanDlg::ColDamping)->text();
            list->selectRow(1);
            QTest::mouseClick(dlg->okButton(), Qt::LeftButton);
            if (dlg->isVisible())
                dlg->reject(); // never leave the test hanging
        };
        QTimer::singleShot(20, inDialog);
        b.click(CSetupDlg::IDC_NETSEARCH);
        QCOMPARE(listed, (QStringList{"Corp 39", "harbour 48", "office 62", "Guest 71"}));
        QVERIFY(b.prompts.shown.isEmpty());
        QCOMPARE(text(CSetupDlg::IDC_SSID), QStringLiteral("harbour"));
        QCOMPARE(security(), QStringLiteral("WEP128"));
        QCOMPARE(text(CSetupDlg::IDC_CHANNEL), QStringLiteral("3"));
        QVERIFY(b.dlg->isAdHoc());
        QVERIFY(b.ctl<QLabel>(CSetupDlg::IDC_DAMPING)->text().contains("48"));
        QVERIFY(b.transcript().contains("AT+IRP20\r") && !b.port.isOpen());
    }
};

QTEST_MAIN(TestE2eForm)
#include "test_e2e_form.moc"
