// The settings file reader and writer: the input is the file; a slice chosen by its first bytes
// is written back; its last byte is a text length asked for.
#include "base/ini_file.h"
#include "fuzz_check.h"

#include <QRegularExpression>

using namespace velinor;

namespace {

const QString kKeys[][2] = {{"settings", "language"}, {"settings", "log"}, {"settings", "search"},
                            {"settings", "port"},     {"about", "URL"},    {"Settings", "LOG"},
                            {"sEtTiNgS", "Port"}};
constexpr size_t kCount = std::size(kKeys);
const QString kMissing = QStringLiteral("\x01missing");

// Sections and keys are the same whatever their case.
QString id(size_t k) {
    return (kKeys[k][0] + '/' + kKeys[k][1]).toLower();
}

QString read(const IniFile& ini, size_t k, int limit = 1 << 30) {
    return ini.readString(kKeys[k][0], kKeys[k][1], kMissing, limit);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content = fuzz::bytes(data, size);
    const IniFile ini(fuzz::scratchFile("settings.ini", content));
    QString before[kCount];
    for (size_t k = 0; k < kCount; ++k) {
        const QString whole = before[k] = read(ini, k);
        const int number = ini.readInt(kKeys[k][0], kKeys[k][1], -42);
        // 0 when the file holds the marker itself.
        FUZZ_CHECK(whole == kMissing ? number == -42 || number == 0
                                     : number == IniFile::leadingInt(whole.toUtf8()));
        FUZZ_CHECK(!whole.contains(u'\n') && (whole.size() <= content.size() || whole == kMissing));
        for (const int limit : {0, 18, size > 0 ? int(data[size - 1]) : 0}) {
            const QString cut = read(ini, k, limit);
            FUZZ_CHECK(cut.size() <= limit && whole.startsWith(cut));
        }
    }

    // A value reads back up to its first line break (unless blanks end it); the others as before.
    if (size < 3)
        return 0;
    const size_t which = data[0] % kCount;
    const QString value = QString::fromUtf8(content.mid(data[1] % (size + 1), data[2] % 64));
    if (!ini.writeString(kKeys[which][0], kKeys[which][1], value))
        return 0;
    const QString firstLine = value.split(QRegularExpression(QStringLiteral("[\r\n]"))).first();
    FUZZ_CHECK(read(ini, which) == firstLine || firstLine != firstLine.trimmed());
    for (size_t k = 0; k < kCount; ++k)
        FUZZ_CHECK(id(k) == id(which) || read(ini, k) == before[k]);
    return 0;
}
