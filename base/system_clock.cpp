#include "base/system_clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace velinor {

void SystemClock::pause(int ms) {
    if (ms <= 0) // mutants: skip (a pause of 0 ms is over at once either way)
        return;
    QElapsedTimer waited;
    waited.start();
    if (QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer); // mutants: skip (an early end is made up below)
        timer.setSingleShot(true);            // mutants: skip (the loop ends at its first time-out)
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(ms);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    const qint64 rest = ms - waited.elapsed();
    if (rest > 0)
        QThread::msleep(static_cast<unsigned long>(rest));
}

} // namespace velinor
