#include "ui/setup_app.h"

#include "base/help.h"
#include "base/services.h"
#include "base/ui_text.h"
#include "ui/about_dlg.h"
#include "ui/setup_dlg.h"
#include "ui/signal_quit.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace velinor {

CSetupApp::CSetupApp(Services& services)
    : m_services(services),
      m_log(ChooseLogLocation(services.programDir, services.xdgStateHome, services.homeDir),
            services.clock, services.prompts, [this] { OnLogWriteFailed(); }),
      m_eventLog(m_log, [this] { return m_bLogActive; }) {}

CSetupApp::~CSetupApp() = default;

int CSetupApp::InitInstance() {
    CSetupDlg dlg(*this, m_services);
    // SIGTERM, SIGHUP and Ctrl+C close the form as the close box does.
    const SignalQuit quit(&dlg);
    dlg.exec(); // showing it initialises it
    return 0;
}

void CSetupApp::LoadPortSearch() {
    m_settings.emplace(m_services.workingDir);
    m_szSettingsPath = m_settings->path();
    m_nPortSearch = m_settings->search();
}

void CSetupApp::writeSettings(const std::function<void(const Settings&)>& write) const {
    if (m_settings)
        write(*m_settings);
}

int CSetupApp::menuLanguage() const {
    return m_pMainDlg ? m_pMainDlg->GetLanguage() : kGerman;
}

void CSetupApp::OnLogOn() {
    m_bLogActive = true;
    ReloadMenu(menuLanguage());
    writeSettings([](const Settings& s) { s.setLog(true); });
    if (m_pMainDlg)
        m_pMainDlg->ApplyLanguage();
}

void CSetupApp::OnLogOff() {
    m_bLogActive = false;
    ReloadMenu(menuLanguage());
    writeSettings([](const Settings& s) { s.setLog(false); });
    if (m_pMainDlg)
        m_pMainDlg->ApplyLanguage();
}

void CSetupApp::OnLogWriteFailed() {
    // The log file cannot be written: logging goes off for the run. Only the
    // switch, its menu and the title change; the fields keep what the user typed
    // and what a running command has put into the form's values.
    m_bLogActive = false;
    ReloadMenu(menuLanguage());
    writeSettings([](const Settings& s) { s.setLog(false); });
    if (m_pMainDlg)
        m_pMainDlg->UpdateTitle();
}

void CSetupApp::OnPortSearchAuto() {
    m_nPortSearch = 1;
    ReloadMenu(menuLanguage());
    writeSettings([](const Settings& s) { s.setSearch(1); });
}

void CSetupApp::OnPortSearchManual() {
    m_nPortSearch = 2;
    ReloadMenu(menuLanguage());
    writeSettings([](const Settings& s) { s.setSearch(2); });
}

void CSetupApp::OpenHelp() {
    HelpOpener help(
        m_services.launcher, m_services.prompts, m_services.workingDir, m_services.dataDir, [this] {
            if (m_pMainDlg)
                return m_pMainDlg->ReadLanguageSetting();
            return Settings(m_services.workingDir).language() == kEnglish ? kEnglish : kGerman;
        });
    help.OpenHelp();
}

void CSetupApp::OnAppAbout() {
    CAboutDlg dlg(m_services.launcher, m_eventLog, menuLanguage(), m_services.workingDir,
                  m_pMainWnd, m_services.dataDir);
    dlg.exec();
}

void CSetupApp::OnCommand(int id) {
    switch (id) {
    case kCmdAbout:
        OnAppAbout();
        break;
    case kCmdHelp:
        OpenHelp();
        break;
    case kCmdLogOn:
    case kCmdLogOff:
        // The form shows its values again with the new title: what the user
        // typed and no command has taken yet is kept.
        if (m_pMainDlg)
            m_pMainDlg->TakeTypedValues();
        if (id == kCmdLogOn)
            OnLogOn();
        else
            OnLogOff();
        break;
    case kCmdPortSearchAuto:
        OnPortSearchAuto();
        break;
    case kCmdPortSearchManual:
        OnPortSearchManual();
        break;
    default:
        break;
    }
}

bool CSetupApp::entryChecked(int id) const {
    switch (id) {
    case kCmdLogOn:
        return m_bLogActive;
    case kCmdLogOff:
        return !m_bLogActive;
    case kCmdPortSearchAuto:
        return m_nPortSearch == 1;
    case kCmdPortSearchManual:
        return m_nPortSearch == 2;
    default:
        return false;
    }
}

void CSetupApp::ReloadMenu(int langOffset) {
    if (!m_pMainWnd)
        return;
    const bool english = langOffset == kEnglish;
    QMenuBar* shown = m_pMainWnd->currentMenuBar();
    if (shown && shown == m_shownBar && m_shownEnglish == english) {
        // The bar in this language is there: only its check marks change. (A new
        // bar costs its style's icons; the start-up alone asks three times.)
        for (QAction* top : shown->actions()) {
            for (QAction* action : top->menu()->actions()) {
                const bool checked = entryChecked(action->data().toInt());
                action->setCheckable(checked);
                action->setChecked(checked);
            }
        }
        return;
    }
    auto* bar = new QMenuBar;
    // The menu stays in the form's window, also on desktops with a global menu (none offscreen).
    bar->setNativeMenuBar(false); // mutants: skip
    auto addEntry = [this, bar](QMenu* menu, int id, const QString& text) {
        const bool checked = entryChecked(id);
        QAction* action = menu->addAction(text);
        action->setData(id);
        action->setObjectName(QStringLiteral("menu%1").arg(id)); // mutants: skip (for debuggers)
        // Only the entry that carries the check mark is checkable, so the others
        // show no empty box.
        action->setCheckable(checked);
        action->setChecked(checked);
        QObject::connect(action, &QAction::triggered, bar, [this, id] { OnCommand(id); });
    };

    QMenu* log = bar->addMenu(QStringLiteral("Log"));
    addEntry(log, kCmdLogOn, english ? QStringLiteral("activated") : QStringLiteral("aktiviert"));
    addEntry(log, kCmdLogOff,
             english ? QStringLiteral("deactivated") : QStringLiteral("deaktiviert"));

    QMenu* search = bar->addMenu(english ? QStringLiteral("Port-Search")
                                         : QStringLiteral("Schnittstellen-Suche"));
    addEntry(search, kCmdPortSearchAuto,
             english ? QStringLiteral("automatic") : QStringLiteral("automatisch"));
    addEntry(search, kCmdPortSearchManual,
             english ? QStringLiteral("manual") : QStringLiteral("manuell"));

    QMenu* help = bar->addMenu(QStringLiteral("?"));
    addEntry(help, kCmdHelp, english ? QStringLiteral("Help") : QStringLiteral("Hilfe"));
    addEntry(help, kCmdAbout, english ? QStringLiteral("About") : QStringLiteral("Über"));

    m_pMainWnd->installMenuBar(bar);
    m_shownBar = bar;
    m_shownEnglish = english;
}

} // namespace velinor
