#include "scan/scan_parser.h"

#include <QRandomGenerator>
#include <QTest>

using namespace velinor;

namespace {

// One record as "ssid|AP or ADHOC|mac|security|channel|damping".
QStringList describe(const QList<ScanEntry>& entries) {
    QStringList out;
    for (const ScanEntry& e : entries)
        out << QStringLiteral("%1|%2|%3|%4|%5|%6")
                   .arg(QString::fromUtf8(e.szSsid), e.bAccessPoint ? "AP" : "ADHOC",
                        QString::fromUtf8(e.szMac))
                   .arg(e.nSecurity)
                   .arg(e.nChannel)
                   .arg(e.nDamping);
    return out;
}

QByteArray reply(const QList<QByteArray>& lines) {
    return "AT+IRP20\r\n" + lines.join("\r\n") + "\r\nI/OK\r\n";
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
        QTest::newRow("no networks") << QByteArray("AT+IRP20\r\nI/OK") << QStringList{};
        QTest::newRow("empty line then I/OK")
            << QByteArray("AT+IRP20\r\n\r\nI/OK\r\n") << QStringList{};
        QTest::newRow("security words")
            << reply({"a,AP,m,WPA2_ENT,1,5", "b,AP,m,WPA_ENT,1,5", "c,AP,m,WPA2,1,5",
                      "d,AP,m,WPA,1,5", "e,AP,m,WEP128,1,5", "f,ADHOC,m,WEP,1,5", "g,AP,m,NONE,1,5",
                      "h,AP,m,OPEN,1,5", "WPA2net,AP,m,WEP,1,5"})
            << QStringList{"a|AP|m|6|1|5", "b|AP|m|5|1|5", "c|AP|m|4|1|5",
                           "d|AP|m|3|1|5", "e|AP|m|2|1|5", "f|ADHOC|m|1|1|5",
                           "g|AP|m|0|1|5", "h|AP|m|0|1|5", "WPA2net|AP|m|1|1|5"};
        QTest::newRow("ad hoc named AP stays ad hoc")
            << reply({"MAPLE-AP,ADHOC,02:11:22:33:44:55,WEP,11,48"})
            << QStringList{"MAPLE-AP|ADHOC|02:11:22:33:44:55|1|11|48"};
        QTest::newRow("negative damping")
            << reply({"n,AP,m,WPA,6,-62"}) << QStringList{"n|AP|m|3|6|-62"};
        QTest::newRow("channel cut to two characters")
            << reply({"n,AP,m,WPA,123,5"}) << QStringList{"n|AP|m|3|12|5"};
        QTest::newRow("SSID with a comma moves the fields")
            << reply({"my,net,AP,00:11:22:33:44:55,WPA2,6,62"}) << QStringList{"my|AP|AP|4|0|6"};
        QTest::newRow("last line without line feed is not parsed")
            << QByteArray("AT+IRP20\r\na,AP,m,NONE,1,50\r\nb,AP,m,NONE,2,60I/OK")
            << QStringList{"a|AP|m|0|1|50"};
        QTest::newRow("line with four commas skipped")
            << reply({"a,AP,m,WPA2,6", "b,AP,m,WPA2,6,40"}) << QStringList{"b|AP|m|4|6|40"};
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

    void leadingInt_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("value");
        QTest::newRow("minus") << QByteArray("-62") << 0 << -62;
        QTest::newRow("plus") << QByteArray("+7") << 0 << 7;
        QTest::newRow("white space") << QByteArray(" \t\r\n 9x") << 0 << 9;
        QTest::newRow("no digits") << QByteArray("abc") << 0 << 0;
        QTest::newRow("past the end") << QByteArray("12") << 5 << 0;
        QTest::newRow("held at the top") << QByteArray("99999999999999999999") << 0 << INT_MAX;
        QTest::newRow("held at the bottom") << QByteArray("-99999999999999999999") << 0 << INT_MIN;
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
        QList<QByteArray> pieces = QByteArray("AT+IRP20|\r\n|\n|\r|,|AP|ADHOC|WPA2_ENT|WPA_ENT|"
                                              "WEP128|NONE|I/OK|I/ERROR|-|99999999999|\xc3\xa4|"
                                              "00:11:22:33:44:55| |7")
                                       .split('|');
        pieces << QByteArray(1, '\0') << QByteArray(120, 'x');
        for (quint32 seed = 1; seed <= 2000; ++seed) {
            QRandomGenerator rng(seed);
            QByteArray reply;
            const int n = rng.bounded(1, 80);
            for (int i = 0; i < n; ++i)
                reply += rng.bounded(4) == 0 ? QByteArray(1, char(rng.bounded(256)))
                                             : pieces.at(rng.bounded(int(pieces.size())));
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
