#include "base/help.h"

#include "base/launcher.h"
#include "base/ui_text.h"

#include <QDir>
#include <QUrl>

namespace velinor {

HelpOpener::HelpOpener(Launcher& launcher, QString workingDir,
                       std::function<int()> readLanguageSetting)
    : m_launcher(launcher), m_strWorkingDir(std::move(workingDir)),
      m_readLanguage(std::move(readLanguageSetting)) {}

void HelpOpener::OpenHelp() {
    const bool english = m_readLanguage && m_readLanguage() == kEnglish;
    const QString file = QString::fromLatin1(kHelpFile);
    const QString page = QString::fromLatin1(kEnglishPage);
    // The viewer runs in the working directory, so the relative file name resolves there.
    if (m_launcher.isInstalled(QStringLiteral("kchmviewer"))) {
        QStringList args{QStringLiteral("-novcheck")};
        if (english)
            args << QStringLiteral("-showPage") << page;
        args << file;
        m_launcher.start(QStringLiteral("kchmviewer"), args, m_strWorkingDir);
        return;
    }
    if (m_launcher.isInstalled(QStringLiteral("xchm"))) {
        // xchm takes a page only in its URL form, which needs the absolute path.
        const QString arg = english ? QStringLiteral("file:%1#xchm:/%2")
                                          .arg(QDir(m_strWorkingDir).absoluteFilePath(file), page)
                                    : file;
        m_launcher.start(QStringLiteral("xchm"), {arg}, m_strWorkingDir);
        return;
    }
    m_launcher.open(QUrl::fromLocalFile(QDir(m_strWorkingDir).absoluteFilePath(file)).toString());
}

} // namespace velinor
