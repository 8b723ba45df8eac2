#include "controls/tip_combo_box.h"

#include "controls/tip_list_ctrl.h"

namespace velinor {

CTipComboBox::CTipComboBox(QWidget* parent)
    : QComboBox(parent), m_wndList(new CTipListCtrl(this)) {}

CTipComboBox::~CTipComboBox() {
    delete m_wndList;
    m_wndList = nullptr;
}

int CTipComboBox::SetItemTip(int index, const QString& tip) {
    return m_wndList->SetItemTip(index, tip);
}

QString CTipComboBox::GetItemTip(int index) const {
    return m_wndList->GetItemTip(index);
}

void CTipComboBox::ShowTipList(bool show) {
    if (show) {
        const QPoint topLeft = mapToGlobal(QPoint(0, height()));
        m_wndList->PopupAt(QRect(topLeft, QSize(m_nListWidth, m_nListHeight)));
    } else {
        m_wndList->hide();
    }
}

bool CTipComboBox::isTipListVisible() const {
    return m_wndList->isVisible();
}

} // namespace velinor
