#pragma once

#include "base/stop_request.h"

#include <QString>

namespace velinor {

// SIGINT, SIGTERM and SIGHUP, caught while the one instance lives. The handler does only
// what is safe in a signal handler: it counts the signal, keeps the first one, and writes
// a byte to a pipe whose read end (wakeFd) wakes a poll() or a QSocketNotifier.
class StopSignals : public StopRequest {
public:
    StopSignals();
    // The former handlers come back.
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // false when the pipe or a handler could not be set up.
    bool installed() const { return m_installed; }
    int level() const override;
    int signal() const override;
    // Readable once a signal has come; drain() empties it.
    int wakeFd() const;
    void drain() const;

    // "SIGINT", "SIGTERM", "SIGHUP"; else "signal N".
    static QString name(int signal);
    // The exit code after the signal: 128 plus its number (130, 143, 129).
    static int exitCode(int signal) { return 128 + signal; }

private:
    bool m_installed = false;
};

} // namespace velinor
