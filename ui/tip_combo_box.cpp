#include "ui/tip_combo_box.h"

#include "ui/tip_list_ctrl.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>

namespace velinor {

CTipComboBox::CTipComboBox(QWidget* parent)
    : LabelledComboBox(parent), m_wndList(new CTipListCtrl(this)) {
    updateListSize();
}

CTipComboBox::~CTipComboBox() {
    CTipListCtrl* list = m_wndList;
    m_wndList = nullptr;
    list->m_pCombo = nullptr;
    delete list;
}

int CTipComboBox::SetItemTip(int index, const QString& tip) {
    const int result = m_wndList->SetItemTip(index, tip);
    // A screen reader reads the tip as the entry's description.
    if (result >= 0)
        setItemData(index, tip, Qt::AccessibleDescriptionRole);
    return result;
}

QString CTipComboBox::GetItemTip(int index) const {
    return m_wndList->GetItemTip(index);
}

void CTipComboBox::updateListSize() {
    m_wndList->attachModel();
    m_nListWidth = width();
    m_nListHeight = m_nDroppedHeight > 0 ? std::max(0, m_nDroppedHeight - height())
                                         : std::max(1, maxVisibleItems()) * m_wndList->rowHeight();
}

void CTipComboBox::setDroppedHeight(int pixels) {
    m_nDroppedHeight = std::max(0, pixels);
    updateListSize();
}

void CTipComboBox::ShowTipList(bool show) {
    if (m_wndList == nullptr)
        return;
    if (!show) {
        m_wndList->hide();
        return;
    }
    updateListSize(); // mutants: skip (the size follows each resize already)
    const QPoint topLeft = mapToGlobal(QPoint(0, height()));
    m_wndList->PopupAt(QRect(topLeft, QSize(m_nListWidth, m_nListHeight)));
}

bool CTipComboBox::isTipListVisible() const {
    return m_wndList != nullptr && m_wndList->isVisible();
}

void CTipComboBox::listClosed(int selection, bool chosen) {
    if (selection < count())
        setCurrentIndex(selection);
    setFocus(Qt::PopupFocusReason);
    if (chosen)
        emit entryChosen(selection);
}

void CTipComboBox::toggleTipList(quint64 timestamp) {
    m_nTogglePress = timestamp;
    m_bHaveTogglePress = true;
    ShowTipList(!isTipListVisible());
}

void CTipComboBox::mousePressEvent(QMouseEvent* event) {
    // The combo box's own drop-down list never opens by mouse: a press toggles the
    // tip list instead. The press that has just closed the list is not counted twice.
    event->accept();
    if (m_bHaveClosingPress && event->timestamp() == m_nClosingPress)
        return;
    if (event->button() == Qt::LeftButton)
        toggleTipList(event->timestamp());
}

void CTipComboBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void CTipComboBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click toggles like a press, unless the press of the same click has
    // already done so.
    event->accept();
    if (m_bHaveClosingPress && event->timestamp() == m_nClosingPress)
        return;
    if (m_bHaveTogglePress && event->timestamp() == m_nTogglePress)
        return;
    if (event->button() == Qt::LeftButton)
        toggleTipList(event->timestamp());
}

void CTipComboBox::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    updateListSize();
}

void CTipComboBox::hideEvent(QHideEvent* event) {
    ShowTipList(false);
    QComboBox::hideEvent(event);
}

void CTipComboBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        ShowTipList(false);
    QComboBox::changeEvent(event);
}

bool CTipComboBox::event(QEvent* event) {
    // The closed box's own tip; empty, so the tooltip that the form gives the
    // combo box is the one shown.
    if (event->type() == QEvent::ToolTip && !m_strTip.isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), m_strTip.left(CTipListCtrl::kTipMaxChars), this,
                           rect());
        return true; // mutants: skip (passed on, it meets the form, which has no tooltip)
    }
    return QComboBox::event(event);
}

} // namespace velinor
