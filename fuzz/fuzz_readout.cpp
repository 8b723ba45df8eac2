// The replies of the four read-out queries over arbitrary adapter output.
#include "config/readout.h"
#include "fuzz_check.h"

using namespace velinor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply = fuzz::bytes(data, size);
    const bool answered = reply.contains("I/OK") && reply.contains('?');

    // Security type and channel: the value starts past the "?" and its two-character line end.
    bool ok = true;
    const qint32 number = ReadOut::ParseNumberReply(reply, &ok);
    FUZZ_CHECK(ok == answered && number == ReadOut::ParseNumberReply(reply));
    const qsizetype start = reply.indexOf('?') + 3;
    FUZZ_CHECK(number == (!ok                    ? -1
                          : start < reply.size() ? fuzz::clampedInt(reply.constData() + start)
                                                 : 0));

    // SSID: taken from the reply as it stands, never with the ad hoc mark.
    ok = true;
    const QString ssid = ReadOut::ParseSsidReply(reply, &ok);
    FUZZ_CHECK(ssid.size() <= reply.size() && ssid == ReadOut::ParseSsidReply(reply));
    FUZZ_CHECK((ok || ssid.isEmpty()) && (!ok || answered));
    FUZZ_CHECK(!ssid.startsWith(QLatin1Char('!')) || reply.contains("!!"));
    FUZZ_CHECK(!ssid.toUtf8().contains("I/OK"));

    const qint32 access = ReadOut::ParseAccessTypeReply(reply);
    FUZZ_CHECK(access >= -1 && access <= 1 && (access == -1) == !reply.contains("I/OK"));
    FUZZ_CHECK(access != 0 || reply.contains('!'));
    return 0;
}
