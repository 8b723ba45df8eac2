#include "app/qt_services.h"
#include "app/services.h"
#include "app/settings.h"
#include "app/setup_app.h"
#include "app/system_clock.h"
#include "app/ui_text.h"
#include "link/qt_port_enumerator.h"
#include "link/qt_serial_port.h"

#include <QApplication>
#include <QDir>

using namespace velinor;

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The icons live in a static library: register them explicitly.
    Q_INIT_RESOURCE(velinor);
    QApplication::setApplicationName(QStringLiteral("Velinor"));

    const QString workingDir = QDir::currentPath();
    // The certificate chooser keeps the filter of the language at start-up.
    const int language = Settings(workingDir).language() == kEnglish ? kEnglish : kGerman;

    SystemClock clock;
    QtSerialPort port;
    QtPortEnumerator ports;
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
                      QStringLiteral("/sys")};

    CSetupApp app(services);
    app.InitInstance();
    return 0;
}
