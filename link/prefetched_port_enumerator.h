#pragma once

#include "base/port_enumerator.h"

#include <future>
#include <mutex>

namespace velinor {

// Starts an enumeration of its source at once, on a thread of its own, and hands
// that result to the first ports() call; later calls enumerate anew. main()
// makes one before the application object, so that the automatic port search
// (a walk over the system's tty devices) runs while Qt starts up.
class PrefetchedPortEnumerator : public PortEnumerator {
public:
    // The source must outlive this object; a result nobody asked for is waited
    // for when this object goes.
    explicit PrefetchedPortEnumerator(const PortEnumerator& source);

    QList<PortInfo> ports() const override;

private:
    const PortEnumerator& m_source;
    mutable std::mutex m_mutex;
    mutable std::future<QList<PortInfo>> m_first;
};

} // namespace velinor
