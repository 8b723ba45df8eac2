#include "ui/busy_scope.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

namespace velinor {

BusyScope::BusyScope(QWidget* form, QProgressBar* bar, ModuleLink& link)
    : m_form(form), m_bar(bar), m_link(link) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_cursor = true;
    qApp->installEventFilter(this);
    if (m_bar) {
        m_bar->show();
        m_bar->setRange(0, 1); // mutants: skip (empty at 0 of any range)
        m_bar->setValue(0);
    }
    m_link.setProgressSink(this);
}

BusyScope::~BusyScope() {
    m_link.setProgressSink(nullptr);
    // Input that arrived during the waits is still queued: let it reach the
    // filter now, so that it is thrown away instead of running afterwards.
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    suspend();
    // The handler that ran the exchange returns first; then the form closes.
    if (m_closeRequested && m_form)
        QTimer::singleShot(0, m_form.data(), [form = m_form.data()] { form->close(); });
}

void BusyScope::suspend() {
    if (m_cursor) {
        QApplication::restoreOverrideCursor();
        m_cursor = false;
    }
    if (m_bar)
        m_bar->hide();
}

void BusyScope::progress(int done, int total) {
    if (!m_bar || total <= 0)
        return;
    m_bar->setRange(0, total);
    m_bar->setValue(qBound(0, done, total)); // mutants: skip (the bar starts at 0 already)
}

bool BusyScope::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::Close:
        break;
    default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!m_form || !widget || (widget != m_form && !m_form->isAncestorOf(widget)))
        return false;
    if (event->type() == QEvent::Close && widget == m_form)
        m_closeRequested = true;
    event->ignore(); // a close event is accepted unless told otherwise
    return true;
}

} // namespace velinor
