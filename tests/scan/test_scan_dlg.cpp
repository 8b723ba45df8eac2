#include "scan/netsearch.h"
#include "scan/scan_dlg.h"
#include "scan_fakes.h"

#include "link/commands.h"
#include "link/port_opener.h"
#include "link/usb_restart.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
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
    void layoutAndTexts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("refresh");
        QTest::newRow("English") << int(kEnglish) << "Wireless network search"
                                 << QStringList{"SSID",    "Access",     "MAC-Address",
                                                "Channel", "Encryption", "Damping"}
                                 << "C&ancel"
                                 << "Ref&resh";
        QTest::newRow("German") << int(kGerman) << "Drahtlosnetzwerksuche"
                                << QStringList{"SSID",  "Zugang",          "MAC-Adresse",
                                               "Kanal", "Verschlüsselung", "Dämpfung"}
                                << "&Abbrechen"
                                << "Aktualisie&ren";
    }
    void layoutAndTexts() {
        QFETCH(int, language);
        QFETCH(QString, title);
        QFETCH(QStringList, headers);
        QFETCH(QString, cancel);
        QFETCH(QString, refresh);
        Bench b;
        b.form.language = language;
        QVERIFY(b.openPort());
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        QCOMPARE(dlg.windowTitle(), title);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("&OK"));
        QCOMPARE(dlg.cancelButton()->text(), cancel);
        QCOMPARE(dlg.refreshButton()->text(), refresh);
        QVERIFY(dlg.okButton()->isDefault());
        QTableWidget* list = dlg.networkList();
        QCOMPARE(list->columnCount(), 6);
        const int widths[] = {200, 87, 120, 55, 120, 70};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(list->horizontalHeaderItem(c)->text(), headers.at(c));
            QCOMPARE(list->columnWidth(c), widths[c]);
            QCOMPARE(Qt::Alignment(list->horizontalHeaderItem(c)->textAlignment()),
                     Qt::AlignHCenter | Qt::AlignVCenter);
            QCOMPARE(Qt::Alignment(list->item(0, c)->textAlignment()),
                     Qt::AlignHCenter | Qt::AlignVCenter);
        }
        QVERIFY(list->showGrid());
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!list->isSortingEnabled());
        QVERIFY(!list->horizontalHeader()->sectionsClickable());
        QCOMPARE(dlg.size(), QSize(dlg.duToPixelsX(506), dlg.duToPixelsY(187)));
        QCOMPARE(list->geometry(), QRect(dlg.duToPixelsX(7), dlg.duToPixelsY(7),
                                         dlg.duToPixelsX(437), dlg.duToPixelsY(173)));
        QCOMPARE(dlg.refreshButton()->geometry().topLeft(),
                 QPoint(dlg.duToPixelsX(449), dlg.duToPixelsY(42)));
    }

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

    void rowsInDampingOrder_data() {
        QTest::addColumn<QList<int>>("damping");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("four") << QList<int>{50, 70, 60, 40} << QStringList{"40", "50", "60", "70"};
        QTest::newRow("negative below positive")
            << QList<int>{40, -62, 0} << QStringList{"-62", "0", "40"};
        QTest::newRow("already ordered") << QList<int>{1, 2, 3} << QStringList{"1", "2", "3"};
        QTest::newRow("reversed") << QList<int>{9, 8, 7, 6, 5}
                                  << QStringList{"5", "6", "7", "8", "9"};
    }
    void rowsInDampingOrder() {
        QFETCH(QList<int>, damping);
        QFETCH(QStringList, shown);
        Bench b;
        QVERIFY(b.openPort());
        QList<QByteArray> lines;
        for (int i = 0; i < damping.size(); ++i)
            lines << "n" + QByteArray::number(i) + ",AP,m,WPA2,6," + QByteArray::number(damping[i]);
        b.model.setNetworks(lines);
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        QCOMPARE(column(dlg.networkList(), CScanDlg::ColDamping), shown);
    }

    void equalDampingKeepsReplyOrder() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setNetworks(
            {"c,AP,m,WPA,1,50", "a,AP,m,WPA,1,40", "b,AP,m,WPA,1,50", "d,AP,m,WPA,1,40"});
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        QCOMPARE(column(dlg.networkList(), CScanDlg::ColSsid), (QStringList{"a", "d", "c", "b"}));
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
        QCOMPARE(b.prompts.shown.first().text, QStringLiteral("Nothing has been selected"));
        QCOMPARE(b.prompts.shown.first().icon, PromptIcon::Error);
        QCOMPARE(b.form.controls.m_strSsid, QStringLiteral("mine"));
        QVERIFY(!b.form.dampingShown);
        // Marked now: OK ends the dialog.
        dlg.networkList()->selectRow(0);
        dlg.okButton()->click();
        QVERIFY(!dlg.isVisible());
    }

    void okOnAdHocRow() {
        NetsearchBench b;
        b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62",
                             "lab-adhoc,ADHOC,02:11:22:33:44:55,WEP,11,48"});
        b.form.setAccessType(true, false);
        b.inDialog = [&](CScanDlg& dlg) { b.pick(dlg, "lab-adhoc"); };
        b.run();
        QCOMPARE(b.result, 11);
        QCOMPARE(b.form.controls.m_strSsid, QStringLiteral("lab-adhoc"));
        QCOMPARE(b.form.controls.m_strChannel, QStringLiteral("11"));
        QCOMPARE(b.form.controls.m_strDamping, QStringLiteral("48 db"));
        QVERIFY(b.form.isAdHoc());
        QVERIFY(!b.form.isAccessPoint());
        QCOMPARE(b.form.security, int(security::kWep));
        QVERIFY(b.form.dampingShown);
        QVERIFY(b.form.keyEnabled);
        QCOMPARE(b.form.securityUpdates, 1);
        QVERIFY(!b.port.isOpen());
        QVERIFY(!b.link.GetPortHandle());
    }

    void okOnEnterpriseRow() {
        NetsearchBench b;
        b.form.setAccessType(false, true);
        b.inDialog = [&](CScanDlg& dlg) { b.pick(dlg, "Warehouse"); };
        b.run();
        QCOMPARE(b.result, 16);
        QCOMPARE(b.form.security, int(security::kWpa2Enterprise));
        QVERIFY(b.form.enterpriseEnabled);
        QVERIFY(!b.form.keyEnabled);
        QVERIFY(b.form.isAccessPoint());
        QVERIFY(!b.form.isAdHoc());
        QCOMPARE(b.form.controls.m_strDamping, QStringLiteral("55 db"));
    }

    // A key typed before Netsearch is not replaced by the stored one.
    void okKeepsWhatWasTyped() {
        NetsearchBench b;
        b.form.v.m_strKey = "stale key";
        b.form.controls.m_strKey = "typed key";
        b.form.controls.m_strUser = "alice";
        b.inDialog = [&](CScanDlg& dlg) { b.pick(dlg, "office"); };
        b.run();
        QCOMPARE(b.form.controls.m_strKey, QStringLiteral("typed key"));
        QCOMPARE(b.form.controls.m_strUser, QStringLiteral("alice"));
        QCOMPARE(b.form.controls.m_strSsid, QStringLiteral("office"));
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

    void escapeIsCancel() {
        NetsearchBench b;
        b.form.security = security::kWep128;
        b.inDialog = [](CScanDlg& dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); };
        b.run();
        QCOMPARE(b.result, Netsearch::kCancelResult);
        QCOMPARE(b.form.security, int(security::kWep128));
    }

    void unknownTypeClearsTheSelection() {
        NetsearchBench b;
        b.form.security = security::kWpa;
        b.inDialog = [&](CScanDlg& dlg) {
            dlg.networkList()->item(0, CScanDlg::ColSecurity)->setText("TKIP");
            dlg.networkList()->selectRow(0);
            dlg.okButton()->click();
        };
        b.run();
        QCOMPARE(b.result, -1);
        QCOMPARE(b.form.security, -1);
        QVERIFY(b.form.keyEnabled);
    }

    // The first scan runs before the dialog is shown, on the port opened once.
    void firstScanBeforeTheDialogShows() {
        NetsearchBench b;
        b.model.setFault("AT+IRP20", AdapterModel::Fault::Error);
        int rowsWhenUp = -1;
        int scansWhenUp = -1;
        b.inDialog = [&](CScanDlg& dlg) {
            rowsWhenUp = dlg.networkList()->rowCount();
            scansWhenUp = int(b.commandsOf("AT+IRP20").size());
        };
        b.run();
        QCOMPARE(b.dialogsRun, 1);
        QCOMPARE(scansWhenUp, 1);
        QCOMPARE(rowsWhenUp, 0);
        QCOMPARE(b.notingPrompts.shown.size(), 1);
        QCOMPARE(b.notingPrompts.shown.first().text,
                 QStringLiteral("Error occured during wireless network scan"));
        QCOMPARE(b.notingPrompts.dialogUp, QList<bool>{false});
        QCOMPARE(b.port.openCount(), 1);
    }

    void refreshRescansOnTheSamePort() {
        NetsearchBench b;
        b.model.setFault("AT+IRP20", AdapterModel::Fault::Error);
        QStringList afterRefresh, afterFailedRefresh;
        b.inDialog = [&](CScanDlg& dlg) {
            b.model.setFault("AT+IRP20", AdapterModel::Fault::None);
            dlg.refreshButton()->click();
            afterRefresh = column(dlg.networkList(), CScanDlg::ColDamping);
            b.model.setFault("AT+IRP20", AdapterModel::Fault::Silent);
            dlg.refreshButton()->click();
            afterFailedRefresh = column(dlg.networkList(), CScanDlg::ColDamping);
            QVERIFY(dlg.isVisible());
        };
        b.run();
        QCOMPARE(b.commandsOf("AT+IRP20").size(), 3);
        QCOMPARE(b.port.openCount(), 1);
        QCOMPARE(afterRefresh, (QStringList{"39", "48", "55", "62", "67", "71", "80", "90"}));
        QCOMPARE(afterFailedRefresh, QStringList{});
        QCOMPARE(b.notingPrompts.shown.size(), 2);
        QCOMPARE(b.notingPrompts.shown.last().text,
                 QStringLiteral("Timeout occured during wireless network scan"));
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
        QCOMPARE(b.notingPrompts.shown.first().text, UiText(26, kEnglish));
        QCOMPARE(b.form.security, int(security::kWpa2));
        QCOMPARE(b.form.securityUpdates, 0);
    }

    void resultForTypeText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("index");
        QTest::newRow("NONE") << "NONE" << 10 << 0;
        QTest::newRow("WEP") << "WEP" << 11 << 1;
        QTest::newRow("WEP128") << "WEP128" << 12 << 2;
        QTest::newRow("WPA") << "WPA" << 13 << 3;
        QTest::newRow("WPA2") << "WPA2" << 14 << 4;
        QTest::newRow("WPA-ENTERPRISE") << "WPA-ENTERPRISE" << 15 << 5;
        QTest::newRow("WPA2-ENTERPRISE") << "WPA2-ENTERPRISE" << 16 << 6;
        QTest::newRow("empty") << "" << -1 << -1;
        QTest::newRow("lower case") << "wpa2" << -1 << -1;
    }
    void resultForTypeText() {
        QFETCH(QString, text);
        QFETCH(int, result);
        QFETCH(int, index);
        QCOMPARE(Netsearch::resultForTypeText(text), result);
        QCOMPARE(Netsearch::securityIndexOf(result), index);
    }
};

QTEST_MAIN(TestScanDlg)
#include "test_scan_dlg.moc"
