#pragma once

#include "base/clock.h"

#include <QElapsedTimer>

namespace velinor {

// The real clock. pause() keeps the windows painting: it runs the event loop
// without user input until the time is up, so a long wait for the adapter never
// looks like a hung program.
class SystemClock : public Clock {
public:
    SystemClock() { m_timer.start(); }
    qint64 elapsedMs() const override { return m_timer.elapsed(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    void pause(int ms) override;

private:
    QElapsedTimer m_timer;
};

} // namespace velinor
