// The main form and the network dialog driven as a user would, on one adapter in real time, in
// order: Configure with a 5 s wait for the key, Read out of what it programmed, Netsearch. The
// window stays alive throughout: no wait for the adapter blocks the event loop. It turns every
// 5 ms when idle; the limits leave room for two builds sharing the machine's cores, and still
// catch a wait of the 3 s scan or the 5 s key.
#include "e2e_bench.h"

#include "base/security_type.h"
#include "ui/scan_dlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>

using namespace velinor;
using namespace velinor::e2e;

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

struct Entry {
    QString ssid = {};
    int security = security::kNone;
    QString key = {}, channel = {};
    bool accessPoint = false;
};

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestE2eForm : public QObject {
    Q_OBJECT
    E2eBench b;

private slots:
    void initTestCase() {
        QVERIFY(b.start("[settings]\nlanguage=10000\nlog=0\nsearch=1\n", [](AdapterModel& m) {
            m.setKeyDelayMs(5000);
            m.setScanDelayMs(3000);
            m.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62",
                           "harbour,ADHOC,02:11:22:33:44:55,WEP128,3,48",
                           "Corp,AP,00:1B:63:84:45:E6,WPA_ENT,13,39"});
        }));
        QVERIFY(QTest::qWaitForWindowExposed(b.dlg.get()));
    }

    // What the user enters (nothing when ssid is null), the button, then the form
    // ("SSID|type|channel|access point"), the adapter's commands and the messages.
    void commands_data() {
        QTest::addColumn<Entry>("entry");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<QString>("messages");
        QTest::newRow("Configure")
            << Entry{.ssid = "velinor-e2e",
                     .security = security::kWpa2,
                     .key = "correct horse battery",
                     .channel = "11",
                     .accessPoint = true}
            << int(CSetupDlg::IDC_CONFIGURE) << "velinor-e2e|WPA2|11|1"
            << QByteArray("AT+IBDRF?\rAT+IFD\rAT+IHIF=4\rAT+IBDRF=9\rAT+IWLSI=velinor-e2e\r"
                          "AT+IWST0=4\rAT+IWLCH=11\rAT+IWPP0=correct horse battery\rAT+IBRM=2\r"
                          "AT+IDOWN\r")
            << "Settings saved on wireless product";
        // Other values in the form, so that only the adapter can bring them back.
        QTest::newRow("Read out") << Entry{.ssid = "something else"} << int(CSetupDlg::IDC_READ_OUT)
                                  << "velinor-e2e|WPA2|11|1"
                                  << QByteArray(
                                         "AT+IBDRF?\rAT+IWLSI?\rAT+IWST0?\rAT+IWLCH?\rAT+IWLSI?\r")
                                  << "";
        // The list by damping; the user picks the second network.
        QTest::newRow("Netsearch")
            << Entry{} << int(CSetupDlg::IDC_NETSEARCH) << "harbour|WEP128|3|0"
            << QByteArray("AT+IBDRF?\rAT+IRP20\r") << "";
    }
    void commands() {
        QFETCH(Entry, entry);
        QFETCH(int, button);
        if (!entry.ssid.isNull()) {
            b.type(CSetupDlg::IDC_SSID, entry.ssid);
            b.chooseSecurity(entry.security);
            b.type(CSetupDlg::IDC_KEY, entry.key);
            b.type(CSetupDlg::IDC_CHANNEL, entry.channel);
            b.click(entry.accessPoint ? CSetupDlg::IDC_ACCESS_POINT : CSetupDlg::IDC_AD_HOC);
        }
        b.transcript(true);
        b.prompts.shown.clear();
        QProgressBar* bar = b.dlg->progressBar();
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
            auto* dlg = qobject_cast<CScanDlg*>(QApplication::activeModalWidget());
            if (dlg && dlg->isVisible()) {
                QTableWidget* list = dlg->networkList();
                QCOMPARE(list->item(0, CScanDlg::ColDamping)->text(), QStringLiteral("39"));
                list->selectRow(1);
                QTest::mouseClick(dlg->okButton(), Qt::LeftButton);
                if (dlg->isVisible())
                    dlg->reject(); // never leave the test hanging
            }
        });
        // 4 s into Configure the user clicks Quit and Configure and presses Escape, through the
        // window: thrown away, they do not run later either.
        QTimer::singleShot(4000, [&] {
            for (const int id : {int(CSetupDlg::IDOK), int(CSetupDlg::IDC_CONFIGURE)}) {
                QWidget* w = b.dlg->control(id);
                QTest::mouseClick(b.dlg->windowHandle(), Qt::LeftButton, {},
                                  w->mapTo(b.dlg.get(), w->rect().center()));
            }
            QTest::keyClick(b.dlg->windowHandle(), Qt::Key_Escape);
        });
        QElapsedTimer took;
        took.start();
        sinceLastTurn.start();
        ticker.start();
        b.click(button);
        longestGap = std::max(longestGap, sinceLastTurn.elapsed());
        ticker.stop();
        const qint64 duration = took.elapsed();
        qInfo("%lld ms, %d turns, longest gap %lld ms", duration, turns, longestGap);
        QVERIFY2(longestGap < 750, qPrintable(QString::number(longestGap)));
        QVERIFY2(turns > duration / 50, qPrintable(QString::number(turns)));
        if (button == CSetupDlg::IDC_CONFIGURE) {
            QVERIFY(duration >= 5000);
            QVERIFY(withBar > turns * 9 / 10 && withWaitCursor > turns * 9 / 10 && barMaximum > 1);
            QVERIFY2(barPaints.paints >= 3, qPrintable(QString::number(barPaints.paints)));
            QTest::qWait(300);
        }
        QVERIFY(b.dlg->isVisible() && b.dlg->result() == 0);
        QVERIFY(bar->isHidden() && !QApplication::overrideCursor() && !b.port.isOpen());
        QTEST(QStringList({b.ctl<QLineEdit>(CSetupDlg::IDC_SSID)->text(),
                           b.ctl<QComboBox>(CSetupDlg::IDC_SECURITY)->currentText(),
                           b.ctl<QLineEdit>(CSetupDlg::IDC_CHANNEL)->text(),
                           QString::number(b.dlg->isAccessPoint())})
                  .join(u'|'),
              "form");
        QTEST(b.transcript().join(), "commands");
        QTEST(b.prompts.texts().join(u'|'), "messages");
    }
};

QTEST_MAIN(TestE2eForm)
#include "test_e2e_form.moc"
