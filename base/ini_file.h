#pragma once

#include <QByteArray>
#include <QString>

namespace velinor {

// A small reader and writer of initialisation files ("[section]" lines and
// "key=value" lines). Section and key names are matched without regard to case.
// The file is read anew for every access; nothing is cached.
class IniFile {
public:
    explicit IniFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    // The decimal number the value begins with (0 when it begins with none);
    // the default when the file, the section or the key is missing.
    int readInt(const QString& section, const QString& key, int defaultValue) const;

    // The value cut to maxChars characters; the default when missing.
    QString readString(const QString& section, const QString& key, const QString& defaultValue,
                       int maxChars) const;

    // Creates the file and the section when missing and replaces an existing value;
    // every other line stays as it was. False when the file could not be written.
    bool writeString(const QString& section, const QString& key, const QString& value) const;

    // The integer rule on its own: leading blanks, an optional sign, digits.
    static int leadingInt(const QByteArray& text);

private:
    bool lookup(const QString& section, const QString& key, QByteArray* value) const;

    QString m_path;
};

} // namespace velinor
