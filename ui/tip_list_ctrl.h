#pragma once

#include <QMap>
#include <QString>
#include <QTreeView>

namespace velinor {

class CTipComboBox;

// The popup list of CTipComboBox: a one-column list without header that shows
// the combo box's entries straight from the combo box's model (it keeps no copy
// of them, only their tips), selects the entry under the pointer, and hands the
// chosen entry back to the combo box when it closes.
class CTipListCtrl : public QTreeView {
    Q_OBJECT
public:
    // Width of the border on each side of the list.
    static constexpr int kBorder = 2;
    // Longest tip shown; a longer one is cut.
    static constexpr int kTipMaxChars = 79;

    explicit CTipListCtrl(CTipComboBox* combo);
    ~CTipListCtrl() override;

    // Stores the tip of one entry, replacing an older one; returns the index, or
    // -1 when the index is not below the combo box's number of entries.
    int SetItemTip(int index, const QString& tip);
    // The tip of an entry, empty when it has none.
    QString GetItemTip(int index) const;

    // Sizes, places and shows the list within the given screen rectangle: whole
    // rows only, a vertical scroll bar when not all entries fit.
    void PopupAt(const QRect& area);

    // The entry that goes into the combo box when the list closes.
    int curSel() const { return m_nCurSel; }
    // Height of one row of the list.
    int rowHeight() const;
    // Width of the list's one column.
    int listColumnWidth() const;
    // The tip shown for the pointer at a point of the list's viewport: the tip of
    // the highlighted entry when the point lies on it, cut to kTipMaxChars.
    QString tipTextAt(const QPoint& viewportPos) const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    friend class CTipComboBox;

    void attachModel();
    int highlightedRow() const;
    void highlightRow(int row);
    void closeList(bool chosen);

    QMap<quint32, QString> m_mapTips;
    int m_nCurSel = -1;
    CTipComboBox* m_pCombo = nullptr;
    bool m_bOpen = false;
    bool m_bChosen = false;
};

} // namespace velinor
