#include "ui/scan_dlg.h"

#include "base/main_form.h"
#include "base/prompts.h"
#include "base/security_type.h"
#include "base/ui_text.h"
#include "scan/netsearch.h"
#include "ui/dialog_units.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QWindow>

#include <algorithm>

namespace velinor {

namespace {
constexpr int kTextAccess = 518;
constexpr int kTextMac = 519;
constexpr int kTextChannel = 502;
constexpr int kTextEncryption = 501;
constexpr int kTextDamping = 509;
constexpr int kTextRefresh = 520;
constexpr int kTextCancel = 521;
constexpr int kTextTitle = 522;
constexpr int kTextNothingSelected = 526;

constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignVCenter;

// The room a cell's text needs beside it: the margins on both sides, inside
// the grid line.
int cellPadding(const QWidget* list) {
    // mutants: off (layout)
    return 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1) + 1;
    // mutants: on
}

struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

CScanDlg::CScanDlg(MainForm& form, ModuleLink& link, Prompts& prompts, EventLog& log,
                   QWidget* parent)
    : QDialog(parent), m_form(form), m_prompts(prompts), m_scanner(link, prompts, log, form) {
    // OnInitDialog sets the title in the form's language.
    setWindowTitle(QString::fromUtf8("Drahtlosnetzwerk wählen")); // mutants: skip
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    m_listNetworks = new QTableWidget(0, ColCount, this);
    m_listNetworks->setObjectName(QStringLiteral("list1037")); // mutants: skip (for debuggers)
    m_btnOk = new QPushButton(QStringLiteral("&OK"), this);
    m_btnOk->setObjectName(QStringLiteral("button1")); // mutants: skip (for debuggers)
    m_btnOk->setDefault(true); // mutants: skip (the first button of a dialog is its default anyway)
    m_btnCancel = new QPushButton(QString::fromUtf8("A&bbrechen"), this);
    m_btnCancel->setObjectName(QStringLiteral("button2")); // mutants: skip (for debuggers)
    m_btnRefresh = new QPushButton(QString::fromUtf8("Aktu&alisieren"), this);
    m_btnRefresh->setObjectName(QStringLiteral("button1038")); // mutants: skip (for debuggers)

    placeControls();

    connect(m_btnOk, &QPushButton::clicked, this, &CScanDlg::OnOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &CScanDlg::reject);
    connect(m_btnRefresh, &QPushButton::clicked, this, &CScanDlg::OnRefresh);
}

int CScanDlg::duToPixelsX(int du) const {
    return DialogUnitsToPixels(font(), du, 0, 0, 0).x(); // mutants: skip (only x is read)
}

int CScanDlg::duToPixelsY(int du) const {
    return DialogUnitsToPixels(font(), 0, du, 0, 0).y(); // mutants: skip (only y is read)
}

void CScanDlg::placeControls() {
    QSize size(duToPixelsX(kWidthDu), duToPixelsY(kHeightDu));
    // The frame that the window manager adds, as the main window has it.
    QMargins frame;
    if (parentWidget() && parentWidget()->window()->windowHandle())
        frame = parentWidget()->window()->windowHandle()->frameMargins();
    const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (where) {
        const QSize room = where->availableGeometry().size().shrunkBy(frame);
        size = size.boundedTo(room);
    }
    setFixedSize(size);

    // The buttons keep their distance from the right edge, as in the template
    // (x 449 of 506 dialog units); the list fills the rest.
    const int buttonX = size.width() - duToPixelsX(kWidthDu - 449);
    // mutants: off (layout: dialog-unit places and sizes)
    const int margin = duToPixelsX(7);
    m_listNetworks->setGeometry(margin, duToPixelsY(7),
                                std::max(0, buttonX - duToPixelsX(5) - margin),
                                std::max(0, size.height() - duToPixelsY(14)));
    m_btnOk->setGeometry(buttonX, duToPixelsY(7), duToPixelsX(50), duToPixelsY(14));
    m_btnCancel->setGeometry(buttonX, duToPixelsY(24), duToPixelsX(50), duToPixelsY(14));
    m_btnRefresh->setGeometry(buttonX, duToPixelsY(42), duToPixelsX(50), duToPixelsY(14));
    // mutants: on
}

int CScanDlg::columnWidth(int column) const {
    const int baseX = duToPixelsX(4);
    // mutants: off (layout: dialog units to pixels, rounded)
    int width = (kColumnWidths[column] * baseX + kColumnFontWidth / 2) / kColumnFontWidth;
    // mutants: on
    if (column == ColMac) {
        // A whole address, whatever the widths of the font's digits and letters.
        const QFontMetrics fm(m_listNetworks->font());
        int digit = 0;
        for (const QChar c : QStringLiteral("0123456789ABCDEF"))
            digit = std::max(digit, fm.horizontalAdvance(c));
        const int text = 12 * digit + 5 * fm.horizontalAdvance(u':'); // mutants: skip (layout)
        width = std::max(width, text + cellPadding(m_listNetworks));
    }
    return width;
}

bool CScanDlg::cellFits(int row, int column) const {
    const QTableWidgetItem* item = m_listNetworks->item(row, column);
    if (!item)
        return true;
    const QFontMetrics fm(m_listNetworks->font());
    return fm.horizontalAdvance(item->text()) + cellPadding(m_listNetworks) <= // mutants: skip
           m_listNetworks->columnWidth(column); // (one pixel: a text exactly as wide as its cell)
}

void CScanDlg::updateCellTips() {
    for (int row = 0; row < m_listNetworks->rowCount(); ++row) {
        for (int column = 0; column < ColCount; ++column) { // mutants: skip (no cell past them)
            if (QTableWidgetItem* item = m_listNetworks->item(row, column))
                item->setToolTip(cellFits(row, column) ? QString() : item->text());
        }
    }
}

int CScanDlg::DoModal() {
    OnInitDialog();
    return exec();
}

void CScanDlg::OnInitDialog() {
    m_nLangOffset = m_form.GetLanguage();
    m_scanner.setLanguage(m_nLangOffset);

    const QStringList headers = {
        QStringLiteral("SSID"),
        UiText(kTextAccess, m_nLangOffset),
        UiText(kTextMac, m_nLangOffset),
        UiText(kTextChannel, m_nLangOffset),
        UiText(kTextEncryption, m_nLangOffset),
        UiText(kTextDamping, m_nLangOffset),
    };
    for (int c = 0; c < ColCount; ++c) {
        auto* header = new QTableWidgetItem(headers.at(c));
        header->setTextAlignment(kCentred);
        m_listNetworks->setHorizontalHeaderItem(c, header);
        m_listNetworks->setColumnWidth(c, columnWidth(c));
    }
    connect(m_listNetworks->horizontalHeader(), &QHeaderView::sectionResized, this,
            &CScanDlg::updateCellTips);
    m_listNetworks->horizontalHeader()->setSectionsClickable(false);
    // mutants: off (Qt's defaults, set here to say so)
    m_listNetworks->horizontalHeader()->setStretchLastSection(false);
    m_listNetworks->horizontalHeader()->setSortIndicatorShown(false);
    m_listNetworks->setSortingEnabled(false);
    // mutants: on
    m_listNetworks->verticalHeader()->hide();
    // Rows as tight as a report list's.
    // mutants: off (layout)
    m_listNetworks->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    // mutants: on
    m_listNetworks->setShowGrid(true); // mutants: skip (Qt's default)
    m_listNetworks->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listNetworks->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listNetworks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listNetworks->setWordWrap(false);

    m_btnRefresh->setText(UiText(kTextRefresh, m_nLangOffset));
    m_btnCancel->setText(UiText(kTextCancel, m_nLangOffset));
    setWindowTitle(UiText(kTextTitle, m_nLangOffset));
    // The list has no label of its own: a screen reader names it by the title
    // it stands under. Its column headers and cells read as they show.
    m_listNetworks->setAccessibleName(windowTitle());

    scanWithWaitCursor();
    FillNetworkList();
    m_listNetworks->setFocus();
}

void CScanDlg::scanWithWaitCursor() {
    WaitCursor wait;
    m_scanner.ScanNetworks();
}

void CScanDlg::OnRefresh() {
    m_listNetworks->setRowCount(0);
    scanWithWaitCursor();
    FillNetworkList();
}

void CScanDlg::FillNetworkList() {
    QList<ScanEntry> ordered = OrderedByDamping(m_scanner.entries());
    // Each row goes on top, so the last record is added first.
    std::reverse(ordered.begin(), ordered.end());
    for (const ScanEntry& entry : ordered)
        AddNetworkRow(entry);
    updateCellTips();
}

void CScanDlg::AddNetworkRow(const ScanEntry& entry) {
    const QString texts[ColCount] = {
        QString::fromUtf8(entry.szSsid),
        entry.bAccessPoint ? QStringLiteral("Access Point") : QStringLiteral("Ad-hoc"),
        QString::fromUtf8(entry.szMac),
        QString::number(entry.nChannel),
        security::name(entry.nSecurity),
        QString::number(entry.nDamping),
    };
    m_listNetworks->insertRow(0);
    for (int c = 0; c < ColCount; ++c) {
        auto* item = new QTableWidgetItem(texts[c]);
        item->setTextAlignment(kCentred);
        m_listNetworks->setItem(0, c, item);
    }
}

int CScanDlg::selectionMark() const {
    const QModelIndexList rows = m_listNetworks->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CScanDlg::OnOK() {
    const int row = selectionMark();
    if (row < 0) {
        m_prompts.message(UiText(kTextNothingSelected, m_nLangOffset), PromptIcon::Error);
        return;
    }
    auto text = [this, row](int column) {
        const QTableWidgetItem* item = m_listNetworks->item(row, column);
        return item ? item->text() : QString();
    };

    // Whatever the user typed into the main form is taken first, so that showing
    // the values again does not replace it.
    m_form.UpdateData(true);
    FormValues& v = m_form.values();
    v.m_strSsid = text(ColSsid);
    v.m_strChannel = text(ColChannel);
    const int result = Netsearch::resultForTypeText(text(ColSecurity));
    m_form.showDamping();
    v.m_strDamping = QStringLiteral("%1 db").arg(text(ColDamping));
    const bool adHoc = text(ColAccess).left(6) == QLatin1String("Ad-hoc");
    m_form.setAccessType(!adHoc, adHoc);
    m_form.UpdateData(false);
    done(result);
}

void CScanDlg::reject() {
    done(Netsearch::kCancelResult);
}

std::function<int()> ScanDialogRunner(MainForm& form, ModuleLink& link, Prompts& prompts,
                                      EventLog& log, QWidget* parent) {
    return [&form, &link, &prompts, &log, parent] {
        CScanDlg dlg(form, link, prompts, log, parent);
        return dlg.DoModal();
    };
}

} // namespace velinor
