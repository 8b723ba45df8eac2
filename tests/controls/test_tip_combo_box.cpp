#include "app/ui_text.h"
#include "controls/tip_combo_box.h"
#include "controls/tip_list_ctrl.h"

#include <QHelpEvent>
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
    void init() { m_form = std::make_unique<Form>(); }
    void cleanup() { m_form.reset(); }

    void setItemTip_data();
    void setItemTip();
    void setItemTipReplaces();
    void tipsFollowLanguage_data();
    void tipsFollowLanguage();
    void tooltipShowsTipOfEntryUnderPointer();
    void tooltipAppearsWhenPointerRests();
    void tooltipIsCutTo79Characters();
    void popupRows_data();
    void popupRows();
    void showTipListOpensUnderCombo();
    void pressOnComboOpensTipListNotOwnList();
    void pressOnComboWhileOpenClosesIt();
    void doubleClickOnComboTogglesTwice();
    void hotTracking();
    void escapeKeepsSelection();
    void enterTakesHighlighted_data();
    void enterTakesHighlighted();
    void leftRightMoveLikeUpDown_data();
    void leftRightMoveLikeUpDown();
    void clickOnEntryChoosesIt();
    void clickOutsideKeepsSelection();
    void keyboardOnClosedBoxStaysOwn();

private:
    std::unique_ptr<Form> m_form;
};

void TestTipComboBox::setItemTip_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("result");
    QTest::newRow("first") << 7 << 0 << 0;
    QTest::newRow("last") << 7 << 6 << 6;
    QTest::newRow("one past the end") << 7 << 7 << -1;
    QTest::newRow("far past the end") << 7 << 100 << -1;
    QTest::newRow("negative") << 7 << -1 << -1;
    QTest::newRow("empty combo") << 0 << 0 << -1;
}

void TestTipComboBox::setItemTip() {
    QFETCH(int, entries);
    QFETCH(int, index);
    QFETCH(int, result);
    Form form(entries);
    QCOMPARE(form.combo->SetItemTip(index, QStringLiteral("tip")), result);
    QCOMPARE(form.combo->GetItemTip(index), result < 0 ? QString() : QStringLiteral("tip"));
    // Entries without a tip give an empty text.
    QCOMPARE(form.combo->GetItemTip(index + 1), QString());
}

void TestTipComboBox::setItemTipReplaces() {
    CTipComboBox* combo = m_form->combo;
    QCOMPARE(combo->SetItemTip(3, QStringLiteral("old")), 3);
    QCOMPARE(combo->SetItemTip(3, QStringLiteral("new")), 3);
    QCOMPARE(combo->GetItemTip(3), QStringLiteral("new"));
    QCOMPARE(combo->tipList()->GetItemTip(3), QStringLiteral("new"));
}

void TestTipComboBox::tipsFollowLanguage_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("tip");
    QTest::newRow("English WPA") << kEnglish << 3 << "WPA encryption with TKIP is used";
    QTest::newRow("English WPA2") << kEnglish << 4 << "WPA2 encryption with AES is used";
    QTest::newRow("German WPA") << kGerman << 3 << "Es wird WPA Verschlüsselung mit TKIP verwendet";
    QTest::newRow("German NONE") << kGerman << 0 << "Es wird keine Verschlüsselung verwendet";
}

void TestTipComboBox::tipsFollowLanguage() {
    QFETCH(int, offset);
    QFETCH(int, entry);
    QFETCH(QString, tip);
    CTipComboBox* combo = m_form->combo;
    // Registered as the form does it, first in the other language, then in this one.
    const int other = offset == kEnglish ? kGerman : kEnglish;
    for (int language : {other, offset})
        for (int i = 0; i < 7; ++i)
            QCOMPARE(combo->SetItemTip(i, UiText(611 + i, language)), i);
    QCOMPARE(combo->GetItemTip(entry), tip);
}

void TestTipComboBox::tooltipShowsTipOfEntryUnderPointer() {
    CTipComboBox* combo = m_form->combo;
    for (int i = 0; i < 7; ++i)
        combo->SetItemTip(i, UiText(611 + i, kEnglish));
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    combo->ShowTipList(true);
    QVERIFY(combo->isTipListVisible());
    CTipListCtrl* list = combo->tipList();
    hover(combo, 3);
    QCOMPARE(highlighted(combo), 3);

    const QPoint onRow = list->visualRect(list->model()->index(3, 0)).center();
    QHelpEvent help(QEvent::ToolTip, onRow, list->viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(list->viewport(), &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("WPA encryption with TKIP is used"));

    // Off the highlighted entry there is no tip.
    const QPoint offRow = list->visualRect(list->model()->index(5, 0)).center();
    QCOMPARE(list->tipTextAt(offRow), QString());
    combo->ShowTipList(false);
    QVERIFY(!combo->isTipListVisible());
}

void TestTipComboBox::tooltipAppearsWhenPointerRests() {
    CTipComboBox* combo = m_form->combo;
    for (int i = 0; i < 7; ++i)
        combo->SetItemTip(i, UiText(611 + i, kGerman));
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    combo->ShowTipList(true);
    hover(combo, 4);
    QTRY_COMPARE(QToolTip::text(),
                 QStringLiteral("Es wird WPA2 Verschlüsselung mit AES verwendet"));
    combo->ShowTipList(false);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void TestTipComboBox::tooltipIsCutTo79Characters() {
    CTipComboBox* combo = m_form->combo;
    const QString longTip = QString(100, QLatin1Char('x'));
    combo->SetItemTip(2, longTip);
    QCOMPARE(combo->GetItemTip(2), longTip);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    combo->setCurrentIndex(2);
    combo->ShowTipList(true);
    CTipListCtrl* list = combo->tipList();
    const QPoint onRow = list->visualRect(list->model()->index(2, 0)).center();
    QCOMPARE(list->tipTextAt(onRow), QString(79, QLatin1Char('x')));
}

void TestTipComboBox::popupRows_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("roomRows");
    QTest::addColumn<int>("shownRows");
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("seven entries, room for five") << 7 << 5 << 5 << true;
    QTest::newRow("seven entries, room for five and a half") << 7 << -5 << 5 << true;
    QTest::newRow("seven entries, room for seven") << 7 << 7 << 7 << false;
    QTest::newRow("three entries, room for five") << 3 << 5 << 3 << false;
    QTest::newRow("one entry, room for one") << 1 << 1 << 1 << false;
}

void TestTipComboBox::popupRows() {
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
    // A negative room means half a row more than its absolute value.
    const int room = roomRows < 0 ? -roomRows * row + row / 2 : roomRows * row;
    const int width = 180;
    const QPoint topLeft = form.combo->mapToGlobal(QPoint(0, form.combo->height()));
    list->PopupAt(QRect(topLeft, QSize(width, room)));
    QVERIFY(list->isVisible());

    QCOMPARE(list->height(), shownRows * row + 4);
    QCOMPARE(list->width(), width);
    QCOMPARE(list->geometry().topLeft(), topLeft);
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

void TestTipComboBox::showTipListOpensUnderCombo() {
    CTipComboBox* combo = m_form->combo;
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    combo->setCurrentIndex(4);
    combo->ShowTipList(true);
    CTipListCtrl* list = combo->tipList();
    QVERIFY(combo->isTipListVisible());
    QCOMPARE(list->geometry().topLeft(), combo->mapToGlobal(QPoint(0, combo->height())));
    QCOMPARE(combo->listWidth(), combo->width());
    QCOMPARE(list->width(), combo->listWidth());
    QCOMPARE(combo->listHeight(), combo->maxVisibleItems() * list->rowHeight());
    // The entry of the combo box is highlighted when the list opens.
    QCOMPARE(highlighted(combo), 4);
    QCOMPARE(list->curSel(), 4);
    combo->ShowTipList(false);
    QVERIFY(!combo->isTipListVisible());
    QCOMPARE(combo->currentIndex(), 4);
}

void TestTipComboBox::pressOnComboOpensTipListNotOwnList() {
    CTipComboBox* combo = m_form->combo;
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    QWindow* window = m_form->window.windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, combo->mapTo(&m_form->window, QPoint(10, 5)));
    QTRY_VERIFY(combo->isTipListVisible());
    QVERIFY(!combo->view()->isVisible());
    combo->ShowTipList(false);
}

void TestTipComboBox::pressOnComboWhileOpenClosesIt() {
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(1);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
    QWindow* window = m_form->window.windowHandle();
    const QPoint onCombo = combo->mapTo(&m_form->window, QPoint(10, 5));
    QTest::mouseClick(window, Qt::LeftButton, {}, onCombo);
    QTRY_VERIFY(combo->isTipListVisible());
    // Move the highlight, then press on the combo box again; the application hands
    // the press to the open popup first.
    hover(combo, 5);
    QCOMPARE(highlighted(combo), 5);
    QTest::mouseClick(window, Qt::LeftButton, {}, onCombo, 500);
    QTRY_VERIFY(!combo->isTipListVisible());
    QTest::qWait(50);
    QVERIFY(!combo->isTipListVisible());
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(chosen.count(), 0);
    // The next press opens it again.
    QTest::mouseClick(window, Qt::LeftButton, {}, onCombo, 500);
    QTRY_VERIFY(combo->isTipListVisible());
    combo->ShowTipList(false);
}

void TestTipComboBox::doubleClickOnComboTogglesTwice() {
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(2);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    QWindow* window = m_form->window.windowHandle();
    const QPoint onCombo = combo->mapTo(&m_form->window, QPoint(10, 5));
    // Each click of a double-click toggles the list once: open, then closed again.
    QTest::mouseDClick(window, Qt::LeftButton, {}, onCombo, 500);
    QTest::qWait(20);
    QVERIFY(!combo->isTipListVisible());
    QCOMPARE(combo->currentIndex(), 2);
    QVERIFY(!combo->view()->isVisible());
}

void TestTipComboBox::hotTracking() {
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(0);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    combo->ShowTipList(true);
    for (int row : {2, 6, 1}) {
        hover(combo, row);
        QCOMPARE(highlighted(combo), row);
    }
    // Hovering chooses nothing yet.
    QCOMPARE(combo->currentIndex(), 0);
    combo->ShowTipList(false);
    QCOMPARE(combo->currentIndex(), 0);
}

void TestTipComboBox::escapeKeepsSelection() {
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(2);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
    combo->ShowTipList(true);
    hover(combo, 5);
    QTest::keyClick(popupWindow(combo), Qt::Key_Down);
    QCOMPARE(highlighted(combo), 6);
    QTest::keyClick(popupWindow(combo), Qt::Key_Escape);
    QVERIFY(!combo->isTipListVisible());
    QCOMPARE(combo->currentIndex(), 2);
    QCOMPARE(chosen.count(), 0);
    QTRY_VERIFY(combo->hasFocus());
}

void TestTipComboBox::enterTakesHighlighted_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("hoverRow");
    QTest::addColumn<int>("downPresses");
    QTest::addColumn<int>("expected");
    QTest::newRow("arrows") << 1 << -1 << 2 << 3;
    QTest::newRow("pointer") << 1 << 5 << 0 << 5;
    QTest::newRow("pointer, then arrows") << 0 << 2 << 1 << 3;
    QTest::newRow("nothing moved") << 4 << -1 << 0 << 4;
    QTest::newRow("no selection, arrow") << -1 << -1 << 1 << 0;
}

void TestTipComboBox::enterTakesHighlighted() {
    QFETCH(int, start);
    QFETCH(int, hoverRow);
    QFETCH(int, downPresses);
    QFETCH(int, expected);
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(start);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
    QSignalSpy activated(combo, &QComboBox::activated);
    combo->ShowTipList(true);
    if (hoverRow >= 0)
        hover(combo, hoverRow);
    for (int i = 0; i < downPresses; ++i)
        QTest::keyClick(popupWindow(combo), Qt::Key_Down);
    QCOMPARE(highlighted(combo), expected);
    QCOMPARE(combo->currentIndex(), start); // nothing reaches the combo box while open
    QTest::keyClick(popupWindow(combo), Qt::Key_Return);
    QVERIFY(!combo->isTipListVisible());
    QCOMPARE(combo->currentIndex(), expected);
    QCOMPARE(combo->currentText(), m_form->combo->itemText(expected));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toInt(), expected);
    // The combo box's own selection notification is not raised.
    QCOMPARE(activated.count(), 0);
}

void TestTipComboBox::leftRightMoveLikeUpDown_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("keys"); // L and R
    QTest::addColumn<int>("expected");
    QTest::newRow("left") << 3 << "L" << 2;
    QTest::newRow("right") << 3 << "R" << 4;
    QTest::newRow("left twice") << 3 << "LL" << 1;
    QTest::newRow("right at the end") << 6 << "R" << 6;
    QTest::newRow("left at the top") << 0 << "L" << 0;
    QTest::newRow("right, left, right") << 2 << "RLR" << 3;
}

void TestTipComboBox::leftRightMoveLikeUpDown() {
    QFETCH(int, start);
    QFETCH(QString, keys);
    QFETCH(int, expected);
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(start);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    combo->ShowTipList(true);
    for (QChar key : keys)
        QTest::keyClick(popupWindow(combo), key == QLatin1Char('L') ? Qt::Key_Left : Qt::Key_Right);
    QCOMPARE(highlighted(combo), expected);
    QVERIFY(combo->isTipListVisible());
    QTest::keyClick(popupWindow(combo), Qt::Key_Enter);
    QCOMPARE(combo->currentIndex(), expected);
}

void TestTipComboBox::clickOnEntryChoosesIt() {
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(0);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
    combo->ShowTipList(true);
    hover(combo, 5);
    QTest::mouseClick(popupWindow(combo), Qt::LeftButton, {}, rowPoint(combo, 5));
    QTRY_VERIFY(!combo->isTipListVisible());
    QCOMPARE(combo->currentIndex(), 5);
    QCOMPARE(combo->currentText(), QStringLiteral("WPA-ENTERPRISE"));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).toInt(), 5);
    QTRY_VERIFY(combo->hasFocus());
}

void TestTipComboBox::clickOutsideKeepsSelection() {
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(3);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
    QSignalSpy chosen(combo, &CTipComboBox::entryChosen);
    combo->ShowTipList(true);
    hover(combo, 6);
    QCOMPARE(highlighted(combo), 6);
    // On the form below the list.
    QTest::mouseClick(m_form->window.windowHandle(), Qt::LeftButton, {},
                      QPoint(m_form->window.width() - 5, m_form->window.height() - 5));
    QTRY_VERIFY(!combo->isTipListVisible());
    QCOMPARE(combo->currentIndex(), 3);
    QCOMPARE(chosen.count(), 0);
}

void TestTipComboBox::keyboardOnClosedBoxStaysOwn() {
    CTipComboBox* combo = m_form->combo;
    combo->setCurrentIndex(2);
    m_form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form->window));
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

QTEST_MAIN(TestTipComboBox)
#include "test_tip_combo_box.moc"
