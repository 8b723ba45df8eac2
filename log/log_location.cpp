#include "log/log_location.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velinor {

namespace {

bool isWritableDirectory(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    return !path.isEmpty() && ::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::faccessat(AT_FDCWD, name.constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

} // namespace

LogLocation ChooseLogLocation(const QString& programDir, const QString& xdgStateHome,
                              const QString& home) {
    if (isWritableDirectory(programDir))
        return {programDir, false};
    QString stateHome = xdgStateHome;
    if (!stateHome.startsWith(QLatin1Char('/'))) {
        if (!home.startsWith(QLatin1Char('/')))
            return {programDir, false};
        stateHome = home + QStringLiteral("/.local/state");
    }
    return {stateHome + QStringLiteral("/velinor"), true};
}

} // namespace velinor
