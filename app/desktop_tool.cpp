#include "app/desktop_tool.h"

#include "app/qt_services.h"
#include "app/services.h"
#include "app/settings.h"
#include "app/setup_app.h"
#include "app/system_clock.h"
#include "app/ui_text.h"
#include "link/qt_serial_port.h"

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
    Services services{clock,      port,
                      prompts,    launcher,
                      ports,      certificatePicker,
                      workingDir, QCoreApplication::applicationDirPath(),
                      sysfsRoot};
    CSetupApp app(services);
    return app.InitInstance();
}

} // namespace velinor
