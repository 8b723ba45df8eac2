#include "ui/tip_list_ctrl.h"

#include "ui/tip_combo_box.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace velinor {

CTipListCtrl::CTipListCtrl(CTipComboBox* combo) : QTreeView(combo), m_pCombo(combo) {
    setWindowFlags(Qt::Popup);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(kBorder);
    setHeaderHidden(true);
    header()->setStretchLastSection(false); // mutants: skip (its width is set anyway)
    setRootIsDecorated(false);              // mutants: skip (the entries have no children)
    setItemsExpandable(false);
    setIndentation(0);            // mutants: skip (entries at the top level are not indented)
    setUniformRowHeights(true);   // mutants: skip (speed only)
    setAllColumnsShowFocus(true); // mutants: skip (one column)
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    viewport()->setMouseTracking(true);
    hide();
}

CTipListCtrl::~CTipListCtrl() {
    m_pCombo = nullptr;
}

int CTipListCtrl::SetItemTip(int index, const QString& tip) {
    if (index < 0 || m_pCombo == nullptr || index >= m_pCombo->count())
        return -1;
    m_mapTips.insert(static_cast<quint32>(index), tip);
    return index;
}

QString CTipListCtrl::GetItemTip(int index) const {
    if (index < 0)
        return QString();
    return m_mapTips.value(static_cast<quint32>(index));
}

void CTipListCtrl::attachModel() {
    if (m_pCombo == nullptr)
        return;
    if (model() != m_pCombo->model())
        setModel(m_pCombo->model());
    setRootIndex(m_pCombo->rootModelIndex());
    // mutants: off (the box's model has one column)
    const int columns = model() != nullptr ? model()->columnCount(rootIndex()) : 0;
    // mutants: on
    for (int column = 0; column < columns; ++column)
        setColumnHidden(column, column != m_pCombo->modelColumn()); // mutants: skip (one column)
}

int CTipListCtrl::rowHeight() const {
    int height = 0; // mutants: skip (the box always has entries to measure)
    if (m_pCombo != nullptr && model() == m_pCombo->model() && m_pCombo->count() > 0)
        height = indexRowSizeHint(
            model()->index(0, m_pCombo->modelColumn(), m_pCombo->rootModelIndex()));
    if (height <= 0) // mutants: skip (layout)
        height = fontMetrics().height();
    return std::max(1, height); // mutants: skip (a font is at least a pixel high)
}

int CTipListCtrl::listColumnWidth() const {
    return m_pCombo != nullptr ? columnWidth(m_pCombo->modelColumn()) : 0;
}

void CTipListCtrl::PopupAt(const QRect& area) {
    if (m_pCombo == nullptr)
        return;
    attachModel();
    m_nCurSel = m_pCombo->currentIndex();
    m_bChosen = false;

    const int count = m_pCombo->count();
    const int available = std::max(0, area.height());
    const int width = std::max(2 * kBorder, area.width());
    int column = width - 2 * kBorder;
    int listHeight = available;
    bool scrolls = false;
    if (count > 0) {
        const int row = rowHeight();
        listHeight = row * count;
        if (listHeight > available) {
            // Only whole rows, and at least one; the scroll bar takes its width
            // from the column so that no horizontal scroll bar is needed.
            listHeight = std::max(1, available / row) * row;
            column -= verticalScrollBar()->sizeHint().width();
            scrolls = true;
        }
    }
    setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setGeometry(area.left(), area.top(), width, listHeight + 2 * kBorder);
    m_bOpen = true;
    show();
    raise(); // mutants: skip (a new popup is on top already)
    activateWindow();
    setFocus(Qt::PopupFocusReason); // mutants: skip (the open popup has the keyboard anyway)
    setColumnWidth(m_pCombo->modelColumn(), std::max(0, column)); // mutants: skip (the box is wide)

    highlightRow(m_nCurSel);
    if (m_nCurSel >= 0)
        scrollTo(currentIndex(), QAbstractItemView::PositionAtTop);
    else
        verticalScrollBar()->setValue(0);
}

int CTipListCtrl::highlightedRow() const {
    if (selectionModel() == nullptr)
        return -1;
    const QModelIndexList rows =
        selectionModel()->selectedRows(m_pCombo != nullptr ? m_pCombo->modelColumn() : 0);
    int first = -1;
    for (const QModelIndex& index : rows)
        if (first < 0 || index.row() < first) // mutants: skip (one row at most is highlighted)
            first = index.row();
    return first;
}

void CTipListCtrl::highlightRow(int row) {
    if (selectionModel() == nullptr || m_pCombo == nullptr)
        return;
    if (row < 0 || row >= m_pCombo->count()) { // mutants: skip (callers pass a row or -1)
        selectionModel()->clear();
        return;
    }
    const QModelIndex index = model()->index(row, m_pCombo->modelColumn(), rootIndex());
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

void CTipListCtrl::closeList(bool chosen) {
    if (chosen) {
        const int row = highlightedRow();
        if (row >= 0) {
            m_nCurSel = row;
            m_bChosen = true;
        }
    }
    hide();
}

void CTipListCtrl::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        closeList(false);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        closeList(true);
        return;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        // In a one-column list the sideways arrows move like Up and Down.
        QKeyEvent vertical(event->type(), event->key() == Qt::Key_Left ? Qt::Key_Up : Qt::Key_Down,
                           event->modifiers(), event->text(), event->isAutoRepeat(),
                           static_cast<quint16>(event->count()));
        QTreeView::keyPressEvent(&vertical);
        event->setAccepted(vertical.isAccepted());
        return;
    }
    default:
        QTreeView::keyPressEvent(event);
    }
}

bool CTipListCtrl::event(QEvent* event) {
    // Presses on the list window itself, not on its rows: outside the list while it
    // is open (the popup receives them all), or on its border.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        mouse->accept();
        if (!geometry().contains(global)) {
            // A press on the combo box must not reach the combo box again, or it
            // would open the list at once.
            if (m_pCombo != nullptr && m_pCombo->rect().contains(m_pCombo->mapFromGlobal(global))) {
                setAttribute(Qt::WA_NoMouseReplay); // mutants: skip (offscreen replays none)
                m_pCombo->m_nClosingPress = mouse->timestamp();
                m_pCombo->m_bHaveClosingPress = true;
            } else {
                setAttribute(Qt::WA_NoMouseReplay, false); // mutants: skip (offscreen replays none)
            }
            closeList(false);
        }
        return true;
    }
    return QTreeView::event(event);
}

void CTipListCtrl::mousePressEvent(QMouseEvent* event) {
    // A press on the rows: the entry under the pointer is the choice.
    QTreeView::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        highlightRow(index.row());
        closeList(true);
    }
}

void CTipListCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint inViewport = viewport()->mapFromGlobal(event->globalPosition().toPoint());
    if (viewport()->rect().contains(inViewport)) {
        const QModelIndex index = indexAt(inViewport);
        if (index.isValid() && index.row() != highlightedRow())
            highlightRow(index.row());
    }
    QTreeView::mouseMoveEvent(event); // mutants: skip (the list highlights by itself; no dragging)
}

void CTipListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    // The press of the same click has already closed the list.
    event->accept();
}

void CTipListCtrl::hideEvent(QHideEvent* event) {
    QTreeView::hideEvent(event);
    if (!m_bOpen)
        return;
    m_bOpen = false;      // mutants: skip (a second close reports the same again)
    QToolTip::hideText(); // mutants: skip (Qt hides it with its widget too)
    const bool chosen = m_bChosen;
    m_bChosen = false;
    if (m_pCombo != nullptr)
        m_pCombo->listClosed(m_nCurSel, chosen);
}

QString CTipListCtrl::tipTextAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid() || index.row() != highlightedRow())
        return QString();
    return GetItemTip(index.row()).left(kTipMaxChars);
}

bool CTipListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = tipTextAt(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport(),
                               visualRect(indexAt(help->pos())));
        return true;
    }
    return QTreeView::viewportEvent(event);
}

} // namespace velinor
