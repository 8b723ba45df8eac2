#pragma once

#include <QString>

namespace velinor {

class PortEnumerator;

// Runs the tool in the current directory with the desktop's own services: the
// real clock, the serial port, message boxes, the launcher of outside programs
// and the certificate chooser. Where the adapter's ports come from and where the
// USB devices' switches lie are the caller's. Returns when the main form has closed.
int RunDesktopTool(PortEnumerator& ports, const QString& sysfsRoot);

} // namespace velinor
