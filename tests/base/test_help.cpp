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

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void opensTheRightPage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("program"); // empty: opened with the desktop's handler
        QTest::addColumn<QStringList>("args");
        const QStringList kEn{"-novcheck", "-showPage", "Description.html", "Velinor.chm"};
        const QStringList kDe{"-novcheck", "Velinor.chm"};
        QTest::newRow("English, kchmviewer")
            << kEnglish << QStringList{"kchmviewer"} << "kchmviewer" << kEn;
        QTest::newRow("German, kchmviewer")
            << kGerman << QStringList{"kchmviewer"} << "kchmviewer" << kDe;
        QTest::newRow("English, both: kchmviewer first")
            << kEnglish << QStringList{"xchm", "kchmviewer"} << "kchmviewer" << kEn;
        QTest::newRow("English, xchm") << kEnglish << QStringList{"xchm"} << "xchm"
                                       << QStringList{"file:%1/Velinor.chm#xchm:/Description.html"};
        QTest::newRow("German, xchm")
            << kGerman << QStringList{"xchm"} << "xchm" << QStringList{"Velinor.chm"};
        QTest::newRow("no language counts as German")
            << 5 << QStringList{"kchmviewer"} << "kchmviewer" << kDe;
        QTest::newRow("English, no viewer")
            << kEnglish << QStringList{} << QString() << QStringList{};
        QTest::newRow("German, no viewer")
            << kGerman << QStringList{} << QString() << QStringList{};
    }
    void opensTheRightPage() {
        QFETCH(int, language);
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        FakeLauncher launcher;
        QFETCH(QStringList, installed);
        launcher.installed = installed;
        HelpOpener help(launcher, dir.path(), [&] { return language; });
        help.OpenHelp();
        if (program.isEmpty()) {
            QVERIFY(launcher.starts.isEmpty());
            QCOMPARE(launcher.opened,
                     QStringList{QUrl::fromLocalFile(dir.filePath("Velinor.chm")).toString()});
            return;
        }
        QVERIFY(launcher.opened.isEmpty());
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.starts.first().program, program);
        for (QString& arg : args)
            arg.replace(QStringLiteral("%1"), dir.path());
        QCOMPARE(launcher.starts.first().args, args);
        // The viewer runs in the tool's directory, where the relative name resolves.
        QCOMPARE(launcher.starts.first().workingDir, dir.path());
    }

    // The language is read from settings.ini anew at each opening; each call opens once.
    void languageComesFromTheSettingsFile() {
        QTemporaryDir dir;
        FakeLauncher launcher;
        launcher.installed = {QStringLiteral("xchm")};
        launcher.result = false; // a failing start is not reported and changes nothing
        const Settings settings(dir.path());
        HelpOpener help(launcher, dir.path(), [&] { return settings.language(); });
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
        QVERIFY(launcher.opened.isEmpty());
        const auto english = [&](int i) {
            return launcher.starts.at(i).args.first().endsWith("#xchm:/Description.html");
        };
        QVERIFY(!english(0) && english(1) && !english(2));
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
