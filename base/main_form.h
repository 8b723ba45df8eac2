#pragma once

#include <QString>

namespace velinor {

// The value members of the main form, exchanged with its controls by UpdateData.
struct FormValues {
    QString m_strSecurityType;
    QString m_strKey;
    QString m_strChannel;
    QString m_strDamping;
    QString m_strUser;
    QString m_strPassword;
    QString m_strDomain;
    QString m_strSsid;
};

// What the workflows (Configure, Read out, Netsearch) need of the main form.
// CSetupDlg implements it on its widgets; tests implement it on plain members.
class MainForm {
public:
    // The length limits that UpdateData(true) checks.
    static constexpr int kSsidMaxChars = 32;
    static constexpr int kKeyMaxChars = 63;
    static constexpr int kChannelMaxChars = 3;

    virtual ~MainForm() = default;

    virtual FormValues& values() = 0;
    // true: take the values from the controls, with the three length limits
    // (SSID 32, key 63, channel 3); false when a value is over its limit (the
    // form has told the user and focused the field). false: show the values.
    virtual bool UpdateData(bool saveAndValidate) = 0;

    // The security-type combo's selected item, -1 when none; set -1 to clear.
    virtual int securityIndex() const = 0;
    virtual void setSecurityIndex(int index) = 0;
    // The two radio buttons, asked from and set on the controls.
    virtual bool isAccessPoint() const = 0;
    virtual bool isAdHoc() const = 0;
    virtual void setAccessType(bool accessPoint, bool adHoc) = 0;
    // The selected item of the port combo; empty when none is selected.
    virtual QString selectedPort() const = 0;
    // The selected item of the language combo; empty when none is selected.
    virtual QString selectedLanguageText() const = 0;
    // 0 German, 10000 English.
    virtual int GetLanguage() const = 0;

    virtual void setKeyEnabled(bool enabled) = 0;
    virtual void focusKey() = 0;
    virtual void UpdateSecurityFields() = 0;
    // Shows the damping label and value; they stay visible from then on.
    virtual void showDamping() = 0;
    // The application's wait cursor, for example while a file is read; the
    // calls nest. A form without a pointer has nothing to show.
    virtual void beginWaitCursor() {}
    virtual void endWaitCursor() {}
};

} // namespace velinor
