#include "base/clock.h"
#include "fakes.h"
#include "log/log_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace velinor;

using namespace velinor::fakes;

class TestLogWriter : public QObject {
    Q_OBJECT
private slots:
    void timeStamp_data() {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("fifth of december")
            << QDateTime(QDate(2012, 12, 5), QTime(14, 3, 11)) << "05.12.2012 14:03:11 : ";
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 9), QTime(0, 0, 0))
                                  << "09.01.2026 00:00:00 : ";
        QTest::newRow("late") << QDateTime(QDate(2031, 11, 30), QTime(23, 59, 59))
                              << "30.11.2031 23:59:59 : ";
    }
    void timeStamp() {
        QFETCH(QDateTime, time);
        QFETCH(QString, stamp);
        QTemporaryDir dir;
        ManualClock clock(time);
        RecordingPrompts prompts;
        LogWriter log(dir.path(), clock, prompts, {});
        QCOMPARE(log.timeStamp(), stamp);
        QCOMPARE(log.timeStamp().size(), 22);
        QVERIFY(log.LogTimeStamp());
        QCOMPARE(readFile(dir.path() + "/log.txt"), stamp.toUtf8());
    }

    void appendsAndNeverTruncates() {
        QTemporaryDir dir;
        QFile old(dir.path() + "/log.txt");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier run\n");
        old.close();
        ManualClock clock;
        RecordingPrompts prompts;
        LogWriter log(dir.path(), clock, prompts, {});
        EventLog events(log, [] { return true; });
        events.entry(
            {QStringLiteral("* Konfigurieren *"), QStringLiteral("\nSchlüssel: geheim"), "\n"});
        events.entry(QStringLiteral("Configuration successful\n"));
        const QByteArray text = readFile(log.path());
        QVERIFY(text.startsWith("earlier run\n05.12.2012 14:03:11 : * Konfigurieren *\nSchl\xc3\xbc"
                                "ssel: geheim\n"));
        QVERIFY(text.endsWith(" : Configuration successful\n"));
        QVERIFY(prompts.shown.isEmpty());
    }

    void nothingWrittenWhileLoggingIsOff() {
        QTemporaryDir dir;
        ManualClock clock;
        RecordingPrompts prompts;
        LogWriter log(dir.path(), clock, prompts, {});
        bool on = false;
        EventLog events(log, [&] { return on; });
        events.entry(QStringLiteral("hidden\n"));
        QVERIFY(!QFile::exists(log.path()));
        on = true;
        events.entry(QStringLiteral("shown\n"));
        QVERIFY(readFile(log.path()).endsWith(" : shown\n"));
    }

    // Where the log goes and what happens when it cannot be written. Paths are
    // in the temporary directory; "file" is a regular file, "file/x" lies under it
    // (root may write anywhere, but not there).
    void location_data() {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("stateHome");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("logPath"); // empty: the text is lost
        QTest::addColumn<int>("error");
        QTest::newRow("program directory writable") << "bin"
                                                    << "state"
                                                    << "home"
                                                    << "bin/log.txt" << 0;
        QTest::newRow("program directory unwritable: XDG_STATE_HOME")
            << "file/bin"
            << "state"
            << "home"
            << "state/velinor/log.txt" << 0;
        QTest::newRow("program directory unwritable: home")
            << "file/bin"
            << ""
            << "home"
            << "home/.local/state/velinor/log.txt" << 0;
        QTest::newRow("relative XDG_STATE_HOME is ignored")
            << "file/bin"
            << "relative"
            << "home"
            << "home/.local/state/velinor/log.txt" << 0;
        QTest::newRow("neither writable: home under a file") << "file/bin"
                                                             << ""
                                                             << "file/home"
                                                             << "" << ENOTDIR;
        QTest::newRow("neither writable: no home") << "file"
                                                   << ""
                                                   << ""
                                                   << "" << ENOTDIR;
        // Only the state directory is made: a missing program directory stays missing.
        QTest::newRow("neither writable: program directory missing, no home") << "missing"
                                                                              << ""
                                                                              << ""
                                                                              << "" << ENOENT;
        QTest::newRow("log.txt is a directory") << "dir"
                                                << ""
                                                << "home"
                                                << "" << EISDIR;
    }
    void location() {
        QFETCH(QString, programDir);
        QFETCH(QString, stateHome);
        QFETCH(QString, home);
        QFETCH(QString, logPath);
        QFETCH(int, error);
        QTemporaryDir dir;
        const auto in = [&](const QString& name) {
            return name.isEmpty() || name == "relative" ? name : dir.path() + "/" + name;
        };
        QVERIFY(QDir(dir.path()).mkpath("bin") && QDir(dir.path()).mkpath("dir/log.txt"));
        QFile file(in("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        ManualClock clock;
        RecordingPrompts prompts;
        int switchedOff = 0;
        LogWriter log(ChooseLogLocation(in(programDir), in(stateHome), in(home)), clock, prompts,
                      [&] { ++switchedOff; });
        // Nothing is made before the first write.
        QVERIFY(!QFileInfo::exists(in("state")) && !QFileInfo::exists(in("home")));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(log.LogTimeStamp());
            QVERIFY(log.LogWrite("entry\n"));
        }
        if (!logPath.isEmpty()) {
            QCOMPARE(log.path(), in(logPath));
            QCOMPARE(readFile(log.path()), QByteArray("05.12.2012 14:03:11 : entry\n").repeated(3));
            QVERIFY(prompts.shown.isEmpty());
            // Owner only: the log holds keys in plain text, its directory is private.
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(log.path()).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 0777), 0600);
            if (logPath.startsWith("bin"))
                return;
            QCOMPARE(::stat(QFile::encodeName(QFileInfo(log.path()).path()).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 0777), 0700);
            return;
        }
        QCOMPARE(prompts.texts(),
                 QStringList{"Log error: " + GetErrorText(error) + "\nLogging disabled."});
        QCOMPARE(prompts.icons(), QStringLiteral("w"));
        QCOMPARE(switchedOff, 1);
        QVERIFY(log.errorShown());
    }
};

QTEST_APPLESS_MAIN(TestLogWriter)
#include "test_log_writer.moc"
