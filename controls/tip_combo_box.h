#pragma once

#include <QComboBox>
#include <QString>

namespace velinor {

class CTipListCtrl;

// A combo box whose own drop-down list explains each entry in a tooltip while
// the user chooses.
class CTipComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CTipComboBox(QWidget* parent = nullptr);
    ~CTipComboBox() override;

    // Stores the tip of one entry; returns the index, or -1 when the index is not
    // below the number of entries (nothing stored).
    int SetItemTip(int index, const QString& tip);
    QString GetItemTip(int index) const;
    // true opens the list under the combo box, false hides it.
    void ShowTipList(bool show);
    bool isTipListVisible() const;
    CTipListCtrl* tipList() const { return m_wndList; }

    int listWidth() const { return m_nListWidth; }
    int listHeight() const { return m_nListHeight; }

signals:
    // The list has closed after the user chose an entry in it (click or Enter).
    void entryChosen(int index);

private:
    CTipListCtrl* m_wndList = nullptr;
    int m_nListHeight = 0;
    int m_nListWidth = 0;
    QString m_strTip;
};

} // namespace velinor
