#include "scan/netsearch.h"

#include "base/main_form.h"
#include "base/security_type.h"
#include "link/module_link.h"

namespace velinor {

Netsearch::Netsearch(MainForm& form, ModuleLink& link,
                     std::function<bool(int attempts)> openSelectedPort,
                     std::function<int()> runDialog)
    : m_form(form), m_link(link), m_openSelectedPort(std::move(openSelectedPort)),
      m_runDialog(std::move(runDialog)) {}

int Netsearch::securityIndexOf(int result) {
    const int index = result - kFirstTypeResult;
    return index >= 0 && index < security::kCount ? index : -1;
}

int Netsearch::resultForTypeText(const QString& text) {
    static constexpr int kSearchOrder[security::kCount] = {
        security::kWpa2Enterprise, security::kWpaEnterprise, security::kWpa2, security::kWpa,
        security::kWep128,         security::kWep,           security::kNone,
    };
    for (const int index : kSearchOrder) {
        if (text.contains(QLatin1String(security::kNames[index])))
            return kFirstTypeResult + index;
    }
    return kUnknownTypeResult;
}

void Netsearch::OnNetsearch() {
    if (!m_openSelectedPort || !m_openSelectedPort(kOpenAttempts))
        return;
    const int result = m_runDialog ? m_runDialog() : kCancelResult;
    // Cancel keeps the user's choice of security type.
    if (result != kCancelResult)
        m_form.setSecurityIndex(securityIndexOf(result));
    m_form.UpdateSecurityFields();
    m_link.ClosePort();
}

} // namespace velinor
