#include "scan/scanner.h"

#include "base/main_form.h"
#include "base/prompts.h"
#include "base/ui_text.h"
#include "link/commands.h"
#include "link/module_link.h"
#include "log/log_writer.h"

namespace velinor {

namespace {
constexpr char kNoNetworks[] = "AT+IRP20\r\nI/OK";
constexpr int kTextNoNetworks = 523;
constexpr int kTextError = 524;
constexpr int kTextTimeout = 525;
} // namespace

Scanner::Scanner(ModuleLink& link, Prompts& prompts, EventLog& log, MainForm& form)
    : m_link(link), m_prompts(prompts), m_log(log), m_form(form) {}

Scanner::Outcome Scanner::ScanNetworks() {
    SerialPort* port = m_link.GetPortHandle();

    // Whatever an earlier command left unread would be taken for the scan's reply.
    m_link.DiscardInput(port);
    m_link.WritePort(port, cmd::Scan());

    m_entries.clear();
    m_nEntryCount = 0;

    // The reply may come in several reads: each read is added to what the
    // earlier reads of this scan received, up to the buffer's size.
    QByteArray received;
    // Once the buffer is full, what follows is not kept, but the end of the
    // reply is still looked for in it: an overlong list ends with the lines that fit.
    QByteArray beyond;
    bool okBeyond = false;
    bool errorBeyond = false;
    auto readMore = [&] {
        m_link.pause(kPollPauseMs);
        const QByteArray chunk = m_link.ReadPort(port);
        const qsizetype room = qMax<qsizetype>(0, ModuleLink::kBufferSize - received.size());
        received.append(chunk.left(room));
        if (chunk.size() > room) {
            constexpr qsizetype kKeep = sizeof("I/ERROR") - 2; // a token cut by the read
            beyond =
                (beyond.isEmpty() ? received.right(kKeep) : beyond.right(kKeep)) + chunk.mid(room);
            okBeyond = okBeyond || beyond.contains("I/OK");
            errorBeyond = errorBeyond || beyond.contains("I/ERROR");
        }
    };

    auto show = [&](int id, PromptIcon icon, Outcome outcome) {
        m_prompts.message(UiText(id, m_nLangOffset), icon);
        return outcome;
    };

    readMore();
    if (m_link.stopRequested())
        return Outcome::Stopped;
    int attempts = 1;
    m_link.reportShare(attempts, kMaxReads);
    if (received.contains(kNoNetworks))
        return show(kTextNoNetworks, PromptIcon::Information, Outcome::NoNetworks);
    for (;;) {
        if (received.contains("I/OK") || okBeyond)
            break;
        if (received.contains("I/ERROR") || errorBeyond)
            return show(kTextError, PromptIcon::Error, Outcome::Error);
        if (attempts >= kMaxReads)
            return show(kTextTimeout, PromptIcon::Error, Outcome::Timeout);
        readMore();
        if (m_link.stopRequested())
            return Outcome::Stopped;
        ++attempts;
        m_link.reportShare(attempts, kMaxReads);
        if (received.contains(kNoNetworks))
            return show(kTextNoNetworks, PromptIcon::Information, Outcome::NoNetworks);
    }

    const ScanReply reply = ParseScanReply(received);
    for (qsizetype i = 0; i < reply.entries.size(); ++i) {
        m_log.entry({QString::fromUtf8(reply.lines.at(i)), QStringLiteral("\n")});
        m_entries.append(reply.entries.at(i));
        ++m_nEntryCount;
    }
    // (Without a network no list is shown, and the form sets the key field again afterwards.)
    if (m_nEntryCount > 0) // mutants: skip
        m_form.setKeyEnabled(true);
    return Outcome::Networks;
}

} // namespace velinor
