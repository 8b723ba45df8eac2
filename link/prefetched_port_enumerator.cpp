#include "link/prefetched_port_enumerator.h"

namespace velinor {

PrefetchedPortEnumerator::PrefetchedPortEnumerator(const PortEnumerator& source)
    : m_source(source),
      m_first(std::async(std::launch::async, [&source] { return source.ports(); })) {}

QList<PortInfo> PrefetchedPortEnumerator::ports() const {
    const std::lock_guard lock(m_mutex);
    if (m_first.valid())
        return m_first.get();
    return m_source.ports();
}

} // namespace velinor
