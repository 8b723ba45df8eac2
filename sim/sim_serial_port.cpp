#include "sim/sim_serial_port.h"

#include "base/clock.h"
#include "sim/adapter_model.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace velinor {

namespace {

OpenStatus failure(OpenResult result, int code) {
    return {result, code, QString::fromLocal8Bit(std::strerror(code))};
}

} // namespace

SimSerialPort::SimSerialPort(AdapterModel& model, Clock& clock, QString deviceName)
    : m_model(model), m_clock(clock), m_name(std::move(deviceName)) {}

OpenStatus SimSerialPort::open(const QString& name) {
    ++m_opens;
    OpenStatus status;
    if (name != m_name || m_model.vanished() || m_model.consumeFailedOpen())
        status = failure(OpenResult::NotFound, ENOENT);
    else if (m_open || m_heldElsewhere)
        status = failure(OpenResult::Failed, EBUSY);
    else
        status = {OpenResult::Ok, 0, QString()};
    m_error = status.errorCode;
    if (status.result == OpenResult::Ok)
        m_open = true;
    return status;
}

void SimSerialPort::close() {
    m_open = false;
}

qint64 SimSerialPort::write(const QByteArray& data, int /*timeoutMs*/) {
    if (!m_open || m_model.vanished()) {
        m_error = m_open ? EIO : EBADF;
        return -1;
    }
    m_model.receive(data);
    if (m_model.vanished()) {
        // The device went away while these bytes were on their way.
        m_error = EIO;
        return -1;
    }
    return data.size();
}

QByteArray SimSerialPort::read(qint64 maxBytes, int timeoutMs) {
    ++m_reads;
    if (!m_open || m_model.vanished()) {
        m_error = m_open ? EIO : EBADF;
        return {};
    }
    if (maxBytes <= 0)
        return {};
    // The read ends as soon as maxBytes are there, or when the window has run out.
    const qint64 start = m_clock.elapsedMs();
    const qint64 end = start + qMax(0, timeoutMs);
    const qint64 fullAt = m_model.dueTimeFor(maxBytes);
    if (fullAt < 0 || fullAt > start) {
        const qint64 until = (fullAt >= 0 && fullAt < end) ? fullAt : end;
        if (until > start)
            m_clock.pause(int(until - start));
    }
    return m_model.takeOutput(maxBytes);
}

void SimSerialPort::discardInput() {
    ++m_discards;
    if (!m_open || m_model.vanished())
        return;
    m_model.takeOutput(m_model.pendingOutput());
}

bool SimSerialPort::readLineSettings(LineSettings& settings) {
    if (!m_open || m_model.vanished() || !m_settingsReadable) {
        m_error = m_open ? EIO : EBADF;
        return false;
    }
    settings = m_settings;
    return true;
}

bool SimSerialPort::writeLineSettings(const LineSettings& settings) {
    if (!m_open || m_model.vanished()) {
        m_error = m_open ? EIO : EBADF;
        return false;
    }
    m_settings = settings;
    ++m_settingsWrites;
    return true;
}

} // namespace velinor
