#pragma once

#include "base/port_enumerator.h"

namespace velinor {

// The serial ports that the platform knows, with their USB ids where they have them.
class QtPortEnumerator : public PortEnumerator {
public:
    QList<PortInfo> ports() const override;
};

} // namespace velinor
