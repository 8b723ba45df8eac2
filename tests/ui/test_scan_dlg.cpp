// The network dialog: rows as shown and read, size at any font, OK without a row; Refresh on
// Netsearch's port.
#include "form_bench.h"

#include "link/commands.h"

#include <QAccessible>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

class TestScanDlg : public QObject {
    Q_OBJECT
private slots:
    // At a small font in English and a large one in German: the rows as a screen reader reads
    // them, the list named by the title, the columns growing with the font (a whole MAC address
    // shows, a cut cell has its text as tooltip), the dialog on the screen with the list beside
    // the buttons; OK without a marked row says so and stays open.
    void rowsAtAnyFont_data() {
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<bool>("shrunk"); // the template is larger than the screen
        QTest::addColumn<bool>("german");
        QTest::newRow("7 points, English") << 7 << false << false;
        QTest::newRow("20 points, German") << 20 << true << true;
    }
    void rowsAtAnyFont() {
        QFETCH(int, pointSize);
        QFETCH(bool, shrunk);
        QFETCH(bool, german);
        const QFont before = QApplication::font();
        const auto restore = qScopeGuard([&before] { QApplication::setFont(before); });
        QFont font = before;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
        AdapterBench b;
        b.form.language = german ? kGerman : kEnglish;
        QVERIFY(b.openPort());
        b.form.controls.m_strSsid = "mine";
        const QString ssid(32, u'W');
        b.model.setNetworks({"office,AP,00:1A:2B:3C:4D:5E,WPA2_ENT,6,62",
                             "MAPLE-AP,ADHOC,02:11:22:33:44:55,WEP128,11,48", "a,AP,m,NONE,1,48",
                             ssid.toLatin1() + ",AP,00:1A:2B:3C:4D:5E,WPA,2,-3"});
        CScanDlg dlg(b.form, b.link, b.prompts, b.log);
        dlg.OnInitDialog();
        dlg.show();
        QTableWidget* list = dlg.networkList();
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(list)->tableInterface();
        QStringList headers, cells; // a row's cells joined by '|'
        for (int c = 0; c < CScanDlg::ColCount; ++c)
            headers << table->columnDescription(c);
        for (int r = 0; r < list->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < CScanDlg::ColCount; ++c)
                row << table->cellAt(r, c)->text(QAccessible::Name);
            cells << row.join(u'|');
        }
        QCOMPARE(headers.join(u'|'), german
                                         ? "SSID|Zugang|MAC-Adresse|Kanal|Verschlüsselung|Dämpfung"
                                         : "SSID|Access|MAC-Address|Channel|Encryption|Damping");
        // Ascending damping, equal ones in the order of the reply.
        QCOMPARE(cells,
                 (QStringList{ssid + "|Access Point|00:1A:2B:3C:4D:5E|2|WPA|-3",
                              "MAPLE-AP|Ad-hoc|02:11:22:33:44:55|11|WEP128|48",
                              "a|Access Point|m|1|NONE|48",
                              "office|Access Point|00:1A:2B:3C:4D:5E|6|WPA2-ENTERPRISE|62"}));
        QCOMPARE(QAccessible::queryAccessibleInterface(list)->text(QAccessible::Name),
                 german ? "Drahtlosnetzwerksuche" : "Wireless network search");
        QCOMPARE(dlg.refreshButton()->text(), german ? "Aktualisie&ren" : "Ref&resh");

        // The whole MAC address fits its column; 32 letters W do not fit the SSID's and show
        // whole as its tooltip until the column is wide enough.
        const QFontMetrics metrics(list->font());
        QVERIFY(metrics.horizontalAdvance("00:1A:2B:3C:4D:5E") <
                list->columnWidth(CScanDlg::ColMac));
        QVERIFY(metrics.horizontalAdvance(ssid) > list->columnWidth(CScanDlg::ColSsid));
        QCOMPARE(list->item(0, CScanDlg::ColSsid)->toolTip(), ssid);
        for (int c = 0; c < CScanDlg::ColCount; ++c) // cells centred, as their headers
            QCOMPARE(Qt::Alignment(list->item(1, c)->textAlignment()), Qt::AlignCenter);
        list->setColumnWidth(CScanDlg::ColSsid, metrics.horizontalAdvance(ssid) + 20);
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
        QVERIFY(dlg.okButton()->isDefault()); // Enter takes the marked row
        QCOMPARE(list->height(), dlg.height() - dlg.duToPixelsY(14));

        dlg.okButton()->click();
        QVERIFY(dlg.isVisible());
        QCOMPARE(b.prompts.texts(),
                 QStringList{german ? QString::fromUtf8("Es wurde nichts ausgewählt")
                                    : "Nothing has been selected"});
        QCOMPARE(b.prompts.icons(), QList{PromptIcon::Error});
        QVERIFY(b.form.controls.m_strSsid == "mine" && !b.form.dampingShown);
        // A click marks a whole row, Ctrl+click another instead of both; a double click edits
        // nothing. OK takes the marked row.
        const auto cell = [list](int row) {
            return list->visualItemRect(list->item(row, CScanDlg::ColChannel)).center();
        };
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, cell(1));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell(1));
        QCOMPARE(list->selectionModel()->selectedRows(),
                 QModelIndexList{list->model()->index(1, 0)});
        QVERIFY(!list->findChild<QLineEdit*>()); // no cell editor
        dlg.okButton()->click();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(b.form.v.m_strSsid, "MAPLE-AP");
    }

    // The first scan runs before the dialog shows; Refresh rescans on the port opened once.
    void firstScanThenRefreshOnTheSamePort() {
        FormBench b;
        b.start();
        b.model.setFault("AT+IRP20", AdapterModel::Fault::Error);
        QList<int> seen; // rows and messages: when up, after Refresh, after a failed Refresh
        b.netsearch([&](CScanDlg& dlg) {
            seen << dlg.networkList()->rowCount() << int(b.prompts.shown.size());
            b.model.setFault("AT+IRP20", AdapterModel::Fault::None);
            dlg.refreshButton()->click();
            seen << dlg.networkList()->rowCount() << int(b.prompts.shown.size());
            b.model.setFault("AT+IRP20", AdapterModel::Fault::Silent);
            dlg.refreshButton()->click();
            seen << dlg.networkList()->rowCount() << int(b.prompts.shown.size()) << dlg.isVisible();
            dlg.cancelButton()->click();
        });
        QCOMPARE(seen, (QList<int>{0, 1, 8, 1, 0, 2, true}));
        QCOMPARE(b.model.transcript().count(cmd::Scan()), 3);
        QCOMPARE(b.sim.openCount(), 1);
        QCOMPARE(b.prompts.texts(), (QStringList{UiText(524, kEnglish), UiText(525, kEnglish)}));
        QVERIFY(b.portClosed());
    }
};

QTEST_MAIN(TestScanDlg)
#include "test_scan_dlg.moc"
