// The scan reply parser over arbitrary adapter output.
#include "fuzz_check.h"
#include "scan/scan_parser.h"

using namespace velinor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply = fuzz::bytes(data, size);
    const ScanReply result = ParseScanReply(reply);
    FUZZ_CHECK(result.entries.size() <= reply.count('\n'));
    FUZZ_CHECK(result.lines.size() == result.entries.size());

    for (qsizetype i = 0; i < result.entries.size(); ++i) {
        const ScanEntry& e = result.entries.at(i);
        const QByteArray& line = result.lines.at(i);
        FUZZ_CHECK(e.szSsid.size() <= ScanEntry::kSsidMax && e.szMac.size() <= ScanEntry::kMacMax);
        FUZZ_CHECK(line.size() <= scanreply::kLineMax && !line.contains('\n'));
        FUZZ_CHECK(line.count(',') >= scanreply::kMinCommas && reply.contains(line));
        const QList<QByteArray> fields = line.split(',');
        FUZZ_CHECK(fields.at(0).startsWith(e.szSsid) && fields.at(2).startsWith(e.szMac));
        // At most two characters of the channel field count: "-9" to "99".
        FUZZ_CHECK(e.nChannel ==
                   fuzz::clampedInt(fields.at(4).left(scanreply::kChannelMax).constData()));
        FUZZ_CHECK(e.nDamping == fuzz::clampedInt(fields.at(5).constData()));
        FUZZ_CHECK(!e.bAccessPoint || line.contains("AP"));
        // The first security word after the SSID, most specific first; none is NONE.
        const QByteArray afterSsid = line.mid(line.indexOf(','));
        static const char* const kWords[] = {"NONE", "WEP",     "WEP128",  "WPA",
                                             "WPA2", "WPA_ENT", "WPA2_ENT"};
        quint16 security = 6;
        while (security > 0 && !afterSsid.contains(kWords[security]))
            --security;
        FUZZ_CHECK(e.nSecurity == security);
    }

    // The number reader against the C library's, from an offset taken from the input.
    const qsizetype from = size > 0 ? qsizetype(data[0]) % (reply.size() + 1) : 0;
    FUZZ_CHECK(ParseLeadingInt(reply, from) == fuzz::clampedInt(reply.constData() + from));
    return 0;
}
