#include "link/port_opener.h"

#include "base/main_form.h"
#include "base/prompts.h"
#include "base/ui_text.h"
#include "link/commands.h"
#include "link/module_link.h"
#include "link/serial_port.h"
#include "link/usb_restart.h"
#include "log/log_writer.h"

namespace velinor {
namespace {

constexpr int kNoPortSelected = 26;
constexpr int kOpenFailed = 27;

QString inLanguage(int offset, const char* german, const char* english) {
    return QString::fromUtf8(offset == kGerman ? german : english);
}

} // namespace

PortOpener::PortOpener(MainForm& form, SerialPort& port, ModuleLink& link, UsbRestart& restart,
                       Prompts& prompts, EventLog& log)
    : m_form(form), m_port(port), m_link(link), m_restart(restart), m_prompts(prompts), m_log(log) {
}

bool PortOpener::CheckPortSelected() {
    if (!m_form.selectedPort().isEmpty())
        return true;
    m_prompts.message(UiText(kNoPortSelected, m_form.GetLanguage()), PromptIcon::Warning);
    return false;
}

bool PortOpener::OpenAndProbePort() {
    const QString name = m_form.selectedPort();
    const int language = m_form.GetLanguage();
    if (m_port.isOpen()) // never reuse a port left open by an earlier handler
        m_port.close();

    const OpenStatus status = m_port.open(name);
    if (status.result == OpenResult::Ok) {
        m_link.SetPortHandle(&m_port);
        m_link.ClearLastError(); // mutants: skip (nothing reads the port's error)
        m_link.ConfigurePort(&m_port);
        if (m_link.SendCommand(&m_port, cmd::ProbeBaudRate()))
            return true;
        m_link.SetPortHandle(nullptr);
        m_port.close();
        if (m_link.stopRequested())
            return false; // not the adapter's fault
        m_log.entry({name, inLanguage(language, " : WLAN-Produkt antwortet nicht\n",
                                      " : no answer from wireless product\n")});
        return false;
    }

    const bool vanished = status.result == OpenResult::NotFound;
    if (vanished)
        m_restart.RestartAdapter();
    m_log.entry({name, QStringLiteral(" : "),
                 vanished ? inLanguage(language, "Neustart des WLAN-Produkts erforderlich\n",
                                       "Restart of the wireless product needed\n")
                          : inLanguage(language, "Unbekannter Fehler\n", "Unknown Error\n")});
    m_port.clearError(); // mutants: skip (nothing reads the port's error)
    return false;
}

bool PortOpener::OpenSelectedPort(int attempts) {
    if (!CheckPortSelected())
        return false;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (m_link.stopRequested())
            return false;
        if (OpenAndProbePort())
            return true;
    }
    if (m_link.stopRequested())
        return false;
    m_prompts.message(UiText(kOpenFailed, m_form.GetLanguage()) + m_form.selectedPort(),
                      PromptIcon::Warning);
    return false;
}

} // namespace velinor
