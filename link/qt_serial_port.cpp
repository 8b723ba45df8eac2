#include "link/qt_serial_port.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSerialPort>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/file.h>

namespace velinor {

namespace {

QString errorText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// The errno-like code for a QSerialPort error.
int codeFor(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
        return 0;
    case QSerialPort::DeviceNotFoundError:
        return ENOENT;
    case QSerialPort::PermissionError:
        return EACCES;
    case QSerialPort::OpenError:
        return EIO;
    case QSerialPort::NotOpenError:
        return EBADF;
    case QSerialPort::TimeoutError:
        return ETIMEDOUT;
    case QSerialPort::UnsupportedOperationError:
        return EOPNOTSUPP;
    default:
        return EIO;
    }
}

} // namespace

QtSerialPort::QtSerialPort() : m_port(std::make_unique<QSerialPort>()) {}

QtSerialPort::~QtSerialPort() {
    close();
}

OpenStatus QtSerialPort::open(const QString& name) {
    if (m_port->isOpen()) {
        m_error = EBUSY;
        return {OpenResult::Failed, EBUSY, errorText(EBUSY)};
    }
    m_port->clearError();
    m_port->setPortName(name);
    if (!m_port->open(QIODevice::ReadWrite)) {
        // errno is no guide here: QSerialPort's lock file handling overwrites it.
        const QSerialPort::SerialPortError error = m_port->error();
        const QString text = m_port->errorString();
        m_port->clearError();
        m_error = codeFor(error == QSerialPort::NoError ? QSerialPort::OpenError : error);
        if (error == QSerialPort::DeviceNotFoundError)
            return {OpenResult::NotFound, ENOENT, errorText(ENOENT)};
        return {OpenResult::Failed, m_error, text};
    }
    // Another holder of the device, root included, keeps it: the lock is per open file.
    if (::flock(int(m_port->handle()), LOCK_EX | LOCK_NB) != 0) {
        const int code = (errno == EWOULDBLOCK) ? EBUSY : errno;
        m_port->close();
        m_port->clearError();
        m_error = code;
        return {OpenResult::Failed, code, errorText(code)};
    }
    m_error = 0;
    return {OpenResult::Ok, 0, QString()};
}

void QtSerialPort::close() {
    if (m_port->isOpen())
        m_port->close();  // closing the descriptor drops the lock
    m_port->clearError(); // mutants: skip (the next open clears it as well)
}

bool QtSerialPort::isOpen() const {
    return m_port->isOpen();
}

qint64 QtSerialPort::write(const QByteArray& data, int timeoutMs) {
    if (!m_port->isOpen()) {
        m_error = EBADF;
        return -1;
    }
    // (Qt refuses a write only to a port that is not open, which is checked above.)
    // mutants: off
    const qint64 queued = m_port->write(data);
    if (queued < 0) {
        takeError();
        return -1;
    }
    // mutants: on
    const QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    // (At the limits, 0 bytes or 0 ms left, Qt's wait returns false at once.)
    while (m_port->bytesToWrite() > 0) { // mutants: skip
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || !m_port->waitForBytesWritten(int(left))) // mutants: skip
            break;
    }
    if (m_port->error() != QSerialPort::NoError && m_port->error() != QSerialPort::TimeoutError) {
        takeError();
        return -1;
    }
    m_port->clearError();
    const qint64 unwritten = m_port->bytesToWrite();
    if (unwritten > 0) {
        // What did not go out within the time-out is not sent later.
        m_port->clear(QSerialPort::Output);
        m_error = ETIMEDOUT;
    }
    return queued - unwritten;
}

QByteArray QtSerialPort::read(qint64 maxBytes, int timeoutMs) {
    if (!m_port->isOpen()) {
        m_error = EBADF;
        return {};
    }
    if (maxBytes <= 0)
        return {};
    if (m_port->bytesAvailable() < maxBytes && timeoutMs > 0) { // mutants: skip (0 ms: no wait)
        if (QCoreApplication::instance() && QThread::currentThread() == qApp->thread())
            waitInEventLoop(maxBytes, timeoutMs);
        else
            waitBlocking(maxBytes, timeoutMs);
    }
    return m_port->read(maxBytes);
}

// The read window runs the event loop (without user input), so that windows keep
// painting while the tool waits for the adapter.
void QtSerialPort::waitInEventLoop(qint64 maxBytes, int timeoutMs) {
    QEventLoop loop;
    QTimer window;
    window.setTimerType(Qt::PreciseTimer);
    window.setSingleShot(true);
    QObject::connect(&window, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto arrived = QObject::connect(m_port.get(), &QSerialPort::readyRead, &loop, [&] {
        if (m_port->bytesAvailable() >= maxBytes)
            loop.quit();
    });
    const auto failed = QObject::connect(
        m_port.get(), &QSerialPort::errorOccurred, &loop, [&](QSerialPort::SerialPortError error) {
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
                loop.quit();
        });
    window.start(timeoutMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QObject::disconnect(arrived);
    QObject::disconnect(failed);
    const QSerialPort::SerialPortError error = m_port->error();
    if (error == QSerialPort::TimeoutError || error == QSerialPort::NoError)
        m_port->clearError();
    else
        takeError();
}

void QtSerialPort::waitBlocking(qint64 maxBytes, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    while (m_port->bytesAvailable() < maxBytes) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0) // mutants: skip (a millisecond more or less of waiting)
            break;
        if (!m_port->waitForReadyRead(int(left))) {
            const QSerialPort::SerialPortError error = m_port->error();
            if (error == QSerialPort::TimeoutError || error == QSerialPort::NoError) {
                m_port->clearError(); // mutants: skip (a time-out left there is ignored later)
                break;                // the window has run out
            }
            takeError();
            break;
        }
    }
}

void QtSerialPort::discardInput() {
    if (!m_port->isOpen())
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_port->clearError(); // mutants: skip (clearing the input sets no error)
}

bool QtSerialPort::readLineSettings(LineSettings& settings) {
    if (!m_port->isOpen()) {
        m_error = EBADF;
        return false;
    }
    settings.baudRate = m_port->baudRate();
    settings.dataBits = m_port->dataBits();
    settings.parity = m_port->parity();
    settings.stopBits = m_port->stopBits();
    settings.flowControl = m_port->flowControl();
    return true;
}

bool QtSerialPort::writeLineSettings(const LineSettings& settings) {
    if (!m_port->isOpen()) {
        m_error = EBADF;
        return false;
    }
    const bool ok = m_port->setBaudRate(settings.baudRate) &&
                    m_port->setDataBits(QSerialPort::DataBits(settings.dataBits)) &&
                    m_port->setParity(QSerialPort::Parity(settings.parity)) &&
                    m_port->setStopBits(QSerialPort::StopBits(settings.stopBits)) &&
                    m_port->setFlowControl(QSerialPort::FlowControl(settings.flowControl));
    if (!ok)
        takeError(); // mutants: skip (a pseudo-terminal takes every setting: not reached here)
    return ok;
}

void QtSerialPort::clearError() {
    m_error = 0; // mutants: skip (nothing reads the error once it is cleared)
    m_port->clearError();
}

void QtSerialPort::takeError() {
    m_error = codeFor(m_port->error());
    m_port->clearError();
}

} // namespace velinor
