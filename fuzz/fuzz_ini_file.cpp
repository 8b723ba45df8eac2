// The settings file reader and writer over an arbitrary file.
//
// The whole input is the file. A slice of it, chosen by its first bytes, is the
// value written back, and its last byte is the text length asked for.

#include "base/ini_file.h"
#include "fakes.h"
#include "fuzz_check.h"

#include <array>

using namespace velinor;

namespace {

struct Key {
    const char* section;
    const char* key;
};
constexpr std::array<Key, 7> kKeys = {{{"settings", "language"},
                                       {"settings", "log"},
                                       {"settings", "search"},
                                       {"settings", "port"},
                                       {"about", "URL"},
                                       {"Settings", "LOG"},
                                       {"sEtTiNgS", "Port"}}};

const QString kMissing = QStringLiteral("\x01missing");
constexpr int kIntDefault = -424242;
constexpr int kWhole = 1 << 30;

QString sectionOf(const Key& k) {
    return QString::fromLatin1(k.section);
}
QString keyOf(const Key& k) {
    return QString::fromLatin1(k.key);
}

bool hasBlankEnd(const QString& v) {
    return !v.isEmpty() && v != v.trimmed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QTemporaryDir& dir = fuzz::scratchDir();
    FUZZ_CHECK(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    const QByteArray content = fuzz::bytes(data, size);
    FUZZ_CHECK(fakes::writeFile(path, content));

    const IniFile ini(path);
    const int maxChars = size > 0 ? int(data[size - 1]) : 0;
    std::array<QString, kKeys.size()> before;
    for (size_t i = 0; i < kKeys.size(); ++i) {
        const Key& k = kKeys[i];
        const int number = ini.readInt(sectionOf(k), keyOf(k), kIntDefault);
        const QString whole = ini.readString(sectionOf(k), keyOf(k), kMissing, kWhole);
        if (whole == kMissing)
            FUZZ_CHECK(number == kIntDefault || number == 0); // 0: the file holds the marker
        else
            FUZZ_CHECK(number == IniFile::leadingInt(whole.toUtf8()));
        FUZZ_CHECK(!whole.contains(QLatin1Char('\n')));
        FUZZ_CHECK(whole.size() <= content.size() || whole == kMissing);

        for (const int limit : {0, 18, maxChars}) {
            const QString cut = ini.readString(sectionOf(k), keyOf(k), kMissing, limit);
            FUZZ_CHECK(cut.size() <= limit);
            FUZZ_CHECK(whole.startsWith(cut));
        }
        before[i] = whole;
    }

    // Write a value back: it must be read back as written, and every other key
    // must read as before.
    if (size < 3)
        return 0;
    const size_t which = data[0] % kKeys.size();
    const qsizetype from = qsizetype(data[1]) % (content.size() + 1);
    const QString value = QString::fromUtf8(content.mid(from, data[2] % 64));
    const Key& k = kKeys[which];
    if (!ini.writeString(sectionOf(k), keyOf(k), value))
        return 0;
    // A value is stored up to its first line break.
    QString firstLine = value;
    for (const QChar lineBreak : {QLatin1Char('\r'), QLatin1Char('\n')}) {
        const qsizetype at = firstLine.indexOf(lineBreak);
        if (at >= 0)
            firstLine.truncate(at);
    }
    const QString back = ini.readString(sectionOf(k), keyOf(k), kMissing, kWhole);
    if (!hasBlankEnd(firstLine))
        FUZZ_CHECK(back == firstLine);
    for (size_t i = 0; i < kKeys.size(); ++i) {
        const bool sameKey = sectionOf(kKeys[i]).compare(sectionOf(k), Qt::CaseInsensitive) == 0 &&
                             keyOf(kKeys[i]).compare(keyOf(k), Qt::CaseInsensitive) == 0;
        if (!sameKey)
            FUZZ_CHECK(ini.readString(sectionOf(kKeys[i]), keyOf(kKeys[i]), kMissing, kWhole) ==
                       before[i]);
    }
    return 0;
}
