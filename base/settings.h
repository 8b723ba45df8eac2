#pragma once

#include "base/ini_file.h"

#include <QString>

namespace velinor {

// The keys of settings.ini. Section "settings" holds the user's choices,
// section "about" the address that the About box opens.
class Settings {
public:
    static constexpr int kPortMaxChars = 18;
    static constexpr int kUrlMaxChars = 1022;
    static const char* const kDefaultUrl;

    // The path is the directory + "/settings.ini", taken once.
    explicit Settings(const QString& directory);

    const QString& path() const { return m_file.path(); }

    int language() const; // 0 or 10000 as stored; anything else as read
    void setLanguage(int offset) const;
    int logInt() const;      // "log" as an integer, default 0
    QString logText() const; // "log" as text, default "0", one character
    void setLog(bool on) const;
    int search() const; // default 1
    void setSearch(int mode) const;
    QString port() const; // default "COMx", at most 18 characters
    void setPort(const QString& port) const;
    QString aboutUrl() const; // default kDefaultUrl, at most 1022 characters

private:
    IniFile m_file;
};

} // namespace velinor
