#pragma once

#include <QString>

namespace velinor {

// Where log.txt is written.
struct LogLocation {
    QString directory;
    // The user's state directory: it and its missing parents are made (0700)
    // before a write, so nothing is created while logging is off.
    bool create = false;
};

// Beside the program file when its directory can be written (a build tree, a
// portable copy); else the user's state directory, $XDG_STATE_HOME/velinor, or
// ~/.local/state/velinor when that variable is empty or not an absolute path.
// Without a usable home either, the program's directory stays and the first
// write fails there.
LogLocation ChooseLogLocation(const QString& programDir, const QString& xdgStateHome,
                              const QString& home);

} // namespace velinor
