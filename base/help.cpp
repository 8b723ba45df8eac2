#include "base/help.h"

#include "base/data_files.h"
#include "base/launcher.h"
#include "base/prompts.h"
#include "base/ui_text.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace velinor {

HelpOpener::HelpOpener(Launcher& launcher, Prompts& prompts, QString workingDir, QString dataDir,
                       std::function<int()> readLanguageSetting)
    : m_launcher(launcher), m_prompts(prompts), m_strWorkingDir(std::move(workingDir)),
      m_strDataDir(std::move(dataDir)), m_readLanguage(std::move(readLanguageSetting)) {}

void HelpOpener::OpenHelp() {
    const int language = m_readLanguage && m_readLanguage() == kEnglish ? kEnglish : kGerman;
    const QString file = QString::fromLatin1(kHelpFile);
    const QString path = FindDataFile(file, m_strWorkingDir, m_strDataDir);
    if (path.isEmpty()) {
        QStringList places{QDir::toNativeSeparators(m_strWorkingDir)};
        if (!m_strDataDir.isEmpty())
            places << QDir::toNativeSeparators(m_strDataDir);
        m_prompts.message(
            UiText(kHelpFileMissing, language).arg(file, places.join(QLatin1String(", "))),
            PromptIcon::Warning);
        return;
    }
    if (!show(path, language == kEnglish))
        m_prompts.message(UiText(kNoHelpViewer, language).arg(path), PromptIcon::Warning);
}

bool HelpOpener::show(const QString& path, bool english) {
    // The viewer runs in the file's directory, where the plain file name resolves.
    const QFileInfo info(path);
    const QString dir = info.absolutePath();
    const QString file = info.fileName();
    const QString page = QString::fromLatin1(kEnglishPage);
    if (m_launcher.isInstalled(QStringLiteral("kchmviewer"))) {
        QStringList args{QStringLiteral("-novcheck")};
        if (english)
            args << QStringLiteral("-showPage") << page;
        args << file;
        if (m_launcher.start(QStringLiteral("kchmviewer"), args, dir))
            return true;
    }
    if (m_launcher.isInstalled(QStringLiteral("xchm"))) {
        // xchm takes a page only in its URL form, which needs the absolute path.
        const QString arg =
            english ? QStringLiteral("file:%1#xchm:/%2").arg(info.absoluteFilePath(), page) : file;
        if (m_launcher.start(QStringLiteral("xchm"), {arg}, dir))
            return true;
    }
    return m_launcher.open(QUrl::fromLocalFile(info.absoluteFilePath()).toString());
}

} // namespace velinor
