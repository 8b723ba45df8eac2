// The replies of the four read-out queries over arbitrary adapter output.

#include "config/readout.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

using namespace velinor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply = fuzz::bytes(data, size);
    const bool hasOk = reply.contains("I/OK");
    const bool hasQuestion = reply.contains('?');

    // Security type and channel.
    bool ok = true;
    const qint32 number = ReadOut::ParseNumberReply(reply, &ok);
    FUZZ_CHECK(ok == (hasOk && hasQuestion));
    FUZZ_CHECK(ok || number == -1);
    FUZZ_CHECK(number == ReadOut::ParseNumberReply(reply));
    if (ok) {
        // The value starts past the "?" and its two-character line end.
        const qsizetype start = reply.indexOf('?') + 3;
        const char* text = start < reply.size() ? reply.constData() + start : "";
        const long long v = std::strtoll(text, nullptr, 10);
        const qint32 expected = qint32(std::clamp<long long>(v, std::numeric_limits<qint32>::min(),
                                                             std::numeric_limits<qint32>::max()));
        FUZZ_CHECK(number == expected);
    }

    // SSID.
    ok = true;
    const QString ssid = ReadOut::ParseSsidReply(reply, &ok);
    FUZZ_CHECK(ssid.size() <= reply.size());
    FUZZ_CHECK(ok || ssid.isEmpty());
    FUZZ_CHECK(!ok || (hasOk && hasQuestion));
    FUZZ_CHECK(ssid == ReadOut::ParseSsidReply(reply));
    if (!ssid.isEmpty()) {
        // The name is taken from the reply as it stands and never carries the ad hoc mark.
        const QByteArray utf8 = ssid.toUtf8();
        FUZZ_CHECK(!ssid.startsWith(QLatin1Char('!')) || reply.contains("!!"));
        FUZZ_CHECK(!utf8.contains("I/OK"));
    }

    // Access type.
    const qint32 access = ReadOut::ParseAccessTypeReply(reply);
    FUZZ_CHECK(access == -1 || access == 0 || access == 1);
    FUZZ_CHECK((access == -1) == !hasOk);
    FUZZ_CHECK(access != 0 || reply.contains('!'));
    return 0;
}
