// base/: the catalogue of texts, UTF-8 limits, file filters, settings.ini and the help file.
// The security type's field rules are proven on the form (tests/ui).

#include "base/field_rules.h"
#include "base/help.h"
#include "base/ini_file.h"
#include "base/settings.h"
#include "base/stop_signals.h"
#include "fakes.h"

#include <QTest>

#include <csignal>
#include <poll.h>

using namespace velinor;
using namespace velinor::fakes;

// Where the help file lies, the viewers on the PATH and whether they start (and the desktop has
// a handler); then the calls ("|" between) and the message. %W is the working directory, %D the
// data directory, %F the one that holds the file.
struct Help {
    int language = kGerman;
    bool inWork = false, inData = false;
    QStringList viewers = {};
    bool works = true;
    QString calls = {}, message = {};
};
Q_DECLARE_METATYPE(Help)

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

    // settings.ini up to 16 MiB is read and written; a larger file is no settings file: it is
    // read as missing and left as it is.
    void settingsFileSize_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("taken");
        QTest::newRow("16 MiB: taken") << qint64(16 << 20) << true;
        QTest::newRow("a byte more: left alone") << qint64((16 << 20) + 1) << false;
    }
    void settingsFileSize() {
        QFETCH(qint64, size);
        QFETCH(bool, taken);
        QTemporaryDir dir;
        const Settings s(dir.path());
        QVERIFY(writeFile(s.path(), "[settings]\nlog=1\n") && QFile::resize(s.path(), size));
        QCOMPARE(s.logInt(), taken ? 1 : 0);
        s.setSearch(2);
        const QByteArray after = readFile(s.path());
        QCOMPARE(after.size(), taken ? size + 10 : size); // the last line ended, "search=2\n"
        QCOMPARE(after.endsWith("\nsearch=2\n"), taken);
    }

    void settingsLeadingInt() {
        QCOMPARE(IniFile::leadingInt(""), 0);
        QCOMPARE(IniFile::leadingInt(" \t-12x"), -12);
        QCOMPARE(IniFile::leadingInt("+99999999999999"), INT_MAX);
        QCOMPARE(IniFile::leadingInt("-99999999999"), INT_MIN);
        QCOMPARE(IniFile::leadingInt("-2147483647"), -INT_MAX);
    }

    void help_data() {
        QTest::addColumn<Help>("row");
        const QStringList kchm{"kchmviewer"}, xchm{"xchm"};
        const QString en = "kchmviewer -novcheck -showPage Description.html Velinor.chm in %F";
        const QString de = "kchmviewer -novcheck Velinor.chm in %F";
        const QString url = "open file://%F/Velinor.chm";
        const QString xchmEn = "xchm file:%F/Velinor.chm#xchm:/Description.html in %F";
        const QString missing = "The help file Velinor.chm was not found.\nLooked in: %W, %D";
        QTest::newRow("a language other than English counts as German; working directory first")
            << Help{.language = 5, .inWork = true, .inData = true, .viewers = kchm, .calls = de};
        QTest::newRow("English, kchmviewer before xchm")
            << Help{.language = kEnglish, .inWork = true, .viewers = xchm + kchm, .calls = en};
        QTest::newRow("English, xchm")
            << Help{.language = kEnglish, .inWork = true, .viewers = xchm, .calls = xchmEn};
        QTest::newRow("installed file, desktop handler") << Help{.inData = true, .calls = url};
        QTest::newRow("file missing")
            << Help{.language = kEnglish, .viewers = kchm, .message = missing};
        // Regression: a viewer that fails to start hands on to the next.
        QTest::newRow("viewers that do not start")
            << Help{.inWork = true,
                    .viewers = kchm + xchm,
                    .works = false,
                    .calls = de + "|xchm Velinor.chm in %F|" + url,
                    .message = "Kein Programm kann die Hilfedatei %F/Velinor.chm anzeigen.\nBitte "
                               "kchmviewer oder xchm installieren (z. B. mit: sudo apt install "
                               "kchmviewer)."};
    }
    void help() {
        QFETCH(Help, row);
        QTemporaryDir work, data;
        QVERIFY(!row.inWork || writeFile(work.filePath("Velinor.chm"), "ITSF"));
        QVERIFY(!row.inData || writeFile(data.filePath("Velinor.chm"), "ITSF"));
        FakeLauncher launcher;
        launcher.installed = row.viewers;
        launcher.result = row.works;
        RecordingPrompts prompts;
        HelpOpener(launcher, prompts, work.path(), data.path(), [&] {
            return row.language;
        }).OpenHelp();
        QStringList seen;
        for (const FakeLauncher::Start& s : launcher.starts)
            seen << s.program + ' ' + s.args.join(' ') + " in " + s.workingDir;
        for (const QString& opened : launcher.opened)
            seen << "open " + opened;
        const QString fileDir = row.inWork ? work.path() : data.path();
        const auto fill = [&](QString s) {
            return s.replace("%W", work.path()).replace("%D", data.path()).replace("%F", fileDir);
        };
        QCOMPARE(seen.join('|'), fill(row.calls));
        QCOMPARE(prompts.texts().join('|'), fill(row.message));
        QCOMPARE(prompts.icons(),
                 row.message.isEmpty() ? QList<PromptIcon>() : QList{PromptIcon::Warning});
    }

    // SIGTERM and SIGHUP: counted, the first kept, the wake pipe readable until drained; the
    // former handlers come back afterwards.
    void stopSignals() {
        struct sigaction before {
        }, after{};
        QVERIFY(::sigaction(SIGHUP, nullptr, &before) == 0);
        {
            const StopSignals stop;
            QVERIFY(stop.installed());
            pollfd wake{stop.wakeFd(), POLLIN, 0};
            QCOMPARE(::poll(&wake, 1, 0), 0);
            std::raise(SIGTERM);
            std::raise(SIGHUP);
            QVERIFY(stop.level() == 2 && stop.signal() == SIGTERM);
            QCOMPARE(::poll(&wake, 1, 0), 1);
            stop.drain();
            QCOMPARE(::poll(&wake, 1, 0), 0);
        }
        QVERIFY(::sigaction(SIGHUP, nullptr, &after) == 0 && after.sa_handler == before.sa_handler);
    }
};

QTEST_GUILESS_MAIN(TestBase)
#include "test_base.moc"
