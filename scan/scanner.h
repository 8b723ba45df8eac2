#pragma once

#include "scan/scan_parser.h"

#include <QList>

namespace velinor {

class EventLog;
class MainForm;
class ModuleLink;
class Prompts;

// The network scan on the open port of the adapter, and the records it found.
class Scanner {
public:
    static constexpr int kPollPauseMs = 2000;
    static constexpr int kMaxReads = 20;

    enum class Outcome {
        Networks,   // the reply was parsed (possibly into no records)
        NoNetworks, // 523
        Error,      // 524
        Timeout,    // 525
        Stopped,    // a stop was requested through the link; no message
    };

    Scanner(ModuleLink& link, Prompts& prompts, EventLog& log, MainForm& form);

    // The language offset added to the message ids: 0 German, 10000 English.
    void setLanguage(int offset) { m_nLangOffset = offset; }
    int language() const { return m_nLangOffset; }

    // Sends the scan command on the port held by the link, polls for the reply
    // and stores one record per network line. The records of an earlier scan
    // are dropped first. Shows at most one message.
    Outcome ScanNetworks();

    const QList<ScanEntry>& entries() const { return m_entries; }
    int entryCount() const { return m_nEntryCount; }

private:
    ModuleLink& m_link;
    Prompts& m_prompts;
    EventLog& m_log;
    MainForm& m_form;
    int m_nLangOffset = 0;
    QList<ScanEntry> m_entries;
    int m_nEntryCount = 0;
};

} // namespace velinor
