// The scan reply parser over arbitrary adapter output.

#include "fuzz_check.h"
#include "scan/scan_parser.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

using namespace velinor;

namespace {

// The number atoi would read, held at the ends of the 32-bit range.
qint32 referenceInt(const QByteArray& text, qsizetype from) {
    const char* start = text.constData() + qBound<qsizetype>(0, from, text.size());
    const long long v = std::strtoll(start, nullptr, 10);
    if (v > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (v < std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return qint32(v);
}

quint16 referenceSecurity(const QByteArray& afterSsid) {
    static const struct {
        const char* word;
        quint16 index;
    } kWords[] = {{"WPA2_ENT", 6}, {"WPA_ENT", 5}, {"WPA2", 4}, {"WPA", 3},
                  {"WEP128", 2},   {"WEP", 1},     {"NONE", 0}};
    for (const auto& w : kWords) {
        if (afterSsid.contains(w.word))
            return w.index;
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply = fuzz::bytes(data, size);
    const ScanReply result = ParseScanReply(reply);

    FUZZ_CHECK(result.entries.size() <= reply.count('\n'));
    FUZZ_CHECK(result.lines.size() == result.entries.size());

    for (qsizetype i = 0; i < result.entries.size(); ++i) {
        const ScanEntry& e = result.entries.at(i);
        const QByteArray& line = result.lines.at(i);
        FUZZ_CHECK(e.szSsid.size() <= ScanEntry::kSsidMax);
        FUZZ_CHECK(e.szMac.size() <= ScanEntry::kMacMax);
        FUZZ_CHECK(e.nSecurity <= 6);
        FUZZ_CHECK(line.size() <= scanreply::kLineMax);
        FUZZ_CHECK(!line.contains('\n'));
        FUZZ_CHECK(line.count(',') >= scanreply::kMinCommas);
        FUZZ_CHECK(reply.contains(line));

        const QList<QByteArray> fields = line.split(',');
        FUZZ_CHECK(fields.at(0).startsWith(e.szSsid));
        FUZZ_CHECK(fields.at(2).startsWith(e.szMac));
        // The channel field has at most two characters: "-9" to "99".
        FUZZ_CHECK(e.nChannel >= -9 && e.nChannel <= 99);
        FUZZ_CHECK(e.nChannel == referenceInt(fields.at(4).left(scanreply::kChannelMax), 0));
        FUZZ_CHECK(e.nDamping == referenceInt(fields.at(5), 0));
        const QByteArray afterSsid = line.mid(line.indexOf(','));
        FUZZ_CHECK(e.nSecurity == referenceSecurity(afterSsid));
        FUZZ_CHECK(!e.bAccessPoint || line.contains("AP"));
    }

    // The number reader against the C library's, from an offset taken from the input.
    const qsizetype from = size > 0 ? qsizetype(data[0]) % (reply.size() + 1) : 0;
    FUZZ_CHECK(ParseLeadingInt(reply, from) == referenceInt(reply, from));
    return 0;
}
