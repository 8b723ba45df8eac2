// The main form's languages: labels, button texts, title, menu and tooltips.
#include "ui/setup_dlg.h"

#include "base/security_type.h"
#include "base/ui_text.h"
#include "ui/setup_app.h"
#include "ui/tip_combo_box.h"

#include <QAbstractButton>
#include <QLabel>

#include <algorithm>

namespace velinor {

namespace {

struct TipRow {
    int control;
    int textId;
};
// The form's tooltips in the order of their registration.
constexpr TipRow kTips[] = {
    {CSetupDlg::IDC_CONFIGURE, 600}, {CSetupDlg::IDC_READ_OUT, 610},
    {CSetupDlg::IDC_NETSEARCH, 601}, {CSetupDlg::IDC_LANGUAGE, 602},
    {CSetupDlg::IDC_SECURITY, 605},  {CSetupDlg::IDC_ACCESS_POINT, 608},
    {CSetupDlg::IDC_AD_HOC, 609},    {CSetupDlg::IDC_KEY, 607},
    {CSetupDlg::IDC_CHANNEL, 606},   {CSetupDlg::IDC_SSID, 604},
    {CSetupDlg::IDC_PORT, 603},
};

struct Room {
    int id;
    int rightEdge; // dialog units: where the control on the label's right begins
};
// mutants: off
// How far a label may grow to its right.
constexpr Room kRooms[] = {
    {CSetupDlg::IDC_LANGUAGE_LABEL, 85}, {CSetupDlg::IDC_PORT_LABEL, 85},
    {CSetupDlg::IDC_SSID_LABEL, 85},     {CSetupDlg::IDC_SECURITY_LABEL, 85},
    {CSetupDlg::IDC_CHANNEL_LABEL, 85},  {CSetupDlg::IDC_KEY_LABEL, 85},
    {CSetupDlg::IDC_USER_LABEL, 79},     {CSetupDlg::IDC_DOMAIN_LABEL, 79},
    {CSetupDlg::IDC_PASSWORD_LABEL, 79}, {CSetupDlg::IDC_CERT_LABEL, 79},
    {CSetupDlg::IDC_DAMPING_LABEL, 251}, {CSetupDlg::IDC_DAMPING, 251},
};
// mutants: on

} // namespace

void CSetupDlg::SetLanguage(int offset) {
    m_nLangOffset = offset;
    // Without Qt's German file its own texts stay English; nothing else changes.
    m_qtTexts.setLanguage(offset);
    ApplyLanguage();
}

void CSetupDlg::TakeTypedValues() {
    takeValues(false);
}

void CSetupDlg::ApplyLanguage() {
    const int lang = m_nLangOffset;
    // The labels that the form exchange shows get their texts as values.
    const auto text = [lang](int id) { return UiText(templateControl(id)->textId, lang); };
    m_strPortLabel = text(IDC_PORT_LABEL);
    m_strLanguageLabel = text(IDC_LANGUAGE_LABEL);
    m_strSecurityLabel = text(IDC_SECURITY_LABEL);
    m_strChannelLabel = text(IDC_CHANNEL_LABEL);
    m_strKeyLabel = text(IDC_KEY_LABEL);
    m_strDampingLabel = text(IDC_DAMPING_LABEL);

    // The other texts of the catalogue go straight into their controls.
    for (const TemplateControl& row : formTemplate()) {
        if (row.textId == 0 || (row.state & Exchanged) != 0)
            continue;
        QWidget* widget = control(row.id);
        if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(text(row.id));
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(text(row.id));
    }

    // The menu follows the language whatever the port search mode.
    m_app.ReloadMenu(lang);
    UpdateTitle();
    UpdateData(false);
    fitLabels();
}

void CSetupDlg::UpdateTitle() {
    if (m_app.IsLogActive())
        setWindowTitle(m_nLangOffset == kEnglish ? QStringLiteral("Velinor (log active)")
                                                 : QStringLiteral("Velinor (log aktiv)"));
    else
        setWindowTitle(QStringLiteral("Velinor"));
}

void CSetupDlg::fitLabels() const {
    // A label may be wider than its place in the template when the font's
    // letters are wider than the average; it then grows up to the control on
    // its right.
    for (const Room& room : kRooms) {
        const TemplateControl& row = *templateControl(room.id);
        QWidget* label = control(room.id);
        const QRect place = dialogUnitsToPixels(row.x, row.y, row.width, row.height);
        // mutants: off (layout)
        const int roomWidth = dialogUnitsToPixels(row.x, 0, room.rightEdge - row.x, 0).width();
        // mutants: on
        const int wanted = std::max(place.width(), label->sizeHint().width());
        label->setGeometry(place.x(), place.y(), std::min(wanted, roomWidth), place.height());
    }
}

void CSetupDlg::OnSelchangeLanguage() {
    const int item = m_comboLanguage->currentIndex();
    if (item != 0 && item != 1)
        return;
    const int offset = item == 1 ? kEnglish : kGerman;
    // What the user typed and no command has taken yet survives the new texts.
    TakeTypedValues();
    WriteLanguageSetting(offset);
    SetLanguage(offset);
    InitToolTips();
}

void CSetupDlg::InitToolTips() {
    for (const TipRow& row : kTips) {
        QString text;
        if (UiText(row.textId, m_nLangOffset, &text)) {
            // A screen reader reads the tooltip as the control's description (Qt's own
            // accessible description falls back on it).
            control(row.control)->setToolTip(text);
        }
    }
    // (A tip past the list is refused.)
    for (int i = 0; i < security::kCount; ++i) // mutants: skip
        m_comboSecurity->SetItemTip(i, UiText(611 + i, m_nLangOffset));
}

} // namespace velinor
