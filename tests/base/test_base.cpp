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
    // Each text keeps its own id in both languages; 602 is swapped as in the original.
    void catalogue() {
        QString ranges, text;
        for (int id = 0, from = -1; id <= 1000; ++id) {
            const bool known = UiText(id, kGerman, &text) && UiText(id, kEnglish, &text);
            if (known && from < 0)
                from = id;
            if (!known && from >= 0)
                ranges += QStringLiteral("%1-%2 ").arg(std::exchange(from, -1)).arg(id - 1);
        }
        QCOMPARE(ranges, "1-12 17-21 26-28 30-30 32-32 34-37 500-509 511-531 600-617 900-901 ");
        QCOMPARE(UiText(28, kGerman), "Einstellungen wurden auf dem WLAN-Produkt gespeichert");
        QCOMPARE(UiText(602, kEnglish), "Sprache wählen");
        for (int language : {kGerman, kEnglish}) // the port tip: a Linux device path
            QVERIFY(UiText(603, language).contains("7C5E:0003") &&
                    UiText(603, language).endsWith(" /dev/ttyACM0"));
        text = QStringLiteral("stale");
        QVERIFY(!UiText(510, kEnglish, &text) && text.isEmpty());
        text = QStringLiteral("stale");
        QVERIFY(!UiText(28, 5, &text) && text.isEmpty() && UiText(28, 5).isEmpty());
    }

    // Key on, enterprise on, key limit, longer keys cleared, by the security type's index.
    void keyField() {
        const auto rule = [](int index) {
            const FieldRule r = SecurityFieldRule(index);
            return QList<int>{r.keyEnabled, r.enterpriseEnabled, r.keyLimit, r.clearKeyLongerThan};
        };
        QCOMPARE(rule(-1), QList<int>({1, 0, 63, -1})); // none selected
        QCOMPARE(rule(0), QList<int>({0, 0, 63, -1}));  // NONE
        QCOMPARE(rule(1), QList<int>({1, 0, 10, 10}));  // WEP
        QCOMPARE(rule(2), QList<int>({1, 0, 26, 26}));  // WEP128
        QCOMPARE(rule(4), QList<int>({1, 0, 63, -1}));  // WPA2
        QCOMPARE(rule(6), QList<int>({0, 1, 63, -1}));  // WPA2-ENTERPRISE
        QCOMPARE(rule(7), QList<int>({1, 0, 63, -1}));  // outside the list
    }

    // The limits count UTF-8 bytes; a cut falls between two letters.
    void utf8Cut() {
        QCOMPARE(Utf8Left("abc", 2), "ab");
        QCOMPARE(Utf8Left("ääx", 3), "ä");
        QCOMPARE(Utf8Left("a\U0001F600", 4), "a"); // four bytes, outside the BMP
        QCOMPARE(Utf8Left("ae\u0301", 3), "a");    // the accent stays with its letter
        QCOMPARE(Utf8Left("ä", 1), "");
    }

    // Regression: "*.*" lists every file, also one without a dot in its name.
    void fileFilter() {
        QCOMPARE(QtFileFilter("Keys|*.pem;*.crt||"), "Keys (*.pem *.crt)");
        QCOMPARE(QtFileFilter("A (*.a)|*.a"), "A (*.a) (*.a)");
        QCOMPARE(QtFileFilter("|*.*||"), "* (*)");
        QCOMPARE(QtFileFilter(""), "");
    }

    // Log as a number|log as text|language|search|port, read from settings.ini (null: none).
    void settingsRead() {
        const auto read = [](const QByteArray& file) {
            QTemporaryDir dir;
            const Settings s(dir.path());
            if (!file.isNull() && !writeFile(s.path(), file))
                return QString();
            return QStringList{
                QString::number(s.logInt()), s.logText(), QString::number(s.language()),
                QString::number(s.search()), s.port(),    s.aboutUrl()}
                .join('|');
        };
        const QString url = QStringLiteral("|https://www.velinor.example/");
        QCOMPARE(read({}), "0|0|0|1|COMx" + url);
        QCOMPARE(read("[settings]\nlog=1\nlanguage=10000\nsearch=2\nport=/dev/ttyACM0\n"),
                 "1|1|10000|2|/dev/ttyACM0" + url);
        QCOMPARE(read("[ settings ]\n  log = 2x \nsearch=7abc\nport\n"), "2|2|0|7|COMx" + url);
        QCOMPARE(read("[settings]\nport=/dev/serial/by-id/usb-long\n"), // cut to 18
                 "0|0|0|1|/dev/serial/by-id/" + url);
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
    }

    void settingsLeadingInt() {
        QCOMPARE(IniFile::leadingInt(""), 0);
        QCOMPARE(IniFile::leadingInt(" \t-12x"), -12);
        QCOMPARE(IniFile::leadingInt("+99999999999999"), INT_MAX);
        QCOMPARE(IniFile::leadingInt("-99999999999"), INT_MIN);
    }

    // The file lies in work, data, both or none; the viewers on the PATH; whether they start (and
    // the desktop has a handler); then the calls ("|" between) and the message. %W is the working
    // directory, %D the data directory, %F the one that holds the file.
    void help_data() {
        for (const char* c : {"language", "where", "installed", "works", "calls", "message"})
            QTest::addColumn<QString>(c);
        const QString en = "kchmviewer -novcheck -showPage Description.html Velinor.chm in %F";
        const QString de = "kchmviewer -novcheck Velinor.chm in %F";
        const QString url = "open file://%F/Velinor.chm";
        const QString noViewer =
            "Kein Programm kann die Hilfedatei %F/Velinor.chm anzeigen.\nBitte kchmviewer oder "
            "xchm installieren (z. B. mit: sudo apt install kchmviewer).";
        const auto row = [](const char* name, int language, const char* where,
                            const char* installed, bool works, const QString& calls,
                            const QString& message = {}) {
            QTest::newRow(name) << QString::number(language) << where << installed
                                << QString::number(works) << calls << message;
        };
        row("no language counts as German", 5, "work", "kchmviewer", true, de);
        row("English, kchmviewer before xchm", kEnglish, "work", "xchm kchmviewer", true, en);
        row("English, xchm", kEnglish, "work", "xchm", true,
            "xchm file:%F/Velinor.chm#xchm:/Description.html in %F");
        row("German, xchm", kGerman, "work", "xchm", true, "xchm Velinor.chm in %F");
        row("installed file", kEnglish, "data", "kchmviewer", true, en);
        row("German, working directory first", kGerman, "both", "kchmviewer", true, de);
        row("desktop handler", kGerman, "data", "", true, url);
        row("file missing", kEnglish, "none", "kchmviewer", true, "",
            "The help file Velinor.chm was not found.\nLooked in: %W, %D");
        row("nothing can show it", kGerman, "data", "", false, url, noViewer);
        // Regression: a viewer that fails to start hands on to the next.
        row("viewers that do not start", kGerman, "work", "kchmviewer xchm", false,
            de + "|xchm Velinor.chm in %F|" + url, noViewer);
    }
    void help() {
        QFETCH(QString, language);
        QFETCH(QString, where);
        QFETCH(QString, installed);
        QFETCH(QString, works);
        QTemporaryDir work, data;
        if (where == "work" || where == "both")
            QVERIFY(writeFile(work.filePath("Velinor.chm"), "ITSF"));
        if (where == "data" || where == "both")
            QVERIFY(writeFile(data.filePath("Velinor.chm"), "ITSF"));
        FakeLauncher launcher;
        launcher.installed = installed.split(' ', Qt::SkipEmptyParts);
        launcher.result = works == "1";
        RecordingPrompts prompts;
        HelpOpener(launcher, prompts, work.path(), data.path(), [&] {
            return language.toInt();
        }).OpenHelp();
        QStringList seen;
        for (const FakeLauncher::Start& s : launcher.starts)
            seen << s.program + ' ' + s.args.join(' ') + " in " + s.workingDir;
        for (const QString& opened : launcher.opened)
            seen << "open " + opened;
        const QString fileDir = where == "data" ? data.path() : work.path();
        QFETCH(QString, calls);
        QFETCH(QString, message);
        const auto fill = [&](QString s) {
            return s.replace("%W", work.path()).replace("%D", data.path()).replace("%F", fileDir);
        };
        QCOMPARE(seen.join('|'), fill(calls));
        QCOMPARE(prompts.texts().join('|'), fill(message));
        QCOMPARE(prompts.icons(), fill(message).isEmpty() ? QString() : QStringLiteral("w"));
    }
};

QTEST_GUILESS_MAIN(TestBase)
#include "test_base.moc"
