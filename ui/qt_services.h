#pragma once

#include "base/file_picker.h"
#include "base/launcher.h"
#include "base/prompts.h"

#include <QString>

#include <memory>

class QFileDialog;

namespace velinor {

// Message boxes with an OK button and the caption "Velinor".
class QtPrompts : public Prompts {
public:
    void message(const QString& text, PromptIcon icon) override;
};

// Outside programs through QProcess, addresses through the desktop's handler.
class QtLauncher : public Launcher {
public:
    bool isInstalled(const QString& program) const override;
    bool start(const QString& program, const QStringList& args, const QString& workingDir) override;
    bool open(const QString& url) override;
};

// The certificate file chooser: one dialog for the whole run, so that it opens
// where the last file was chosen. The filter is the catalogue's text 515 of the
// language at start-up; its "all files" entry lists every file, also those
// without a dot in their names.
class QtFilePicker : public FilePicker {
public:
    explicit QtFilePicker(const QString& catalogueFilter);
    ~QtFilePicker() override;
    QString pick() override;

private:
    // Built at the first pick and kept, so that it opens with the file chosen
    // last; building it costs start-up time that the form need not wait for.
    QString m_filter;
    std::unique_ptr<QFileDialog> m_dialog;
};

} // namespace velinor
