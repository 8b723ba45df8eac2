#include "ui/setup_dlg.h"
#include "ui/dialog_units.h"
#include "ui/field_validator.h"

#include "base/field_rules.h"
#include "base/prompts.h"
#include "base/security_type.h"
#include "base/services.h"
#include "base/ui_text.h"
#include "config/readout.h"
#include "link/port_list.h"
#include "scan/netsearch.h"
#include "ui/busy_scope.h"
#include "ui/scan_dlg.h"
#include "ui/setup_app.h"
#include "ui/tip_combo_box.h"
#include "ui/tip_list_ctrl.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <utility>

namespace velinor {

void PortComboBox::showPopup() {
    emit aboutToDropDown();
    QComboBox::showPopup();
}

namespace {

// The form's size in dialog units.
constexpr int kFormWidth = 258;
constexpr int kFormHeight = 193; // mutants: skip (layout)
// A combo box shows one line; its height in the template is that of the open
// list. The closed box gets the height of an edit field or less.
// mutants: off (layout: dialog-unit places and sizes)
constexpr int kClosedComboHeight = 13;
// mutants: on

using K = CSetupDlg::Kind;
using S = CSetupDlg::State;
using enum CSetupDlg::ControlId;
constexpr int kSsidMax = CSetupDlg::kSsidMaxChars;
constexpr int kChannelMax = CSetupDlg::kChannelMaxChars;
constexpr int kKeyMax = CSetupDlg::kKeyMaxChars;

// Dialog template 102: each control's kind, text and initial state. A text is the catalogue's
// (German id; the English one is 10000 higher) or, with kFixedText, the same in both languages.
constexpr int kFixedText = 0;
constexpr int kNoLimit = -1; // mutants: skip (any negative limit means none)
struct ControlRow {
    int id;
    K kind;
    int textId;
    const char* text;
    unsigned state;
    int limit;
};
// clang-format off
constexpr ControlRow kControls[] = {
    // id                 kind        text id     fixed text         initial state                 limit
    {IDC_WLAN_GROUP,       K::Group,   kFixedText, "WLAN",            S::Plain,                     kNoLimit},
    {IDC_ENTERPRISE_GROUP, K::Group,   kFixedText, "WPA Enterprise",  S::Plain,                     kNoLimit},
    {IDC_LANGUAGE_LABEL,   K::Label,   506,        nullptr,           S::Exchanged,                 kNoLimit},
    {IDC_LANGUAGE,         K::List,    kFixedText, "Deutsch\nEnglish", S::Plain,                    kNoLimit},
    {IDC_PORT_LABEL,       K::Label,   500,        nullptr,           S::Exchanged,                 kNoLimit},
    {IDC_PORT,             K::PortList, kFixedText, nullptr,           S::Plain,                     kNoLimit},
    {IDC_DAMPING_LABEL,    K::Label,   509,        nullptr,           S::Exchanged | S::Hidden,     kNoLimit},
    {IDC_DAMPING,          K::Label,   kFixedText, nullptr,           S::Plain,                     kNoLimit},
    {IDC_SSID_LABEL,       K::Label,   kFixedText, "SSID",            S::Plain,                     kNoLimit},
    {IDC_SSID,             K::Edit,    kFixedText, nullptr,           S::Plain,                     kSsidMax},
    {IDC_NETSEARCH,        K::Button,  505,        nullptr,           S::Plain,                     kNoLimit},
    {IDC_SECURITY_LABEL,   K::Label,   501,        nullptr,           S::Exchanged,                 kNoLimit},
    {IDC_SECURITY,         K::TipList, kFixedText, nullptr,           S::Plain,                     kNoLimit},
    {IDC_CHANNEL_LABEL,    K::Label,   502,        nullptr,           S::Exchanged,                 kNoLimit},
    {IDC_CHANNEL,          K::Edit,    kFixedText, nullptr,           S::Digits,                    kChannelMax},
    {IDC_ACCESS_POINT,     K::Radio,   kFixedText, "Access Point",    S::Plain,                     kNoLimit},
    {IDC_AD_HOC,           K::Radio,   kFixedText, "Ad Hoc",          S::Plain,                     kNoLimit},
    {IDC_KEY_LABEL,        K::Label,   503,        nullptr,           S::Exchanged,                 kNoLimit},
    {IDC_KEY,              K::Edit,    kFixedText, nullptr,           S::Masked,                    kKeyMax},
    {IDC_USER_LABEL,       K::Label,   511,        nullptr,           S::Plain,                     kNoLimit},
    {IDC_USER,             K::Edit,    kFixedText, nullptr,           S::Disabled,                  kNoLimit},
    {IDC_DOMAIN_LABEL,     K::Label,   512,        nullptr,           S::Plain,                     kNoLimit},
    {IDC_DOMAIN,           K::Edit,    kFixedText, nullptr,           S::Disabled,                  kNoLimit},
    {IDC_PASSWORD_LABEL,   K::Label,   513,        nullptr,           S::Plain,                     kNoLimit},
    {IDC_PASSWORD,         K::Edit,    kFixedText, nullptr,           S::Masked | S::Disabled,      kNoLimit},
    {IDC_CERT_LABEL,       K::Label,   514,        nullptr,           S::Plain,                     kNoLimit},
    {IDC_CERT_SELECT,      K::Button,  516,        nullptr,           S::Disabled,                  kNoLimit},
    {IDC_READ_OUT,         K::Button,  508,        nullptr,           S::Plain,                     kNoLimit},
    {IDC_CONFIGURE,        K::Button,  504,        nullptr,           S::Default,                   kNoLimit},
    {IDOK,                 K::Button,  507,        nullptr,           S::Plain,                     kNoLimit},
};
// clang-format on

// mutants: off
// Where the controls lie, in dialog units, in the order above.
struct Place {
    int id;
    int x;
    int y;
    int width;
    int height;
};
// clang-format off
constexpr Place kPlaces[] = {
    // id                  x    y    w    h
    {IDC_WLAN_GROUP,       183, 49,  68,  39},
    {IDC_ENTERPRISE_GROUP, 6,   95,  245, 72},
    {IDC_LANGUAGE_LABEL,   12,  9,   51,  8},
    {IDC_LANGUAGE,         87,  7,   83,  36},
    {IDC_PORT_LABEL,       12,  23,  64,  8},
    {IDC_PORT,             87,  20,  83,  103},
    {IDC_DAMPING_LABEL,    183, 7,   34,  8},
    {IDC_DAMPING,          183, 17,  33,  8},
    {IDC_SSID_LABEL,       12,  36,  18,  8},
    {IDC_SSID,             87,  33,  83,  14},
    {IDC_NETSEARCH,        183, 33,  50,  12},
    {IDC_SECURITY_LABEL,   12,  50,  52,  8},
    {IDC_SECURITY,         87,  48,  83,  67},
    {IDC_CHANNEL_LABEL,    12,  64,  43,  8},
    {IDC_CHANNEL,          87,  61,  84,  14},
    {IDC_ACCESS_POINT,     191, 61,  57,  10},
    {IDC_AD_HOC,           191, 73,  40,  10},
    {IDC_KEY_LABEL,        12,  78,  31,  8},
    {IDC_KEY,              87,  75,  84,  14},
    {IDC_USER_LABEL,       13,  107, 46,  8},
    {IDC_USER,             81,  104, 84,  14},
    {IDC_DOMAIN_LABEL,     13,  121, 45,  8},
    {IDC_DOMAIN,           81,  118, 84,  14},
    {IDC_PASSWORD_LABEL,   13,  135, 41,  8},
    {IDC_PASSWORD,         81,  132, 84,  14},
    {IDC_CERT_LABEL,       13,  150, 45,  8},
    {IDC_CERT_SELECT,      81,  147, 84,  14},
    {IDC_READ_OUT,         44,  172, 50,  14},
    {IDC_CONFIGURE,        101, 172, 50,  14},
    {IDOK,                 158, 172, 50,  14},
};
// clang-format on
static_assert(std::size(kPlaces) == std::size(kControls) && [] {
    for (std::size_t i = 0; i < std::size(kControls); ++i)
        if (kPlaces[i].id != kControls[i].id)
            return false;
    return true;
}());
// mutants: on

constexpr auto kTemplate = [] {
    std::array<CSetupDlg::TemplateControl, std::size(kControls)> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ControlRow& c = kControls[i];
        const Place& p = kPlaces[i];
        rows[i] = {c.id, c.kind, c.textId, c.text, p.x, p.y, p.width, p.height, c.state, c.limit};
    }
    return rows;
}();

// The tab order of the template; labels and group boxes take no focus.
constexpr int kTabOrder[] = {IDC_LANGUAGE,    IDC_PORT,     IDC_NETSEARCH,    IDC_SSID,
                             IDC_SECURITY,    IDC_CHANNEL,  IDC_ACCESS_POINT, IDC_AD_HOC,
                             IDC_KEY,         IDC_USER,     IDC_DOMAIN,       IDC_PASSWORD,
                             IDC_CERT_SELECT, IDC_READ_OUT, IDC_CONFIGURE,    IDOK};

// The labels and the controls they name (their buddies); a screen reader reads
// the label as the control's name. The damping label names its value.
constexpr std::pair<int, int> kBuddies[] = {
    {IDC_LANGUAGE_LABEL, IDC_LANGUAGE}, {IDC_PORT_LABEL, IDC_PORT},
    {IDC_SSID_LABEL, IDC_SSID},         {IDC_SECURITY_LABEL, IDC_SECURITY},
    {IDC_CHANNEL_LABEL, IDC_CHANNEL},   {IDC_KEY_LABEL, IDC_KEY},
    {IDC_USER_LABEL, IDC_USER},         {IDC_DOMAIN_LABEL, IDC_DOMAIN},
    {IDC_PASSWORD_LABEL, IDC_PASSWORD}, {IDC_CERT_LABEL, IDC_CERT_SELECT},
    {IDC_DAMPING_LABEL, IDC_DAMPING},
};

} // namespace

std::span<const CSetupDlg::TemplateControl> CSetupDlg::formTemplate() {
    return kTemplate;
}

const CSetupDlg::TemplateControl* CSetupDlg::templateControl(int id) {
    for (const TemplateControl& row : kTemplate)
        if (row.id == id)
            return &row;
    return nullptr;
}

CSetupDlg::CSetupDlg(CSetupApp& app, Services& services, QWidget* parent)
    : QDialog(parent), m_app(app), m_services(services),
      m_startPorts(
          std::async(std::launch::async, [&ports = services.ports] { return ports.ports(); })),
      m_link(services.clock), m_cert(services.certificatePicker, services.prompts, *this),
      m_configure(*this, m_cert, services.port, m_link, services.clock, services.prompts,
                  app.eventLog(), services.sysfsRoot) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Velinor"));
    InstallAccessibility();
    m_hIcon = QIcon(QStringLiteral(":/velinor/velinor.png"));
    createControls();
    m_app.setMainWindow(this);
}

CSetupDlg::~CSetupDlg() {
    // The base classes hide the controls after this destructor has run; an open
    // tip list then resets the selector, whose signal must no longer reach us.
    for (QWidget* control : std::as_const(m_controls))
        control->disconnect(this);
    if (m_app.m_pMainDlg == this)
        m_app.m_pMainDlg = nullptr;
    if (m_app.mainWindow() == this)
        m_app.setMainWindow(nullptr);
}

QRect CSetupDlg::dialogUnitsToPixels(int x, int y, int width, int height) const {
    return DialogUnitsToPixels(font(), x, y, width, height);
}

QWidget* CSetupDlg::createControl(const TemplateControl& row, QWidget* parent) {
    const QString text = row.text ? QString::fromUtf8(row.text) : QString();
    QWidget* widget = nullptr;
    switch (row.kind) {
    case Kind::Label:
        widget = new QLabel(text, parent);
        break;
    case Kind::Edit: {
        auto* edit = new QLineEdit(parent);
        if (row.state & Masked)
            edit->setEchoMode(QLineEdit::Password);
        edit->setValidator(new FieldValidator(edit, row.limit, (row.state & Digits) != 0));
        widget = edit;
        break;
    }
    case Kind::Button: {
        auto* button = new QPushButton(text, parent);
        button->setDefault((row.state & Default) != 0);
        widget = button;
        break;
    }
    case Kind::Radio:
        widget = new QRadioButton(text, parent);
        break;
    case Kind::Group:
        widget = new QGroupBox(text, parent);
        break;
    case Kind::List:
    case Kind::PortList:
    case Kind::TipList: {
        QComboBox* box = row.kind == Kind::PortList  ? new PortComboBox(parent)
                         : row.kind == Kind::TipList ? new CTipComboBox(parent)
                                                     : new LabelledComboBox(parent);
        if (!text.isEmpty())
            box->addItems(text.split(u'\n'));
        widget = box;
        break;
    }
    }
    widget->setObjectName(QStringLiteral("ctl%1").arg(row.id));
    const bool list =
        row.kind == Kind::List || row.kind == Kind::PortList || row.kind == Kind::TipList;
    widget->setGeometry(
        dialogUnitsToPixels(row.x, row.y, row.width, list ? kClosedComboHeight : row.height));
    if (list) {
        const int hint = widget->sizeHint().height();
        if (hint < widget->height())
            widget->setFixedHeight(hint);
    }
    if (auto* tipList = qobject_cast<CTipComboBox*>(widget)) {
        // mutants: off (only the height is taken)
        tipList->setDroppedHeight(dialogUnitsToPixels(0, 0, 0, row.height).height());
        // mutants: on
    }
    if (row.state & Hidden)
        widget->hide();
    if (row.state & Disabled)
        widget->setEnabled(false);
    m_controls.insert(row.id, widget);
    return widget;
}

void CSetupDlg::createControls() {
    m_layout = new QVBoxLayout(this);
    // mutants: off (layout)
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
    // mutants: on
    m_client = new QWidget(this);
    m_client->setFixedSize(dialogUnitsToPixels(0, 0, kFormWidth, kFormHeight).size());
    m_layout->addWidget(m_client);

    // A slim bar under the buttons shows how far an exchange with the adapter
    // has come; it is visible only while one runs and carries no text.
    m_progress = new QProgressBar(m_client);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    // mutants: off (layout: dialog-unit places and sizes)
    m_progress->setGeometry(dialogUnitsToPixels(44, 188, 164, 3));
    // mutants: on
    m_progress->hide();

    for (const TemplateControl& row : kTemplate)
        createControl(row, m_client);

    m_labelLanguage = find<QLabel>(IDC_LANGUAGE_LABEL);
    m_comboLanguage = find<QComboBox>(IDC_LANGUAGE);
    m_labelPort = find<QLabel>(IDC_PORT_LABEL);
    m_comboPort = find<PortComboBox>(IDC_PORT);
    m_labelDamping = find<QLabel>(IDC_DAMPING_LABEL);
    m_labelDampingValue = find<QLabel>(IDC_DAMPING);
    m_editSsid = find<QLineEdit>(IDC_SSID);
    m_btnNetsearch = find<QPushButton>(IDC_NETSEARCH);
    m_labelSecurity = find<QLabel>(IDC_SECURITY_LABEL);
    m_comboSecurity = find<CTipComboBox>(IDC_SECURITY);
    m_labelChannel = find<QLabel>(IDC_CHANNEL_LABEL);
    m_editChannel = find<QLineEdit>(IDC_CHANNEL);
    m_radioAccessPoint = find<QRadioButton>(IDC_ACCESS_POINT);
    m_radioAdHoc = find<QRadioButton>(IDC_AD_HOC);
    m_labelKey = find<QLabel>(IDC_KEY_LABEL);
    m_editKey = find<QLineEdit>(IDC_KEY);
    m_labelUser = find<QLabel>(IDC_USER_LABEL);
    m_editUser = find<QLineEdit>(IDC_USER);
    m_labelDomain = find<QLabel>(IDC_DOMAIN_LABEL);
    m_editDomain = find<QLineEdit>(IDC_DOMAIN);
    m_labelPassword = find<QLabel>(IDC_PASSWORD_LABEL);
    m_editPassword = find<QLineEdit>(IDC_PASSWORD);
    m_labelCert = find<QLabel>(IDC_CERT_LABEL);
    m_btnCert = find<QPushButton>(IDC_CERT_SELECT);
    m_btnReadOut = find<QPushButton>(IDC_READ_OUT);
    m_btnConfigure = find<QPushButton>(IDC_CONFIGURE);
    m_btnQuit = find<QPushButton>(IDOK);
    m_keyValidator = m_editKey->findChild<FieldValidator*>();
    for (const auto& [label, buddy] : kBuddies)
        find<QLabel>(label)->setBuddy(control(buddy));

    // The security types are the selector's entries; none is selected at start.
    for (int i = 0; i < security::kCount; ++i)
        m_comboSecurity->addItem(security::name(i));
    m_comboSecurity->setCurrentIndex(-1); // mutants: skip (any negative index selects none)

    // (The first two controls are made in that order anyway.)
    for (size_t i = 0; i + 1 < std::size(kTabOrder); ++i) // mutants: skip
        setTabOrder(control(kTabOrder[i]), control(kTabOrder[i + 1]));

    connect(m_btnConfigure, &QPushButton::clicked, this, &CSetupDlg::OnConfigure);
    connect(m_btnReadOut, &QPushButton::clicked, this, &CSetupDlg::OnReadOut);
    connect(m_btnNetsearch, &QPushButton::clicked, this, &CSetupDlg::OnNetsearch);
    connect(m_btnCert, &QPushButton::clicked, this, &CSetupDlg::OnChooseCertificate);
    connect(m_btnQuit, &QPushButton::clicked, this, &CSetupDlg::OnOK);
    // Only the user's choices count as changes; the program's selections do not.
    connect(m_comboLanguage, &QComboBox::activated, this, &CSetupDlg::OnSelchangeLanguage);
    connect(m_comboPort, &QComboBox::activated, this, &CSetupDlg::OnSelchangePort);
    connect(m_comboPort, &PortComboBox::aboutToDropDown, this, &CSetupDlg::OnDropdownPort);
    connect(m_comboSecurity, &QComboBox::currentIndexChanged, this,
            &CSetupDlg::onSecurityIndexChanged);
    connect(m_comboSecurity, &CTipComboBox::entryChosen, this, &CSetupDlg::onSecurityEntryChosen);
}

void CSetupDlg::OnInitDialog() {
    if (m_bInitDone)
        return;
    m_bInitDone = true;
    setWindowIcon(m_hIcon);
    m_app.LoadPortSearch();
    m_settings.emplace(m_services.workingDir);
    m_szSettingsPath = m_settings->path();
    // Preset, so that the first title already shows the logging state.
    m_app.SetLogActive(ReadLogSetting() != 0); // mutants: skip (set again before it is painted)
    SetLanguage(ReadLanguageSetting());
    InitToolTips();
    RestorePortSetting();
    m_app.m_pMainDlg = this;
    RestoreLogSetting();
    // The certificate chooser is a service made at start-up with the filter of
    // the language of that moment.
    m_comboLanguage->setFocus();
}

void CSetupDlg::keyPressEvent(QKeyEvent* event) {
    // F1 opens the help once per press; holding the key does not repeat it.
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat())
            m_app.OpenHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSetupDlg::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

QWidget* CSetupDlg::control(int id) const {
    return m_controls.value(id, nullptr);
}

QAction* CSetupDlg::menuAction(int id) const {
    if (!m_menuBar)
        return nullptr;
    for (QAction* top : m_menuBar->actions()) {
        if (!top->menu())
            continue;
        for (QAction* action : top->menu()->actions())
            if (action->data().toInt() == id)
                return action;
    }
    return nullptr;
}

void CSetupDlg::installMenuBar(QMenuBar* bar) {
    QMenuBar* previous = m_menuBar;
    m_menuBar = bar;
    m_layout->setMenuBar(bar);
    if (previous) {
        // The command that asked for the new menu may still run in the old one.
        previous->hide();
        previous->deleteLater();
    }
}

int CSetupDlg::keyTypingLimit() const {
    return m_keyValidator->maxChars();
}

// ---- Form exchange ----

bool CSetupDlg::takeEdit(QLineEdit* edit, QString& value, int maxChars, bool checkLimits) {
    const QString text = edit->text();
    // The limits are the adapter's: bytes of the UTF-8 that the command carries.
    if (checkLimits && maxChars >= 0 && Utf8Size(text) > maxChars) { // mutants: skip (none is 0)
        m_services.prompts.message(MaxCharsMessage(maxChars, m_nLangOffset), PromptIcon::Warning);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    value = text;
    return true;
}

bool CSetupDlg::takeValues(bool checkLimits) {
    m_values.m_strSecurityType =
        m_comboSecurity->currentIndex() >= 0 ? m_comboSecurity->currentText() : QString();
    if (!takeEdit(m_editKey, m_values.m_strKey, kKeyMaxChars, checkLimits))
        return false;
    if (!takeEdit(m_editChannel, m_values.m_strChannel, kChannelMaxChars, checkLimits))
        return false;
    m_strPortLabel = m_labelPort->text();
    m_strChannelLabel = m_labelChannel->text();
    m_strSecurityLabel = m_labelSecurity->text();
    m_strKeyLabel = m_labelKey->text();
    m_strLanguageLabel = m_labelLanguage->text();
    m_values.m_strDamping = m_labelDampingValue->text();
    m_strDampingLabel = m_labelDamping->text();
    takeEdit(m_editUser, m_values.m_strUser, -1, false);
    takeEdit(m_editPassword, m_values.m_strPassword, -1, false);
    takeEdit(m_editDomain, m_values.m_strDomain, -1, false);
    return takeEdit(m_editSsid, m_values.m_strSsid, kSsidMaxChars, checkLimits);
}

void CSetupDlg::setEditText(QLineEdit* edit, const QString& text) {
    if (const auto* validator = dynamic_cast<const FieldValidator*>(edit->validator()))
        validator->expectText(text);
    edit->setText(text);
}

void CSetupDlg::showValues() {
    // The security type returns to the first item that begins with the stored text.
    if (!m_values.m_strSecurityType.isEmpty()) {
        for (int i = 0; i < m_comboSecurity->count(); ++i) { // mutants: skip (no text past it)
            if (m_comboSecurity->itemText(i).startsWith(m_values.m_strSecurityType)) {
                m_bSettingSecurity = true;
                m_comboSecurity->setCurrentIndex(i);
                m_bSettingSecurity = false;
                break;
            }
        }
    }
    setEditText(m_editKey, m_values.m_strKey);
    setEditText(m_editChannel, m_values.m_strChannel);
    m_labelPort->setText(m_strPortLabel);
    m_labelChannel->setText(m_strChannelLabel);
    m_labelSecurity->setText(m_strSecurityLabel);
    m_labelKey->setText(m_strKeyLabel);
    m_labelLanguage->setText(m_strLanguageLabel);
    m_labelDampingValue->setText(m_values.m_strDamping);
    m_labelDamping->setText(m_strDampingLabel);
    setEditText(m_editUser, m_values.m_strUser);
    // (Only the user changes the password: its field holds it already.)
    setEditText(m_editPassword, m_values.m_strPassword); // mutants: skip
    setEditText(m_editDomain, m_values.m_strDomain);
    setEditText(m_editSsid, m_values.m_strSsid);
    updateAccessibleNames();
}

void CSetupDlg::updateAccessibleNames() {
    // A control is named by its label; a button or a value beside its label by
    // both, as the row reads ("Zertifikat auswählen", "Dämpfung 62 db"). Buttons
    // without a label are named by their own text.
    for (const auto& [labelId, buddyId] : kBuddies) {
        QWidget* buddy = control(buddyId);
        QString name = WithoutMnemonic(find<QLabel>(labelId)->text());
        QString own;
        if (const auto* button = qobject_cast<QAbstractButton*>(buddy))
            own = WithoutMnemonic(button->text());
        else if (const auto* value = qobject_cast<QLabel*>(buddy))
            own = value->text();
        if (!own.isEmpty())
            name += u' ' + own;
        SetAccessibleName(buddy, name);
    }
    SetAccessibleName(m_comboSecurity->tipList(), m_comboSecurity->accessibleName());
}

bool CSetupDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate)
        return takeValues(true);
    showValues();
    return true;
}

void CSetupDlg::OnOK() {
    if (UpdateData(true))
        accept();
}

// ---- Controls asked and set by the workflows ----

int CSetupDlg::securityIndex() const {
    return m_comboSecurity->currentIndex();
}

void CSetupDlg::setSecurityIndex(int index) {
    m_bSettingSecurity = true;
    m_comboSecurity->setCurrentIndex(index >= 0 && index < m_comboSecurity->count() ? index : -1);
    m_bSettingSecurity = false;
}

bool CSetupDlg::isAccessPoint() const {
    return m_radioAccessPoint->isChecked();
}

bool CSetupDlg::isAdHoc() const {
    return m_radioAdHoc->isChecked();
}

void CSetupDlg::setAccessType(bool accessPoint, bool adHoc) {
    // Both unchecked is only possible with the exclusion off for a moment. (The form itself
    // always checks one; only the tests' entries uncheck both.)
    // mutants: off
    m_radioAccessPoint->setAutoExclusive(false);
    m_radioAdHoc->setAutoExclusive(false);
    // mutants: on
    m_radioAccessPoint->setChecked(accessPoint);
    m_radioAdHoc->setChecked(adHoc && !accessPoint);
    m_radioAccessPoint->setAutoExclusive(true);
    m_radioAdHoc->setAutoExclusive(true);
}

QString CSetupDlg::selectedPort() const {
    return m_comboPort->currentIndex() >= 0 ? m_comboPort->currentText() : QString();
}

QString CSetupDlg::selectedLanguageText() const {
    return m_comboLanguage->currentIndex() >= 0 ? m_comboLanguage->currentText() : QString();
}

void CSetupDlg::setKeyEnabled(bool enabled) {
    m_editKey->setEnabled(enabled);
}

void CSetupDlg::focusKey() {
    m_editKey->setFocus();
}

void CSetupDlg::showDamping() {
    m_labelDamping->show();
    m_labelDampingValue->show(); // mutants: skip (shown from the start, empty until a choice)
}

void CSetupDlg::beginWaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void CSetupDlg::endWaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

// ---- Field rules of the security type ----

void CSetupDlg::UpdateSecurityFields() {
    const int index = m_comboSecurity->currentIndex();
    const FieldRule rule = SecurityFieldRule(index);
    m_editKey->setEnabled(rule.keyEnabled);
    for (QWidget* w : {static_cast<QWidget*>(m_editUser), static_cast<QWidget*>(m_editPassword),
                       static_cast<QWidget*>(m_editDomain), static_cast<QWidget*>(m_btnCert)})
        w->setEnabled(rule.enterpriseEnabled);
    if (rule.clearKeyLongerThan >= 0) { // mutants: skip (no type clears at 0)
        // A refused value has been reported; the rest is still taken, so that
        // nothing typed is lost when the values are shown again.
        if (!UpdateData(true))
            takeValues(false);
        if (Utf8Size(m_values.m_strKey) > rule.clearKeyLongerThan) {
            m_values.m_strKey.clear();
            UpdateData(false);
        }
    }
    m_keyValidator->setMaxChars(rule.keyLimit);
    m_nRulesIndex = index;
}

void CSetupDlg::onSecurityIndexChanged(int /*index*/) {
    if (!m_bSettingSecurity)
        UpdateSecurityFields();
}

void CSetupDlg::onSecurityEntryChosen(int index) {
    // A choice in the list that changed the type has run the rules already.
    if (index != m_nRulesIndex || index != m_comboSecurity->currentIndex())
        UpdateSecurityFields();
}

// ---- Commands ----

void CSetupDlg::OnConfigure() {
    SetAccessibleName(m_progress, WithoutMnemonic(m_btnConfigure->text()));
    const BusyScope busy(this, m_progress, m_link);
    m_configure.OnConfigure();
}

void CSetupDlg::OnReadOut() {
    SetAccessibleName(m_progress, WithoutMnemonic(m_btnReadOut->text()));
    const BusyScope busy(this, m_progress, m_link);
    ReadOut(*this, m_link, m_app.eventLog(), [this](int attempts) {
        return m_configure.opener().OpenSelectedPort(attempts);
    }).OnReadOut();
}

void CSetupDlg::OnNetsearch() {
    SetAccessibleName(m_progress, WithoutMnemonic(m_btnNetsearch->text()));
    BusyScope busy(this, m_progress, m_link);
    const auto runDialog =
        ScanDialogRunner(*this, m_link, m_services.prompts, m_app.eventLog(), this);
    Netsearch(
        *this, m_link,
        [this](int attempts) { return m_configure.opener().OpenSelectedPort(attempts); },
        [&busy, &runDialog] {
            // The network dialog shows its own wait cursor around its scans.
            busy.suspend();
            return runDialog();
        })
        .OnNetsearch();
}

void CSetupDlg::OnChooseCertificate() {
    m_cert.OnChooseCertificate();
}

} // namespace velinor
