// The network dialog: its rows, their order and sizes, OK without a row, and
// Refresh on the port that Netsearch opened (through the form).
#include "form_bench.h"

#include "link/commands.h"

#include <QScopeGuard>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

namespace {

QStringList column(const QTableWidget* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r)
        out << (list->item(r, c) ? list->item(r, c)->text() : QStringLiteral("<none>"));
    return out;
}

} // namespace

class TestScanDlg : public QObject {
    Q_OBJECT
private slots:
    void rowsShowTheRecords() {
        AdapterBench b;
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
        QCOMPARE(dlg.refreshButton()->text(), QStringLiteral("Ref&resh"));
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
        AdapterBench b;
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
        AdapterBench b;
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
        AdapterBench b;
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

    // The first scan runs before the dialog is shown; Refresh rescans on the
    // port opened once.
    void firstScanThenRefreshOnTheSamePort() {
        FormBench b;
        b.start();
        b.model.setFault("AT+IRP20", AdapterModel::Fault::Error);
        int rowsWhenUp = -1;
        QList<bool> dialogUp;
        QStringList afterRefresh, afterFailedRefresh;
        b.netsearch([&](CScanDlg& dlg) {
            rowsWhenUp = dlg.networkList()->rowCount();
            dialogUp << !b.prompts.shown.isEmpty();
            b.model.setFault("AT+IRP20", AdapterModel::Fault::None);
            dlg.refreshButton()->click();
            afterRefresh = column(dlg.networkList(), CScanDlg::ColDamping);
            b.model.setFault("AT+IRP20", AdapterModel::Fault::Silent);
            dlg.refreshButton()->click();
            afterFailedRefresh = column(dlg.networkList(), CScanDlg::ColDamping);
            dialogUp << dlg.isVisible();
            dlg.cancelButton()->click();
        });
        // The first message came before the dialog was up, the second with it up.
        QCOMPARE(dialogUp, (QList<bool>{true, true}));
        QCOMPARE(rowsWhenUp, 0);
        QCOMPARE(b.model.transcript().count(cmd::Scan()), 3);
        QCOMPARE(b.sim.openCount(), 1);
        QCOMPARE(afterRefresh, (QStringList{"39", "48", "55", "62", "67", "71", "80", "90"}));
        QCOMPARE(afterFailedRefresh, QStringList{});
        QCOMPARE(b.prompts.texts(), (QStringList{UiText(524, kEnglish), UiText(525, kEnglish)}));
        QVERIFY(b.portClosed());
    }
};

QTEST_MAIN(TestScanDlg)
#include "test_scan_dlg.moc"
