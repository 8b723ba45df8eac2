// The log: what an entry writes, where log.txt lives, what happens when it cannot be written.

#include "fakes.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

class TestLogWriter : public QObject {
    Q_OBJECT
private slots:
    // "file" is a regular file, so nothing under it can be made, not even by root.
    void location_data() {
        QTest::addColumn<QString>("program");   // the program's directory
        QTest::addColumn<QString>("stateHome"); // XDG_STATE_HOME
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("log");  // where log.txt is written; empty: nowhere
        QTest::addColumn<int>("error");    // not 0: the text is lost
        QTest::addColumn<bool>("earlier"); // the log holds an earlier run's lines
        const auto row = [](const char* name, const char* program, const char* stateHome,
                            const char* home, const char* log, int error, bool earlier = false) {
            QTest::newRow(name) << program << stateHome << home << log << error << earlier;
        };
        row("program directory: appended to an earlier run's log", "bin", "state", "home",
            "bin/log.txt", 0, true);
        row("XDG_STATE_HOME", "file/bin", "state", "home", "state/velinor/log.txt", 0);
        row("relative XDG_STATE_HOME is ignored", "file/bin", "relative", "home",
            "home/.local/state/velinor/log.txt", 0);
        row("home under a file", "file/bin", "", "file/home", "", ENOTDIR);
        row("no home", "file", "", "", "", ENOTDIR);
        row("program directory missing, not made", "missing", "", "", "", ENOENT);
        row("log.txt is a directory", "dir", "", "home", "", EISDIR);
        row("log.txt refuses writes (a full disk)", "full", "", "home", "", ENOSPC);
    }
    void location() {
        QFETCH(QString, program);
        QFETCH(QString, stateHome);
        QFETCH(QString, home);
        QFETCH(QString, log);
        QFETCH(int, error);
        QFETCH(bool, earlier);
        QTemporaryDir dir;
        const auto in = [&](const QString& name) {
            return name.isEmpty() || name == "relative" ? name : dir.path() + "/" + name;
        };
        QVERIFY(QDir(dir.path()).mkpath("bin") && QDir(dir.path()).mkpath("dir/log.txt"));
        QVERIFY(QDir(dir.path()).mkpath("full") && QFile::link("/dev/full", in("full/log.txt")));
        QVERIFY(writeFile(in("file"), ""));
        QVERIFY(!earlier || writeFile(in(log), "earlier run\n"));
        ManualClock clock;
        RecordingPrompts prompts;
        int switchedOff = 0;
        // Regression: UTF-8 with Linux line ends, appended, nothing while logging is off.
        LogWriter writer(ChooseLogLocation(in(program), in(stateHome), in(home)), clock, prompts,
                         [&] { ++switchedOff; });
        bool on = false;
        EventLog events(writer, [&] { return on; });
        events.entry(QStringLiteral("hidden\n"));
        on = true;
        events.entry({QStringLiteral("* Konfigurieren *"), QStringLiteral("\nSchlüssel: ä"), "\n"});
        for (int i = 0; i < 2; ++i)
            QVERIFY(writer.LogTimeStamp() && writer.LogWrite("entry\n"));
        if (error) {
            QCOMPARE(prompts.shown,
                     (QList<QPair<QString, PromptIcon>>{
                         {"Log error: " + GetErrorText(error) + "\nLogging disabled.",
                          PromptIcon::Warning}}));
            QCOMPARE(switchedOff, 1);
            return;
        }
        QCOMPARE(writer.path(), in(log));
        QCOMPARE(readFile(writer.path()),
                 (earlier ? "earlier run\n" : "") +
                     QByteArray(
                         "05.12.2012 14:03:11 : * Konfigurieren *\nSchl\xc3\xbcssel: \xc3\xa4\n") +
                     QByteArray("05.12.2012 14:03:11 : entry\n").repeated(2));
        QVERIFY(prompts.shown.isEmpty());
        if (earlier)
            return; // its mode is the earlier run's
        // Owner only: the log holds keys in plain text, and a directory made for it is private.
        const auto owner =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFileInfo(writer.path()).permissions(), owner);
        if (program != "bin")
            QCOMPARE(QFileInfo(QFileInfo(writer.path()).path()).permissions(),
                     owner | QFile::ExeOwner | QFile::ExeUser);
    }
};

QTEST_APPLESS_MAIN(TestLogWriter)
#include "test_log_writer.moc"
