#include "config/configure.h"

#include "base/main_form.h"
#include "link/module_link.h"
#include "log/log_writer.h"
#include "log/records.h"

namespace velinor {

ConfigureCommand::ConfigureCommand(MainForm& form, CertificateStore& certificate, SerialPort& port,
                                   ModuleLink& link, Clock& clock, Prompts& prompts, EventLog& log,
                                   const QString& sysfsRoot)
    : m_form(form), m_link(link), m_log(log), m_restart(sysfsRoot, clock, log),
      m_checks(form, certificate, prompts, log),
      m_opener(form, port, link, m_restart, prompts, log),
      m_programmer(form, link, certificate, prompts, log) {}

bool ConfigureCommand::OnConfigure() {
    return CheckInputs() && ProgramSelectedPort() == Outcome::Programmed;
}

bool ConfigureCommand::CheckInputs() {
    return m_form.UpdateData(true) && m_checks.ValidateKey() && m_checks.ValidateForm();
}

ConfigureCommand::Outcome ConfigureCommand::ProgramSelectedPort() {
    if (m_log.active())
        LogConfiguration(m_form, m_log);
    // The probe of the port, then the programming.
    m_link.beginSteps(1 + m_programmer.commandCount());
    if (!m_opener.OpenSelectedPort(PortOpener::kAttempts))
        return m_link.stopRequested() ? Outcome::Stopped : Outcome::PortFailed;
    // The last point at which the adapter can be left as it was.
    if (m_link.stopRequested()) {
        // (No clock runs between the probe's own look at the stop and this one: only a real
        // signal lands here, and the port's owner closes it too.)
        m_link.ClosePort(); // mutants: skip
        return Outcome::Stopped;
    }
    m_link.setMustFinish(true);
    m_programmer.ResetAdapterDefaults();
    const bool programmed =
        !m_programmer.stopped() && m_programmer.ProgramAdapter(m_link.GetPortHandle());
    m_link.setMustFinish(false);
    if (programmed)
        return Outcome::Programmed;
    m_link.ClosePort();
    return m_programmer.stopped() ? Outcome::StoppedMidSequence : Outcome::ProgrammingFailed;
}

} // namespace velinor
