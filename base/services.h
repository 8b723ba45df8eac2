#pragma once

#include <QString>

namespace velinor {

class Clock;
class FilePicker;
class Launcher;
class PortEnumerator;
class Prompts;
class SerialPort;

// Everything that touches the world, wired once in main() (tests wire fakes).
struct Services {
    Clock& clock;
    SerialPort& port;
    Prompts& prompts;
    Launcher& launcher;
    PortEnumerator& ports;
    FilePicker& certificatePicker;
    QString workingDir; // settings.ini, the help file and the logo live here
    QString programDir; // log.txt lives here when the directory can be written
    QString sysfsRoot;  // "/sys" in production: the USB devices' switches
    // The installed shared data: the help file and the logo when the working
    // directory has none. Empty: looked for in the working directory only.
    QString dataDir = QString();
    // Else log.txt goes to $XDG_STATE_HOME/velinor, or ~/.local/state/velinor
    // (ChooseLogLocation); both empty keep it in programDir.
    QString xdgStateHome{};
    QString homeDir{};
};

} // namespace velinor
