#pragma once

#include <QString>
#include <QStringList>

namespace velinor {

// What velinor's command line asks for. velinor has two options of its own,
// --help and --version; Qt's standard options (-platform, -style, ...) pass
// through to Qt. Anything else is wrong usage.
struct CommandLine {
    bool run = true;  // false: print and end with exitCode
    int exitCode = 0; // 0: help or version asked for; 2: wrong usage
    QString toStdout; // the help or the version
    QString toStderr; // what was wrong, then the usage
};

// The arguments as main() gets them, the program's name first. Needs no
// application object, so that --help works without a display.
CommandLine ParseCommandLine(const QStringList& arguments, const QString& version);

// The text of --help.
QString Usage();

} // namespace velinor
