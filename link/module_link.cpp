#include "link/module_link.h"

#include "base/clock.h"
#include "link/serial_port.h"

namespace velinor {

void ModuleLink::ConfigurePort(SerialPort* port) {
    // The read and write windows are fixed per call (kReadTimeoutMs, kWriteTimeoutMs).
    m_clock.pause(kConfigurePauseMs);
    LineSettings settings;
    const bool haveSettings = port && port->readLineSettings(settings);
    ClearLastError(); // mutants: skip (nothing reads the port's error)
    m_clock.pause(kConfigurePauseMs);
    if (haveSettings)
        port->writeLineSettings(settings);
    ClearLastError(); // mutants: skip (nothing reads the port's error)
}

quint32 ModuleLink::WritePort(SerialPort* port, const QByteArray& command) {
    qint64 written = 0;
    if (port && port->isOpen())
        written = port->write(command, kWriteTimeoutMs);
    ClearLastError(); // mutants: skip (nothing reads the port's error)
    if (m_stepsTotal > 0) {
        m_stepsDone = qMin(m_stepsDone + 1, m_stepsTotal);
        reportShare(m_stepsDone, m_stepsTotal);
    }
    m_clock.pause(kWritePauseMs);
    return written > 0 ? quint32(written) : 0;
}

QByteArray ModuleLink::ReadPort(SerialPort* port) {
    if (!port || !port->isOpen())
        return {};
    QByteArray reply = port->read(kReadMax, kReadTimeoutMs);
    ClearLastError(); // mutants: skip (nothing reads the port's error)
    if (reply.size() > kReadMax)
        reply.truncate(kReadMax);
    return reply;
}

void ModuleLink::DiscardInput(SerialPort* port) {
    if (port && port->isOpen())
        port->discardInput();
}

bool ModuleLink::SendCommand(SerialPort* port, const QByteArray& command) {
    DiscardInput(port);
    if (WritePort(port, command) == 0)
        return false;
    m_clock.pause(kReplyWaitMs);
    return HasOk(ReadPort(port));
}

void ModuleLink::beginSteps(int total) {
    m_stepsDone = 0;
    m_stepsTotal = qMax(total, 0);
    reportShare(0, m_stepsTotal);
}

void ModuleLink::reportShare(int done, int total) {
    if (m_progress && total > 0)
        m_progress->progress(done, total);
}

void ModuleLink::ClosePort() {
    if (m_hPort)
        m_hPort->close();
    m_hPort = nullptr;
}

void ModuleLink::ClearLastError() {
    if (m_hPort)
        m_hPort->clearError();
}

} // namespace velinor
