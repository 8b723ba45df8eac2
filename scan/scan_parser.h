#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace velinor {

// One network found by the scan. The texts are the adapter's bytes, cut to
// their sizes; channel and damping are signed, as the adapter may report a
// negative damping.
struct ScanEntry {
    static constexpr int kSsidMax = 49;
    static constexpr int kMacMax = 17;

    QByteArray szSsid;         // the first field, at most 49 bytes
    bool bAccessPoint = false; // true: access point; false: ad hoc
    quint16 nSecurity = 0;     // security index 0 to 6
    qint32 nChannel = 0;       // the fifth field
    qint32 nDamping = 0;       // the number after the fifth comma, in dB
    QByteArray szMac;          // the third field, at most 17 bytes

    bool operator==(const ScanEntry&) const = default;
};

struct ScanReply {
    QList<ScanEntry> entries; // in reply order
    QList<QByteArray> lines;  // the network lines as taken (for the log), one per entry
};

namespace scanreply {
constexpr int kLineMax = 99;   // characters of a network line that are looked at
constexpr int kChannelMax = 2; // characters of the channel field
constexpr int kMinCommas = 5;
} // namespace scanreply

// Reads the number at text[from] the way atoi does: leading white space, one
// optional sign, then digits up to the first other character; 0 without digits.
// Values beyond the 32-bit range are held at its ends.
qint32 ParseLeadingInt(const QByteArray& text, qsizetype from = 0);

// Turns the text of a successful scan reply into records. The echo line
// ("AT+IRP20") is skipped when the reply holds it; each further line that ends
// with a line feed and has at least five commas is one network:
// <SSID>,<AP or ADHOC>,<MAC>,<security word>,<channel>,<damping>[,...]
// Lines with fewer commas are skipped; over-long fields are cut.
ScanReply ParseScanReply(const QByteArray& reply);

// The records in the order of the network list: lowest damping first, records
// of equal damping in reply order.
QList<ScanEntry> OrderedByDamping(QList<ScanEntry> entries);

} // namespace velinor
