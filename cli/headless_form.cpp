#include "cli/headless_form.h"

#include "base/field_rules.h"
#include "base/prompts.h"
#include "base/security_type.h"
#include "base/ui_text.h"

namespace velinor::cli {

bool HeadlessForm::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        // Showing the values selects the first type that begins with the stored text.
        if (!m_values.m_strSecurityType.isEmpty()) {
            // (Past the list a name is empty, which begins with no stored text.)
            for (int i = 0; i < security::kCount; ++i) { // mutants: skip
                if (security::name(i).startsWith(m_values.m_strSecurityType)) {
                    m_security = i;
                    break;
                }
            }
        }
        return true;
    }
    m_values.m_strSecurityType = security::name(m_security);
    // The limits in the order in which the form checks its fields.
    const std::pair<const QString*, int> limits[] = {
        {&m_values.m_strKey, kKeyMaxChars},
        {&m_values.m_strChannel, kChannelMaxChars},
        {&m_values.m_strSsid, kSsidMaxChars},
    };
    for (const auto& [value, maxChars] : limits) {
        // The adapter's limits: bytes of the UTF-8 that the command carries.
        if (Utf8Size(*value) > maxChars) {
            m_prompts.message(MaxCharsMessage(maxChars, m_language), PromptIcon::Warning);
            return false;
        }
    }
    return true;
}

void HeadlessForm::setSecurityIndex(int index) {
    m_security = index >= 0 && index < security::kCount ? index : -1;
}

void HeadlessForm::setAccessType(bool accessPoint, bool adHoc) {
    m_accessPoint = accessPoint;
    m_adHoc = adHoc;
    m_accessTypeSet = true;
}

QString HeadlessForm::selectedLanguageText() const {
    return m_language == kEnglish ? QStringLiteral("English") : QStringLiteral("Deutsch");
}

} // namespace velinor::cli
