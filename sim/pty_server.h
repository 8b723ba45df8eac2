#pragma once

#include "base/system_clock.h"
#include "sim/adapter_model.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace velinor {

// Serves the adapter model on a pseudo-terminal in real time. The port side
// (devicePath()) behaves like the adapter's serial port: any serial program, or
// the tool itself, can open it. The terminal is raw, so "\r" arrives as "\r".
//
// The server runs on the event loop of its thread. In the same thread as the tool
// it answers while the tool pauses (the tool's pauses run the event loop).
// When the model vanishes the terminal is closed: reads and writes on the port fail
// and, once the port is closed, opening it finds no device.
class PtyServer : public QObject {
    Q_OBJECT
public:
    explicit PtyServer(QObject* parent = nullptr);
    ~PtyServer() override;

    // Opens the pseudo-terminal and starts serving. False with errorString() on failure.
    bool start();
    // Stops serving, closes the terminal and removes the link.
    void stop();
    bool isRunning() const { return m_master >= 0; }
    // The adapter is unplugged now: the terminal closes.
    void vanish();

    // The adapter is plugged in again after vanish(): a new terminal (a new port side),
    // the link, if any, pointing to it. False with errorString() on failure.
    bool comeBack();

    // The port side, e.g. "/dev/pts/3".
    QString devicePath() const { return m_devicePath; }
    QString errorString() const { return m_error; }

    // A symbolic link to the port side, removed again by stop(). An existing link is
    // replaced; any other file at the path is left alone and the call fails.
    bool setLink(const QString& path);
    QString linkPath() const { return m_linkPath; }
    // Writes every command received to the file, one per line, "\r" as the two
    // characters \r and "\n" as \n, flushed as it arrives. The file is truncated.
    bool setTranscriptFile(const QString& path);

    AdapterModel& model() { return m_model; }
    const Clock& clock() const { return m_clock; }

    // A command as the transcript file shows it.
    static QByteArray escapeCommand(const QByteArray& command);

signals:
    void commandReceived(const QByteArray& command);
    // The model vanished and the terminal was closed.
    void vanished();

private:
    void onReadable();
    void onWritable();
    void flushOutput();
    void schedule();
    void closeTerminal();
    void removeLink();
    void recordCommands();

    SystemClock m_clock;
    AdapterModel m_model{m_clock};
    int m_master = -1;
    int m_slave = -1; // kept open so the terminal lives while no client holds it
    QString m_devicePath;
    QString m_linkPath;
    QString m_error;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer m_dueTimer;
    QByteArray m_outgoing;
    qsizetype m_commandsSeen = 0;
    QFile m_transcript;
};

} // namespace velinor
