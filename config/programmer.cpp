#include "config/programmer.h"

#include "base/main_form.h"
#include "base/prompts.h"
#include "base/security_type.h"
#include "base/ui_text.h"
#include "config/certificate.h"
#include "link/commands.h"
#include "link/module_link.h"
#include "link/serial_port.h"
#include "log/log_writer.h"

namespace velinor {
namespace {

constexpr int kNoPortHandle = 1;
constexpr int kSsidFailed = 8;
constexpr int kSecurityFailed = 9;
constexpr int kKeyFailed = 10;
constexpr int kChannelFailed = 11;
constexpr int kRestartFailed = 12;
constexpr int kFactoryDefaultsFailed = 17;
constexpr int kHostInterfaceFailed = 18;
constexpr int kBaudRateFailed = 19;
constexpr int kBridgeModeFailed = 20;
constexpr int kKeyTimeout = 21;
constexpr int kSaved = 28;
constexpr int kCertificateFailed = 36;

} // namespace

AdapterProgrammer::AdapterProgrammer(MainForm& form, ModuleLink& link,
                                     const CertificateStore& certificate, Prompts& prompts,
                                     EventLog& log)
    : m_form(form), m_link(link), m_certificate(certificate), m_prompts(prompts), m_log(log) {}

void AdapterProgrammer::message(int textId) {
    m_prompts.message(UiText(textId, m_form.GetLanguage()), PromptIcon::None);
}

void AdapterProgrammer::ResetAdapterDefaults() {
    SerialPort* port = m_link.GetPortHandle();
    m_stopped = false;
    const std::pair<QByteArray, int> commands[] = {
        {cmd::FactoryDefaults(), kFactoryDefaultsFailed},
        {cmd::HostInterfaceUsb(), kHostInterfaceFailed},
        {cmd::SetBaudRate(), kBaudRateFailed},
    };
    for (const auto& [command, failureId] : commands) {
        if (m_link.SendCommand(port, command))
            continue;
        if (m_link.stopRequested()) {
            m_stopped = true;
            return;
        }
        message(failureId);
    }
}

bool AdapterProgrammer::fail(int failureId) {
    message(failureId);
    m_log.entry({UiText(failureId, m_form.GetLanguage()), QStringLiteral("\n")});
    return false;
}

bool AdapterProgrammer::step(SerialPort* port, const QByteArray& command, int failureId) {
    if (m_link.SendCommand(port, command))
        return true;
    if (m_link.stopRequested()) {
        m_stopped = true;
        return false;
    }
    return fail(failureId);
}

QByteArray AdapterProgrammer::keyCommand() const {
    const FormValues& v = m_form.values();
    const QByteArray key = v.m_strKey.toUtf8();
    switch (security::indexOf(v.m_strSecurityType)) {
    case security::kWep:
    case security::kWep128:
        return cmd::SetWepKey(key);
    case security::kWpa:
    case security::kWpa2:
        return cmd::SetPassphrase(key);
    default:
        return {};
    }
}

AdapterProgrammer::KeyReply AdapterProgrammer::AwaitKeyReply(SerialPort* port,
                                                             const QByteArray& command) {
    // A late reply to an earlier command must not be taken for the key's answer.
    m_link.DiscardInput(port);
    m_link.WritePort(port, command); // a failed write simply runs into the time-out
    // A read window can end in the middle of the status token: the end of the
    // previous read is kept in front of the next one.
    const qsizetype keep = qsizetype(sizeof("I/ERROR")) - 2;
    QByteArray carried;
    for (int read = 1; read <= kKeyReads; ++read) {
        m_link.pause(kKeyPauseMs);
        if (m_link.stopRequested())
            return KeyReply::Stopped;
        const QByteArray reply = carried + m_link.ReadPort(port);
        m_link.reportShare(read, kKeyReads);
        if (reply.contains("I/OK"))
            return KeyReply::Ok;
        if (reply.contains("I/ERROR"))
            return KeyReply::Error;
        carried = reply.right(keep);
    }
    return KeyReply::Timeout;
}

bool AdapterProgrammer::accessPointSequence(SerialPort* port, int digit) {
    const FormValues& v = m_form.values();
    if (security::isEnterprise(m_form.securityIndex())) {
        if (!step(port, cmd::SetSecurity(security::kNone), kSecurityFailed))
            return false;
        const QByteArray certificate = m_certificate.certificate().value_or(QByteArray());
        if (!step(port, cmd::SetCertificate(certificate), kCertificateFailed))
            return false;
        if (!step(port, cmd::SetEnterpriseUser(v.m_strDomain.toUtf8(), v.m_strUser.toUtf8()),
                  kCertificateFailed))
            return false;
    }
    if (!step(port, cmd::SetSsid(v.m_strSsid.toUtf8()), kSsidFailed))
        return false;
    if (!step(port, cmd::SetSecurity(digit), kSecurityFailed))
        return false;
    if (!step(port, cmd::SetChannel(v.m_strChannel.toUtf8()), kChannelFailed))
        return false;
    if (security::isEnterprise(m_form.securityIndex()))
        return true;
    return keyStep(port);
}

bool AdapterProgrammer::keyStep(SerialPort* port) {
    const QByteArray key = keyCommand();
    if (key.isEmpty())
        return true;
    switch (AwaitKeyReply(port, key)) {
    case KeyReply::Ok:
        return true;
    case KeyReply::Error:
        return fail(kKeyFailed);
    case KeyReply::Timeout:
        return fail(kKeyTimeout);
    case KeyReply::Stopped:
        m_stopped = true;
        return false;
    }
    return false; // mutants: skip (every reply returns above)
}

bool AdapterProgrammer::adHocSequence(SerialPort* port, int digit) {
    const FormValues& v = m_form.values();
    if (!step(port, cmd::SetChannel(v.m_strChannel.toUtf8()), kChannelFailed))
        return false;
    if (!step(port, cmd::SetSecurity(digit), kSecurityFailed))
        return false;
    // The adapter answers a key many seconds late in either mode: a single read
    // after one second would call an accepted key a failure.
    if (!keyStep(port))
        return false;
    return step(port, cmd::SetSsid('!' + v.m_strSsid.toUtf8()), kSsidFailed);
}

int AdapterProgrammer::commandCount() const {
    const int index = m_form.securityIndex();
    const bool hasKey = index >= security::kWep && index <= security::kWpa2;
    constexpr int kPreparatory = 3;
    constexpr int kClosing = 2; // bridge mode and restart
    int sequence = 0;
    if (m_form.isAccessPoint())
        sequence = (security::isEnterprise(index) ? 3 : 0) + 3 + (hasKey ? 1 : 0);
    else if (m_form.isAdHoc())
        sequence = 3 + (hasKey ? 1 : 0);
    return kPreparatory + sequence + kClosing;
}

bool AdapterProgrammer::ProgramAdapter(SerialPort* port) {
    m_stopped = false;
    if (!port || !port->isOpen()) {
        message(kNoPortHandle);
        m_log.entry(m_form.GetLanguage() == kGerman
                        ? QStringLiteral("Konnte COM Port nicht öffnen\n")
                        : QStringLiteral("Can not open COM port\n"));
        return false;
    }

    const int digit = security::indexOf(m_form.values().m_strSecurityType);
    if (!m_form.isAccessPoint() && !m_form.isAdHoc())
        return false;
    // Without a known security type there is no digit to send.
    if (digit < 0)
        return fail(kSecurityFailed);
    if (!(m_form.isAccessPoint() ? accessPointSequence(port, digit) : adHocSequence(port, digit)))
        return false;

    if (!step(port, cmd::BridgeMode(), kBridgeModeFailed))
        return false;
    if (!step(port, cmd::Restart(), kRestartFailed))
        return false;

    port->close();
    if (m_link.GetPortHandle() == port)
        m_link.SetPortHandle(nullptr);
    message(kSaved);
    m_log.entry(m_form.GetLanguage() == kGerman ? QStringLiteral("Konfiguration erfolgreich\n")
                                                : QStringLiteral("Configuration successful\n"));
    return true;
}

} // namespace velinor
