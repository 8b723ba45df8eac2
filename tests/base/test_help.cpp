// Opening the help file: where it is looked for, which viewer shows which page, the messages.

#include "base/help.h"
#include "fakes.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    // %W is the working directory, %D the data directory, %F the one that holds the file.
    void open_data() {
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
        QTest::newRow("English") << kEnglish << "work" << kch << true << en << "";
        QTest::newRow("German") << kGerman << "work" << kch << true << de << "";
        QTest::newRow("no language counts as German") << 5 << "work" << kch << true << de << "";
        QTest::newRow("kchmviewer before xchm")
            << kEnglish << "work" << QStringList{"xchm", "kchmviewer"} << true << en << "";
        QTest::newRow("English, xchm")
            << kEnglish << "work" << QStringList{"xchm"} << true
            << QStringList{"xchm file:%F/Velinor.chm#xchm:/Description.html in %F"} << "";
        QTest::newRow("German, xchm") << kGerman << "work" << QStringList{"xchm"} << true
                                      << QStringList{"xchm Velinor.chm in %F"} << "";
        QTest::newRow("installed file") << kEnglish << "data" << kch << true << en << "";
        QTest::newRow("working directory first") << kGerman << "both" << kch << true << de << "";
        QTest::newRow("desktop handler")
            << kGerman << "data" << QStringList{} << true << QStringList{url} << "";
        QTest::newRow("file missing")
            << kEnglish << "none" << kch << true << QStringList{}
            << "The help file Velinor.chm was not found.\nLooked in: %W, %D";
        QTest::newRow("nothing can show it")
            << kEnglish << "data" << QStringList{} << false << QStringList{url}
            << "No program can show the help file %F/Velinor.chm.\nPlease install kchmviewer or "
               "xchm (for example: sudo apt install kchmviewer).";
        // Regression: a viewer that fails to start hands on to the next.
        QTest::newRow("viewers that do not start")
            << kGerman << "work" << QStringList{"kchmviewer", "xchm"} << false
            << (de + QStringList{"xchm Velinor.chm in %F", url})
            << "Kein Programm kann die Hilfedatei %F/Velinor.chm anzeigen.\nBitte kchmviewer oder "
               "xchm installieren (z. B. mit: sudo apt install kchmviewer).";
    }
    void open() {
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

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
