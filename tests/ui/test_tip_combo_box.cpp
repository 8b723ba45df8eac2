// The security type's selector on its own: its tips, the rows its list shows, and
// how keys, pointer and presses move, choose and close.
#include "base/ui_text.h"
#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

#include <QHash>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

using namespace velinor;

namespace {

// A small window with the selector and a second widget that can hold the focus.
struct Form {
    QWidget window;
    CTipComboBox* combo = nullptr;
    QWidget* other = nullptr;

    explicit Form(int entries = 7) {
        auto* layout = new QVBoxLayout(&window);
        combo = new CTipComboBox(&window);
        other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(combo);
        layout->addWidget(other);
        layout->addStretch();
        for (int i = 0; i < entries; ++i)
            combo->addItem(QStringLiteral("entry %1").arg(i));
        window.setGeometry(20, 20, 260, 300);
    }
};

// The popup's own window, for events that go the way the window system sends them.
QWindow* popupWindow(CTipComboBox* combo) {
    return combo->tipList()->window()->windowHandle();
}

// A point on the given row, in the popup window's coordinates.
QPoint rowPoint(CTipComboBox* combo, int row) {
    CTipListCtrl* list = combo->tipList();
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    return list->mapFromGlobal(list->viewport()->mapToGlobal(rect.center()));
}

// Moves the pointer onto a row; first off the list, so that the move is seen even
// when the pointer was there before.
void hover(CTipComboBox* combo, int row) {
    QTest::mouseMove(popupWindow(combo), QPoint(-20, -20));
    QTest::mouseMove(popupWindow(combo), rowPoint(combo, row));
}

} // namespace

class TestTipComboBox : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_form = std::make_unique<Form>();
        m_form->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    }
    void cleanup() { m_form.reset(); }

    // The tip of the highlighted entry shows when the pointer rests on it, cut to
    // 79 characters; other entries show none.
    void tooltipOfEntryUnderPointer() {
        CTipComboBox* combo = m_form->combo;
        for (int i = 0; i < 7; ++i)
            QCOMPARE(combo->SetItemTip(i, UiText(611 + i, kEnglish)), i);
        QCOMPARE(combo->SetItemTip(7, QStringLiteral("x")), -1);
        QCOMPARE(combo->SetItemTip(-1, QStringLiteral("x")), -1);
        combo->SetItemTip(2, QString(100, QLatin1Char('x')));
        combo->ShowTipList(true);
        hover(combo, 3);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("WPA encryption with TKIP is used"));
        CTipListCtrl* list = combo->tipList();
        const auto centre = [&](int row) {
            return list->visualRect(list->model()->index(row, 0)).center();
        };
        QCOMPARE(list->tipTextAt(centre(5)), QString());
        hover(combo, 2);
        QCOMPARE(list->tipTextAt(centre(2)), QString(79, QLatin1Char('x')));
        combo->ShowTipList(false);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void popupRows_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("roomRows"); // negative: half a row more than its absolute value
        QTest::addColumn<int>("shownRows");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("seven entries, room for five") << 7 << 5 << 5 << true;
        QTest::newRow("seven entries, room for five and a half") << 7 << -5 << 5 << true;
        QTest::newRow("seven entries, room for seven") << 7 << 7 << 7 << false;
        QTest::newRow("three entries, room for five") << 3 << 5 << 3 << false;
    }
    void popupRows() {
        QFETCH(int, entries);
        QFETCH(int, roomRows);
        QFETCH(int, shownRows);
        QFETCH(bool, scrolls);
        Form form(entries);
        form.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        form.combo->setCurrentIndex(0);
        CTipListCtrl* list = form.combo->tipList();
        // Prime the model so that the row height is known before the room is measured.
        form.combo->ShowTipList(true);
        form.combo->ShowTipList(false);
        const int row = list->rowHeight();
        const int room = roomRows < 0 ? -roomRows * row + row / 2 : roomRows * row;
        const int width = 180;
        const QPoint topLeft = form.combo->mapToGlobal(QPoint(0, form.combo->height()));
        list->PopupAt(QRect(topLeft, QSize(width, room)));
        QCOMPARE(list->geometry(), QRect(topLeft, QSize(width, shownRows * row + 4)));
        QCOMPARE(list->viewport()->height(), shownRows * row);
        QCOMPARE(list->verticalScrollBar()->isVisible(), scrolls);
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        const int scrollBar = scrolls ? list->verticalScrollBar()->width() : 0;
        QCOMPARE(list->listColumnWidth(), width - 4 - scrollBar);
        // Whole rows: the last shown row ends at the bottom of the viewport.
        const QRect last = list->visualRect(list->model()->index(shownRows - 1, 0));
        QCOMPARE(last.bottom(), list->viewport()->height() - 1);
        form.combo->ShowTipList(false);
    }

    // A script letter is an action: S shows the list, P presses on the box (our
    // list toggles, never the box's own), 0-6 moves the pointer onto that row, U D L
    // R (sideways as up and down), E (Enter) and X (Escape) are keys in the list, C
    // clicks on the row under the pointer, O beside the list; u and d are keys on the
    // closed box, which keeps them.
    void interaction_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("chosen");
        QTest::addColumn<bool>("open");
        QTest::newRow("arrows") << 1 << "SDDE" << 3 << QList<int>{3} << false;
        QTest::newRow("pointer") << 1 << "S5E" << 5 << QList<int>{5} << false;
        QTest::newRow("pointer, then arrows") << 0 << "S2DE" << 3 << QList<int>{3} << false;
        QTest::newRow("nothing moved") << 4 << "SE" << 4 << QList<int>{4} << false;
        QTest::newRow("no selection, arrow") << -1 << "SDE" << 0 << QList<int>{0} << false;
        QTest::newRow("left twice") << 3 << "SLLE" << 1 << QList<int>{1} << false;
        QTest::newRow("right at the end") << 6 << "SRE" << 6 << QList<int>{6} << false;
        QTest::newRow("left at the top") << 0 << "SLE" << 0 << QList<int>{0} << false;
        QTest::newRow("right, left, right") << 2 << "SRLRE" << 3 << QList<int>{3} << false;
        QTest::newRow("Escape") << 2 << "S5DX" << 2 << QList<int>{} << false;
        QTest::newRow("click beside the list") << 2 << "S5DO" << 2 << QList<int>{} << false;
        QTest::newRow("click on an entry") << 0 << "S5C" << 5 << QList<int>{5} << false;
        QTest::newRow("press, press") << 1 << "P5P" << 1 << QList<int>{} << false;
        QTest::newRow("press, press, press") << 1 << "P5PP" << 1 << QList<int>{} << true;
        QTest::newRow("keys on the closed box") << 2 << "duu" << 1 << QList<int>{} << false;
    }
    void interaction() {
        QFETCH(int, start);
        QFETCH(QString, script);
        QFETCH(bool, open);
        CTipComboBox* combo = m_form->combo;
        QWindow* window = m_form->window.windowHandle();
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
                                  combo->mapTo(&m_form->window, QPoint(10, 5)), 500);
                QTest::qWait(50);
            } else if (c.isDigit()) {
                hover(combo, row = c.digitValue());
            } else if (c == 'C') {
                QTest::mouseClick(popupWindow(combo), Qt::LeftButton, {}, rowPoint(combo, row));
            } else if (c == 'O') {
                QTest::mouseClick(window, Qt::LeftButton, {},
                                  QPoint(m_form->window.width() - 5, m_form->window.height() - 5));
            } else if (c.isLower()) {
                combo->setFocus();
                QTest::keyClick(combo, keys.value(c));
                ++closedKeys;
            } else {
                QCOMPARE(combo->currentIndex(), start); // nothing reaches the box while open
                QTest::keyClick(popupWindow(combo), keys.value(c));
            }
        }
        QTRY_COMPARE(combo->isTipListVisible(), open);
        QVERIFY(!combo->view()->isVisible());
        QTEST(combo->currentIndex(), "current");
        QList<int> chosenRows;
        for (const QList<QVariant>& signal : chosen)
            chosenRows << signal.at(0).toInt();
        QTEST(chosenRows, "chosen");
        QCOMPARE(activated.count(), closedKeys);
        if (script.endsWith('X') || script.endsWith('C'))
            QTRY_VERIFY(combo->hasFocus());
        combo->ShowTipList(false);
    }

private:
    std::unique_ptr<Form> m_form;
};

QTEST_MAIN(TestTipComboBox)
#include "test_tip_combo_box.moc"
