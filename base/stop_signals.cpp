#include "base/stop_signals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace velinor {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Lock-free atomics and write() are what a signal handler may touch.
// mutants: off (set again by each StopSignals)
std::atomic<int> g_count{0};
std::atomic<int> g_first{0};
// mutants: on
int g_pipe[2] = {-1, -1};
struct sigaction g_former[3];
static_assert(std::atomic<int>::is_always_lock_free);

void onSignal(int signal) {
    const int savedErrno = errno;
    int none = 0;
    g_first.compare_exchange_strong(none, signal);
    g_count.fetch_add(1);
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals() {
    g_count = 0;
    g_first = 0;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Blocking calls go on after the handler; poll() and the event loops wake up (EINTR,
    // or the pipe) and look at the count.
    action.sa_flags = SA_RESTART;
    m_installed = true;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        m_installed = ::sigaction(kSignals[i], &action, &g_former[i]) == 0 && m_installed;
}

StopSignals::~StopSignals() {
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &g_former[i], nullptr);
    for (int& fd : g_pipe) {
        if (fd >= 0) // mutants: skip (never descriptor 0)
            ::close(fd);
        fd = -1; // mutants: skip (the former handlers are back: nothing reads the pipe now)
    }
}

int StopSignals::level() const {
    return g_count.load();
}

int StopSignals::signal() const {
    return g_first.load();
}

int StopSignals::wakeFd() const {
    return g_pipe[0];
}

void StopSignals::drain() const {
    char bytes[64];
    // The pipe is never descriptor 0, and its write end stays open: an empty pipe fails with
    // EAGAIN and never reads 0.
    while (g_pipe[0] >= 0 && ::read(g_pipe[0], bytes, sizeof bytes) > 0) { // mutants: skip
    }
}

QString StopSignals::name(int signal) {
    switch (signal) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("signal %1").arg(signal);
    }
}

} // namespace velinor
