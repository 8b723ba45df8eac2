#pragma once

#include <QByteArray>
#include <QFile>
#include <QtGlobal>

#include <ctime>

namespace velinor::bench {

// The system-wide monotonic clock in nanoseconds: the same in every process, so a
// parent can take the time before it starts a child and the child the time of an
// event of its own.
inline qint64 monotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// A field of /proc/self/status in kB ("VmHWM" is the peak resident set size so far,
// "VmRSS" the present one); -1 when it cannot be read.
inline qint64 statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        bool ok = false;
        const qint64 kb = line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? kb : -1;
    }
    return -1;
}

} // namespace velinor::bench
