#include "ui/qt_translations.h"

#include "base/ui_text.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <utility>

namespace velinor {

QtTranslations::QtTranslations(QString directory) : m_directory(std::move(directory)) {}

// A translator leaves the application when it is destroyed.
QtTranslations::~QtTranslations() = default;

QString QtTranslations::defaultDirectory() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void QtTranslations::setLanguage(int offset) {
    m_translator.reset();
    if (offset == kEnglish)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          m_directory))
        return;
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
}

} // namespace velinor
