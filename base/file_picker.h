#pragma once

#include <QString>

namespace velinor {

// The certificate file chooser. One object for the whole run, so that it opens
// with the file chosen last.
class FilePicker {
public:
    virtual ~FilePicker() = default;
    // Shows the chooser; returns the chosen path, or an empty text when cancelled.
    virtual QString pick() = 0;
};

} // namespace velinor
