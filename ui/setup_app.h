#pragma once

#include "base/settings.h"
#include "log/log_writer.h"

#include <QString>

#include <functional>
#include <optional>

class QMenuBar;

namespace velinor {

class CSetupDlg;
struct Services;

// The application object: exists for the whole run, holds the two switches
// that the menu commands change (logging, port search), carries out the menu
// commands and runs the main form.
class CSetupApp {
public:
    // Menu command ids.
    enum Command {
        kCmdAbout = 40001,
        kCmdHelp = 40002,
        kCmdLogOn = 40004,
        kCmdLogOff = 40005,
        kCmdPortSearchAuto = 40008,
        kCmdPortSearchManual = 40009,
    };

    explicit CSetupApp(Services& services);
    ~CSetupApp();
    CSetupApp(const CSetupApp&) = delete;
    CSetupApp& operator=(const CSetupApp&) = delete;

    // Runs the main form modally; returns when it has closed.
    int InitInstance();

    // The running main form: set during its initialisation, cleared when it goes.
    CSetupDlg* m_pMainDlg = nullptr;

    bool IsLogActive() const { return m_bLogActive; }
    // Stores the flag and does nothing else.
    void SetLogActive(bool on) { m_bLogActive = on; }
    int GetPortSearch() const { return m_nPortSearch; }
    const QString& GetSettingsPath() const { return m_szSettingsPath; }

    // Builds the settings path and reads the port search mode as stored.
    void LoadPortSearch();

    void OnLogOn();
    void OnLogOff();
    // A log write has failed: logging off without showing the form's values again.
    void OnLogWriteFailed();
    void OnPortSearchAuto();
    void OnPortSearchManual();
    void OpenHelp();
    void OnAppAbout();
    // Carries out a menu command by its id.
    void OnCommand(int id);

    // Installs a fresh menu bar in the language of the offset (10000 English,
    // anything else German) with the check marks of the two switches.
    void ReloadMenu(int langOffset);

    Services& services() { return m_services; }
    LogWriter& logWriter() { return m_log; }
    // Entries written only while logging is on.
    EventLog& eventLog() { return m_eventLog; }

    // The form that the menu bar belongs to; set by the form itself.
    void setMainWindow(CSetupDlg* dlg) { m_pMainWnd = dlg; }
    CSetupDlg* mainWindow() const { return m_pMainWnd; }

private:
    int menuLanguage() const;
    // Whether a menu entry carries the check mark now.
    bool entryChecked(int id) const;
    void writeSettings(const std::function<void(const Settings&)>& write) const;

    Services& m_services;
    CSetupDlg* m_pMainWnd = nullptr;
    bool m_bLogActive = false;
    int m_nPortSearch = 0;
    QString m_szSettingsPath;
    std::optional<Settings> m_settings;
    LogWriter m_log;
    EventLog m_eventLog;
    // The menu bar this object installed last, and its language.
    const QMenuBar* m_shownBar = nullptr;
    bool m_shownEnglish = false;
};

} // namespace velinor
