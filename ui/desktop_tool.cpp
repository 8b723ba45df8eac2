#include "ui/desktop_tool.h"

#include "base/data_files.h"
#include "base/services.h"
#include "base/settings.h"
#include "base/system_clock.h"
#include "base/ui_text.h"
#include "link/qt_serial_port.h"
#include "ui/qt_services.h"
#include "ui/setup_app.h"

#include <QCoreApplication>
#include <QDir>

namespace velinor {

int RunDesktopTool(PortEnumerator& ports, const QString& sysfsRoot) {
    const QString workingDir = QDir::currentPath();
    // The certificate chooser keeps the filter of the language at start-up.
    const int language = Settings(workingDir).language() == kEnglish ? kEnglish : kGerman;

    SystemClock clock;
    QtSerialPort port;
    QtPrompts prompts;
    QtLauncher launcher;
    QtFilePicker certificatePicker(UiText(515, language));
    Services services{clock,
                      port,
                      prompts,
                      launcher,
                      ports,
                      certificatePicker,
                      workingDir,
                      QCoreApplication::applicationDirPath(),
                      sysfsRoot,
                      InstalledDataDir(),
                      qEnvironmentVariable("XDG_STATE_HOME"),
                      QDir::homePath()};
    CSetupApp app(services);
    return app.InitInstance();
}

} // namespace velinor
