#pragma once

#include <QString>

#include <memory>

class QTranslator;

namespace velinor {

// Qt's own texts (the file dialog's buttons and labels, the message boxes'
// buttons) in the language of the UI. English needs no translation; German
// comes from Qt's translation files (Debian: qt6-translations-l10n).
class QtTranslations {
public:
    // Translations are looked for in `directory`; by default Qt's own.
    explicit QtTranslations(QString directory = defaultDirectory());
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // Switches Qt's texts to the language of a text offset. When German is
    // asked for and its file is missing, Qt's texts stay English.
    void setLanguage(int offset);

    // Where Qt keeps its translations (QLibraryInfo::TranslationsPath).
    static QString defaultDirectory();

private:
    QString m_directory;
    std::unique_ptr<QTranslator> m_translator; // installed while it is set
};

} // namespace velinor
