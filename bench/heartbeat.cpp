#include "bench/heartbeat.h"

#include "bench/bench_util.h"

namespace velinor::bench {

Heartbeat::Heartbeat() {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &Heartbeat::beat);
}

void Heartbeat::start() {
    m_startNs = m_lastNs = monotonicNs();
    m_longestNs = 0;
    m_longestEndNs = m_startNs;
    m_beats = 0;
    m_timer.start();
}

void Heartbeat::stop() {
    m_timer.stop();
    // The stretch from the last beat to the end counts too.
    beat();
}

void Heartbeat::beat() {
    const qint64 now = monotonicNs();
    if (now - m_lastNs > m_longestNs) {
        m_longestNs = now - m_lastNs;
        m_longestEndNs = now;
    }
    m_lastNs = now;
    ++m_beats;
}

} // namespace velinor::bench
