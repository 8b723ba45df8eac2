#include "base/settings.h"

namespace velinor {

const char* const Settings::kDefaultUrl = "https://www.velinor.example/";

namespace {
const QString kSection = QStringLiteral("settings");
}

Settings::Settings(const QString& directory)
    : m_file(directory + QStringLiteral("/settings.ini")) {}

int Settings::language() const {
    return m_file.readInt(kSection, QStringLiteral("language"), 0);
}

void Settings::setLanguage(int offset) const {
    m_file.writeString(kSection, QStringLiteral("language"), QString::number(offset));
}

int Settings::logInt() const {
    return m_file.readInt(kSection, QStringLiteral("log"), 0);
}

QString Settings::logText() const {
    return m_file.readString(kSection, QStringLiteral("log"), QStringLiteral("0"), 1);
}

void Settings::setLog(bool on) const {
    m_file.writeString(kSection, QStringLiteral("log"),
                       on ? QStringLiteral("1") : QStringLiteral("0"));
}

int Settings::search() const {
    return m_file.readInt(kSection, QStringLiteral("search"), 1);
}

void Settings::setSearch(int mode) const {
    m_file.writeString(kSection, QStringLiteral("search"), QString::number(mode));
}

QString Settings::port() const {
    return m_file.readString(kSection, QStringLiteral("port"), QStringLiteral("COMx"),
                             kPortMaxChars);
}

void Settings::setPort(const QString& port) const {
    m_file.writeString(kSection, QStringLiteral("port"), port);
}

QString Settings::aboutUrl() const {
    return m_file.readString(QStringLiteral("about"), QStringLiteral("URL"),
                             QString::fromLatin1(kDefaultUrl), kUrlMaxChars);
}

} // namespace velinor
