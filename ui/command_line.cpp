#include "ui/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace velinor {

namespace {

// Qt's standard options of the application object and its platforms (xcb,
// wayland): the ones that take a value, then the switches. They are declared
// here only so that the parser lets them through; Qt reads them itself.
const char* const kQtValueOptions[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "geometry",
    "qwindowicon",
    "icon",
    "qwindowtitle",
    "title",
    "session",
    "display",
    "name",
    "visual",
    "style",
    "stylesheet",
    "qmljsdebugger",
};
const char* const kQtSwitches[] = {"reverse", "widgetcount", "testability", "nograb", "dograb"};

} // namespace

QString Usage() {
    return QStringLiteral(
        "Usage: velinor [options]\n"
        "Sets up the USB wireless LAN adapter 7C5E:0003 in one dialog (settings.ini\n"
        "in the current directory).\n"
        "\n"
        "Options:\n"
        "  -h, --help     print this help and exit\n"
        "  -v, --version  print the version and exit\n"
        "\n"
        "Qt's standard options are accepted as well, for example -platform wayland,\n"
        "-platform xcb, -style fusion, -reverse.\n");
}

CommandLine ParseCommandLine(const QStringList& arguments, const QString& version) {
    QCommandLineParser parser;
    // Qt's options are single-dash words (-platform); ours take one or two dashes.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("help"));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(versionOption);
    for (const char* name : kQtValueOptions)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char* name : kQtSwitches)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString()));

    CommandLine line;
    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error =
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
    if (!error.isEmpty()) {
        line.run = false;
        line.exitCode = 2;
        line.toStderr = QStringLiteral("velinor: ") + error + QLatin1Char('\n') + Usage();
    } else if (parser.isSet(help)) {
        line.run = false;
        line.toStdout = Usage();
    } else if (parser.isSet(versionOption)) {
        line.run = false;
        line.toStdout = QStringLiteral("velinor ") + version + QLatin1Char('\n');
    }
    return line;
}

} // namespace velinor
