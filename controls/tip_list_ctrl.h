#pragma once

#include <QMap>
#include <QString>
#include <QTreeView>

namespace velinor {

class CTipComboBox;

// The popup list of CTipComboBox: shows the combo box's entries (it keeps no
// copy of them, only their tips), tracks the mouse and hands the chosen entry
// back to the combo box when it closes.
class CTipListCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit CTipListCtrl(CTipComboBox* combo);
    ~CTipListCtrl() override;

    // Stores the tip of one entry; returns the index, or -1 when the index is not
    // below the combo box's number of entries (nothing stored).
    int SetItemTip(int index, const QString& tip);
    // The tip of an entry, empty when it has none.
    QString GetItemTip(int index) const;

    // Sizes, places and shows the list within the given screen rectangle.
    void PopupAt(const QRect& area);

    // The entry that goes into the combo box when the list closes.
    int curSel() const { return m_nCurSel; }

private:
    QMap<quint32, QString> m_mapTips;
    int m_nCurSel = -1;
    CTipComboBox* m_pCombo = nullptr;
};

} // namespace velinor
