#pragma once

#include <QString>

namespace velinor::security {

// The security types in the order of the selector: the index is the item of the
// security-type combo, the digit of "AT+IWST0=", and (plus 10) the result of the
// network dialog. -1 means none selected.
constexpr int kCount = 7;
constexpr int kNone = 0;
constexpr int kWep = 1;
constexpr int kWep128 = 2;
constexpr int kWpa = 3;
constexpr int kWpa2 = 4;
constexpr int kWpaEnterprise = 5;
constexpr int kWpa2Enterprise = 6;

constexpr const char* kNames[kCount] = {
    "NONE", "WEP", "WEP128", "WPA", "WPA2", "WPA-ENTERPRISE", "WPA2-ENTERPRISE"};

// The name of an index, empty outside 0 to 6.
inline QString name(int index) {
    return index >= 0 && index < kCount ? QString::fromLatin1(kNames[index]) : QString();
}

// The index of a name by exact, case-sensitive comparison; -1 when none.
inline int indexOf(const QString& name) {
    for (int i = 0; i < kCount; ++i)
        if (name == QLatin1String(kNames[i]))
            return i;
    return -1;
}

inline bool isEnterprise(int index) {
    return index == kWpaEnterprise || index == kWpa2Enterprise;
}

} // namespace velinor::security
