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

    enum class Outcome {
        Programmed,         // programmed and told to restart
        PortFailed,         // no port selected, or it could not be opened and probed
        ProgrammingFailed,  // the adapter refused a step or did not answer it
        Stopped,            // a stop was requested before the factory reset: adapter unchanged
        StoppedMidSequence, // stopped a second time after the reset: it must be configured again
    };

    // true when the adapter has been programmed and told to restart.
    bool OnConfigure();
    // The form's values taken with their length limits, then the key rules and
    // the form rules; false after the first refusal has been told.
    bool CheckInputs();
    // After CheckInputs passed: the configuration record, then the selected port
    // opened and probed, the defaults and the programming sequence. A stop requested
    // through the link is honoured up to the factory reset; from the reset on, the
    // sequence is finished unless stopping is asked for again (the adapter would be
    // left at its factory defaults). The port is closed on every way out.
    Outcome ProgramSelectedPort();

    InputChecks& checks() { return m_checks; }
    PortOpener& opener() { return m_opener; }
    AdapterProgrammer& programmer() { return m_programmer; }
    UsbRestart& restart() { return m_restart; }

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
