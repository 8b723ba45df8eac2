#include "scan/netsearch.h"
#include "scan/scan_fakes.h"
#include "ui/scan_dlg.h"

#include "link/commands.h"
#include "link/port_opener.h"
#include "link/usb_restart.h"

#include <QApplication>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace velinor;
using namespace scantest;

namespace {

// Notes whether a modal dialog was up when each message was shown.
class ModalNotingPrompts : public RecordingPrompts {
public:
    QList<bool> dialogUp;
    void message(const QString& text, PromptIcon icon) override {
        dialogUp.append(QApplication::activeModalWidget() != nullptr);
        RecordingPrompts::message(text, icon);
    }
};

QStringList column(const QTableWidget* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r)
        out << (list->item(r, c) ? list->item(r, c)->text() : QStringLiteral("<none>"));
    return out;
}

int rowOf(const QTableWidget* list, const QString& ssid) {
    for (int r = 0; r < list->rowCount(); ++r)
        if (list->item(r, CScanDlg::ColSsid)->text() == ssid)
            return r;
    return -1;
}

// The whole Netsearch: the simulated adapter, the port opening, the network
// dialog run modally with `inDialog` acting the user once it is up.
struct NetsearchBench : Bench {
    ModalNotingPrompts notingPrompts;
    QTemporaryDir sysfs;
    UsbRestart restart{sysfs.path(), clock, log};
    PortOpener opener{form, port, link, restart, notingPrompts, log};
    int dialogsRun = 0;
    int result = 0;
    std::function<void(CScanDlg&)> inDialog;

    void run() {
        auto runner = ScanDialogRunner(form, link, notingPrompts, log, nullptr);
        Netsearch netsearch(
            form, link, [this](int n) { return opener.OpenSelectedPort(n); },
            [this, runner] {
                ++dialogsRun;
                QTimer::singleShot(0, [this] {
                    auto* dlg = qobject_cast<CScanDlg*>(QApplication::activeModalWidget());
                    QVERIFY(dlg);
                    if (inDialog)
                        inDialog(*dlg);
                    if (dlg->isVisible())
                        dlg->reject(); // never leave a test hanging
                });
                result = runner();
                return result;
            });
        netsearch.OnNetsearch();
    }
    void pick(CScanDlg& dlg, const QString& ssid) {
        const int row = rowOf(dlg.networkList(), ssid);
        QVERIFY(row >= 0);
        dlg.networkList()->selectRow(row);
        dlg.okButton()->click();
    }
};

} // namespace

class TestScanDlg : public QObject {
    Q_OBJECT
private slots:
    void rowsShowTheRecords() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2_ENT,6,-62",
                             "MAPLE-AP,ADHOC,02:11:22:33:44:55,WEP128,11,48"});
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        QTableWidget* list = dlg.networkList();
        QCOMPARE(list->rowCount(), 2);
        QCOMPARE(column(list, 0), (QStringList{"office", "MAPLE-AP"}));
        QCOMPARE(column(list, 1), (QStringList{"Access Point", "Ad-hoc"}));
        QCOMPARE(column(list, 2), (QStringList{"00:1A:2B:3C:4D:5E", "02:11:22:33:44:55"}));
        QCOMPARE(column(list, 3), (QStringList{"6", "11"}));
        QCOMPARE(column(list, 4), (QStringList{"WPA2-ENTERPRISE", "WEP128"}));
        QCOMPARE(column(list, 5), (QStringList{"-62", "48"}));
    }

    // Rows are named n0, n1, ... in the order of the reply.
    void rowsInDampingOrder_data() {
        QTest::addColumn<QList<int>>("damping");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("four") << QList<int>{50, 70, 60, 40} << QStringList{"n3", "n0", "n2", "n1"};
        QTest::newRow("negative below positive")
            << QList<int>{40, -62, 0} << QStringList{"n1", "n2", "n0"};
        QTest::newRow("equal damping keeps reply order")
            << QList<int>{50, 40, 50, 40} << QStringList{"n1", "n3", "n0", "n2"};
        QTest::newRow("reversed") << QList<int>{9, 8, 7, 6, 5}
                                  << QStringList{"n4", "n3", "n2", "n1", "n0"};
    }
    void rowsInDampingOrder() {
        QFETCH(QList<int>, damping);
        QFETCH(QStringList, order);
        Bench b;
        QVERIFY(b.openPort());
        QList<QByteArray> lines;
        for (int i = 0; i < damping.size(); ++i)
            lines << "n" + QByteArray::number(i) + ",AP,m,WPA2,6," + QByteArray::number(damping[i]);
        b.model.setNetworks(lines);
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        QCOMPARE(column(dlg.networkList(), CScanDlg::ColSsid), order);
    }

    // At a small and a large font: the columns grow with the font, a whole MAC
    // address shows, a cut cell has its text as tooltip, and the dialog stays
    // on the screen with the list taking the room beside the buttons.
    void anyFont_data() {
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<bool>("shrunk"); // the template is larger than the screen
        QTest::newRow("7 points") << 7 << false;
        QTest::newRow("20 points") << 20 << true;
    }
    void anyFont() {
        QFETCH(int, pointSize);
        QFETCH(bool, shrunk);
        const QFont before = QApplication::font();
        const auto restore = qScopeGuard([&before] { QApplication::setFont(before); });
        QFont font = before;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
        Bench b;
        QVERIFY(b.openPort());
        const QString ssid(32, u'W');
        b.model.setNetworks({ssid.toLatin1() + ",AP,00:1A:2B:3C:4D:5E,WPA2,6,62"});
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        QTableWidget* list = dlg.networkList();

        const int baseX = dlg.duToPixelsX(4);
        QCOMPARE(list->columnWidth(CScanDlg::ColSsid), (200 * baseX + 3) / 6);
        QCOMPARE(list->columnWidth(CScanDlg::ColDamping), (70 * baseX + 3) / 6);
        QVERIFY(dlg.cellFits(0, CScanDlg::ColMac));
        QCOMPARE(list->item(0, CScanDlg::ColMac)->toolTip(), QString());
        QVERIFY(!dlg.cellFits(0, CScanDlg::ColSsid));
        QCOMPARE(list->item(0, CScanDlg::ColSsid)->toolTip(), ssid);
        list->setColumnWidth(CScanDlg::ColSsid, 100 * baseX);
        QCOMPARE(list->item(0, CScanDlg::ColSsid)->toolTip(), QString());

        const QSize room = dlg.screen()->availableGeometry().size();
        const QSize full(dlg.duToPixelsX(CScanDlg::kWidthDu), dlg.duToPixelsY(CScanDlg::kHeightDu));
        QCOMPARE(dlg.size(), full.boundedTo(room));
        QCOMPARE(full.width() > room.width(), shrunk);
        for (QPushButton* button : {dlg.okButton(), dlg.cancelButton(), dlg.refreshButton()}) {
            QVERIFY(dlg.rect().contains(button->geometry()));
            QVERIFY(list->geometry().right() < button->x());
        }
        QCOMPARE(dlg.width() - dlg.okButton()->x(), dlg.duToPixelsX(57));
        QCOMPARE(list->height(), dlg.height() - dlg.duToPixelsY(14));
    }

    void okWithoutRowStaysOpen() {
        Bench b;
        QVERIFY(b.openPort());
        b.form.controls.m_strSsid = "mine";
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        dlg.show();
        QVERIFY(dlg.networkList()->rowCount() > 0);
        dlg.okButton()->click();
        QVERIFY(dlg.isVisible());
        QCOMPARE(b.prompts.shown.size(), 1);
        QCOMPARE(b.prompts.lastText(), QStringLiteral("Nothing has been selected"));
        QCOMPARE(b.prompts.shown.first().second, PromptIcon::Error);
        QCOMPARE(b.form.controls.m_strSsid, QStringLiteral("mine"));
        QVERIFY(!b.form.dampingShown);
        // Marked now: OK ends the dialog.
        dlg.networkList()->selectRow(0);
        dlg.okButton()->click();
        QVERIFY(!dlg.isVisible());
    }

    // OK fills the form from the row; a key typed before Netsearch is not
    // replaced by the stored one.
    void okOnRow_data() {
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("security");
        QTest::addColumn<bool>("adHoc");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("damping");
        QTest::addColumn<bool>("enterprise");
        QTest::newRow("ad hoc, WEP") << "lab-adhoc" << 11 << int(security::kWep) << true << "11"
                                     << "48 db" << false;
        QTest::newRow("access point, WPA2-ENTERPRISE")
            << "Warehouse" << 16 << int(security::kWpa2Enterprise) << false << "36"
            << "55 db" << true;
    }
    void okOnRow() {
        QFETCH(QString, ssid);
        QFETCH(int, result);
        QFETCH(int, security);
        QFETCH(bool, adHoc);
        QFETCH(QString, channel);
        QFETCH(QString, damping);
        QFETCH(bool, enterprise);
        NetsearchBench b;
        b.form.setAccessType(adHoc, !adHoc); // the other one checked before
        b.form.v.m_strKey = "stale key";
        b.form.controls.m_strKey = "typed key";
        b.form.controls.m_strUser = "alice";
        b.inDialog = [&](CScanDlg& dlg) { b.pick(dlg, ssid); };
        b.run();
        QCOMPARE(b.result, result);
        QCOMPARE(b.form.controls.m_strSsid, ssid);
        QCOMPARE(b.form.controls.m_strChannel, channel);
        QCOMPARE(b.form.controls.m_strDamping, damping);
        QCOMPARE(b.form.isAdHoc(), adHoc);
        QCOMPARE(b.form.isAccessPoint(), !adHoc);
        QCOMPARE(b.form.security, security);
        QVERIFY(b.form.dampingShown);
        QCOMPARE(b.form.enterpriseEnabled, enterprise);
        QCOMPARE(b.form.keyEnabled, !enterprise);
        QCOMPARE(b.form.securityUpdates, 1);
        QCOMPARE(b.form.controls.m_strKey, QStringLiteral("typed key"));
        QCOMPARE(b.form.controls.m_strUser, QStringLiteral("alice"));
        QVERIFY(!b.port.isOpen());
        QVERIFY(!b.link.GetPortHandle());
    }

    void cancelKeepsTheSecurityType() {
        NetsearchBench b;
        b.form.security = security::kWpa;
        b.form.controls.m_strSsid = "mine";
        b.inDialog = [](CScanDlg& dlg) { dlg.cancelButton()->click(); };
        b.run();
        QCOMPARE(b.result, Netsearch::kCancelResult);
        QCOMPARE(b.form.security, int(security::kWpa));
        QCOMPARE(b.form.securityUpdates, 1);
        QCOMPARE(b.form.controls.m_strSsid, QStringLiteral("mine"));
        QVERIFY(!b.form.dampingShown);
        QVERIFY(!b.port.isOpen());
    }

    // The first scan runs before the dialog is shown; Refresh rescans on the
    // port opened once.
    void firstScanThenRefreshOnTheSamePort() {
        NetsearchBench b;
        b.model.setFault("AT+IRP20", AdapterModel::Fault::Error);
        int rowsWhenUp = -1;
        qsizetype scansWhenUp = -1;
        QStringList afterRefresh, afterFailedRefresh;
        b.inDialog = [&](CScanDlg& dlg) {
            rowsWhenUp = dlg.networkList()->rowCount();
            scansWhenUp = b.model.transcript().count(cmd::Scan());
            b.model.setFault("AT+IRP20", AdapterModel::Fault::None);
            dlg.refreshButton()->click();
            afterRefresh = column(dlg.networkList(), CScanDlg::ColDamping);
            b.model.setFault("AT+IRP20", AdapterModel::Fault::Silent);
            dlg.refreshButton()->click();
            afterFailedRefresh = column(dlg.networkList(), CScanDlg::ColDamping);
            QVERIFY(dlg.isVisible());
        };
        b.run();
        QCOMPARE(b.dialogsRun, 1);
        QCOMPARE(scansWhenUp, 1);
        QCOMPARE(rowsWhenUp, 0);
        QCOMPARE(b.model.transcript().count(cmd::Scan()), 3);
        QCOMPARE(b.port.openCount(), 1);
        QCOMPARE(afterRefresh, (QStringList{"39", "48", "55", "62", "67", "71", "80", "90"}));
        QCOMPARE(afterFailedRefresh, QStringList{});
        QCOMPARE(b.notingPrompts.shown.size(), 2);
        QCOMPARE(b.notingPrompts.shown.first().first,
                 QStringLiteral("Error occured during wireless network scan"));
        QCOMPARE(b.notingPrompts.lastText(),
                 QStringLiteral("Timeout occured during wireless network scan"));
        QCOMPARE(b.notingPrompts.dialogUp, (QList<bool>{false, true}));
        QVERIFY(!b.port.isOpen());
    }

    void noPortSelectedSendsNothing() {
        NetsearchBench b;
        b.form.port.clear();
        b.form.security = security::kWpa2;
        b.run();
        QCOMPARE(b.dialogsRun, 0);
        QVERIFY(b.model.transcript().isEmpty());
        QCOMPARE(b.port.openCount(), 0);
        QCOMPARE(b.notingPrompts.shown.size(), 1);
        QCOMPARE(b.notingPrompts.lastText(), UiText(26, kEnglish));
        QCOMPARE(b.form.security, int(security::kWpa2));
        QCOMPARE(b.form.securityUpdates, 0);
    }
};

QTEST_MAIN(TestScanDlg)
#include "test_scan_dlg.moc"
