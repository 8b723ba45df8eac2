#pragma once

#include "link/serial_port.h"

#include <memory>

class QSerialPort;

namespace velinor {

// The serial port of the platform, over QSerialPort. The port is held exclusively:
// the kernel's exclusive-tty flag does not stop root, so besides QSerialPort's lock
// file the open takes an flock() on the device, which other serial programs honour
// too; a second open of the same device fails for everyone.
class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    OpenStatus open(const QString& name) override;
    void close() override;
    bool isOpen() const override;
    qint64 write(const QByteArray& data, int timeoutMs) override;
    QByteArray read(qint64 maxBytes, int timeoutMs) override;
    void discardInput() override;
    bool readLineSettings(LineSettings& settings) override;
    bool writeLineSettings(const LineSettings& settings) override;
    int lastError() const override { return m_error; }
    void clearError() override;

private:
    void takeError();
    void waitInEventLoop(qint64 maxBytes, int timeoutMs);
    void waitBlocking(qint64 maxBytes, int timeoutMs);

    std::unique_ptr<QSerialPort> m_port;
    int m_error = 0;
};

} // namespace velinor
