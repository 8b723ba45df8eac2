#pragma once

#include <QString>
#include <QThread>

#include <functional>

namespace velinor {

class PtyServer;

// A PtyServer on a thread of its own, so that the adapter answers on time even
// while the tool's thread is busy in a handler. The server is made, set up and
// destroyed on that thread; call() runs code there and waits for it.
class PtyServerThread {
public:
    // Runs on the server's thread once the terminal is open; false with a message
    // stops the start.
    using Setup = std::function<bool(PtyServer& server, QString& error)>;

    PtyServerThread();
    ~PtyServerThread();
    PtyServerThread(const PtyServerThread&) = delete;
    PtyServerThread& operator=(const PtyServerThread&) = delete;

    // Starts the thread, opens the pseudo-terminal and runs the setup. False with
    // errorString() when any of it fails; the thread has ended then.
    bool start(const Setup& setup = {});
    // Destroys the server (the terminal closes) and ends the thread.
    void stop();
    bool isRunning() const { return m_server != nullptr; }

    // The port side of the terminal, e.g. "/dev/pts/3".
    QString devicePath() const { return m_devicePath; }
    QString errorString() const { return m_error; }

    // Runs fn with the server on the server's thread and returns when it is done.
    void call(const std::function<void(PtyServer&)>& fn);

private:
    QThread m_thread;
    QObject* m_context = nullptr; // lives on m_thread
    PtyServer* m_server = nullptr;
    QString m_devicePath;
    QString m_error;
};

} // namespace velinor
