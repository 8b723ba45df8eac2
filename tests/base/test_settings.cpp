// settings.ini: what is read from it, and what a write keeps.

#include "base/ini_file.h"
#include "base/settings.h"
#include "fakes.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void reads_data() {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::addColumn<QString>("read");    // log as a number|log as text|language|search|port
        QTest::newRow("missing file") << QByteArray() << "0|0|0|1|COMx";
        QTest::newRow("plain")
            << QByteArray("[settings]\nlog=1\nlanguage=10000\nsearch=2\nport=/dev/ttyACM0\n")
            << "1|1|10000|2|/dev/ttyACM0";
        QTest::newRow("mixed case names")
            << QByteArray("[SETTINGS]\r\nLog=1\r\nLANGUAGE=10000\r\nSearch=2\r\n")
            << "1|1|10000|2|COMx";
        QTest::newRow("blanks and leading numbers")
            << QByteArray("[ settings ]\n  log = 2x \nsearch=7abc\nport\n") << "2|2|0|7|COMx";
        QTest::newRow("port cut to 18")
            << QByteArray("[settings]\nport=/dev/serial/by-id/usb-long\n")
            << "0|0|0|1|/dev/serial/by-id/";
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff[settings\n\x01=\x02\n=\n[]\n", 16) << "0|0|0|1|COMx";
    }
    void reads() {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        QVERIFY(file.isNull() || writeFile(dir.path() + "/settings.ini", file));
        const Settings s(dir.path());
        const QStringList read{QString::number(s.logInt()), s.logText(),
                               QString::number(s.language()), QString::number(s.search()),
                               s.port()};
        QTEST(read.join('|'), "read");
        QCOMPARE(s.aboutUrl(), QStringLiteral("https://www.velinor.example/"));
    }

    // Regression: a value ends at its first line break, so it cannot add settings of its own.
    void writeKeepsOtherLines() {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.path() + "/settings.ini",
                          "; notes\r\n[about]\r\nURL=https://example.org/x\r\n\r\n"
                          "[Settings]\r\nLOG=1\r\nunknown=keep me\r\n\r\n[other]\r\na=b\r\n"));
        const Settings s(dir.path());
        s.setLog(false);
        s.setSearch(2);
        s.setPort(QStringLiteral("COM3\r\nlog=1"));
        QCOMPARE(readFile(s.path()),
                 "; notes\r\n[about]\r\nURL=https://example.org/x\r\n\r\n[Settings]\r\nlog=0\r\n"
                 "unknown=keep me\r\nsearch=2\r\nport=COM3\r\n\r\n[other]\r\na=b\r\n");
        QCOMPARE(s.aboutUrl(), QStringLiteral("https://example.org/x"));
        QCOMPARE(s.port(), QStringLiteral("COM3"));
    }

    void leadingInt() {
        QCOMPARE(IniFile::leadingInt(""), 0);
        QCOMPARE(IniFile::leadingInt(" \t-12x"), -12);
        QCOMPARE(IniFile::leadingInt("+99999999999999"), INT_MAX);
        QCOMPARE(IniFile::leadingInt("-99999999999"), INT_MIN);
    }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "test_settings.moc"
