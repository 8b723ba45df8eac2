#pragma once

#include <QDateTime>
#include <QtGlobal>

#include <utility>

namespace velinor {

// Time as the tool sees it: a monotonic millisecond counter for the protocol
// waits, the local wall time for the log, and the fixed pauses.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 elapsedMs() const = 0;
    virtual QDateTime now() const = 0;
    virtual void pause(int ms) = 0;
};

// A clock that only moves when told to: pause() advances it at once.
class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2012, 12, 5), QTime(14, 3, 11)))
        : m_start(std::move(start)) {}
    qint64 elapsedMs() const override { return m_elapsed; }
    QDateTime now() const override { return m_start.addMSecs(m_elapsed); }
    void pause(int ms) override {
        if (ms > 0)
            m_elapsed += ms;
        ++m_pauses;
    }
    void advance(qint64 ms) { m_elapsed += ms; }
    int pauseCount() const { return m_pauses; }

private:
    QDateTime m_start;
    qint64 m_elapsed = 0;
    int m_pauses = 0;
};

} // namespace velinor
