// The security type's selector: tips, the rows its list shows, and keys, pointer and presses.
#include "base/ui_text.h"
#include "form_bench.h"
#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

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

// What the user does in interaction(): a key in the open list or on the closed box, pointing at
// a row, a click or a press.
enum class Act { ShowList, PressBox, Point, KeyInList, KeyOnBox, ClickPointed, ClickBeside };
struct Step {
    Act act;
    int value = -1; // the row pointed at, or the key
};
using Steps = QList<Step>;

} // namespace

Q_DECLARE_METATYPE(Steps)

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

    // The open list, a window of its own, closes with its box: disabled or hidden.
    void listClosesWithTheBox() {
        Bench b;
        QVERIFY(b.exposed);
        b.combo->ShowTipList(true);
        b.combo->setEnabled(false);
        QVERIFY(!b.combo->isTipListVisible());
        b.combo->setEnabled(true);
        b.combo->ShowTipList(true);
        b.dlg->hide();
        QVERIFY(!b.combo->isTipListVisible());
    }

    // Whole rows only, and a scroll bar when not all entries fit.
    void popupRows_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("formRoom"); // the template's room below the box
        QTest::addColumn<int>("roomRows");  // else room for these rows
        QTest::addColumn<bool>("halfRowMore");
        QTest::newRow("seven entries, room for five and a half") << 7 << false << 5 << true;
        QTest::newRow("seven entries, room for seven") << 7 << false << 7 << false;
        QTest::newRow("three entries, room for five") << 3 << false << 5 << false;
        QTest::newRow("one entry, room for five") << 1 << false << 5 << false;
        QTest::newRow("seven entries, room for half a row: one row") << 7 << false << 0 << true;
        // Regression: the list did not take the template's room below the box.
        QTest::newRow("seven entries, the form's room") << 7 << true << 0 << false;
    }
    void popupRows() {
        QFETCH(int, entries);
        QFETCH(bool, formRoom);
        QFETCH(int, roomRows);
        QFETCH(bool, halfRowMore);
        Bench b;
        QVERIFY(b.exposed);
        while (b.combo->count() > entries)
            b.combo->removeItem(b.combo->count() - 1);
        CTipListCtrl* list = b.combo->tipList();
        b.combo->ShowTipList(true);
        const int row = list->rowHeight();
        const QPoint topLeft = b.combo->mapToGlobal(QPoint(0, b.combo->height()));
        int width = b.combo->width();
        int room = roomRows * row + (halfRowMore ? row / 2 : 0);
        if (formRoom) {
            room = b.dlg->dialogUnitsToPixels(0, 0, 0, 67).height() - b.combo->height();
            QCOMPARE(b.combo->listHeight(), room);
        } else {
            width = 180;
            list->PopupAt(QRect(topLeft, QSize(width, room)));
        }
        const int shown = std::min(entries, std::max(1, room / row));
        const bool scrolls = shown < entries;
        QCOMPARE(list->geometry(), QRect(topLeft, QSize(width, shown * row + 4)));
        QCOMPARE(list->verticalScrollBar()->isVisible(), scrolls);
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        const int scrollBar = scrolls ? list->verticalScrollBar()->width() : 0;
        QCOMPARE(list->listColumnWidth(), width - 4 - scrollBar);
        // The last shown row ends at the bottom of the viewport.
        QCOMPARE(b.rowRect(shown - 1).bottom(), list->viewport()->height() - 1);
        // Opened on the last entry, the list shows it; with none chosen, the first.
        const auto reopenAt = [&](int entry) {
            b.combo->ShowTipList(false);
            b.combo->setCurrentIndex(entry);
            formRoom ? b.combo->ShowTipList(true)
                     : list->PopupAt(QRect(topLeft, QSize(width, room)));
        };
        reopenAt(entries - 1);
        QVERIFY(list->viewport()->rect().contains(b.rowRect(entries - 1)));
        reopenAt(-1);
        QCOMPARE(b.rowRect(0).top(), 0);
    }

    // Steps on the list and the box: keys in the open list, pointing at a row and clicking,
    // presses on the box (which toggle our list, not the box's own), keys on the closed box.
    // Enter and a click on an entry choose and so run the field rules.
    void interaction_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<int>("current");
        const Step show{Act::ShowList}, press{Act::PressBox}, down{Act::KeyInList, Qt::Key_Down},
            left{Act::KeyInList, Qt::Key_Left}, right{Act::KeyInList, Qt::Key_Right},
            enter{Act::KeyInList, Qt::Key_Return}, escape{Act::KeyInList, Qt::Key_Escape},
            click{Act::ClickPointed}, clickBeside{Act::ClickBeside},
            upOnBox{Act::KeyOnBox, Qt::Key_Up}, downOnBox{Act::KeyOnBox, Qt::Key_Down};
        const auto point = [](int row) { return Step{Act::Point, row}; };
        QTest::newRow("pointer, then arrows") << 0 << Steps{show, point(2), down, enter} << 3;
        QTest::newRow("nothing moved") << 4 << Steps{show, enter} << 4;
        QTest::newRow("no selection, arrow") << -1 << Steps{show, down, enter} << 0;
        QTest::newRow("right past the end, left")
            << 4 << Steps{show, right, right, right, left, enter} << 5;
        QTest::newRow("Escape") << 2 << Steps{show, point(5), down, escape} << 2;
        QTest::newRow("click beside the list")
            << 2 << Steps{show, point(5), down, clickBeside} << 2;
        QTest::newRow("click on an entry") << 0 << Steps{show, point(5), click} << 5;
        QTest::newRow("press, press") << 1 << Steps{press, point(5), press} << 1;
        QTest::newRow("press, press, press") << 1 << Steps{press, point(5), press, press} << 1;
        QTest::newRow("keys on the closed box") << 2 << Steps{downOnBox, upOnBox, upOnBox} << 1;
    }
    void interaction() {
        QFETCH(int, start);
        QFETCH(Steps, steps);
        QFETCH(int, current);
        Bench b;
        QVERIFY(b.exposed);
        CTipComboBox* combo = b.combo;
        QWindow* window = b.dlg->windowHandle();
        combo->setCurrentIndex(start);
        QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
        QSignalSpy activated(combo, &QComboBox::activated);
        int row = -1, closedKeys = 0, presses = 0;
        for (const Step& step : steps) {
            if (step.act == Act::ShowList) {
                combo->ShowTipList(true);
            } else if (step.act == Act::PressBox) {
                QTest::mouseClick(window, Qt::LeftButton, {},
                                  combo->mapTo(b.dlg.get(), QPoint(10, 5)), 500);
                QTest::qWait(50);
                ++presses;
            } else if (step.act == Act::Point) {
                b.hover(row = step.value);
            } else if (step.act == Act::ClickPointed) {
                QTest::mouseClick(b.popup(), Qt::LeftButton, {}, b.rowPoint(row));
            } else if (step.act == Act::ClickBeside) {
                QTest::mouseClick(window, Qt::LeftButton, {},
                                  QPoint(b.dlg->width() - 5, b.dlg->height() - 5));
            } else if (step.act == Act::KeyOnBox) {
                combo->setFocus();
                QTest::keyClick(combo, Qt::Key(step.value));
                ++closedKeys;
            } else {
                QCOMPARE(combo->currentIndex(), start); // nothing reaches the box while open
                QTest::keyClick(b.popup(), Qt::Key(step.value));
            }
        }
        QTRY_COMPARE(combo->isTipListVisible(), presses % 2 == 1);
        QVERIFY(!combo->view()->isVisible());
        QCOMPARE(combo->currentIndex(), current);
        const Step last = steps.last();
        const bool entered = last.act == Act::KeyInList && last.value == Qt::Key_Return;
        const int choice = entered || last.act == Act::ClickPointed ? current : -1;
        QCOMPARE(chosen.isEmpty() ? -1 : chosen.takeFirst().at(0).toInt(), choice);
        QVERIFY(chosen.isEmpty());
        QCOMPARE(activated.count(), closedKeys);
        QCOMPARE(b.edit(CSetupDlg::IDC_USER)->isEnabled(), current >= security::kWpaEnterprise);
        if (last.act == Act::ClickPointed || last.value == Qt::Key_Escape)
            QTRY_VERIFY(combo->hasFocus());
        combo->ShowTipList(false);
    }
};

QTEST_MAIN(TestTipComboBox)
#include "test_tip_combo_box.moc"
