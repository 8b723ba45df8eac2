// base/: the catalogue of texts, the rules of the form's fields, settings.ini and the help file.

#include "base/field_rules.h"
#include "base/help.h"
#include "base/ini_file.h"
#include "base/settings.h"
#include "fakes.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

class TestBase : public QObject {
    Q_OBJECT
private slots:
    void catalogue_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("text"); // empty: not in the catalogue
        QTest::newRow("German") << 28 << kGerman
                                << "Einstellungen wurden auf dem WLAN-Produkt gespeichert";
        QTest::newRow("English") << 28 << kEnglish << "Settings saved on wireless product";
        QTest::newRow("602 swapped as in the original") << 602 << kEnglish << "Sprache wählen";
        QTest::newRow("unused id") << 510 << kEnglish << "";
        QTest::newRow("no language") << 28 << 5 << "";
    }
    void catalogue() {
        QFETCH(int, id);
        QFETCH(int, offset);
        QFETCH(QString, text);
        QString found = QStringLiteral("stale");
        QCOMPARE(UiText(id, offset, &found), !text.isEmpty());
        QCOMPARE(found, text);
        QCOMPARE(UiText(id, offset), text);
    }

    // Each text keeps its own id in both languages.
    void catalogueIds() {
        QString ranges;
        QString text;
        for (int id = 0, from = -1; id <= 1000; ++id) {
            const bool known = UiText(id, kGerman, &text) && UiText(id, kEnglish, &text);
            if (known && from < 0)
                from = id;
            if (!known && from >= 0)
                ranges += QStringLiteral("%1-%2 ").arg(std::exchange(from, -1)).arg(id - 1);
        }
        QCOMPARE(ranges, "1-12 17-21 26-28 30-30 32-32 34-37 500-509 511-531 600-617 900-901 ");
    }

    void keyField_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("rule"); // key on, enterprise on, key limit, longer keys cleared
        QTest::newRow("none selected") << -1 << "1 0 63 -1";
        QTest::newRow("NONE") << 0 << "0 0 63 -1";
        QTest::newRow("WEP") << 1 << "1 0 10 10";
        QTest::newRow("WEP128") << 2 << "1 0 26 26";
        QTest::newRow("WPA2") << 4 << "1 0 63 -1";
        QTest::newRow("WPA2-ENTERPRISE") << 6 << "0 1 63 -1";
        QTest::newRow("outside the list") << 7 << "1 0 63 -1";
    }
    void keyField() {
        QFETCH(int, index);
        const FieldRule r = SecurityFieldRule(index);
        QTEST(QStringLiteral("%1 %2 %3 %4")
                  .arg(int(r.keyEnabled))
                  .arg(int(r.enterpriseEnabled))
                  .arg(r.keyLimit)
                  .arg(r.clearKeyLongerThan),
              "rule");
    }

    // The limits count UTF-8 bytes; a cut falls between two letters.
    void utf8_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("cutAt");
        QTest::addColumn<QString>("cut");
        QTest::newRow("ASCII") << "abc" << 3 << 2 << "ab";
        QTest::newRow("two-byte letters") << "ääx" << 5 << 3 << "ä";
        QTest::newRow("four bytes, outside the BMP") << "a\U0001F600" << 5 << 4 << "a";
        QTest::newRow("accent stays with its letter") << "ae\u0301" << 4 << 3 << "a";
        QTest::newRow("nothing fits") << "ä" << 2 << 1 << "";
    }
    void utf8() {
        QFETCH(QString, text);
        QFETCH(int, cutAt);
        QTEST(int(Utf8Size(text)), "bytes");
        QTEST(Utf8Left(text, cutAt), "cut");
    }

    // Regression: "*.*" lists every file, also one without a dot in its name.
    void fileFilter() {
        QCOMPARE(QtFileFilter("Keys|*.pem;*.crt||"), "Keys (*.pem *.crt)");
        QCOMPARE(QtFileFilter("A (*.a)|*.a"), "A (*.a) (*.a)");
        QCOMPARE(QtFileFilter("|*.*||"), "* (*)");
        QCOMPARE(QtFileFilter(""), "");
    }

    void settingsRead_data() {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::addColumn<QString>("read");    // log as a number|log as text|language|search|port
        QTest::newRow("missing file") << QByteArray() << "0|0|0|1|COMx";
        QTest::newRow("plain")
            << QByteArray("[settings]\nlog=1\nlanguage=10000\nsearch=2\nport=/dev/ttyACM0\n")
            << "1|1|10000|2|/dev/ttyACM0";
        QTest::newRow("blanks and leading numbers")
            << QByteArray("[ settings ]\n  log = 2x \nsearch=7abc\nport\n") << "2|2|0|7|COMx";
        QTest::newRow("port cut to 18")
            << QByteArray("[settings]\nport=/dev/serial/by-id/usb-long\n")
            << "0|0|0|1|/dev/serial/by-id/";
    }
    void settingsRead() {
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
    void settingsWrite() {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.path() + "/settings.ini",
                          ";\r\n[about]\r\nURL=https://example.org/x\r\n\r\n"
                          "[Settings]\r\n;search=9\r\nLOG=1\r\nx=y\r\n\r\n[other]\r\na=b\r\n"));
        const Settings s(dir.path());
        s.setLog(false);
        s.setSearch(2);
        s.setPort(QStringLiteral("COM3\r\nlog=1"));
        QCOMPARE(readFile(s.path()),
                 ";\r\n[about]\r\nURL=https://example.org/x\r\n\r\n[Settings]\r\n;search=9\r\n"
                 "log=0\r\nx=y\r\nsearch=2\r\nport=COM3\r\n\r\n[other]\r\na=b\r\n");
        QCOMPARE(s.aboutUrl(), QStringLiteral("https://example.org/x"));
        QCOMPARE(s.port(), QStringLiteral("COM3"));
        QCOMPARE(s.search(), 2);
    }

    void settingsLeadingInt() {
        QCOMPARE(IniFile::leadingInt(""), 0);
        QCOMPARE(IniFile::leadingInt(" \t-12x"), -12);
        QCOMPARE(IniFile::leadingInt("+99999999999999"), INT_MAX);
        QCOMPARE(IniFile::leadingInt("-99999999999"), INT_MIN);
    }

    // %W is the working directory, %D the data directory, %F the one that holds the file.
    void help_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("where");         // the file lies in: work, data, both, none
        QTest::addColumn<QStringList>("installed"); // the viewers found on the PATH
        QTest::addColumn<bool>("works");            // viewers start, the desktop has a handler
        QTest::addColumn<QStringList>("calls");     // the viewers started, the addresses opened
        QTest::addColumn<QString>("message");       // empty: none shown
        const QStringList kch{"kchmviewer"};
        const QStringList en{"kchmviewer -novcheck -showPage Description.html Velinor.chm in %F"};
        const QStringList de{"kchmviewer -novcheck Velinor.chm in %F"};
        const QString url = "open file://%F/Velinor.chm";
        const QString noViewer =
            "Kein Programm kann die Hilfedatei %F/Velinor.chm anzeigen.\nBitte "
            "kchmviewer oder xchm installieren (z. B. mit: sudo apt install "
            "kchmviewer).";
        QTest::newRow("no language counts as German") << 5 << "work" << kch << true << de << "";
        QTest::newRow("English, kchmviewer before xchm")
            << kEnglish << "work" << QStringList{"xchm", "kchmviewer"} << true << en << "";
        QTest::newRow("English, xchm")
            << kEnglish << "work" << QStringList{"xchm"} << true
            << QStringList{"xchm file:%F/Velinor.chm#xchm:/Description.html in %F"} << "";
        QTest::newRow("German, xchm") << kGerman << "work" << QStringList{"xchm"} << true
                                      << QStringList{"xchm Velinor.chm in %F"} << "";
        QTest::newRow("installed file") << kEnglish << "data" << kch << true << en << "";
        QTest::newRow("German, working directory first")
            << kGerman << "both" << kch << true << de << "";
        QTest::newRow("desktop handler")
            << kGerman << "data" << QStringList{} << true << QStringList{url} << "";
        QTest::newRow("file missing")
            << kEnglish << "none" << kch << true << QStringList{}
            << "The help file Velinor.chm was not found.\nLooked in: %W, %D";
        QTest::newRow("nothing can show it")
            << kGerman << "data" << QStringList{} << false << QStringList{url} << noViewer;
        // Regression: a viewer that fails to start hands on to the next.
        QTest::newRow("viewers that do not start")
            << kGerman << "work" << QStringList{"kchmviewer", "xchm"} << false
            << (de + QStringList{"xchm Velinor.chm in %F", url}) << noViewer;
    }
    void help() {
        QFETCH(int, language);
        QFETCH(QString, where);
        QFETCH(QStringList, calls);
        QFETCH(QString, message);
        QTemporaryDir work;
        QTemporaryDir data;
        if (where == "work" || where == "both")
            QVERIFY(writeFile(work.filePath("Velinor.chm"), "ITSF"));
        if (where == "data" || where == "both")
            QVERIFY(writeFile(data.filePath("Velinor.chm"), "ITSF"));
        const QString fileDir = where == "data" ? data.path() : work.path();
        FakeLauncher launcher;
        QFETCH(QStringList, installed);
        QFETCH(bool, works);
        launcher.installed = installed;
        launcher.result = works;
        RecordingPrompts prompts;
        HelpOpener(launcher, prompts, work.path(), data.path(), [&] {
            return language;
        }).OpenHelp();

        QStringList seen;
        for (const FakeLauncher::Start& s : launcher.starts)
            seen << s.program + ' ' + s.args.join(' ') + " in " + s.workingDir;
        for (const QString& opened : launcher.opened)
            seen << "open " + opened;
        const auto fill = [&](QString s) {
            return s.replace("%W", work.path()).replace("%D", data.path()).replace("%F", fileDir);
        };
        for (QString& call : calls)
            call = fill(call);
        QCOMPARE(seen, calls);
        QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{fill(message)});
        QCOMPARE(prompts.icons(), message.isEmpty() ? QString() : QStringLiteral("w"));
    }
};

QTEST_GUILESS_MAIN(TestBase)
#include "test_base.moc"
