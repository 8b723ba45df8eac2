#pragma once

#include <QString>

namespace velinor {

class Clock;
class EventLog;

// Switches the adapter's USB device off and on again through the kernel's own
// switch, the "authorized" attribute of every USB device with the adapter's
// vendor and product id under <sysfsRoot>/bus/usb/devices. Writing it needs root
// or the udev rule that the package installs.
class UsbRestart {
public:
    static constexpr const char* kVendorId = "7c5e";
    static constexpr const char* kProductId = "0003";
    static constexpr int kPauseMs = 1000;

    UsbRestart(QString sysfsRoot, Clock& clock, EventLog& log);

    // Disable, pause 1000 ms, enable, pause 1000 ms: true. When no such device
    // exists or a write fails, one entry "usbrestart error: <errno>" goes to the
    // log and the result is false; after a failed disable step nothing is enabled
    // except the devices that this call itself had already switched off.
    // Disabled, it does nothing and returns false.
    bool RestartAdapter();
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // The "authorized" files of the adapter's devices, in name order.
    QStringList adapterSwitches() const;

private:
    // 0 on success, else the errno of the failed write.
    static int writeSwitch(const QString& path, char value);
    void logFailure(int error);

    QString m_sysfsRoot;
    Clock& m_clock;
    EventLog& m_log;
    bool m_enabled = true;
};

} // namespace velinor
