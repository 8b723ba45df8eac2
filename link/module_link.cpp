#include "link/module_link.h"

#include "base/clock.h"
#include "base/stop_request.h"
#include "link/serial_port.h"

namespace velinor {

namespace {

// A pause is cut into slices of this length while a stop may be requested.
constexpr int kStopSliceMs = 100;

// The command without its value and line end: never a key in a message.
QByteArray commandName(const QByteArray& command) {
    const qsizetype value = command.indexOf('=');
    // left(-1) would be empty; no command begins with "=".
    QByteArray name = value < 0 ? command : command.left(value); // mutants: skip
    while (name.endsWith('\r') || name.endsWith('\n'))
        name.chop(1);
    return name;
}

} // namespace

void ModuleLink::ConfigurePort(SerialPort* port) {
    // The read and write windows are fixed per call (kReadTimeoutMs, kWriteTimeoutMs).
    pause(kConfigurePauseMs);
    LineSettings settings;
    const bool haveSettings = port && port->readLineSettings(settings);
    ClearLastError(); // mutants: skip (nothing reads the port's error)
    pause(kConfigurePauseMs);
    if (haveSettings)
        port->writeLineSettings(settings);
    ClearLastError(); // mutants: skip (nothing reads the port's error)
}

quint32 ModuleLink::WritePort(SerialPort* port, const QByteArray& command) {
    if (stopRequested())
        return 0; // mutants: skip (SendCommand checks the stop again before it reads)
    qint64 written = 0;
    m_lastCommand = commandName(command);
    if (port && port->isOpen())
        written = port->write(command, kWriteTimeoutMs);
    ClearLastError(); // mutants: skip (nothing reads the port's error)
    if (m_stepsTotal > 0) {
        m_stepsDone = qMin(m_stepsDone + 1, m_stepsTotal);
        reportShare(m_stepsDone, m_stepsTotal);
    }
    pause(kWritePauseMs);
    return written > 0 ? quint32(written) : 0; // mutants: skip (a failed write reads nothing)
}

QByteArray ModuleLink::ReadPort(SerialPort* port) {
    if (!port || !port->isOpen())
        return {};
    QByteArray reply = port->read(kReadMax, kReadTimeoutMs);
    ClearLastError();         // mutants: skip (nothing reads the port's error)
    reply.truncate(kReadMax); // mutants: skip (ports read no more than asked; in case one does)
    return reply;
}

void ModuleLink::DiscardInput(SerialPort* port) {
    if (port && port->isOpen()) // mutants: skip (never null here; a closed port has no input)
        port->discardInput();
}

bool ModuleLink::SendCommand(SerialPort* port, const QByteArray& command) {
    DiscardInput(port);
    if (WritePort(port, command) == 0) // mutants: skip (then nothing is read: the same failure)
        return false;
    pause(kReplyWaitMs);
    // A reply cut short by a stop is not judged.
    return !stopRequested() && HasOk(ReadPort(port));
}

void ModuleLink::setStopRequest(const StopRequest* stop, std::function<void()> finishing) {
    m_stop = stop;
    m_finishing = std::move(finishing);
    m_toldFinishing = false;
}

bool ModuleLink::stopRequested() {
    const int level = m_stop ? m_stop->level() : 0;
    if (level == 0)
        return false;
    if (!m_mustFinish)
        return true;
    if (level == 1 && !m_toldFinishing) {
        m_toldFinishing = true;
        if (m_finishing)
            m_finishing();
    }
    return level >= 2;
}

void ModuleLink::pause(int ms) {
    if (!m_stop) {
        m_clock.pause(ms);
        return;
    }
    // The slices end at the same time as one pause would.
    const qint64 end = m_clock.elapsedMs() + ms;
    for (qint64 left = ms; left > 0 && !stopRequested(); left = end - m_clock.elapsedMs())
        m_clock.pause(int(qMin<qint64>(left, kStopSliceMs)));
}

void ModuleLink::beginSteps(int total) {
    m_lastCommand.clear();
    m_stepsDone = 0;
    m_stepsTotal = qMax(total, 0);
    reportShare(0, m_stepsTotal);
}

void ModuleLink::reportShare(int done, int total) {
    if (m_progress && total > 0) // mutants: skip (no piece of work has a single step)
        m_progress->progress(done, total);
}

void ModuleLink::ClosePort() {
    if (m_hPort)
        m_hPort->close();
    m_hPort = nullptr;
}

void ModuleLink::ClearLastError() {
    if (m_hPort) // mutants: skip (nothing reads the port's error)
        m_hPort->clearError();
}

} // namespace velinor
