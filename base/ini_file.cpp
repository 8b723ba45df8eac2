#include "base/ini_file.h"

#include <QFile>
#include <QList>
#include <QSaveFile>

#include <limits>

namespace velinor {
namespace {

// Files larger than this are not settings files; they are treated as missing
// for reading and are not rewritten.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

bool readAll(const QString& path, QByteArray* data) {
    QFile file(path);
    // (A file that is there and cannot be read: only without permission, which root has.)
    if (!file.open(QIODevice::ReadOnly))
        return false; // mutants: skip
    if (file.size() > kMaxFileSize)
        return false;
    *data = file.readAll();
    return true;
}

// The section name of a "[name]" line, or false when the line is none.
bool sectionName(const QByteArray& trimmed, QByteArray* name) {
    if (!trimmed.startsWith('['))
        return false;
    const int close = trimmed.indexOf(']');
    if (close < 0) // mutants: skip (the "[" is at 0: a "]" is past it or nowhere)
        return false;
    *name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

// Splits "key=value" into its trimmed parts; false when the line has no "=".
bool keyValue(const QByteArray& trimmed, QByteArray* key, QByteArray* value) {
    const int eq = trimmed.indexOf('=');
    // (A line without a name, or with one of a letter, matches none of the settings' keys.)
    if (eq <= 0)      // mutants: skip
        return false; // mutants: skip
    *key = trimmed.left(eq).trimmed();
    if (value)
        *value = trimmed.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QByteArray& a, const QString& b) {
    return QString::fromUtf8(a).compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray stripLineEnd(QByteArray line) {
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

int IniFile::leadingInt(const QByteArray& text) {
    int i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<int>::max())
            value = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
        ++i;
    }
    if (negative)
        value = -value;
    // At the limits themselves both ways give the same number.
    if (value > std::numeric_limits<int>::max()) // mutants: skip
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) // mutants: skip
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

bool IniFile::lookup(const QString& section, const QString& key, QByteArray* value) const {
    QByteArray data;
    if (!readAll(m_path, &data))
        return false;
    bool inSection = false;
    for (const QByteArray& raw : data.split('\n')) {
        const QByteArray line = stripLineEnd(raw).trimmed();
        QByteArray name;
        if (sectionName(line, &name)) {
            inSection = sameName(name, section);
            continue;
        }
        if (!inSection || line.startsWith(';'))
            continue;
        QByteArray k;
        if (keyValue(line, &k, value) && sameName(k, key))
            return true;
    }
    return false;
}

int IniFile::readInt(const QString& section, const QString& key, int defaultValue) const {
    QByteArray value;
    if (!lookup(section, key, &value))
        return defaultValue;
    return leadingInt(value);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue,
                            int maxChars) const {
    QByteArray value;
    if (!lookup(section, key, &value))
        return defaultValue.left(maxChars);
    return QString::fromUtf8(value).left(maxChars);
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) const {
    QByteArray data;
    if (QFile::exists(m_path) && !readAll(m_path, &data))
        return false;
    const QByteArray eol = data.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    QList<QByteArray> lines = data.split('\n');
    if (!data.isEmpty() && data.endsWith('\n'))
        lines.removeLast(); // the empty piece after the final line end
    if (data.isEmpty())
        lines.clear();
    for (QByteArray& l : lines)
        l = stripLineEnd(l);

    // A value is one line: a line break in it would start lines of its own.
    QByteArray text = value.toUtf8();
    for (const char lineBreak : {'\r', '\n'}) {
        const qsizetype at = text.indexOf(lineBreak);
        if (at >= 0)
            text.truncate(at);
    }
    const QByteArray entry = key.toUtf8() + '=' + text;
    int sectionLine = -1; // mutants: skip (any negative line means the section is missing)
    int lastEntry = -1;   // mutants: skip (read only once the section is found, which sets it)
    bool inSection = false;
    bool replaced = false;
    for (int i = 0; i < lines.size() && !replaced; ++i) {
        const QByteArray line = lines[i].trimmed();
        QByteArray name;
        if (sectionName(line, &name)) {
            if (inSection)
                break; // the next section begins
            inSection = sameName(name, section);
            if (inSection)
                sectionLine = lastEntry = i;
            continue;
        }
        if (!inSection)
            continue;
        QByteArray k;
        if (!line.isEmpty())
            lastEntry = i;
        if (!line.startsWith(';') && keyValue(line, &k, nullptr) && sameName(k, key)) {
            lines[i] = entry;
            replaced = true;
        }
    }
    if (!replaced) {
        if (sectionLine < 0) {
            lines.append('[' + section.toUtf8() + ']');
            lines.append(entry);
        } else {
            lines.insert(lastEntry + 1, entry);
        }
    }

    QSaveFile file(m_path);
    // For a directory that refuses new files, which no test can make for root.
    file.setDirectWriteFallback(true); // mutants: skip
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QByteArray& l : lines) {
        file.write(l);
        file.write(eol);
    }
    return file.commit();
}

} // namespace velinor
