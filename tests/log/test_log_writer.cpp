#include "base/clock.h"
#include "base/prompts.h"
#include "log/log_writer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace velinor;

namespace {
struct CountingPrompts : Prompts {
    QStringList texts;
    QList<PromptIcon> icons;
    void message(const QString& text, PromptIcon icon) override {
        texts << text;
        icons << icon;
    }
};
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

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
        CountingPrompts prompts;
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
        CountingPrompts prompts;
        LogWriter log(dir.path(), clock, prompts, {});
        EventLog events(log, [] { return true; });
        events.entry(
            {QStringLiteral("* Konfigurieren *"), QStringLiteral("\nSchlüssel: geheim"), "\n"});
        events.entry(QStringLiteral("Configuration successful\n"));
        const QByteArray text = readFile(log.path());
        QVERIFY(text.startsWith("earlier run\n05.12.2012 14:03:11 : * Konfigurieren *\nSchl\xc3\xbc"
                                "ssel: geheim\n"));
        QVERIFY(text.endsWith(" : Configuration successful\n"));
        QVERIFY(prompts.texts.isEmpty());
    }

    void createdForOwnerOnly() {
        QTemporaryDir dir;
        ManualClock clock;
        CountingPrompts prompts;
        LogWriter log(dir.path(), clock, prompts, {});
        log.LogWrite("key\n");
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(log.path()).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
    }

    void nothingWrittenWhileLoggingIsOff() {
        QTemporaryDir dir;
        ManualClock clock;
        CountingPrompts prompts;
        LogWriter log(dir.path(), clock, prompts, {});
        bool on = false;
        EventLog events(log, [&] { return on; });
        events.entry(QStringLiteral("hidden\n"));
        QVERIFY(!QFile::exists(log.path()));
        on = true;
        events.entry(QStringLiteral("shown\n"));
        QVERIFY(readFile(log.path()).endsWith(" : shown\n"));
    }

    void unwritable_data() {
        QTest::addColumn<bool>("fileIsDirectory");
        QTest::newRow("directory is a regular file") << false;
        QTest::newRow("log.txt is a directory") << true;
    }
    void unwritable() {
        QFETCH(bool, fileIsDirectory);
        QTemporaryDir dir;
        QString logDir = dir.path();
        if (fileIsDirectory) {
            QVERIFY(QDir(dir.path()).mkdir("log.txt"));
        } else {
            QFile f(dir.path() + "/plain");
            QVERIFY(f.open(QIODevice::WriteOnly));
            logDir = dir.path() + "/plain";
        }
        ManualClock clock;
        CountingPrompts prompts;
        int switchedOff = 0;
        LogWriter log(logDir, clock, prompts, [&] { ++switchedOff; });
        for (int i = 0; i < 3; ++i) {
            QVERIFY(log.LogTimeStamp());
            QVERIFY(log.LogWrite("lost\n"));
        }
        QCOMPARE(prompts.texts.size(), 1);
        QCOMPARE(prompts.icons.first(), PromptIcon::Warning);
        QVERIFY(prompts.texts.first().startsWith("Log error: "));
        QVERIFY(prompts.texts.first().endsWith("\nLogging disabled."));
        QVERIFY(prompts.texts.first().contains(GetErrorText(fileIsDirectory ? EISDIR : ENOTDIR)));
        QCOMPARE(switchedOff, 1);
        QVERIFY(log.errorShown());
    }
};

QTEST_APPLESS_MAIN(TestLogWriter)
#include "test_log_writer.moc"
