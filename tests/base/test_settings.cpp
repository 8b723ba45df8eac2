#include "base/ini_file.h"
#include "base/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velinor;

namespace {
void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void reads_data() {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::addColumn<int>("logInt");
        QTest::addColumn<QString>("logText");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("search");
        QTest::addColumn<QString>("port");
        QTest::newRow("missing file") << QByteArray() << 0 << "0" << 0 << 1 << "COMx";
        QTest::newRow("plain")
            << QByteArray("[settings]\nlog=1\nlanguage=10000\nsearch=2\nport=/dev/ttyACM0\n") << 1
            << "1" << 10000 << 2 << "/dev/ttyACM0";
        QTest::newRow("mixed case names")
            << QByteArray("[SETTINGS]\r\nLog=1\r\nLANGUAGE=10000\r\nSearch=2\r\n") << 1 << "1"
            << 10000 << 2 << "COMx";
        QTest::newRow("blanks and leading number")
            << QByteArray("[ settings ]\n  log = 2x \nsearch=7abc\nport\n") << 2 << "2" << 0 << 7
            << "COMx";
        QTest::newRow("port cut to 18")
            << QByteArray("[settings]\nport=/dev/serial/by-id/usb-long\n") << 0 << "0" << 0 << 1
            << "/dev/serial/by-id/";
        QTest::newRow("binary garbage") << QByteArray("\x00\xff[settings\n\x01=\x02\n=\n[]\n", 16)
                                        << 0 << "0" << 0 << 1 << "COMx";
    }
    void reads() {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        if (!file.isNull())
            writeFile(dir.path() + "/settings.ini", file);
        const Settings s(dir.path());
        QTEST(s.logInt(), "logInt");
        QTEST(s.logText(), "logText");
        QTEST(s.language(), "language");
        QTEST(s.search(), "search");
        QTEST(s.port(), "port");
        QCOMPARE(s.aboutUrl(), QStringLiteral("https://www.velinor.example/"));
        QCOMPARE(QFile::exists(s.path()), !file.isNull());
    }

    void writeKeepsOtherLines() {
        QTemporaryDir dir;
        writeFile(dir.path() + "/settings.ini",
                  "; the user's notes\r\n[about]\r\nURL=https://example.org/x\r\n\r\n"
                  "[Settings]\r\nLOG=1\r\nunknown=keep me\r\n\r\n[other]\r\na=b\r\n");
        const Settings s(dir.path());
        s.setLog(false);
        s.setSearch(2);
        QCOMPARE(readFile(s.path()),
                 QByteArray("; the user's notes\r\n[about]\r\nURL=https://example.org/x\r\n\r\n"
                            "[Settings]\r\nlog=0\r\nunknown=keep me\r\nsearch=2\r\n\r\n"
                            "[other]\r\na=b\r\n"));
        QCOMPARE(s.aboutUrl(), QStringLiteral("https://example.org/x"));
    }

    // A value ends at its first line break, so it cannot add settings of its own.
    void writeKeepsValueOnOneLine() {
        QTemporaryDir dir;
        const Settings s(dir.path());
        s.setLog(false);
        s.setPort(QStringLiteral("COM3\r\nlog=1"));
        QCOMPARE(s.port(), QStringLiteral("COM3"));
        QCOMPARE(readFile(s.path()), QByteArray("[settings]\nlog=0\nport=COM3\n"));
    }

    void leadingInt_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("sign") << QByteArray(" -12x") << -12;
        QTest::newRow("max") << QByteArray("99999999999999") << 2147483647;
        QTest::newRow("min") << QByteArray("-99999999999") << int(-2147483647 - 1);
    }
    void leadingInt() {
        QFETCH(QByteArray, text);
        QTEST(IniFile::leadingInt(text), "value");
    }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "test_settings.moc"
