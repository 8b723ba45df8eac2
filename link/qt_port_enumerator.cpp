#include "link/qt_port_enumerator.h"

#include <QSerialPortInfo>

namespace velinor {

QList<PortInfo> QtPortEnumerator::ports() const {
    QList<PortInfo> result;
    const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : available) {
        PortInfo port;
        port.name = info.systemLocation(); // the device path, e.g. /dev/ttyACM0
        port.hasUsbIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        if (port.hasUsbIds) {
            port.vendorId = info.vendorIdentifier();
            port.productId = info.productIdentifier();
        }
        result.append(port);
    }
    return result;
}

} // namespace velinor
