#pragma once

#include <QByteArray>

#include <functional>

namespace velinor {

class Clock;
class SerialPort;
class StopRequest;

// Told how far an exchange with the adapter has come.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void progress(int done, int total) = 0;
};

// The one handle to the adapter's serial port and the command transaction on it.
class ModuleLink {
public:
    static constexpr int kBufferSize = 10340;
    static constexpr int kReadMax = 5220;
    static constexpr int kReadTimeoutMs = 100;
    static constexpr int kWriteTimeoutMs = 100;
    static constexpr int kWritePauseMs = 200;
    static constexpr int kReplyWaitMs = 1000;
    static constexpr int kConfigurePauseMs = 1000;

    explicit ModuleLink(Clock& clock) : m_clock(clock) {}

    // Applies the time-outs, pauses, reads the line settings, pauses, writes them back.
    // Failures are ignored; always about 2 s.
    void ConfigurePort(SerialPort* port);
    // One write of the whole command, then 200 ms whatever the outcome. Bytes written.
    quint32 WritePort(SerialPort* port, const QByteArray& command);
    // One read of at most 5220 bytes under the 100 ms window. Empty on failure.
    QByteArray ReadPort(SerialPort* port);
    // Throws away input that arrived too late for an earlier command.
    void DiscardInput(SerialPort* port);
    // Discard pending input, write, wait 1000 ms, read once; true when "I/OK" is in the reply.
    bool SendCommand(SerialPort* port, const QByteArray& command);

    SerialPort* GetPortHandle() const { return m_hPort; }
    void SetPortHandle(SerialPort* port) { m_hPort = port; }
    // Closes the stored port (when there is one) and stores no port.
    void ClosePort();
    void ClearLastError();

    Clock& clock() { return m_clock; }

    // Progress of the exchange: each command written is one step of the number
    // expected; the long waits (key, scan) report the share of their time-out.
    void setProgressSink(ProgressSink* sink) { m_progress = sink; }
    void beginSteps(int total);
    void reportShare(int done, int total);

    static bool HasOk(const QByteArray& reply) { return reply.contains("I/OK"); }

    // A request from outside to stop (none by default: nothing stops the exchange).
    // finishing is told once when a first request comes while the exchange must finish.
    void setStopRequest(const StopRequest* stop, std::function<void()> finishing = {});
    // While on, only a second request stops the exchange: the adapter has been reset to
    // its factory defaults and is left unconfigured unless its programming is finished.
    void setMustFinish(bool on) { m_mustFinish = on; }
    // Whether the exchange is to stop now: at the first request, or at the second while
    // it must finish. Once it is, no command is written any more and pauses end at once.
    bool stopRequested();
    // The clock's pause; with a stop request in place it ends early when a stop is requested.
    void pause(int ms);

    // The commands written since beginSteps, of how many expected, and the last one's
    // name without its value ("AT+IWLCH", "AT+IBDRF?"): where a stopped exchange ended.
    int stepsDone() const { return m_stepsDone; }
    int stepsTotal() const { return m_stepsTotal; }
    const QByteArray& lastCommand() const { return m_lastCommand; }

private:
    Clock& m_clock;
    SerialPort* m_hPort = nullptr;
    ProgressSink* m_progress = nullptr;
    int m_stepsDone = 0;
    int m_stepsTotal = 0;
    QByteArray m_lastCommand;
    const StopRequest* m_stop = nullptr;
    std::function<void()> m_finishing;
    bool m_mustFinish = false;
    bool m_toldFinishing = false;
};

} // namespace velinor
