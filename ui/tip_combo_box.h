#pragma once

#include "ui/accessibility.h"

#include <QString>

namespace velinor {

class CTipListCtrl;

// A combo box whose own drop-down list explains each entry in a tooltip while
// the user chooses.
class CTipComboBox : public LabelledComboBox {
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

    // The height of the open list from the box's top, as the dialog template
    // gives it; the list's room is what lies below the closed box. Without it
    // the room is that of the combo box's own list (maxVisibleItems rows).
    void setDroppedHeight(int pixels);

    int listWidth() const { return m_nListWidth; }
    int listHeight() const { return m_nListHeight; }

signals:
    // The list has closed after the user chose an entry in it (click or Enter).
    void entryChosen(int index);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class CTipListCtrl;

    // The list's room: the combo box's width, and the dropped-down height below
    // the closed box.
    void updateListSize();
    void toggleTipList(quint64 timestamp);
    // Called by the list when it has closed.
    void listClosed(int selection, bool chosen);

    CTipListCtrl* m_wndList = nullptr;
    int m_nListHeight = 0;
    int m_nListWidth = 0;
    int m_nDroppedHeight = 0; // 0: not given
    QString m_strTip;
    // Time stamp of the press that opened or closed the list, so that the
    // double-click and a replayed press of the same click do not toggle again.
    quint64 m_nClosingPress = 0;
    quint64 m_nTogglePress = 0;
    bool m_bHaveTogglePress = false;
    bool m_bHaveClosingPress = false;
};

} // namespace velinor
