#include "bench/sequence_floor.h"

#include "config/programmer.h"
#include "link/module_link.h"

namespace velinor::bench {

namespace {

// A command transaction: the pause after the write, the wait for the reply and
// the read window, which a reply shorter than a full read never ends early.
constexpr int kTransactionMs =
    ModuleLink::kWritePauseMs + ModuleLink::kReplyWaitMs + ModuleLink::kReadTimeoutMs;

// The key wait: the pause after the write, then polls of a pause and a read
// window each, until the read that holds the reply.
int keyWaitMs(int keyReplyMs) {
    constexpr int poll = AdapterProgrammer::kKeyPauseMs + ModuleLink::kReadTimeoutMs;
    const int afterWrite = keyReplyMs - ModuleLink::kWritePauseMs;
    int polls = afterWrite <= 0 ? 1 : (afterWrite + poll - 1) / poll;
    polls = qBound(1, polls, AdapterProgrammer::kKeyReads);
    return ModuleLink::kWritePauseMs + polls * poll;
}

} // namespace

QList<FloorStep> Wpa2AccessPointConfigure(const QByteArray& ssid, const QByteArray& channel,
                                          const QByteArray& key, int keyReplyMs) {
    constexpr char kWpa2Digit = '4';
    return {
        // Opening the port: time-outs, pause, line settings, pause, settings back.
        {QByteArray(), 2 * ModuleLink::kConfigurePauseMs},
        {"AT+IBDRF?\r", kTransactionMs},
        // Back to the factory settings, USB host interface, baud rate.
        {"AT+IFD\r", kTransactionMs},
        {"AT+IHIF=4\r", kTransactionMs},
        {"AT+IBDRF=9\r", kTransactionMs},
        // The access point's settings.
        {"AT+IWLSI=" + ssid + '\r', kTransactionMs},
        {QByteArray("AT+IWST0=") + kWpa2Digit + '\r', kTransactionMs},
        {"AT+IWLCH=" + channel + '\r', kTransactionMs},
        {"AT+IWPP0=" + key + '\r', keyWaitMs(keyReplyMs)},
        // Bridge mode and restart with the new settings.
        {"AT+IBRM=2\r", kTransactionMs},
        {"AT+IDOWN\r", kTransactionMs},
    };
}

int FloorMs(const QList<FloorStep>& steps) {
    int total = 0;
    for (const FloorStep& step : steps)
        total += step.ms;
    return total;
}

} // namespace velinor::bench
