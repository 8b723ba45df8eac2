#include "controls/tip_list_ctrl.h"

#include "controls/tip_combo_box.h"

namespace velinor {

CTipListCtrl::CTipListCtrl(CTipComboBox* combo) : QTreeView(combo), m_pCombo(combo) {
    setWindowFlags(Qt::Popup);
    hide();
}

CTipListCtrl::~CTipListCtrl() = default;

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

void CTipListCtrl::PopupAt(const QRect& area) {
    setGeometry(area);
    show();
}

} // namespace velinor
