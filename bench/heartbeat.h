#pragma once

#include <QObject>
#include <QTimer>

namespace velinor::bench {

// Measures how freely the event loop of its thread turns: a timer that fires
// every couple of milliseconds whenever the loop (or a nested one) gets the
// chance. The longest time between two firings is the longest stretch in which
// the windows could not have been repainted.
class Heartbeat : public QObject {
public:
    static constexpr int kIntervalMs = 2;

    Heartbeat();
    void start();
    void stop();

    double longestGapMs() const { return m_longestNs / 1e6; }
    // When the longest gap ended, in milliseconds after start().
    double longestGapEndMs() const { return (m_longestEndNs - m_startNs) / 1e6; }
    qint64 beats() const { return m_beats; }

private:
    void beat();

    QTimer m_timer;
    qint64 m_startNs = 0;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
    qint64 m_longestEndNs = 0;
    qint64 m_beats = 0;
};

} // namespace velinor::bench
