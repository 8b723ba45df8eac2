#pragma once

// Invariant checks for the fuzz targets: a broken invariant prints where and
// what, then aborts, so that libFuzzer keeps the input as a crash.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

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

// A scratch directory for the whole run, in memory where the system has one:
// the settings writer syncs every file it saves, which on a disk costs more
// than the parsing itself.
inline const QTemporaryDir& scratchDir() {
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/velinor-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/velinor-fuzz-XXXXXX"));
    return dir;
}

} // namespace fuzz
