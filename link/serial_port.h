#pragma once

#include <QByteArray>
#include <QString>

namespace velinor {

enum class OpenResult { Ok, NotFound, Failed };

struct OpenStatus {
    OpenResult result = OpenResult::Failed;
    int errorCode = 0; // the platform's error number, 0 when none
    QString errorText;
};

// Baud rate, data bits, parity, stop bits and flow control as the port has them.
struct LineSettings {
    qint32 baudRate = 0;
    int dataBits = 0;
    int parity = 0;
    int stopBits = 0;
    int flowControl = 0;
};

// One serial port. Every call blocks until it is done or its time-out ran out.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens the port exclusively for reading and writing.
    virtual OpenStatus open(const QString& name) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes the bytes; returns how many were written within the time-out (0 or -1 on failure).
    virtual qint64 write(const QByteArray& data, int timeoutMs) = 0;
    // Returns as soon as maxBytes have arrived, or when the time-out has run out with
    // whatever arrived (possibly nothing). An empty result also stands for a failed read.
    virtual QByteArray read(qint64 maxBytes, int timeoutMs) = 0;
    // Throws away whatever input is pending.
    virtual void discardInput() = 0;
    virtual bool readLineSettings(LineSettings& settings) = 0;
    virtual bool writeLineSettings(const LineSettings& settings) = 0;
    // The last error of the platform's port layer; clearError() resets it to 0.
    virtual int lastError() const = 0;
    virtual void clearError() = 0;
};

} // namespace velinor
