#pragma once

#include <QString>

namespace velinor {

// The shared data that the package installs (the help file, the sample logo),
// e.g. "/usr/share/velinor".
QString InstalledDataDir();

// Where a data file of the tool lies: in the working directory when it is
// there, else in the data directory (skipped when empty). Empty when in neither.
QString FindDataFile(const QString& name, const QString& workingDir, const QString& dataDir);

} // namespace velinor
