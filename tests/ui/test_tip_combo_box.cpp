// The security type's selector: tips, the rows its list shows, and keys, pointer and presses.
#include "base/ui_text.h"
#include "form_bench.h"
#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

#include <QHash>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

using namespace velinor;
using namespace velinor::fakes;

namespace {

// The form in English, shown, with its selector.
struct Bench : FormBench {
    CTipComboBox* combo = nullptr;
    bool exposed = false;
    Bench() {
        start();
        combo = qobject_cast<CTipComboBox*>(dlg->control(CSetupDlg::IDC_SECURITY));
        exposed = QTest::qWaitForWindowExposed(dlg.get());
    }
    CTipListCtrl* list() const { return combo->tipList(); }
    // The list's own window, for events that go the way the window system sends them.
    QWindow* popup() const { return list()->window()->windowHandle(); }
    // A row in the viewport's coordinates; its centre in the list window's.
    QRect rowRect(int row) const { return list()->visualRect(list()->model()->index(row, 0)); }
    QPoint rowPoint(int row) const {
        return list()->mapFromGlobal(list()->viewport()->mapToGlobal(rowRect(row).center()));
    }
    // Moves the pointer onto a row; first off the list, so that the move is seen.
    void hover(int row) const {
        QTest::mouseMove(popup(), QPoint(-20, -20));
        QTest::mouseMove(popup(), rowPoint(row));
    }
};

} // namespace

class TestTipComboBox : public QObject {
    Q_OBJECT
private slots:
    // The highlighted entry's tip, cut to 79 characters, shows under the pointer; others none.
    void tooltipOfEntryUnderPointer() {
        Bench b;
        QVERIFY(b.exposed);
        CTipListCtrl* list = b.combo->tipList();
        QCOMPARE(b.combo->SetItemTip(7, QStringLiteral("x")), -1);
        QCOMPARE(b.combo->SetItemTip(-1, QStringLiteral("x")), -1);
        QCOMPARE(b.combo->SetItemTip(0, QString(100, u'x')), 0);
        b.combo->ShowTipList(true);
        b.hover(3);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("WPA encryption with TKIP is used"));
        QCOMPARE(list->tipTextAt(b.rowRect(5).center()), QString());
        b.hover(0);
        QCOMPARE(list->tipTextAt(b.rowRect(0).center()), QString(79, u'x'));
        b.combo->ShowTipList(false);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    // Whole rows only, and a scroll bar when not all entries fit.
    void popupRows_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("room"); // in rows; negative: half a row more; 0: the form's
        QTest::newRow("seven entries, room for five and a half") << 7 << -5;
        QTest::newRow("seven entries, room for seven") << 7 << 7;
        QTest::newRow("three entries, room for five") << 3 << 5;
        // Regression: the list did not take the template's room below the box.
        QTest::newRow("seven entries, the form's room") << 7 << 0;
    }
    void popupRows() {
        QFETCH(int, entries);
        QFETCH(int, room);
        Bench b;
        QVERIFY(b.exposed);
        while (b.combo->count() > entries)
            b.combo->removeItem(b.combo->count() - 1);
        CTipListCtrl* list = b.combo->tipList();
        b.combo->ShowTipList(true);
        const int row = list->rowHeight();
        const QPoint topLeft = b.combo->mapToGlobal(QPoint(0, b.combo->height()));
        int width = b.combo->width();
        if (room == 0) {
            room = b.dlg->dialogUnitsToPixels(0, 0, 0, 67).height() - b.combo->height();
            QCOMPARE(b.combo->listHeight(), room);
        } else {
            room = room < 0 ? -room * row + row / 2 : room * row;
            width = 180;
            list->PopupAt(QRect(topLeft, QSize(width, room)));
        }
        const int shown = std::min(entries, room / row);
        const bool scrolls = shown < entries;
        QCOMPARE(list->geometry(), QRect(topLeft, QSize(width, shown * row + 4)));
        QCOMPARE(list->verticalScrollBar()->isVisible(), scrolls);
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        const int scrollBar = scrolls ? list->verticalScrollBar()->width() : 0;
        QCOMPARE(list->listColumnWidth(), width - 4 - scrollBar);
        // The last shown row ends at the bottom of the viewport.
        QCOMPARE(b.rowRect(shown - 1).bottom(), list->viewport()->height() - 1);
    }

    // S shows the list, P presses on the box (toggles our list, not the box's own), 0-6 point at a
    // row, U D L R E(nter) X (Escape) are keys in the list, C clicks under the pointer, O beside
    // the list; u d are keys on the closed box. E and C choose and so run the field rules.
    void interaction_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("current");
        QTest::newRow("arrows") << 1 << "SDDE" << 3;
        QTest::newRow("pointer, then arrows") << 0 << "S2DE" << 3;
        QTest::newRow("nothing moved") << 4 << "SE" << 4;
        QTest::newRow("no selection, arrow") << -1 << "SDE" << 0;
        QTest::newRow("right past the end, left") << 5 << "SRRLE" << 5;
        QTest::newRow("Escape") << 2 << "S5DX" << 2;
        QTest::newRow("click beside the list") << 2 << "S5DO" << 2;
        QTest::newRow("click on an entry") << 0 << "S5C" << 5;
        QTest::newRow("press, press") << 1 << "P5P" << 1;
        QTest::newRow("press, press, press") << 1 << "P5PP" << 1;
        QTest::newRow("keys on the closed box") << 2 << "duu" << 1;
    }
    void interaction() {
        QFETCH(int, start);
        QFETCH(QString, script);
        QFETCH(int, current);
        Bench b;
        QVERIFY(b.exposed);
        CTipComboBox* combo = b.combo;
        QWindow* window = b.dlg->windowHandle();
        combo->setCurrentIndex(start);
        QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
        QSignalSpy activated(combo, &QComboBox::activated);
        const QHash<QChar, Qt::Key> keys = {
            {'U', Qt::Key_Up},     {'D', Qt::Key_Down},   {'L', Qt::Key_Left}, {'R', Qt::Key_Right},
            {'E', Qt::Key_Return}, {'X', Qt::Key_Escape}, {'u', Qt::Key_Up},   {'d', Qt::Key_Down}};
        int row = -1, closedKeys = 0;
        for (QChar c : script) {
            if (c == 'S') {
                combo->ShowTipList(true);
            } else if (c == 'P') {
                QTest::mouseClick(window, Qt::LeftButton, {},
                                  combo->mapTo(b.dlg.get(), QPoint(10, 5)), 500);
                QTest::qWait(50);
            } else if (c.isDigit()) {
                b.hover(row = c.digitValue());
            } else if (c == 'C') {
                QTest::mouseClick(b.popup(), Qt::LeftButton, {}, b.rowPoint(row));
            } else if (c == 'O') {
                QTest::mouseClick(window, Qt::LeftButton, {},
                                  QPoint(b.dlg->width() - 5, b.dlg->height() - 5));
            } else if (c.isLower()) {
                combo->setFocus();
                QTest::keyClick(combo, keys.value(c));
                ++closedKeys;
            } else {
                QCOMPARE(combo->currentIndex(), start); // nothing reaches the box while open
                QTest::keyClick(b.popup(), keys.value(c));
            }
        }
        QTRY_COMPARE(combo->isTipListVisible(), script.count('P') % 2 == 1);
        QVERIFY(!combo->view()->isVisible());
        QCOMPARE(combo->currentIndex(), current);
        const int choice = script.endsWith('E') || script.endsWith('C') ? current : -1;
        QCOMPARE(chosen.isEmpty() ? -1 : chosen.takeFirst().at(0).toInt(), choice);
        QVERIFY(chosen.isEmpty());
        QCOMPARE(activated.count(), closedKeys);
        QCOMPARE(b.edit(CSetupDlg::IDC_USER)->isEnabled(), current >= 5);
        if (script.endsWith('X') || script.endsWith('C'))
            QTRY_VERIFY(combo->hasFocus());
        combo->ShowTipList(false);
    }
};

QTEST_MAIN(TestTipComboBox)
#include "test_tip_combo_box.moc"
