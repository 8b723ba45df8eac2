#include "config/readout.h"

#include "base/main_form.h"
#include "base/security_type.h"
#include "base/ui_text.h"
#include "link/commands.h"
#include "link/module_link.h"
#include "log/log_writer.h"
#include "scan/scan_parser.h"

namespace velinor {

namespace {

// Where the value starts: past the "?" of the echo and its two-character line end.
// -1 when the reply is not a successful query reply.
qsizetype valueStart(const QByteArray& reply) {
    if (!ModuleLink::HasOk(reply))
        return -1;
    const qsizetype question = reply.indexOf('?');
    return question < 0 ? -1 : question + 3;
}

} // namespace

ReadOut::ReadOut(MainForm& form, ModuleLink& link, EventLog& log,
                 std::function<bool(int attempts)> openSelectedPort)
    : m_form(form), m_link(link), m_log(log), m_openSelectedPort(std::move(openSelectedPort)) {}

void ReadOut::OnReadOut() {
    // The probe of the port and the four queries.
    m_link.beginSteps(1 + 4);
    if (!m_openSelectedPort || !m_openSelectedPort(kOpenAttempts))
        return;
    ReadOutSettings();
    m_link.ClosePort();
}

void ReadOut::ReadOutSettings() {
    SerialPort* port = m_link.GetPortHandle();
    // mutants: off (the type read below replaces the cleared one before anything is shown)
    m_form.setSecurityIndex(-1);
    // mutants: on
    m_form.UpdateData(true);
    FormValues& v = m_form.values();

    v.m_strSsid = QuerySsid(port);

    const qint32 security = QuerySecurityType(port);
    const int selection = security >= 0 && security < security::kCount ? int(security) : -1;
    m_form.setSecurityIndex(selection);
    m_form.setKeyEnabled(m_form.securityIndex() != security::kNone);

    v.m_strChannel = QString::number(QueryChannel(port));

    const qint32 access = QueryAccessType(port);
    // Stopped: what was not read is left out, nothing is logged.
    if (m_link.stopRequested())
        return;
    if (access == 0)
        m_form.setAccessType(false, true);
    else if (access == 1)
        m_form.setAccessType(true, false);

    if (m_log.active()) {
        const bool en = m_form.GetLanguage() == kEnglish;
        auto t = [en](const char* english, const char* german) {
            return QString::fromUtf8(en ? english : german);
        };
        m_log.entry({t("* Read out: *", "* Auslesen: *"), QStringLiteral("\nSSID: "), v.m_strSsid,
                     t("\nEncryption: ", "\nVerschlüsselung: "),
                     security::name(m_form.securityIndex()), t("\nChannel: ", "\nKanal: "),
                     v.m_strChannel, t("\nAccess type: ", "\nZugriffsverfahren: "),
                     access == 0 ? QStringLiteral("Ad Hoc") : QStringLiteral("Access Point"),
                     QStringLiteral("\n")});
    }

    // The combo shows the adapter's type after the values are shown again.
    v.m_strSecurityType = security::name(selection);
    m_form.UpdateData(false);
    // (The forms select that very type when shown the name: this is for one that does not.)
    // mutants: off
    if (m_form.securityIndex() != selection)
        m_form.setSecurityIndex(selection);
    // mutants: on
}

QByteArray ReadOut::query(SerialPort* port, const QByteArray& command) {
    m_link.DiscardInput(port);
    m_link.WritePort(port, command);
    m_link.pause(kReadPauseMs);
    if (m_link.stopRequested())
        return {};
    return m_link.ReadPort(port);
}

QString ReadOut::QuerySsid(SerialPort* port) {
    bool ok = false;
    QString ssid = ParseSsidReply(query(port, cmd::QuerySsid()), &ok);
    if (!ok)                     // mutants: skip (nothing reads the port's error)
        m_link.ClearLastError(); // mutants: skip (nothing reads the port's error)
    return ssid;
}

qint32 ReadOut::QuerySecurityType(SerialPort* port) {
    bool ok = false;
    const qint32 value = ParseNumberReply(query(port, cmd::QuerySecurity()), &ok);
    if (!ok)                     // mutants: skip (nothing reads the port's error)
        m_link.ClearLastError(); // mutants: skip (nothing reads the port's error)
    return value;
}

qint32 ReadOut::QueryChannel(SerialPort* port) {
    bool ok = false;
    const qint32 value = ParseNumberReply(query(port, cmd::QueryChannel()), &ok);
    if (!ok)                     // mutants: skip (nothing reads the port's error)
        m_link.ClearLastError(); // mutants: skip (nothing reads the port's error)
    return value;
}

qint32 ReadOut::QueryAccessType(SerialPort* port) {
    const qint32 value = ParseAccessTypeReply(query(port, cmd::QuerySsid()));
    if (value < 0)               // mutants: skip (nothing reads the port's error)
        m_link.ClearLastError(); // mutants: skip (nothing reads the port's error)
    return value;
}

qint32 ReadOut::ParseNumberReply(const QByteArray& reply, bool* ok) {
    const qsizetype start = valueStart(reply);
    if (ok)
        *ok = start >= 0; // mutants: skip (a value starts past the "?" or not at all)
    if (start < 0)        // mutants: skip (a value starts past the "?": never at 0)
        return -1;
    return ParseLeadingInt(reply, start);
}

QString ReadOut::ParseSsidReply(const QByteArray& reply, bool* ok) {
    if (ok)
        *ok = false;
    qsizetype start = valueStart(reply);
    // (A value starts past the "?"; one at the very end is empty either way.)
    if (start < 0 || start > reply.size()) // mutants: skip
        return {};
    // An ad hoc network's SSID is stored with a leading "!"; the name has no mark.
    // mutants: off (at the end, at() gives the closing zero, which is no "!")
    if (start < reply.size() && reply.at(start) == '!')
        ++start;
    // mutants: on
    // The value ends with the line end before the query's own "I/OK". Without
    // that status line the value has no end and the query counts as failed.
    const qsizetype status = reply.indexOf("I/OK", start);
    if (status < 0) // mutants: skip (the status is searched from past the "?")
        return {};
    if (ok)         // mutants: skip (ok only clears the port's error, which nothing reads)
        *ok = true; // mutants: skip
    const qsizetype end = status - 2;
    if (end <= start) // mutants: skip (an empty value is empty either way)
        return {};
    return QString::fromUtf8(reply.mid(start, end - start));
}

qint32 ReadOut::ParseAccessTypeReply(const QByteArray& reply) {
    if (!ModuleLink::HasOk(reply))
        return -1; // mutants: skip (any other number than 0 and 1 leaves the buttons alike)
    const qsizetype start = valueStart(reply);
    // mutants: off (the echo comes first: no value starts the reply)
    return start >= 0 && start < reply.size() && reply.at(start) == '!' ? 0 : 1;
    // mutants: on
}

} // namespace velinor
