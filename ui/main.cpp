#include "link/qt_port_enumerator.h"
#include "ui/desktop_tool.h"

#include <QApplication>

using namespace velinor;

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The icons live in a static library: register them explicitly.
    Q_INIT_RESOURCE(velinor);
    QApplication::setApplicationName(QStringLiteral("Velinor"));

    QtPortEnumerator ports;
    RunDesktopTool(ports, QStringLiteral("/sys"));
    return 0;
}
