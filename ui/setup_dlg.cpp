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

#include <QAction>
#include <QGroupBox>
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

namespace velinor {

void PortComboBox::showPopup() {
    emit aboutToDropDown();
    QComboBox::showPopup();
}

namespace {

// The form's size in dialog units.
constexpr int kFormWidth = 258;
constexpr int kFormHeight = 193;

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

} // namespace

CSetupDlg::CSetupDlg(CSetupApp& app, Services& services, QWidget* parent)
    : QDialog(parent), m_app(app), m_services(services), m_link(services.clock),
      m_cert(services.certificatePicker, services.prompts, *this),
      m_configure(*this, m_cert, services.port, m_link, services.clock, services.prompts,
                  app.eventLog(), services.sysfsRoot) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Velinor"));
    m_hIcon = QIcon(QStringLiteral(":/velinor/velinor.png"));
    createControls();
    m_app.setMainWindow(this);
}

CSetupDlg::~CSetupDlg() {
    if (m_app.m_pMainDlg == this)
        m_app.m_pMainDlg = nullptr;
    if (m_app.mainWindow() == this)
        m_app.setMainWindow(nullptr);
}

QRect CSetupDlg::dialogUnitsToPixels(int x, int y, int width, int height) const {
    return DialogUnitsToPixels(font(), x, y, width, height);
}

template <class T> T* CSetupDlg::place(T* widget, int id, int x, int y, int width, int height) {
    widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    widget->setGeometry(dialogUnitsToPixels(x, y, width, height));
    m_controls.insert(id, widget);
    return widget;
}

void CSetupDlg::createControls() {
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
    m_client = new QWidget(this);
    m_client->setFixedSize(dialogUnitsToPixels(0, 0, kFormWidth, kFormHeight).size());
    m_layout->addWidget(m_client);
    QWidget* c = m_client;

    // A slim bar under the buttons shows how far an exchange with the adapter
    // has come; it is visible only while one runs and carries no text.
    m_progress = new QProgressBar(c);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_progress->setGeometry(dialogUnitsToPixels(44, 188, 164, 3));
    m_progress->hide();

    // The group boxes first, so that they lie below the controls they frame.
    place(new QGroupBox(QStringLiteral("WLAN"), c), IDC_WLAN_GROUP, 183, 49, 68, 39);
    place(new QGroupBox(QStringLiteral("WPA Enterprise"), c), IDC_ENTERPRISE_GROUP, 6, 95, 245, 72);

    // A combo box shows one line; its height in the template is that of the
    // open list. The closed box gets the height of an edit field or less.
    const int comboHeightUnits = 13;
    auto combo = [&](QComboBox* box, int id, int x, int y, int width) {
        place(box, id, x, y, width, comboHeightUnits);
        const int hint = box->sizeHint().height();
        if (hint < box->height())
            box->setFixedHeight(hint);
        return box;
    };

    m_labelLanguage = place(new QLabel(c), IDC_LANGUAGE_LABEL, 12, 9, 51, 8);
    m_comboLanguage = new QComboBox(c);
    m_comboLanguage->addItems({QStringLiteral("Deutsch"), QStringLiteral("English")});
    combo(m_comboLanguage, IDC_LANGUAGE, 87, 7, 83);
    m_labelPort = place(new QLabel(c), IDC_PORT_LABEL, 12, 23, 64, 8);
    m_comboPort = new PortComboBox(c);
    combo(m_comboPort, IDC_PORT, 87, 20, 83);
    m_labelDamping = place(new QLabel(c), IDC_DAMPING_LABEL, 183, 7, 34, 8);
    m_labelDamping->hide();
    m_labelDampingValue = place(new QLabel(c), IDC_DAMPING, 183, 17, 33, 8);
    place(new QLabel(QStringLiteral("SSID"), c), IDC_SSID_LABEL, 12, 36, 18, 8);
    m_editSsid = place(new QLineEdit(c), IDC_SSID, 87, 33, 83, 14);
    m_editSsid->setValidator(new FieldValidator(m_editSsid, kSsidMaxChars, false));
    m_btnNetsearch = place(new QPushButton(c), IDC_NETSEARCH, 183, 33, 50, 12);
    m_labelSecurity = place(new QLabel(c), IDC_SECURITY_LABEL, 12, 50, 52, 8);
    m_comboSecurity = new CTipComboBox(c);
    for (int i = 0; i < security::kCount; ++i)
        m_comboSecurity->addItem(security::name(i));
    m_comboSecurity->setCurrentIndex(-1);
    combo(m_comboSecurity, IDC_SECURITY, 87, 48, 83);
    m_labelChannel = place(new QLabel(c), IDC_CHANNEL_LABEL, 12, 64, 43, 8);
    m_editChannel = place(new QLineEdit(c), IDC_CHANNEL, 87, 61, 84, 14);
    m_editChannel->setValidator(new FieldValidator(m_editChannel, kChannelMaxChars, true));
    m_radioAccessPoint = place(new QRadioButton(QStringLiteral("Access Point"), c),
                               IDC_ACCESS_POINT, 191, 61, 57, 10);
    m_radioAdHoc =
        place(new QRadioButton(QStringLiteral("Ad Hoc"), c), IDC_AD_HOC, 191, 73, 40, 10);
    m_labelKey = place(new QLabel(c), IDC_KEY_LABEL, 12, 78, 31, 8);
    m_editKey = place(new QLineEdit(c), IDC_KEY, 87, 75, 84, 14);
    m_editKey->setEchoMode(QLineEdit::Password);
    m_keyValidator = new FieldValidator(m_editKey, kKeyMaxChars, false);
    m_editKey->setValidator(m_keyValidator);
    m_labelUser = place(new QLabel(c), IDC_USER_LABEL, 13, 107, 46, 8);
    m_editUser = place(new QLineEdit(c), IDC_USER, 81, 104, 84, 14);
    m_editUser->setValidator(new FieldValidator(m_editUser, -1, false));
    m_labelDomain = place(new QLabel(c), IDC_DOMAIN_LABEL, 13, 121, 45, 8);
    m_editDomain = place(new QLineEdit(c), IDC_DOMAIN, 81, 118, 84, 14);
    m_editDomain->setValidator(new FieldValidator(m_editDomain, -1, false));
    m_labelPassword = place(new QLabel(c), IDC_PASSWORD_LABEL, 13, 135, 41, 8);
    m_editPassword = place(new QLineEdit(c), IDC_PASSWORD, 81, 132, 84, 14);
    m_editPassword->setEchoMode(QLineEdit::Password);
    m_editPassword->setValidator(new FieldValidator(m_editPassword, -1, false));
    m_labelCert = place(new QLabel(c), IDC_CERT_LABEL, 13, 150, 45, 8);
    m_btnCert = place(new QPushButton(c), IDC_CERT_SELECT, 81, 147, 84, 14);
    m_btnReadOut = place(new QPushButton(c), IDC_READ_OUT, 44, 172, 50, 14);
    m_btnConfigure = place(new QPushButton(c), IDC_CONFIGURE, 101, 172, 50, 14);
    m_btnQuit = place(new QPushButton(c), IDOK, 158, 172, 50, 14);

    // The enterprise fields start disabled; nothing is selected yet.
    for (QWidget* w : {static_cast<QWidget*>(m_editUser), static_cast<QWidget*>(m_editDomain),
                       static_cast<QWidget*>(m_editPassword), static_cast<QWidget*>(m_btnCert)})
        w->setEnabled(false);

    // Enter in an edit field or a combo box presses Configure.
    m_btnConfigure->setDefault(true);

    const int tabOrder[] = {IDC_LANGUAGE,    IDC_PORT,     IDC_NETSEARCH,    IDC_SSID,
                            IDC_SECURITY,    IDC_CHANNEL,  IDC_ACCESS_POINT, IDC_AD_HOC,
                            IDC_KEY,         IDC_USER,     IDC_DOMAIN,       IDC_PASSWORD,
                            IDC_CERT_SELECT, IDC_READ_OUT, IDC_CONFIGURE,    IDOK};
    for (size_t i = 0; i + 1 < std::size(tabOrder); ++i)
        setTabOrder(control(tabOrder[i]), control(tabOrder[i + 1]));

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
    m_app.SetLogActive(ReadLogSetting() != 0);
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
    if (checkLimits && maxChars >= 0 && text.size() > maxChars) {
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
        for (int i = 0; i < m_comboSecurity->count(); ++i) {
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
    setEditText(m_editPassword, m_values.m_strPassword);
    setEditText(m_editDomain, m_values.m_strDomain);
    setEditText(m_editSsid, m_values.m_strSsid);
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
    // Both unchecked is only possible with the exclusion off for a moment.
    m_radioAccessPoint->setAutoExclusive(false);
    m_radioAdHoc->setAutoExclusive(false);
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
    m_labelDampingValue->show();
}

// ---- Field rules of the security type ----

void CSetupDlg::UpdateSecurityFields() {
    const int index = m_comboSecurity->currentIndex();
    const FieldRule rule = SecurityFieldRule(index);
    m_editKey->setEnabled(rule.keyEnabled);
    for (QWidget* w : {static_cast<QWidget*>(m_editUser), static_cast<QWidget*>(m_editPassword),
                       static_cast<QWidget*>(m_editDomain), static_cast<QWidget*>(m_btnCert)})
        w->setEnabled(rule.enterpriseEnabled);
    if (rule.clearKeyLongerThan >= 0) {
        // A refused value has been reported; the rest is still taken, so that
        // nothing typed is lost when the values are shown again.
        if (!UpdateData(true))
            takeValues(false);
        if (m_values.m_strKey.size() > rule.clearKeyLongerThan) {
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

// ---- Settings file ----

QString CSetupDlg::GetSettingsPath() const {
    return m_szSettingsPath;
}

int CSetupDlg::ReadLanguageSetting() {
    const int stored = m_settings ? m_settings->language() : kGerman;
    if (stored == kEnglish) {
        m_comboLanguage->setCurrentIndex(1);
        return kEnglish;
    }
    m_comboLanguage->setCurrentIndex(0);
    return kGerman;
}

void CSetupDlg::WriteLanguageSetting(int offset) {
    if (m_settings)
        m_settings->setLanguage(offset);
}

int CSetupDlg::ReadLogSetting() {
    return m_settings ? m_settings->logInt() : 0;
}

bool CSetupDlg::RestoreLogSetting() {
    const bool on = m_settings && m_settings->logText() == QLatin1String("1");
    if (on)
        m_app.OnLogOn();
    else
        m_app.OnLogOff();
    return on;
}

void CSetupDlg::SavePortSetting(const QString& text) {
    if (m_settings && portlist::isPortName(text))
        m_settings->setPort(text);
}

void CSetupDlg::OnSelchangePort() {
    if (m_comboPort->currentIndex() >= 0)
        SavePortSetting(m_comboPort->currentText());
}

// ---- Languages ----

void CSetupDlg::SetLanguage(int offset) {
    m_nLangOffset = offset;
    ApplyLanguage();
}

void CSetupDlg::TakeTypedValues() {
    takeValues(false);
}

void CSetupDlg::ApplyLanguage() {
    const int lang = m_nLangOffset;
    m_strPortLabel = UiText(500, lang);
    m_strLanguageLabel = UiText(506, lang);
    m_strSecurityLabel = UiText(501, lang);
    m_strChannelLabel = UiText(502, lang);
    m_strKeyLabel = UiText(503, lang);
    m_strDampingLabel = UiText(509, lang);

    m_btnNetsearch->setText(UiText(505, lang));
    m_btnConfigure->setText(UiText(504, lang));
    m_btnQuit->setText(UiText(507, lang));
    m_btnReadOut->setText(UiText(508, lang));
    m_labelUser->setText(UiText(511, lang));
    m_labelDomain->setText(UiText(512, lang));
    m_labelPassword->setText(UiText(513, lang));
    m_labelCert->setText(UiText(514, lang));
    m_btnCert->setText(UiText(516, lang));

    // The menu follows the language whatever the port search mode.
    m_app.ReloadMenu(lang);

    if (m_app.IsLogActive())
        setWindowTitle(lang == kEnglish ? QStringLiteral("Velinor (log active)")
                                        : QStringLiteral("Velinor (log aktiv)"));
    else
        setWindowTitle(QStringLiteral("Velinor"));

    UpdateData(false);
    fitLabels();
}

void CSetupDlg::fitLabels() const {
    // A label may be wider than its place in the template when the font's
    // letters are wider than the average; it then grows up to the control on
    // its right.
    struct Room {
        int id;
        int x;
        int y;
        int width;
        int rightEdge;
    };
    static constexpr Room kRooms[] = {
        {IDC_LANGUAGE_LABEL, 12, 9, 51, 85},   {IDC_PORT_LABEL, 12, 23, 64, 85},
        {IDC_SSID_LABEL, 12, 36, 18, 85},      {IDC_SECURITY_LABEL, 12, 50, 52, 85},
        {IDC_CHANNEL_LABEL, 12, 64, 43, 85},   {IDC_KEY_LABEL, 12, 78, 31, 85},
        {IDC_USER_LABEL, 13, 107, 46, 79},     {IDC_DOMAIN_LABEL, 13, 121, 45, 79},
        {IDC_PASSWORD_LABEL, 13, 135, 41, 79}, {IDC_CERT_LABEL, 13, 150, 45, 79},
        {IDC_DAMPING_LABEL, 183, 7, 34, 251},  {IDC_DAMPING, 183, 17, 33, 251},
    };
    for (const Room& room : kRooms) {
        QWidget* label = control(room.id);
        const QRect place = dialogUnitsToPixels(room.x, room.y, room.width, 8);
        const int roomWidth = dialogUnitsToPixels(room.x, 0, room.rightEdge - room.x, 0).width();
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
        if (UiText(row.textId, m_nLangOffset, &text))
            control(row.control)->setToolTip(text);
    }
    for (int i = 0; i < security::kCount; ++i)
        m_comboSecurity->SetItemTip(i, UiText(611 + i, m_nLangOffset));
}

// ---- Port list ----

void CSetupDlg::OnDropdownPort() {
    if (m_app.GetPortSearch() == 1)
        FillPortListAutomatic();
    else
        FillPortListManual(portlist::kMaxManual);
}

void CSetupDlg::FillPortListAutomatic() {
    m_comboPort->clear();
    m_comboPort->addItems(portlist::automatic(m_services.ports));
    m_comboPort->setCurrentIndex(-1);
}

void CSetupDlg::FillPortListManual(int count) {
    m_comboPort->clear();
    m_comboPort->addItems(portlist::manual(m_services.ports, count));
    m_comboPort->setCurrentIndex(-1);
}

void CSetupDlg::RestorePortSetting() {
    FillPortListAutomatic();
    QStringList items;
    for (int i = 0; i < m_comboPort->count(); ++i)
        items.append(m_comboPort->itemText(i));
    const int index = portlist::restoreIndex(items, m_settings ? m_settings->port() : QString());
    if (index >= 0)
        m_comboPort->setCurrentIndex(index);
}

// ---- Commands ----

void CSetupDlg::OnConfigure() {
    const BusyScope busy(this, m_progress, m_link);
    m_configure.OnConfigure();
}

void CSetupDlg::OnReadOut() {
    const BusyScope busy(this, m_progress, m_link);
    ReadOut(*this, m_link, m_app.eventLog(), [this](int attempts) {
        return m_configure.opener().OpenSelectedPort(attempts);
    }).OnReadOut();
}

void CSetupDlg::OnNetsearch() {
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
