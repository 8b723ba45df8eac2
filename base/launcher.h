#pragma once

#include <QString>
#include <QStringList>

namespace velinor {

// Starts outside programs and opens addresses with the desktop's handler.
class Launcher {
public:
    virtual ~Launcher() = default;
    // True when the program can be found on the PATH.
    virtual bool isInstalled(const QString& program) const = 0;
    // Starts the program detached in the given working directory.
    virtual bool start(const QString& program, const QStringList& args,
                       const QString& workingDir) = 0;
    // Opens a URL (web address or file:) with the desktop's handler.
    virtual bool open(const QString& url) = 0;
};

} // namespace velinor
