#include "config/input_checks.h"

#include "base/field_rules.h"
#include "base/main_form.h"
#include "base/prompts.h"
#include "base/security_type.h"
#include "base/ui_text.h"
#include "config/certificate.h"
#include "log/log_writer.h"

#include <algorithm>
#include <climits>

namespace velinor {
namespace {

constexpr int kNoAccessType = 2;
constexpr int kNoSsid = 3;
constexpr int kNoChannel = 4;
constexpr int kInvalidChannel = 5;
constexpr int kNoEncryption = 6;
constexpr int kNoKey = 7;
constexpr int kNoUser = 30;
constexpr int kNoPassword = 32;
constexpr int kEnterpriseAdHoc = 34;
constexpr int kNoValidCertificate = 35;
constexpr int kKeyForbiddenChar = 527;
constexpr int kKeyNotHex = 528;
constexpr int kWepLength = 529;
constexpr int kWep128Length = 530;
constexpr int kWpaLength = 531;

constexpr int kValidChannels[] = {1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,
                                  14,  36,  40,  44,  48,  52,  56,  60,  64,  100, 104, 108, 112,
                                  116, 120, 124, 128, 132, 136, 140, 147, 151, 155, 167};

bool isHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
}

bool isCSpace(char16_t u) {
    return u == ' ' || (u >= '\t' && u <= '\r');
}

} // namespace

InputChecks::InputChecks(MainForm& form, CertificateStore& certificate, Prompts& prompts,
                         EventLog& log)
    : m_form(form), m_certificate(certificate), m_prompts(prompts), m_log(log) {}

bool InputChecks::IsValidChannel(int channel) {
    return std::find(std::begin(kValidChannels), std::end(kValidChannels), channel) !=
           std::end(kValidChannels);
}

int InputChecks::ChannelNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && isCSpace(text.at(i).unicode()))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    // Accumulated with saturation: an overlong number cannot overflow.
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < '0' || u > '9')
            break;
        value = std::min<long long>(value * 10 + (u - '0'), 1LL + INT_MAX);
    }
    if (negative)
        value = -value;
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void InputChecks::refuseKey(int textId) {
    m_prompts.message(UiText(textId, m_form.GetLanguage()), PromptIcon::Warning);
    m_form.UpdateData(true);
    m_form.values().m_strKey.clear();
    m_form.UpdateData(false);
    m_form.focusKey();
}

bool InputChecks::ValidateKey() {
    const QString& key = m_form.values().m_strKey;
    // The lengths are those of the command: bytes of UTF-8.
    const qsizetype bytes = Utf8Size(key);
    const int index = m_form.securityIndex();
    if (index == security::kWep && bytes != 10) {
        refuseKey(kWepLength);
        return false;
    }
    if (index == security::kWep128 && bytes != 26) {
        refuseKey(kWep128Length);
        return false;
    }
    if (index == security::kWep || index == security::kWep128) {
        if (!std::all_of(key.begin(), key.end(), isHexDigit)) {
            refuseKey(kKeyNotHex);
            return false;
        }
    }
    if (index >= security::kWpa && index <= security::kWpa2Enterprise &&
        (key.contains(u':') || key.contains(u'?'))) {
        refuseKey(kKeyForbiddenChar);
        return false;
    }
    if ((index == security::kWpa || index == security::kWpa2) && (bytes < 8 || bytes > 63)) {
        refuseKey(kWpaLength);
        return false;
    }
    return true;
}

void InputChecks::formMessage(int textId, const char* englishLog, const char* germanLog) {
    const int language = m_form.GetLanguage();
    m_prompts.message(UiText(textId, language), PromptIcon::None);
    m_log.entry(QString::fromUtf8(language == kGerman ? germanLog : englishLog));
}

bool InputChecks::ValidateForm() {
    const FormValues& v = m_form.values();
    const bool enterprise = security::isEnterprise(m_form.securityIndex());

    if (enterprise && m_form.isAdHoc()) {
        formMessage(kEnterpriseAdHoc, "WPA Enterprise and Ad-Hoc selected\n",
                    "WPA Enterprise und Ad-Hoc ausgewählt\n");
        return false;
    }
    if (enterprise && v.m_strUser.isEmpty()) {
        formMessage(kNoUser, "No Username input\n", "Es wurde kein Benutzername eingetragen\n");
        return false;
    }
    if (enterprise && v.m_strPassword.isEmpty()) {
        formMessage(kNoPassword, "No password input\n", "Es wurde kein Passwort eingetragen\n");
        return false;
    }
    if (enterprise && !m_certificate.CheckCertificate(m_certificate.certificate())) {
        m_log.entry({UiText(kNoValidCertificate, m_form.GetLanguage()), QStringLiteral("\n")});
        return false;
    }
    if (!m_form.isAccessPoint() && !m_form.isAdHoc()) {
        formMessage(kNoAccessType, "No Access type selected\n", "Keine Zugangsart ausgewählt\n");
        return false;
    }
    if (v.m_strSsid.isEmpty()) {
        formMessage(kNoSsid, "SSID is empty\n", "SSID ist leer\n");
        return false;
    }
    if (v.m_strChannel.isEmpty() && !m_form.isAccessPoint()) {
        formMessage(kNoChannel, "Channel is empty and ad hoc is selected\n",
                    "Kanal ist leer und Ad Hoc ist ausgewählt\n");
        return false;
    }
    if (!IsValidChannel(ChannelNumber(v.m_strChannel))) {
        // A notice only: the adapter may know channels that this list does not.
        formMessage(kInvalidChannel, "Channel is invalid\n", "Kanal ist ungültig\n");
    }
    if (v.m_strSecurityType.isEmpty()) {
        formMessage(kNoEncryption, "No encryption selected\n",
                    "Verschlüsselung wurde nicht ausgewählt\n");
        return false;
    }
    // mutants: off (the key's own check, which runs first, refuses an empty key already)
    if (v.m_strKey.isEmpty() && !v.m_strSecurityType.startsWith(QLatin1String("NONE")) &&
        m_form.securityIndex() < security::kWpaEnterprise) {
        formMessage(kNoKey, "Encryption active but no key input\n",
                    "Verschlüsselung aktiv aber kein Schlüssel eingetragen\n");
        return false;
    }
    // mutants: on
    return true;
}

} // namespace velinor
