#include "app/help.h"
#include "app/settings.h"
#include "app/ui_text.h"
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
    void opensTheRightPage_data();
    void opensTheRightPage();
    void languageIsReadAtEveryOpening();
    void languageComesFromTheSettingsFile_data();
    void languageComesFromTheSettingsFile();
    void eachCallOpensOnce();
};

void TestHelp::opensTheRightPage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("program"); // empty: opened with the desktop's handler
    QTest::addColumn<QStringList>("args");

    const QStringList both{"kchmviewer", "xchm"};
    QTest::newRow("English, kchmviewer")
        << kEnglish << QStringList{"kchmviewer"} << "kchmviewer"
        << QStringList{"-novcheck", "-showPage", "Description.html", "Velinor.chm"};
    QTest::newRow("German, kchmviewer") << kGerman << QStringList{"kchmviewer"} << "kchmviewer"
                                        << QStringList{"-novcheck", "Velinor.chm"};
    QTest::newRow("English, both: kchmviewer first")
        << kEnglish << both << "kchmviewer"
        << QStringList{"-novcheck", "-showPage", "Description.html", "Velinor.chm"};
    QTest::newRow("English, xchm") << kEnglish << QStringList{"xchm"} << "xchm"
                                   << QStringList{"file:%1/Velinor.chm#xchm:/Description.html"};
    QTest::newRow("German, xchm") << kGerman << QStringList{"xchm"} << "xchm"
                                  << QStringList{"Velinor.chm"};
    QTest::newRow("a stored value that is no language counts as German")
        << 5 << QStringList{"kchmviewer"} << "kchmviewer"
        << QStringList{"-novcheck", "Velinor.chm"};
    QTest::newRow("English, no viewer") << kEnglish << QStringList{} << QString() << QStringList{};
    QTest::newRow("German, no viewer") << kGerman << QStringList{} << QString() << QStringList{};
}

void TestHelp::opensTheRightPage() {
    QFETCH(int, language);
    QFETCH(QStringList, installed);
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FakeLauncher launcher;
    launcher.installed = installed;
    int reads = 0;
    HelpOpener help(launcher, dir.path(), [&] {
        ++reads;
        return language;
    });
    help.OpenHelp();
    QCOMPARE(reads, 1);
    const QString absolute = QDir(dir.path()).absoluteFilePath(QStringLiteral("Velinor.chm"));
    if (program.isEmpty()) {
        QVERIFY(launcher.starts.isEmpty());
        QCOMPARE(launcher.opened, QStringList{QUrl::fromLocalFile(absolute).toString()});
        QVERIFY(launcher.opened.first().startsWith(QStringLiteral("file:///")));
        return;
    }
    QVERIFY(launcher.opened.isEmpty());
    QCOMPARE(launcher.starts.size(), 1);
    QCOMPARE(launcher.starts.first().program, program);
    for (QString& arg : args)
        if (arg.contains(QStringLiteral("%1")))
            arg = arg.arg(dir.path());
    QCOMPARE(launcher.starts.first().args, args);
    // The viewer runs in the tool's directory, where the relative name resolves.
    QCOMPARE(launcher.starts.first().workingDir, dir.path());
}

void TestHelp::languageIsReadAtEveryOpening() {
    FakeLauncher launcher;
    launcher.installed = {QStringLiteral("kchmviewer")};
    int language = kEnglish;
    HelpOpener help(launcher, QStringLiteral("/tmp"), [&] { return language; });
    help.OpenHelp();
    language = kGerman;
    help.OpenHelp();
    QCOMPARE(launcher.starts.size(), 2);
    QVERIFY(launcher.starts.at(0).args.contains(QStringLiteral("Description.html")));
    QVERIFY(!launcher.starts.at(1).args.contains(QStringLiteral("Description.html")));
}

void TestHelp::languageComesFromTheSettingsFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("english");
    QTest::newRow("English") << QByteArray("[settings]\r\nlanguage=10000\r\n") << true;
    QTest::newRow("German") << QByteArray("[settings]\r\nlanguage=0\r\n") << false;
    QTest::newRow("no key") << QByteArray("[settings]\r\nport=COM3\r\n") << false;
}

void TestHelp::languageComesFromTheSettingsFile() {
    QFETCH(QByteArray, content);
    QFETCH(bool, english);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FakeLauncher launcher;
    launcher.installed = {QStringLiteral("xchm")};
    // Read the way the tool reads it: from settings.ini at the moment of the call.
    const Settings settings(dir.path());
    HelpOpener help(launcher, dir.path(), [&] { return settings.language(); });

    QFile file(settings.path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    help.OpenHelp();
    QCOMPARE(launcher.starts.size(), 1);
    QCOMPARE(
        launcher.starts.first().args.first().endsWith(QStringLiteral("#xchm:/Description.html")),
        english);

    // A change of the file counts at the next opening.
    settings.setLanguage(english ? kGerman : kEnglish);
    help.OpenHelp();
    QCOMPARE(launcher.starts.size(), 2);
    QCOMPARE(
        launcher.starts.last().args.first().endsWith(QStringLiteral("#xchm:/Description.html")),
        !english);
}

void TestHelp::eachCallOpensOnce() {
    FakeLauncher launcher;
    launcher.installed = {QStringLiteral("kchmviewer")};
    launcher.result = false; // a failing start is not reported and changes nothing
    HelpOpener help(launcher, QStringLiteral("/tmp"), [] { return kGerman; });
    for (int i = 1; i <= 3; ++i) {
        help.OpenHelp();
        QCOMPARE(launcher.starts.size(), i);
    }
    QVERIFY(launcher.opened.isEmpty());
}

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
