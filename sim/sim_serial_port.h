#pragma once

#include "link/serial_port.h"

#include <QString>

namespace velinor {

class AdapterModel;
class Clock;

// An in-process serial port over the adapter model. Reads wait on the given
// clock, so with a ManualClock the whole exchange runs in virtual time.
class SimSerialPort : public SerialPort {
public:
    SimSerialPort(AdapterModel& model, Clock& clock,
                  QString deviceName = QStringLiteral("/dev/ttyACM0"));

    OpenStatus open(const QString& name) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    qint64 write(const QByteArray& data, int timeoutMs) override;
    QByteArray read(qint64 maxBytes, int timeoutMs) override;
    void discardInput() override;
    bool readLineSettings(LineSettings& settings) override;
    bool writeLineSettings(const LineSettings& settings) override;
    int lastError() const override { return m_error; }
    void clearError() override { m_error = 0; }

    const QString& deviceName() const { return m_name; }
    // Every call of open(), whatever its result.
    int openCount() const { return m_opens; }
    int readCount() const { return m_reads; }
    // Another program holds the port: opens fail with EBUSY.
    void setHeldElsewhere(bool held) { m_heldElsewhere = held; }
    // The line settings cannot be read (writing them back still works).
    void setLineSettingsReadable(bool readable) { m_settingsReadable = readable; }
    const LineSettings& lineSettings() const { return m_settings; }
    int lineSettingsWrites() const { return m_settingsWrites; }
    int discardCount() const { return m_discards; }

private:
    AdapterModel& m_model;
    Clock& m_clock;
    QString m_name;
    bool m_open = false;
    bool m_heldElsewhere = false;
    int m_error = 0;
    int m_opens = 0;
    int m_reads = 0;
    int m_discards = 0;
    bool m_settingsReadable = true;
    int m_settingsWrites = 0;
    LineSettings m_settings{9600, 8, 0, 1, 0};
};

} // namespace velinor
