#pragma once

#include "base/main_form.h"
#include "base/port_enumerator.h"
#include "base/settings.h"
#include "config/certificate.h"
#include "config/configure.h"
#include "link/module_link.h"
#include "ui/accessibility.h"
#include "ui/qt_translations.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QString>

#include <future>
#include <optional>
#include <span>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace velinor {

class CSetupApp;
class CTipComboBox;
class FieldValidator;
struct Services;

// The port list. It tells before it drops down, so that it can be refilled
// with the ports of the moment.
class PortComboBox : public LabelledComboBox {
    Q_OBJECT
public:
    using LabelledComboBox::LabelledComboBox;
    void showPopup() override;

signals:
    void aboutToDropDown();
};

// The main form: every value the tool works on, the port list, the languages
// and the field rules of the security type. Menu commands go to CSetupApp.
class CSetupDlg : public QDialog, public MainForm {
    Q_OBJECT
public:
    // Control ids of the form.
    enum ControlId {
        IDOK = 1,
        IDC_CONFIGURE = 1000,
        IDC_ACCESS_POINT = 1003,
        IDC_AD_HOC = 1004,
        IDC_SSID = 1006,
        IDC_SECURITY = 1007,
        IDC_KEY = 1009,
        IDC_NETSEARCH = 1010,
        IDC_SSID_LABEL = 1011,
        IDC_SECURITY_LABEL = 1012,
        IDC_KEY_LABEL = 1013,
        IDC_WLAN_GROUP = 1014,
        IDC_PORT_LABEL = 1016,
        IDC_CHANNEL_LABEL = 1017,
        IDC_CHANNEL = 1018,
        IDC_LANGUAGE = 1019,
        IDC_LANGUAGE_LABEL = 1020,
        IDC_READ_OUT = 1021,
        IDC_PORT = 1022,
        IDC_DAMPING_LABEL = 1025,
        IDC_DAMPING = 1026,
        IDC_USER_LABEL = 1027,
        IDC_DOMAIN_LABEL = 1028,
        IDC_PASSWORD_LABEL = 1029,
        IDC_ENTERPRISE_GROUP = 1030,
        IDC_USER = 1031,
        IDC_DOMAIN = 1032,
        IDC_PASSWORD = 1033,
        IDC_CERT_LABEL = 1034,
        IDC_CERT_SELECT = 1035,
    };

    // The kinds of control in the form's template.
    enum class Kind { Label, Edit, Button, Radio, Group, List, PortList, TipList };
    // Initial states and notes of a control in the template.
    enum State : unsigned {
        Plain = 0,
        Hidden = 1u << 0,
        Disabled = 1u << 1,
        Masked = 1u << 2,    // an edit field whose input is masked
        Digits = 1u << 3,    // an edit field that takes digits only
        Default = 1u << 4,   // the default button: Enter presses it
        Exchanged = 1u << 5, // a label whose text the form exchange shows
    };
    // One control of the form's template: position and size in dialog units; a
    // drop-down list's height is that of its open list. A text id (0 for none)
    // names the catalogue text that follows the language; otherwise `text` is
    // the template's own (a list's items, one a line). `limit` is the number of
    // characters an edit field takes (-1: no limit).
    struct TemplateControl {
        int id;
        Kind kind;
        int textId;
        const char* text;
        int x;
        int y;
        int width;
        int height;
        unsigned state;
        int limit;
    };
    // The form's template in the order the controls are created (the group
    // boxes first, so that they lie below the controls they frame).
    static std::span<const TemplateControl> formTemplate();
    // The template's row of a control (nullptr for an unknown id).
    static const TemplateControl* templateControl(int id);

    // Creates the controls of the form; OnInitDialog brings in the settings.
    CSetupDlg(CSetupApp& app, Services& services, QWidget* parent = nullptr);
    ~CSetupDlg() override;

    // The initialisation, once: settings, language, tooltips, port list, logging.
    void OnInitDialog();

    // A control by its id (nullptr for an unknown id); its objectName is "ctl<id>".
    QWidget* control(int id) const;
    // An entry of the current menu bar by its command id (nullptr when missing).
    QAction* menuAction(int id) const;
    QMenuBar* currentMenuBar() const { return m_menuBar; }
    // Replaces the menu bar; the previous one is released.
    void installMenuBar(QMenuBar* bar);
    // Pixels of a rectangle in dialog units of the form's font.
    QRect dialogUnitsToPixels(int x, int y, int width, int height) const;
    // The key field's typing limit of the moment.
    int keyTypingLimit() const;

    Services& services() { return m_services; }
    CSetupApp& app() { return m_app; }
    ModuleLink& link() { return m_link; }
    CertificateStore& certificate() { return m_cert; }
    QProgressBar* progressBar() const { return m_progress; }

    // MainForm
    FormValues& values() override { return m_values; }
    bool UpdateData(bool saveAndValidate) override;
    int securityIndex() const override;
    void setSecurityIndex(int index) override;
    bool isAccessPoint() const override;
    bool isAdHoc() const override;
    void setAccessType(bool accessPoint, bool adHoc) override;
    QString selectedPort() const override;
    QString selectedLanguageText() const override;
    int GetLanguage() const override { return m_nLangOffset; }
    void setKeyEnabled(bool enabled) override;
    void focusKey() override;
    void UpdateSecurityFields() override;
    void showDamping() override;
    void beginWaitCursor() override;
    void endWaitCursor() override;

    // Settings file.
    QString GetSettingsPath() const;
    int ReadLanguageSetting();
    void WriteLanguageSetting(int offset);
    int ReadLogSetting();
    bool RestoreLogSetting();
    void SavePortSetting(const QString& text);

    // Languages, title and tooltips.
    // Takes every value from the controls whole, without the limits and without
    // a message, so that showing the values again keeps what the user typed.
    void TakeTypedValues();
    void SetLanguage(int offset);
    void ApplyLanguage();
    // The title from the language and the logging switch; nothing else changes.
    void UpdateTitle();
    void InitToolTips();

    // Port list.
    void OnDropdownPort();
    void FillPortListAutomatic();
    void FillPortListManual(int count);
    void RestorePortSetting();

    // The value members of the labels that follow the language.
    QString m_strPortLabel;
    QString m_strChannelLabel;
    QString m_strSecurityLabel;
    QString m_strKeyLabel;
    QString m_strLanguageLabel;
    QString m_strDampingLabel;

public slots:
    void OnConfigure();
    void OnReadOut();
    void OnNetsearch();
    void OnChooseCertificate();
    void OnSelchangeLanguage();
    void OnSelchangePort();
    // The Quit button: takes the values and closes only when they are within the limits.
    void OnOK();

public:
    // Puts text into a field as the program does: whole, even over the field's limit.
    static void setEditText(QLineEdit* edit, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    QWidget* createControl(const TemplateControl& row, QWidget* parent);
    template <class T> T* find(int id) const { return qobject_cast<T*>(m_controls.value(id)); }
    // Takes the values from the controls; with checkLimits false every value is
    // taken whole, without a message.
    bool takeValues(bool checkLimits);
    bool takeEdit(QLineEdit* edit, QString& value, int maxChars, bool checkLimits);
    void showValues();
    void fitLabels() const;
    // Names every control for a screen reader by its label as it reads now.
    void updateAccessibleNames();
    void onSecurityIndexChanged(int index);
    void onSecurityEntryChosen(int index);

    CSetupApp& m_app;
    Services& m_services;
    // The automatic port search of the initialisation, started with the form so
    // that it runs beside the construction; taken where the list is filled.
    std::future<QList<PortInfo>> m_startPorts;

    // Controls.
    QVBoxLayout* m_layout = nullptr;
    QWidget* m_client = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QHash<int, QWidget*> m_controls;
    QLabel* m_labelPassword = nullptr;
    QLabel* m_labelUser = nullptr;
    QLabel* m_labelCert = nullptr;
    QLabel* m_labelDomain = nullptr;
    QLineEdit* m_editUser = nullptr;
    QLineEdit* m_editDomain = nullptr;
    QLineEdit* m_editPassword = nullptr;
    QPushButton* m_btnCert = nullptr;
    QLabel* m_labelDampingValue = nullptr;
    QLabel* m_labelDamping = nullptr;
    PortComboBox* m_comboPort = nullptr;
    QLineEdit* m_editKey = nullptr;
    QPushButton* m_btnReadOut = nullptr;
    QPushButton* m_btnQuit = nullptr;
    QComboBox* m_comboLanguage = nullptr;
    QPushButton* m_btnConfigure = nullptr;
    QPushButton* m_btnNetsearch = nullptr;
    CTipComboBox* m_comboSecurity = nullptr;
    QRadioButton* m_radioAccessPoint = nullptr;
    QRadioButton* m_radioAdHoc = nullptr;
    QLineEdit* m_editSsid = nullptr;
    QLineEdit* m_editChannel = nullptr;
    QLabel* m_labelPort = nullptr;
    QLabel* m_labelChannel = nullptr;
    QLabel* m_labelSecurity = nullptr;
    QLabel* m_labelKey = nullptr;
    QLabel* m_labelLanguage = nullptr;
    FieldValidator* m_keyValidator = nullptr;

    // Qt's own texts (file dialog, message box buttons) in the UI's language.
    QtTranslations m_qtTexts;

    // Values.
    FormValues m_values;
    QIcon m_hIcon;
    int m_nLangOffset = 0;
    QString m_szSettingsPath;
    std::optional<Settings> m_settings;
    bool m_bInitDone = false;

    // The adapter's port and the commands that use it.
    ModuleLink m_link;
    CertificateStore m_cert;
    ConfigureCommand m_configure;
    QProgressBar* m_progress = nullptr;
    bool m_bSettingSecurity = false; // the program sets the security combo
    int m_nRulesIndex = -2;          // the type the field rules were last applied for
};

} // namespace velinor
