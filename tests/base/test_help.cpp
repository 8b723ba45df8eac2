#include "base/help.h"
#include "base/settings.h"
#include "base/ui_text.h"
#include "fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace velinor;
using velinor::fakes::FakeLauncher;
using velinor::fakes::RecordingPrompts;

namespace {

void writeHelpFile(const QString& dir) {
    QFile file(QDir(dir).filePath(QStringLiteral("Velinor.chm")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("ITSF");
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    // In the expectations %W stands for the working directory, %D for the data
    // directory and %F for the directory that holds the file.
    void opensTheRightPage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("where");         // the file lies in: work, data, both, none
        QTest::addColumn<QStringList>("installed"); // the viewers found on the PATH
        QTest::addColumn<bool>("handler");          // the desktop has a handler for the file
        QTest::addColumn<QString>("program");       // empty: no viewer started
        QTest::addColumn<QStringList>("args");      // of the viewer, or the URL opened
        QTest::addColumn<QString>("message");       // empty: none shown
        const QStringList kch{"kchmviewer"};
        const QStringList kEn{"-novcheck", "-showPage", "Description.html", "Velinor.chm"};
        const QStringList kDe{"-novcheck", "Velinor.chm"};
        const QStringList kUrl{"file://%F/Velinor.chm"};
        const QString noViewerEn = "No program can show the help file %F/Velinor.chm.\nPlease "
                                   "install kchmviewer or xchm (for example: sudo apt install "
                                   "kchmviewer).";
        const QString noViewerDe = "Kein Programm kann die Hilfedatei %F/Velinor.chm anzeigen.\n"
                                   "Bitte kchmviewer oder xchm installieren (z. B. mit: sudo apt "
                                   "install kchmviewer).";
        QTest::newRow("English, kchmviewer")
            << kEnglish << "work" << kch << true << "kchmviewer" << kEn << "";
        QTest::newRow("German, kchmviewer")
            << kGerman << "work" << kch << true << "kchmviewer" << kDe << "";
        QTest::newRow("English, both viewers: kchmviewer first")
            << kEnglish << "work" << QStringList{"xchm", "kchmviewer"} << true << "kchmviewer"
            << kEn << "";
        QTest::newRow("English, xchm")
            << kEnglish << "work" << QStringList{"xchm"} << true << "xchm"
            << QStringList{"file:%F/Velinor.chm#xchm:/Description.html"} << "";
        QTest::newRow("German, xchm") << kGerman << "work" << QStringList{"xchm"} << true << "xchm"
                                      << QStringList{"Velinor.chm"} << "";
        QTest::newRow("no language counts as German")
            << 5 << "work" << kch << true << "kchmviewer" << kDe << "";
        QTest::newRow("installed file, viewer found")
            << kEnglish << "data" << kch << true << "kchmviewer" << kEn << "";
        QTest::newRow("the working directory's file first")
            << kGerman << "both" << kch << true << "kchmviewer" << kDe << "";
        QTest::newRow("desktop handler")
            << kGerman << "data" << QStringList{} << true << "" << kUrl << "";
        QTest::newRow("file missing, English")
            << kEnglish << "none" << kch << true << "" << QStringList{}
            << "The help file Velinor.chm was not found.\nLooked in: %W, %D";
        QTest::newRow("file missing, German")
            << kGerman << "none" << kch << true << "" << QStringList{}
            << "Die Hilfedatei Velinor.chm wurde nicht gefunden.\nGesucht in: %W, %D";
        QTest::newRow("nothing can show it, English")
            << kEnglish << "work" << QStringList{} << false << "" << kUrl << noViewerEn;
        QTest::newRow("nothing can show it, German")
            << kGerman << "data" << QStringList{} << false << "" << kUrl << noViewerDe;
        QTest::newRow("viewers that do not start, nothing else")
            << kGerman << "work" << QStringList{"kchmviewer", "xchm"} << false << "xchm" << kUrl
            << noViewerDe;
    }
    void opensTheRightPage() {
        QFETCH(int, language);
        QFETCH(QString, where);
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QTemporaryDir work;
        QTemporaryDir data;
        if (where == "work" || where == "both")
            writeHelpFile(work.path());
        if (where == "data" || where == "both")
            writeHelpFile(data.path());
        const QString fileDir = where == "data" ? data.path() : work.path();
        const auto fill = [&](QString s) {
            return s.replace("%W", work.path()).replace("%D", data.path()).replace("%F", fileDir);
        };
        FakeLauncher launcher;
        QFETCH(QStringList, installed);
        QFETCH(bool, handler);
        launcher.installed = installed;
        launcher.result = handler;
        RecordingPrompts prompts;
        HelpOpener help(launcher, prompts, work.path(), data.path(), [&] { return language; });
        help.OpenHelp();

        QCOMPARE(prompts.lastText(), fill(message));
        QCOMPARE(prompts.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(prompts.shown.first().second, PromptIcon::Warning);
        if (program.isEmpty() || !handler) {
            // Shown by the desktop's handler, or by nothing: then it was the last try.
            QStringList urls;
            for (const QString& arg : args)
                urls << fill(arg);
            QCOMPARE(launcher.opened, urls);
            if (program.isEmpty())
                QVERIFY(launcher.starts.isEmpty());
            else
                QCOMPARE(launcher.starts.last().program, program);
            return;
        }
        QVERIFY(launcher.opened.isEmpty());
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.starts.first().program, program);
        for (QString& arg : args)
            arg = fill(arg);
        QCOMPARE(launcher.starts.first().args, args);
        // The viewer runs in the file's directory, where the plain name resolves.
        QCOMPARE(launcher.starts.first().workingDir, fileDir);
    }

    // The language is read from settings.ini anew at each opening; each call opens once.
    void languageComesFromTheSettingsFile() {
        QTemporaryDir dir;
        writeHelpFile(dir.path());
        FakeLauncher launcher;
        launcher.installed = {QStringLiteral("xchm")};
        RecordingPrompts prompts;
        const Settings settings(dir.path());
        HelpOpener help(launcher, prompts, dir.path(), QString(),
                        [&] { return settings.language(); });
        QFile file(settings.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[settings]\r\nport=COM3\r\n");
        file.close();
        help.OpenHelp();
        settings.setLanguage(kEnglish);
        help.OpenHelp();
        settings.setLanguage(kGerman);
        help.OpenHelp();
        QCOMPARE(launcher.starts.size(), 3);
        QVERIFY(launcher.opened.isEmpty() && prompts.shown.isEmpty());
        const auto english = [&](int i) {
            return launcher.starts.at(i).args.first().endsWith("#xchm:/Description.html");
        };
        QVERIFY(!english(0) && english(1) && !english(2));
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
