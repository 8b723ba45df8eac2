#include "link/port_list.h"

#include <algorithm>

namespace velinor::portlist {

namespace {

QStringList sortedNames(QStringList names, int limit) {
    names.removeAll(QString());
    std::sort(names.begin(), names.end(), nameLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    if (limit <= 0)
        return {};
    if (names.size() > limit)
        names.resize(limit);
    return names;
}

} // namespace

bool nameLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a.at(ei).isDigit())
                ++ei;
            while (ej < b.size() && b.at(ej).isDigit())
                ++ej;
            // Compare the numbers without leading zeros: the longer one is larger.
            qsizetype si = i;
            qsizetype sj = j;
            while (si + 1 < ei && a.at(si) == u'0')
                ++si;
            while (sj + 1 < ej && b.at(sj) == u'0')
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            const int c = QStringView(a).mid(si, ei - si).compare(QStringView(b).mid(sj, ej - sj));
            if (c != 0)
                return c < 0;     // mutants: skip (c is not 0 here)
            if (ei - i != ej - j) // "01" before "1"
                return ei - i > ej - j;
            i = ei;
            j = ej;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j); // mutants: skip (unequal: < and <= agree)
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

QStringList automatic(const PortEnumerator& enumerator) {
    QStringList names;
    for (const PortInfo& info : enumerator.ports())
        if (info.hasUsbIds && info.vendorId == kAdapterVendorId &&
            info.productId == kAdapterProductId)
            names.append(info.name);
    return sortedNames(names, kMaxAutomatic);
}

QStringList manual(const PortEnumerator& enumerator, int n) {
    QStringList names;
    for (const PortInfo& info : enumerator.ports())
        names.append(info.name);
    return sortedNames(names, std::min(n, kMaxManual));
}

int restoreIndex(const QStringList& items, const QString& stored) {
    if (stored.isEmpty())
        return -1; // mutants: skip (any negative index selects none)
    return static_cast<int>(items.indexOf(stored));
}

bool isPortName(const QString& text) {
    return text.startsWith(QLatin1String("/dev/")) && text.size() > 5;
}

} // namespace velinor::portlist
