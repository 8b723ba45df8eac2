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
        QTest::addColumn<QString>("places"); // program directory|XDG_STATE_HOME|home|log.txt
        QTest::addColumn<int>("error");      // not 0: the text is lost
        QTest::newRow("program directory") << "bin|state|home|bin/log.txt" << 0;
        QTest::newRow("XDG_STATE_HOME") << "file/bin|state|home|state/velinor/log.txt" << 0;
        QTest::newRow("home") << "file/bin||home|home/.local/state/velinor/log.txt" << 0;
        QTest::newRow("relative XDG_STATE_HOME is ignored")
            << "file/bin|relative|home|home/.local/state/velinor/log.txt" << 0;
        QTest::newRow("home under a file") << "file/bin||file/home|" << ENOTDIR;
        QTest::newRow("no home") << "file|||" << ENOTDIR;
        QTest::newRow("program directory missing, not made") << "missing|||" << ENOENT;
        QTest::newRow("log.txt is a directory") << "dir||home|" << EISDIR;
    }
    void location() {
        QFETCH(QString, places);
        QFETCH(int, error);
        QTemporaryDir dir;
        const auto in = [&](const QString& name) {
            return name.isEmpty() || name == "relative" ? name : dir.path() + "/" + name;
        };
        QVERIFY(QDir(dir.path()).mkpath("bin") && QDir(dir.path()).mkpath("dir/log.txt"));
        QVERIFY(writeFile(in("file"), ""));
        ManualClock clock;
        RecordingPrompts prompts;
        int switchedOff = 0;
        const QStringList d = places.split('|');
        // Regression: UTF-8 with Linux line ends, appended to an earlier run's log, nothing while
        // logging is off.
        QVERIFY(writeFile(in("bin/log.txt"), "earlier run\n") &&
                QFile::setPermissions(in("bin/log.txt"), QFile::ReadOwner | QFile::WriteOwner));
        LogWriter log(ChooseLogLocation(in(d[0]), in(d[1]), in(d[2])), clock, prompts,
                      [&] { ++switchedOff; });
        bool on = false;
        EventLog events(log, [&] { return on; });
        events.entry(QStringLiteral("hidden\n"));
        on = true;
        events.entry({QStringLiteral("* Konfigurieren *"), QStringLiteral("\nSchlüssel: ä"), "\n"});
        for (int i = 0; i < 2; ++i)
            QVERIFY(log.LogTimeStamp() && log.LogWrite("entry\n"));
        if (error) {
            QCOMPARE(prompts.texts(),
                     QStringList{"Log error: " + GetErrorText(error) + "\nLogging disabled."});
            QCOMPARE(prompts.icons(), QStringLiteral("w"));
            QCOMPARE(switchedOff, 1);
            return;
        }
        QCOMPARE(log.path(), in(d[3]));
        QCOMPARE(readFile(log.path()),
                 (d[3].startsWith("bin") ? "earlier run\n" : "") +
                     QByteArray(
                         "05.12.2012 14:03:11 : * Konfigurieren *\nSchl\xc3\xbcssel: \xc3\xa4\n") +
                     QByteArray("05.12.2012 14:03:11 : entry\n").repeated(2));
        QVERIFY(prompts.shown.isEmpty());
        // Owner only: the log holds keys in plain text, and a directory made for it is private.
        const auto owner =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFileInfo(log.path()).permissions(), owner);
        if (!d[3].startsWith("bin"))
            QCOMPARE(QFileInfo(QFileInfo(log.path()).path()).permissions(),
                     owner | QFile::ExeOwner | QFile::ExeUser);
    }
};

QTEST_APPLESS_MAIN(TestLogWriter)
#include "test_log_writer.moc"
