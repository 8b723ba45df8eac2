#pragma once

namespace velinor {

class EventLog;
class MainForm;
class ModuleLink;
class Prompts;
class SerialPort;
class UsbRestart;

// Opens the port selected in the main form for a handler that talks to the
// adapter: checks the selection, opens the port exclusively, configures it and
// probes the adapter with "AT+IBDRF?\r". On success the port stays open and is
// stored in the link; the handler closes it before it returns.
class PortOpener {
public:
    static constexpr int kAttempts = 5;

    PortOpener(MainForm& form, SerialPort& port, ModuleLink& link, UsbRestart& restart,
               Prompts& prompts, EventLog& log);

    // false (and message 26) when no port is selected.
    bool CheckPortSelected();
    // One attempt: true when the adapter answered; the port is then open and stored.
    bool OpenAndProbePort();
    // CheckPortSelected, then up to `attempts` attempts; message 27 and the port
    // name after the last one failed. A stop requested through the link ends it
    // early, without a message.
    bool OpenSelectedPort(int attempts);

private:
    MainForm& m_form;
    SerialPort& m_port;
    ModuleLink& m_link;
    UsbRestart& m_restart;
    Prompts& m_prompts;
    EventLog& m_log;
};

} // namespace velinor
