#pragma once

#include <QByteArray>
#include <QList>

namespace velinor::bench {

// One step of a Configure as the adapter protocol prescribes it, with the time
// its fixed pauses and read windows take: the least it can take in real time.
struct FloorStep {
    QByteArray command; // as written to the adapter; empty for the port set-up
    int ms = 0;
};

// The steps of a Configure in access-point mode with security "WPA2": the port
// opening (set-up and probe), the three preparatory commands, SSID, security type,
// channel, the passphrase with its key wait, bridge mode and restart. keyReplyMs
// is how long the adapter takes to answer the passphrase; it sets the number of
// polls of the key wait.
QList<FloorStep> Wpa2AccessPointConfigure(const QByteArray& ssid, const QByteArray& channel,
                                          const QByteArray& key, int keyReplyMs);

// The sum of the steps' times.
int FloorMs(const QList<FloorStep>& steps);

} // namespace velinor::bench
