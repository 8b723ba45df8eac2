#pragma once

#include "config/input_checks.h"
#include "config/programmer.h"
#include "link/port_opener.h"
#include "link/usb_restart.h"

#include <QString>

namespace velinor {

class CertificateStore;
class Clock;
class EventLog;
class MainForm;
class ModuleLink;
class Prompts;
class SerialPort;

// The Configure command: checks the form, records the settings in the log,
// opens and probes the selected port, and programs the adapter. The port is
// closed on every way out. The main dialog owns one and calls OnConfigure from
// its button (under the wait cursor).
class ConfigureCommand {
public:
    ConfigureCommand(MainForm& form, CertificateStore& certificate, SerialPort& port,
                     ModuleLink& link, Clock& clock, Prompts& prompts, EventLog& log,
                     const QString& sysfsRoot);

    // true when the adapter has been programmed and told to restart.
    bool OnConfigure();

    InputChecks& checks() { return m_checks; }
    PortOpener& opener() { return m_opener; }
    AdapterProgrammer& programmer() { return m_programmer; }

private:
    MainForm& m_form;
    ModuleLink& m_link;
    EventLog& m_log;
    UsbRestart m_restart;
    InputChecks m_checks;
    PortOpener m_opener;
    AdapterProgrammer m_programmer;
};

} // namespace velinor
