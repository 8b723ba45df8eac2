#include "scan/scan_parser.h"

#include <QRandomGenerator>
#include <QTest>

using namespace velinor;

namespace {

// One record as "ssid|AP or ADHOC|mac|security|channel|damping".
QString describe(const ScanEntry& e) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(QString::fromUtf8(e.szSsid), e.bAccessPoint ? "AP" : "ADHOC",
             QString::fromUtf8(e.szMac))
        .arg(e.nSecurity)
        .arg(e.nChannel)
        .arg(e.nDamping);
}

QStringList describe(const QList<ScanEntry>& entries) {
    QStringList out;
    for (const ScanEntry& e : entries)
        out << describe(e);
    return out;
}

const QByteArray kEcho = "AT+IRP20\r\n";
const QByteArray kOk = "I/OK\r\n";

QByteArray reply(const QList<QByteArray>& lines) {
    QByteArray r = kEcho;
    for (const QByteArray& l : lines)
        r += l + "\r\n";
    return r + kOk;
}

} // namespace

class TestScanParser : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("one access point") << reply({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62"})
                                          << QStringList{"office|AP|00:1A:2B:3C:4D:5E|4|6|62"};
        QTest::newRow("reply order kept") << reply({"b,AP,m2,WEP,11,70", "a,ADHOC,m1,NONE,1,40"})
                                          << QStringList{"b|AP|m2|1|11|70", "a|ADHOC|m1|0|1|40"};
        QTest::newRow("no networks") << QByteArray("AT+IRP20\r\nI/OK") << QStringList{};
        QTest::newRow("empty line then I/OK")
            << QByteArray("AT+IRP20\r\n\r\nI/OK\r\n") << QStringList{};
        QTest::newRow("WPA2_ENT") << reply({"n,AP,m,WPA2_ENT,1,5"}) << QStringList{"n|AP|m|6|1|5"};
        QTest::newRow("WPA_ENT") << reply({"n,AP,m,WPA_ENT,1,5"}) << QStringList{"n|AP|m|5|1|5"};
        QTest::newRow("WPA2") << reply({"n,AP,m,WPA2,1,5"}) << QStringList{"n|AP|m|4|1|5"};
        QTest::newRow("WPA") << reply({"n,AP,m,WPA,1,5"}) << QStringList{"n|AP|m|3|1|5"};
        QTest::newRow("WEP128") << reply({"n,AP,m,WEP128,1,5"}) << QStringList{"n|AP|m|2|1|5"};
        QTest::newRow("WEP") << reply({"n,ADHOC,m,WEP,1,5"}) << QStringList{"n|ADHOC|m|1|1|5"};
        QTest::newRow("NONE") << reply({"n,AP,m,NONE,1,5"}) << QStringList{"n|AP|m|0|1|5"};
        QTest::newRow("no security word")
            << reply({"n,AP,m,OPEN,1,5"}) << QStringList{"n|AP|m|0|1|5"};
        QTest::newRow("security word in the SSID is not taken")
            << reply({"WPA2net,AP,m,WEP,1,5"}) << QStringList{"WPA2net|AP|m|1|1|5"};
        QTest::newRow("ad hoc named AP stays ad hoc")
            << reply({"MAPLE-AP,ADHOC,02:11:22:33:44:55,WEP,11,48"})
            << QStringList{"MAPLE-AP|ADHOC|02:11:22:33:44:55|1|11|48"};
        QTest::newRow("both words after the SSID: access point")
            << reply({"x,AP,m,NONE,1,5,ADHOC"}) << QStringList{"x|AP|m|0|1|5"};
        QTest::newRow("negative damping")
            << reply({"n,AP,m,WPA,6,-62"}) << QStringList{"n|AP|m|3|6|-62"};
        QTest::newRow("damping with blanks and trailing text")
            << reply({"n,AP,m,WPA,6,  57dB,x"}) << QStringList{"n|AP|m|3|6|57"};
        QTest::newRow("damping without digits")
            << reply({"n,AP,m,WPA,6,"}) << QStringList{"n|AP|m|3|6|0"};
        QTest::newRow("negative channel")
            << reply({"n,AP,m,WPA,-1,5"}) << QStringList{"n|AP|m|3|-1|5"};
        QTest::newRow("channel cut to two characters")
            << reply({"n,AP,m,WPA,123,5"}) << QStringList{"n|AP|m|3|12|5"};
        QTest::newRow("channel with a blank")
            << reply({"n,AP,m,WPA, 7,5"}) << QStringList{"n|AP|m|3|7|5"};
        QTest::newRow("SSID with a comma moves the fields")
            << reply({"my,net,AP,00:11:22:33:44:55,WPA2,6,62"}) << QStringList{"my|AP|AP|4|0|6"};
        QTest::newRow("last line without line feed is not parsed")
            << QByteArray("AT+IRP20\r\na,AP,m,NONE,1,50\r\nb,AP,m,NONE,2,60I/OK")
            << QStringList{"a|AP|m|0|1|50"};
        QTest::newRow("without echo the first line is a network")
            << QByteArray("a,AP,m,NONE,1,50\r\nb,ADHOC,m,WEP,2,60\r\nI/OK")
            << QStringList{"a|AP|m|0|1|50", "b|ADHOC|m|1|2|60"};
        QTest::newRow("echo without line end") << QByteArray("AT+IRP20I/OK") << QStringList{};
        QTest::newRow("line with four commas skipped")
            << reply({"a,AP,m,WPA2,6", "b,AP,m,WPA2,6,40"}) << QStringList{"b|AP|m|4|6|40"};
        QTest::newRow("line without commas skipped")
            << reply({"APPLE", "b,AP,m,WPA2,6,40"}) << QStringList{"b|AP|m|4|6|40"};
        QTest::newRow("line before a network line is read as one")
            << reply({"plain,x,m,WEP,1,5", "b,AP,m,WPA2,6,40"})
            << QStringList{"plain|ADHOC|m|1|1|5", "b|AP|m|4|6|40"};
        QTest::newRow("no type word to the end: parsing stops")
            << reply({"a,AP,m,WPA2,6,40", "junk,,,,,"}) << QStringList{"a|AP|m|4|6|40"};
        QTest::newRow("line feed without carriage return")
            << QByteArray("AT+IRP20\r\na,AP,m,NONE,1,50\nI/OK") << QStringList{"a|AP|m|0|1|50"};
        QTest::newRow("SSID of 80 characters cut to 49")
            << reply({QByteArray(80, 'S') + ",AP,m,WPA,3,40"})
            << QStringList{QString(49, 'S') + "|AP|m|3|3|40"};
        QTest::newRow("MAC cut to 17") << reply({"n,AP,00:11:22:33:44:55:66:77,WPA,3,40"})
                                       << QStringList{"n|AP|00:11:22:33:44:55|3|3|40"};
        QTest::newRow("300-character line with its commas late is skipped")
            << reply({QByteArray(290, 'x') + ",AP,m,WPA,3,40", "b,AP,m,WPA2,6,40"})
            << QStringList{"b|AP|m|4|6|40"};
        QTest::newRow("300-character line cut to 99")
            << reply({"n,AP,m,WPA,3," + QByteArray(287, '9')})
            << QStringList{"n|AP|m|3|3|2147483647"};
        QTest::newRow("UTF-8 SSID cut on a character boundary")
            << reply({QString(30, QChar(0xE4)).toUtf8() + ",AP,m,WPA,3,40"})
            << QStringList{QString(24, QChar(0xE4)) + "|AP|m|3|3|40"};
    }
    void parse() {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, expected);
        const ScanReply parsed = ParseScanReply(reply);
        QCOMPARE(describe(parsed.entries), expected);
        QCOMPARE(parsed.lines.size(), parsed.entries.size());
    }

    void linesAreTakenWithoutLineEnd() {
        const ScanReply parsed = ParseScanReply(
            reply({"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62", "junk", "b,AP,m,NONE,1,2"}));
        QCOMPARE(parsed.lines,
                 (QList<QByteArray>{"office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62", "b,AP,m,NONE,1,2"}));
        const ScanReply longLine = ParseScanReply(reply({"n,AP,m,WPA,3," + QByteArray(287, '9')}));
        QCOMPARE(longLine.lines.size(), 1);
        QCOMPARE(longLine.lines.first().size(), scanreply::kLineMax);
    }

    void leadingInt_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << QByteArray("62") << 0 << 62;
        QTest::newRow("from an offset") << QByteArray("ab12") << 2 << 12;
        QTest::newRow("minus") << QByteArray("-62") << 0 << -62;
        QTest::newRow("plus") << QByteArray("+7") << 0 << 7;
        QTest::newRow("white space") << QByteArray(" \t\r\n 9x") << 0 << 9;
        QTest::newRow("two signs") << QByteArray("--5") << 0 << 0;
        QTest::newRow("sign then blank") << QByteArray("- 5") << 0 << 0;
        QTest::newRow("no digits") << QByteArray("abc") << 0 << 0;
        QTest::newRow("empty") << QByteArray() << 0 << 0;
        QTest::newRow("past the end") << QByteArray("12") << 5 << 0;
        QTest::newRow("held at the top") << QByteArray("99999999999999999999") << 0 << INT_MAX;
        QTest::newRow("held at the bottom") << QByteArray("-99999999999999999999") << 0 << INT_MIN;
        QTest::newRow("lowest") << QByteArray("-2147483648") << 0 << INT_MIN;
    }
    void leadingInt() {
        QFETCH(QByteArray, text);
        QFETCH(int, from);
        QFETCH(int, value);
        QCOMPARE(ParseLeadingInt(text, from), value);
    }

    // Random replies built from pieces of network lines: the parser never
    // produces a field over its size and keeps one line per record.
    void fuzz() {
        const QList<QByteArray> pieces = {"AT+IRP20",
                                          "\r\n",
                                          "\n",
                                          "\r",
                                          ",",
                                          "AP",
                                          "ADHOC",
                                          "WPA2_ENT",
                                          "WPA_ENT",
                                          "WEP128",
                                          "NONE",
                                          "I/OK",
                                          "I/ERROR",
                                          "-",
                                          "99999999999",
                                          QByteArray(1, '\0'),
                                          "\xc3\xa4",
                                          QByteArray(120, 'x'),
                                          "00:11:22:33:44:55",
                                          " ",
                                          "7"};
        for (quint32 seed = 1; seed <= 2000; ++seed) {
            QRandomGenerator rng(seed);
            QByteArray reply;
            const int n = rng.bounded(1, 80);
            for (int i = 0; i < n; ++i) {
                if (rng.bounded(4) == 0)
                    reply += char(rng.bounded(256));
                else
                    reply += pieces.at(rng.bounded(int(pieces.size())));
            }
            const ScanReply parsed = ParseScanReply(reply);
            QCOMPARE(parsed.lines.size(), parsed.entries.size());
            for (qsizetype i = 0; i < parsed.entries.size(); ++i) {
                const ScanEntry& e = parsed.entries.at(i);
                QVERIFY2(e.szSsid.size() <= ScanEntry::kSsidMax, reply.toHex().constData());
                QVERIFY2(e.szMac.size() <= ScanEntry::kMacMax, reply.toHex().constData());
                QVERIFY(e.nSecurity <= 6);
                QVERIFY(parsed.lines.at(i).size() <= scanreply::kLineMax);
                QVERIFY(parsed.lines.at(i).count(',') >= scanreply::kMinCommas);
                QVERIFY(!parsed.lines.at(i).contains('\n'));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestScanParser)
#include "test_scan_parser.moc"
