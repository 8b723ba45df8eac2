#pragma once

#include "scan/scanner.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTableWidget;

namespace velinor {

class EventLog;
class MainForm;
class ModuleLink;
class Prompts;

// The network selection dialog: scans as it opens, lists the networks found,
// scans again on Refresh, and on OK copies the chosen network into the main
// form. Its result is 10 plus the network's security index, -1 for a row of
// unknown type, 2 after Cancel.
class CScanDlg : public QDialog {
    Q_OBJECT
public:
    enum Column { ColSsid, ColAccess, ColMac, ColChannel, ColSecurity, ColDamping, ColCount };
    // The columns' widths in pixels at a font whose average letter is 6 pixels
    // wide; they grow and shrink with the font as the dialog units do.
    static constexpr int kColumnWidths[ColCount] = {200, 87, 120, 55, 120, 70};
    static constexpr int kColumnFontWidth = 6;
    // The dialog's size in dialog units.
    static constexpr int kWidthDu = 506;
    static constexpr int kHeightDu = 187;

    CScanDlg(MainForm& form, ModuleLink& link, Prompts& prompts, EventLog& log,
             QWidget* parent = nullptr);

    // Initialises the dialog (with its first scan) before it is shown, then runs it modally.
    int DoModal();

    // Columns, texts, the first scan and the first fill.
    void OnInitDialog();
    void OnRefresh();
    void OnOK();
    // Adds one row per record of the last scan, ordered by damping, lowest first.
    void FillNetworkList();
    // Inserts the record as the list's top row.
    void AddNetworkRow(const ScanEntry& entry);

    void accept() override { OnOK(); }
    // Cancel, Escape and the close box.
    void reject() override;

    const Scanner& scanner() const { return m_scanner; }
    QTableWidget* networkList() const { return m_listNetworks; }
    QPushButton* okButton() const { return m_btnOk; }
    QPushButton* cancelButton() const { return m_btnCancel; }
    QPushButton* refreshButton() const { return m_btnRefresh; }

    // Pixels of a horizontal / vertical size in dialog units of this dialog's font.
    int duToPixelsX(int du) const;
    int duToPixelsY(int du) const;
    // The width of a column at this dialog's font.
    int columnWidth(int column) const;
    // true when the text of the cell shows whole in its column.
    bool cellFits(int row, int column) const;

private:
    // The template's size, or less where the screen has less room; the list
    // takes what is left beside the buttons.
    void placeControls();
    // A cell cut by its column gets its whole text as tooltip.
    void updateCellTips();
    void scanWithWaitCursor();
    int selectionMark() const;

    MainForm& m_form;
    Prompts& m_prompts;
    QPushButton* m_btnRefresh = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnOk = nullptr;
    QTableWidget* m_listNetworks = nullptr;
    int m_nLangOffset = 0;
    Scanner m_scanner; // holds the records of the last scan
};

// What the Netsearch command runs: a network dialog on the stack, modally.
std::function<int()> ScanDialogRunner(MainForm& form, ModuleLink& link, Prompts& prompts,
                                      EventLog& log, QWidget* parent);

} // namespace velinor
