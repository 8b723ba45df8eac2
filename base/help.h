#pragma once

#include <QString>

#include <functional>

namespace velinor {

class Launcher;

// Opens the help file "Velinor.chm" of the working directory in a CHM viewer:
// the English interface at its page "Description.html", the German one at its
// start page. The outcome is not reported.
class HelpOpener {
public:
    static constexpr const char* kHelpFile = "Velinor.chm";
    static constexpr const char* kEnglishPage = "Description.html";

    // readLanguageSetting gives the language offset from the settings file
    // (10000 English, anything else German); it is called at every OpenHelp.
    HelpOpener(Launcher& launcher, QString workingDir, std::function<int()> readLanguageSetting);

    void OpenHelp();

private:
    Launcher& m_launcher;
    QString m_strWorkingDir;
    std::function<int()> m_readLanguage;
};

} // namespace velinor
