#include "sim/pty_server_thread.h"

#include "sim/pty_server.h"

#include <memory>

namespace velinor {

PtyServerThread::PtyServerThread() {
    m_thread.setObjectName(QStringLiteral("adapter"));
}

PtyServerThread::~PtyServerThread() {
    stop();
}

bool PtyServerThread::start(const Setup& setup) {
    if (isRunning())
        return true;
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start();
    bool ok = false;
    QMetaObject::invokeMethod(
        m_context,
        [&] {
            auto server = std::make_unique<PtyServer>();
            if (!server->start()) {
                m_error = server->errorString();
                return;
            }
            QString error;
            if (setup && !setup(*server, error)) {
                m_error = error;
                return;
            }
            m_devicePath = server->devicePath();
            m_server = server.release();
            ok = true;
        },
        Qt::BlockingQueuedConnection);
    if (!ok)
        stop();
    return ok;
}

void PtyServerThread::stop() {
    if (!m_context)
        return;
    if (m_thread.isRunning()) {
        QMetaObject::invokeMethod(
            m_context,
            [this] {
                delete m_server; // closes the terminal and removes its link
                m_server = nullptr;
                delete m_context;
                m_context = nullptr;
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    delete m_context; // only when the thread never ran
    m_context = nullptr;
}

void PtyServerThread::call(const std::function<void(PtyServer&)>& fn) {
    if (!m_server)
        return;
    QMetaObject::invokeMethod(
        m_context, [this, &fn] { fn(*m_server); }, Qt::BlockingQueuedConnection);
}

} // namespace velinor
