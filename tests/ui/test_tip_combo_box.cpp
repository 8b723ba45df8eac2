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
        QStringList names = {"NONE",           "WEP", "WEP128", "WPA", "WPA2", "WPA-ENTERPRISE",
                             "WPA2-ENTERPRISE"};
        for (int i = 0; i < entries; ++i)
            combo->addItem(i < names.size() ? names[i] : QStringLiteral("ENTRY%1").arg(i));
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

int highlighted(CTipComboBox* combo) {
    const QModelIndexList rows = combo->tipList()->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
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

    // Registered as the form does it, first in the other language, then in this one.
    void tipsFollowLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("tip");
        QTest::newRow("English") << int(kEnglish) << "WPA encryption with TKIP is used";
        QTest::newRow("German") << int(kGerman) << "Es wird WPA Verschlüsselung mit TKIP verwendet";
    }
    void tipsFollowLanguage() {
        QFETCH(int, language);
        QFETCH(QString, tip);
        CTipComboBox* combo = m_form->combo;
        for (int lang : {language == kEnglish ? kGerman : kEnglish, language})
            for (int i = 0; i < 7; ++i)
                QCOMPARE(combo->SetItemTip(i, UiText(611 + i, lang)), i);
        QCOMPARE(combo->SetItemTip(7, QStringLiteral("x")), -1);
        QCOMPARE(combo->SetItemTip(-1, QStringLiteral("x")), -1);
        QCOMPARE(combo->GetItemTip(3), tip);
        QCOMPARE(combo->tipList()->GetItemTip(3), tip);
    }

    // The tip of the entry under the pointer shows when it rests there; only
    // the highlighted entry has a tip, cut to 79 characters.
    void tooltipOfEntryUnderPointer() {
        CTipComboBox* combo = m_form->combo;
        for (int i = 0; i < 7; ++i)
            combo->SetItemTip(i, UiText(611 + i, kEnglish));
        combo->SetItemTip(2, QString(100, QLatin1Char('x')));
        combo->ShowTipList(true);
        QVERIFY(combo->isTipListVisible());
        hover(combo, 3);
        QCOMPARE(highlighted(combo), 3);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("WPA encryption with TKIP is used"));
        CTipListCtrl* list = combo->tipList();
        const auto centre = [&](int row) {
            return list->visualRect(list->model()->index(row, 0)).center();
        };
        QCOMPARE(list->tipTextAt(centre(5)), QString());
        hover(combo, 2);
        QCOMPARE(list->tipTextAt(centre(2)), QString(79, QLatin1Char('x')));
        combo->ShowTipList(false);
        QVERIFY(!combo->isTipListVisible());
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
        QVERIFY(row > 0);
        const int room = roomRows < 0 ? -roomRows * row + row / 2 : roomRows * row;
        const int width = 180;
        const QPoint topLeft = form.combo->mapToGlobal(QPoint(0, form.combo->height()));
        list->PopupAt(QRect(topLeft, QSize(width, room)));
        QVERIFY(list->isVisible());
        QCOMPARE(list->geometry(), QRect(topLeft, QSize(width, shownRows * row + 4)));
        QCOMPARE(list->viewport()->height(), shownRows * row);
        QCOMPARE(list->verticalScrollBar()->isVisible(), scrolls);
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        const int scrollBar = scrolls ? list->verticalScrollBar()->width() : 0;
        QCOMPARE(list->listColumnWidth(), width - 4 - scrollBar);
        QCOMPARE(list->listColumnWidth(), list->viewport()->width());
        // Whole rows: the last shown row ends at the bottom of the viewport.
        const QRect last = list->visualRect(list->model()->index(shownRows - 1, 0));
        QCOMPARE(last.bottom(), list->viewport()->height() - 1);
        form.combo->ShowTipList(false);
    }

    // A press on the combo box opens our list, not its own; a press while it is
    // open closes it and chooses nothing.
    void pressOnComboToggles() {
        CTipComboBox* combo = m_form->combo;
        combo->setCurrentIndex(1);
        QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
        QWindow* window = m_form->window.windowHandle();
        const QPoint onCombo = combo->mapTo(&m_form->window, QPoint(10, 5));
        QTest::mouseClick(window, Qt::LeftButton, {}, onCombo);
        QTRY_VERIFY(combo->isTipListVisible());
        QVERIFY(!combo->view()->isVisible());
        hover(combo, 5);
        QCOMPARE(highlighted(combo), 5);
        QTest::mouseClick(window, Qt::LeftButton, {}, onCombo, 500);
        QTRY_VERIFY(!combo->isTipListVisible());
        QTest::qWait(50);
        QVERIFY(!combo->isTipListVisible());
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(chosen.count(), 0);
        QTest::mouseClick(window, Qt::LeftButton, {}, onCombo, 500);
        QTRY_VERIFY(combo->isTipListVisible());
        combo->ShowTipList(false);
    }

    // Escape, or a click beside the list, closes it with the selection unchanged.
    void closeWithoutChoosing_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("click outside") << false;
    }
    void closeWithoutChoosing() {
        QFETCH(bool, escape);
        CTipComboBox* combo = m_form->combo;
        combo->setCurrentIndex(2);
        QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
        combo->ShowTipList(true);
        hover(combo, 5);
        QTest::keyClick(popupWindow(combo), Qt::Key_Down);
        QCOMPARE(highlighted(combo), 6);
        if (escape)
            QTest::keyClick(popupWindow(combo), Qt::Key_Escape);
        else
            QTest::mouseClick(m_form->window.windowHandle(), Qt::LeftButton, {},
                              QPoint(m_form->window.width() - 5, m_form->window.height() - 5));
        QTRY_VERIFY(!combo->isTipListVisible());
        QCOMPARE(combo->currentIndex(), 2);
        QCOMPARE(chosen.count(), 0);
        if (escape)
            QTRY_VERIFY(combo->hasFocus());
    }

    // Enter takes the entry last under the pointer or reached by the keys
    // (U, D, L, R: Left and Right act as Up and Down).
    void enterTakesHighlighted_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("hoverRow");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("expected");
        QTest::newRow("arrows") << 1 << -1 << "DD" << 3;
        QTest::newRow("pointer") << 1 << 5 << "" << 5;
        QTest::newRow("pointer, then arrows") << 0 << 2 << "D" << 3;
        QTest::newRow("nothing moved") << 4 << -1 << "" << 4;
        QTest::newRow("no selection, arrow") << -1 << -1 << "D" << 0;
        QTest::newRow("left twice") << 3 << -1 << "LL" << 1;
        QTest::newRow("right at the end") << 6 << -1 << "R" << 6;
        QTest::newRow("left at the top") << 0 << -1 << "L" << 0;
        QTest::newRow("right, left, right") << 2 << -1 << "RLR" << 3;
    }
    void enterTakesHighlighted() {
        QFETCH(int, start);
        QFETCH(int, hoverRow);
        QFETCH(QString, keys);
        QFETCH(int, expected);
        CTipComboBox* combo = m_form->combo;
        combo->setCurrentIndex(start);
        QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
        QSignalSpy activated(combo, &QComboBox::activated);
        combo->ShowTipList(true);
        if (hoverRow >= 0)
            hover(combo, hoverRow);
        const QHash<QChar, Qt::Key> keyOf = {
            {'U', Qt::Key_Up}, {'D', Qt::Key_Down}, {'L', Qt::Key_Left}, {'R', Qt::Key_Right}};
        for (QChar key : keys)
            QTest::keyClick(popupWindow(combo), keyOf.value(key));
        QCOMPARE(highlighted(combo), expected);
        QVERIFY(combo->isTipListVisible());
        QCOMPARE(combo->currentIndex(), start); // nothing reaches the combo box while open
        QTest::keyClick(popupWindow(combo), Qt::Key_Return);
        QVERIFY(!combo->isTipListVisible());
        QCOMPARE(combo->currentIndex(), expected);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toInt(), expected);
        // The combo box's own selection notification is not raised.
        QCOMPARE(activated.count(), 0);
    }

    void clickOnEntryChoosesIt() {
        CTipComboBox* combo = m_form->combo;
        combo->setCurrentIndex(0);
        QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
        combo->ShowTipList(true);
        hover(combo, 5);
        QTest::mouseClick(popupWindow(combo), Qt::LeftButton, {}, rowPoint(combo, 5));
        QTRY_VERIFY(!combo->isTipListVisible());
        QCOMPARE(combo->currentText(), QStringLiteral("WPA-ENTERPRISE"));
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toInt(), 5);
        QTRY_VERIFY(combo->hasFocus());
    }

    void keyboardOnClosedBoxStaysOwn() {
        CTipComboBox* combo = m_form->combo;
        combo->setCurrentIndex(2);
        combo->setFocus();
        QSignalSpy activated(combo, &QComboBox::activated);
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(combo->currentIndex(), 3);
        QTest::keyClick(combo, Qt::Key_Up);
        QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(activated.count(), 3);
        QVERIFY(!combo->isTipListVisible());
    }

private:
    std::unique_ptr<Form> m_form;
};

QTEST_MAIN(TestTipComboBox)
#include "test_tip_combo_box.moc"
