#include "link/qt_port_enumerator.h"
#include "ui/command_line.h"
#include "ui/desktop_tool.h"

#include <QApplication>

#include <cstdio>

using namespace velinor;

int main(int argc, char* argv[]) {
    // --help and --version need no display: they are answered before Qt starts.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = ParseCommandLine(arguments, QStringLiteral(PROJECT_VERSION));
    if (!line.run) {
        std::fputs(line.toStdout.toLocal8Bit().constData(), stdout);
        std::fputs(line.toStderr.toLocal8Bit().constData(), stderr);
        return line.exitCode;
    }

    QApplication application(argc, argv);
    // The icons live in a static library: register them explicitly.
    Q_INIT_RESOURCE(velinor);
    // (Else the window system's class name is the program file's, "velinor". The version is
    // metadata for the desktop; nothing here reads it back.)
    QApplication::setApplicationName(QStringLiteral("Velinor"));          // mutants: skip
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION)); // mutants: skip

    QtPortEnumerator ports;
    RunDesktopTool(ports, QStringLiteral("/sys"));
    return 0;
}
