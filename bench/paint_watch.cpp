#include "bench/paint_watch.h"

#include <QEvent>
#include <QWidget>

namespace velinor::bench {

bool PaintWatchApplication::notify(QObject* receiver, QEvent* event) {
    // The event may be gone once it has been delivered: look at it first.
    if (!m_done && m_seen)
        m_seen(receiver, event);
    if (!m_done && m_test && receiver->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(receiver);
        if (event->type() == QEvent::Paint && m_test(widget->window()))
            m_paintedWindow = widget->window();
        else if (event->type() == QEvent::Show && m_shown && widget->isWindow() && m_test(widget)) {
            m_shown();
            m_shown = nullptr;
        }
    }
    ++m_depth;
    const bool result = QApplication::notify(receiver, event);
    --m_depth;
    if (m_depth == 0 && m_paintedWindow && !m_done) {
        m_done = true;
        if (m_painted)
            m_painted(m_paintedWindow);
    }
    return result;
}

} // namespace velinor::bench
