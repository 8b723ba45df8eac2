#include "base/data_files.h"

#include <QDir>
#include <QFileInfo>

namespace velinor {

QString InstalledDataDir() {
    return QStringLiteral(VELINOR_DATA_DIR);
}

QString FindDataFile(const QString& name, const QString& workingDir, const QString& dataDir) {
    for (const QString& dir : {workingDir, dataDir}) {
        if (dir.isEmpty())
            continue;
        QString path = QDir(dir).filePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

} // namespace velinor
