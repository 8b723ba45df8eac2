#include "scan/scan_parser.h"

#include <algorithm>
#include <limits>

namespace velinor {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Cuts text to at most max bytes without leaving half of a UTF-8 sequence at the end.
QByteArray cutText(const QByteArray& text, qsizetype max) {
    if (text.size() <= max)
        return text;
    qsizetype end = max;
    while (end > 0 && (uchar(text.at(end)) & 0xC0) == 0x80) // mutants: skip (at 0: empty)
        --end;
    return text.left(end);
}

// The security words in the order they must be searched: a longer word that
// holds a shorter one comes first.
struct SecurityWord {
    const char* word;
    quint16 index;
};
constexpr SecurityWord kSecurityWords[] = {
    {"WPA2_ENT", 6}, {"WPA_ENT", 5}, {"WPA2", 4}, {"WPA", 3},
    {"WEP128", 2},   {"WEP", 1},     {"NONE", 0},
};

// Field n (0-based) of a comma separated line; the caller made sure it exists.
QByteArray field(const QList<QByteArray>& fields, int n) {
    return n < fields.size() ? fields.at(n) : QByteArray();
}

ScanEntry parseLine(const QByteArray& line) {
    ScanEntry entry;
    const QList<QByteArray> fields = line.split(',');
    entry.szSsid = cutText(field(fields, 0), ScanEntry::kSsidMax);

    // The type and security words are looked for after the SSID, so that a
    // network's name cannot change its type.
    const qsizetype firstComma = line.indexOf(',');
    const QByteArray rest = line.mid(firstComma);
    entry.bAccessPoint = rest.contains("AP");
    for (const SecurityWord& w : kSecurityWords) {
        if (rest.contains(w.word)) {
            entry.nSecurity = w.index;
            break;
        }
    }
    entry.szMac = cutText(field(fields, 2), ScanEntry::kMacMax);
    entry.nChannel = ParseLeadingInt(field(fields, 4).left(scanreply::kChannelMax));
    entry.nDamping = ParseLeadingInt(field(fields, 5));
    return entry;
}

} // namespace

qint32 ParseLeadingInt(const QByteArray& text, qsizetype from) {
    qsizetype i = qMax<qsizetype>(from, 0);
    const qsizetype n = text.size();
    while (i < n && isSpace(text.at(i)))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == '+' || text.at(i) == '-')) {
        negative = text.at(i) == '-';
        ++i;
    }
    constexpr qint64 kLimit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 value = 0;
    for (; i < n && text.at(i) >= '0' && text.at(i) <= '9'; ++i) {
        value = value * 10 + (text.at(i) - '0');
        if (value > kLimit)
            value = kLimit;
    }
    if (negative)
        return qint32(-value);
    return qint32(qMin<qint64>(value, std::numeric_limits<qint32>::max()));
}

QList<ScanEntry> OrderedByDamping(QList<ScanEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const ScanEntry& a, const ScanEntry& b) {
        return a.nDamping < b.nDamping;
    });
    return entries;
}

ScanReply ParseScanReply(const QByteArray& reply) {
    ScanReply result;
    qsizetype pos = 0;
    if (reply.contains("AT+IRP20")) {
        // Skip the echo of the command.
        const qsizetype lf = reply.indexOf('\n');
        if (lf < 0)
            return result;
        pos = lf + 1;
    }
    for (;;) {
        const qsizetype lf = reply.indexOf('\n', pos);
        if (lf < 0)
            break; // a line without its line feed is not complete
        const QByteArray tail =
            QByteArray::fromRawData(reply.constData() + pos, reply.size() - pos);
        if (!tail.contains("AP") && !tail.contains("ADHOC"))
            break; // no network line follows
        QByteArray line = reply.mid(pos, lf - pos);
        pos = lf + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        line = cutText(line, scanreply::kLineMax);
        if (line.count(',') < scanreply::kMinCommas)
            continue; // not a network line
        result.entries.append(parseLine(line));
        result.lines.append(line);
    }
    return result;
}

} // namespace velinor
