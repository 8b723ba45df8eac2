#pragma once

#include <QList>
#include <QString>

namespace velinor {

struct PortInfo {
    QString name; // the platform's name of the port: a device path on Linux
    bool hasUsbIds = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
};

// The serial ports that the system reports.
class PortEnumerator {
public:
    virtual ~PortEnumerator() = default;
    virtual QList<PortInfo> ports() const = 0;
};

} // namespace velinor
