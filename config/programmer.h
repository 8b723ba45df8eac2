#pragma once

#include <QByteArray>

namespace velinor {

class CertificateStore;
class EventLog;
class MainForm;
class ModuleLink;
class Prompts;
class SerialPort;

// Writes the form's settings into the adapter and makes it restart with them.
class AdapterProgrammer {
public:
    static constexpr int kKeyReads = 300;
    static constexpr int kKeyPauseMs = 100;

    enum class KeyReply { Ok, Error, Timeout, Stopped };

    AdapterProgrammer(MainForm& form, ModuleLink& link, const CertificateStore& certificate,
                      Prompts& prompts, EventLog& log);

    // "AT+IFD\r", "AT+IHIF=4\r", "AT+IBDRF=9\r" on the stored port; a failure shows
    // its message and the next command is sent all the same. A stop requested through
    // the link ends it without a message.
    void ResetAdapterDefaults();
    // The access-point or ad hoc sequence, bridge mode and restart. On true the
    // port has been closed; on false it is left open for the caller to close.
    bool ProgramAdapter(SerialPort* port);
    // The number of commands that ResetAdapterDefaults and ProgramAdapter write
    // when every step succeeds, for the form's settings.
    int commandCount() const;
    // Whether the last ResetAdapterDefaults or ProgramAdapter ended because a stop was
    // requested through the link (no message then: the caller tells where it stopped).
    bool stopped() const { return m_stopped; }
    // Writes the key command (pending input is thrown away first) and reads up to 300 times, each
    // read after a 100 ms pause and judged with the last bytes of the read before it, so
    // that a status token cut in two by a read window is still found.
    KeyReply AwaitKeyReply(SerialPort* port, const QByteArray& command);

private:
    bool accessPointSequence(SerialPort* port, int digit);
    bool adHocSequence(SerialPort* port, int digit);
    // The key command of the security type through the key wait; true without one.
    bool keyStep(SerialPort* port);
    // SendCommand; on failure the message and its log entry, and false.
    bool step(SerialPort* port, const QByteArray& command, int failureId);
    bool fail(int failureId);
    void message(int textId);
    // The key command of the security type name; empty for types without one.
    QByteArray keyCommand() const;

    MainForm& m_form;
    ModuleLink& m_link;
    const CertificateStore& m_certificate;
    Prompts& m_prompts;
    EventLog& m_log;
    bool m_stopped = false;
};

} // namespace velinor
