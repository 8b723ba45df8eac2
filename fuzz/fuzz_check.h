#pragma once

// A broken invariant prints where and what, then aborts: libFuzzer keeps the input as a crash.
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The number the C library reads at text, held at the ends of the 32-bit range.
inline qint32 clampedInt(const char* text) {
    return qint32(std::clamp<long long>(std::strtoll(text, nullptr, 10),
                                        std::numeric_limits<qint32>::min(),
                                        std::numeric_limits<qint32>::max()));
}

// Writes a file into the run's directory, in memory (the settings writer syncs); its path.
inline QString scratchFile(const char* name, const QByteArray& content) {
    static const QTemporaryDir dir(QStringLiteral("/dev/shm/velinor-fuzz-XXXXXX"));
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(content) == content.size());
    return path;
}

} // namespace fuzz
