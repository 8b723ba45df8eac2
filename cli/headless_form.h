#pragma once

#include "base/main_form.h"

#include <QString>

namespace velinor {

class Prompts;

namespace cli {

// The main form without a window: the values of the command line, one port,
// and the language. Taking the values checks the form's three length limits
// and tells a value over its limit through the prompts.
class HeadlessForm : public MainForm {
public:
    explicit HeadlessForm(Prompts& prompts) : m_prompts(prompts) {}

    FormValues& values() override { return m_values; }
    bool UpdateData(bool saveAndValidate) override;
    int securityIndex() const override { return m_security; }
    void setSecurityIndex(int index) override;
    bool isAccessPoint() const override { return m_accessPoint; }
    bool isAdHoc() const override { return m_adHoc; }
    void setAccessType(bool accessPoint, bool adHoc) override;
    QString selectedPort() const override { return m_port; }
    QString selectedLanguageText() const override;
    int GetLanguage() const override { return m_language; }
    void setKeyEnabled(bool) override {}
    void focusKey() override {}
    void UpdateSecurityFields() override {}
    void showDamping() override {}

    void setPort(const QString& port) { m_port = port; }
    void setLanguage(int offset) { m_language = offset; }
    // Whether setAccessType was called since the last clearAccessTypeSet().
    bool accessTypeSet() const { return m_accessTypeSet; }
    void clearAccessTypeSet() { m_accessTypeSet = false; }

private:
    Prompts& m_prompts;
    FormValues m_values;
    int m_security = -1;
    bool m_accessPoint = false;
    bool m_adHoc = false;
    bool m_accessTypeSet = false;
    QString m_port;
    int m_language = 0;
};

} // namespace cli
} // namespace velinor
