#pragma once

#include <QString>

#include <functional>

namespace velinor {

class Launcher;
class Prompts;

// Opens the help file "Velinor.chm" in a CHM viewer: the English interface at
// its page "Description.html", the German one at its start page. The file is
// taken from the working directory, else from the installed data directory.
// When there is no file, or nothing to show it with, a message in the
// language of the settings says so.
class HelpOpener {
public:
    static constexpr const char* kHelpFile = "Velinor.chm";
    static constexpr const char* kEnglishPage = "Description.html";
    // Catalogue texts: the help file is missing (%1 the file, %2 where it was
    // looked for); no viewer can show it (%1 the file).
    static constexpr int kHelpFileMissing = 900;
    static constexpr int kNoHelpViewer = 901;

    // readLanguageSetting gives the language offset from the settings file
    // (10000 English, anything else German); it is called at every OpenHelp.
    HelpOpener(Launcher& launcher, Prompts& prompts, QString workingDir, QString dataDir,
               std::function<int()> readLanguageSetting);

    void OpenHelp();

private:
    // Tries kchmviewer, xchm, then the desktop's handler; true when one took it.
    bool show(const QString& path, bool english);

    Launcher& m_launcher;
    Prompts& m_prompts;
    QString m_strWorkingDir;
    QString m_strDataDir;
    std::function<int()> m_readLanguage;
};

} // namespace velinor
