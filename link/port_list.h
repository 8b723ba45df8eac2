#pragma once

#include "base/port_enumerator.h"

#include <QString>
#include <QStringList>

namespace velinor {

// The USB identity of the wireless product.
constexpr quint16 kAdapterVendorId = 0x7C5E;
constexpr quint16 kAdapterProductId = 0x0003;

// The items of the port list and the remembered port.
namespace portlist {

constexpr int kMaxAutomatic = 127;
constexpr int kMaxManual = 50;

// The ports of the wireless product (USB 7C5E:0003), in name order, at most 127.
QStringList automatic(const PortEnumerator& enumerator);

// Every serial port that the system reports, in name order, at most n (n <= 0: none).
QStringList manual(const PortEnumerator& enumerator, int n = kMaxManual);

// The index of the item that equals the remembered port exactly (case-sensitive);
// -1 when there is none or the remembered text is empty.
int restoreIndex(const QStringList& items, const QString& stored);

// A port name of this platform: a device path below "/dev/".
bool isPortName(const QString& text);

// Name order that reads numbers as numbers: "/dev/ttyACM2" before "/dev/ttyACM10".
bool nameLess(const QString& a, const QString& b);

} // namespace portlist
} // namespace velinor
