// Faults of the files the tool reads and writes, against the running main form:
// settings.ini broken or unwritable, log.txt unwritable, certificate files that
// are no PEM certificate.

#include "form_bench.h"

#include "base/settings.h"

#include <QFileInfo>
#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

class TestFileFaults : public QObject {
    Q_OBJECT
private slots:
    void brokenSettingsFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("port");
        // The start-up writes "log" back: the file afterwards is the file before with
        // `from` replaced by `to`, or, without `from`, with the section added.
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::newRow("binary garbage")
            << garbageBytes(2024, 4096) << 0 << QString() << QByteArray() << QByteArray();
        QTest::newRow("no settings section")
            << QByteArray("language=10000\nlog=1\n[about]\nURL=https://example.org/about\n; kept")
            << 0 << QString() << QByteArray() << QByteArray();
        QTest::newRow("keys in mixed case")
            << QByteArray("[Settings]\nLanguage=10000\nLOG=1\nSeArCh=1\nPort=/dev/ttyACM0\n"
                          "[ABOUT]\nurl=https://example.org/about\n")
            << 10000 << QString::fromLatin1(kPortName) << QByteArray("LOG=1")
            << QByteArray("log=1");
    }
    void brokenSettingsFile() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        FormBench b;
        CSetupDlg& d = b.start(content);
        QTEST(d.GetLanguage(), "language");
        QCOMPARE(b.app->IsLogActive(), !from.isEmpty());
        QCOMPARE(b.checked(CSetupApp::kCmdLogOn), !from.isEmpty());
        QTEST(d.selectedPort(), "port");
        QVERIFY(b.prompts.shown.isEmpty());
        // Nothing was lost: every line of the file is still there.
        QByteArray expected = content;
        if (from.isEmpty())
            expected += QByteArray(expected.endsWith('\n') ? "" : "\n") + "[settings]\nlog=0\n";
        else
            expected.replace(from, to);
        QVERIFY(b.ini() == expected);
        if (content.contains("about"))
            QCOMPARE(Settings(b.workingDir).aboutUrl(), "https://example.org/about");
        // A later write goes to the key that is there, whatever its case.
        d.menuAction(CSetupApp::kCmdPortSearchManual)->trigger();
        QCOMPARE(Settings(b.workingDir).search(), 2);
        QCOMPARE(b.ini().toLower().count("\nsearch="), 1);
    }

    // Root is not stopped by permission bits: the parent is a file, or the name a directory.
    void settingsNotWritable_data() {
        QTest::addColumn<bool>("iniIsDirectory");
        QTest::newRow("settings.ini is a directory") << true;
        QTest::newRow("working directory is a regular file") << false;
    }
    void settingsNotWritable() {
        QFETCH(bool, iniIsDirectory);
        FormBench b;
        if (iniIsDirectory) {
            QVERIFY(QDir(b.workingDir).mkdir(QStringLiteral("settings.ini")));
        } else {
            b.workingDir = b.dir.path() + QStringLiteral("/cwd");
            QVERIFY(writeFile(b.workingDir, "not a directory"));
        }
        CSetupDlg& d = b.start(QByteArray());
        // The defaults, no message, and the state in memory follows the commands.
        QCOMPARE(d.GetLanguage(), 0);
        QVERIFY(!b.app->IsLogActive());
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        QVERIFY(b.app->IsLogActive());
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor (log aktiv)"));
        d.menuAction(CSetupApp::kCmdPortSearchManual)->trigger();
        QCOMPARE(b.app->GetPortSearch(), 2);
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(!QFileInfo(b.iniPath()).isFile());
    }

    void logNotWritable_data() {
        QTest::addColumn<bool>("logIsDirectory");
        QTest::addColumn<bool>("withHome");
        QTest::addColumn<QString>("reason"); // empty: the log moves to the state directory
        QTest::newRow("program directory is a regular file") << false << false << "Not a directory";
        QTest::newRow("log.txt is a directory") << true << true << "Is a directory";
        QTest::newRow("program directory unwritable, home") << false << true << "";
    }
    void logNotWritable() {
        QFETCH(bool, logIsDirectory);
        QFETCH(bool, withHome);
        QFETCH(QString, reason);
        FormBench b;
        b.programDir = b.dir.path() + QStringLiteral("/bin");
        if (withHome)
            b.homeDir = b.dir.path() + QStringLiteral("/home");
        if (logIsDirectory)
            QVERIFY(QDir().mkpath(b.programDir + QStringLiteral("/log.txt")));
        else
            QVERIFY(writeFile(b.programDir, "a program, not a directory"));
        CSetupDlg& d = b.start();
        b.enter(Entries());
        b.click(CSetupDlg::IDC_CONFIGURE);
        const QString saved = UiText(28, kEnglish);
        if (reason.isEmpty()) {
            // The installed program: the log is the user's, logging stays on.
            QCOMPARE(b.prompts.texts(), QStringList{saved});
            QCOMPARE(d.windowTitle(), QStringLiteral("Velinor (log active)"));
            QVERIFY(readFile(b.homeDir + QStringLiteral("/.local/state/velinor/log.txt"))
                        .endsWith(" : Configuration successful\n"));
            return;
        }
        // One report, logging off, and the Configure ran to its end.
        const QString report = QStringLiteral("Log error: %1\nLogging disabled.").arg(reason);
        QCOMPARE(b.prompts.texts(), (QStringList{report, saved}));
        QCOMPARE(b.prompts.icons(), QStringLiteral("wn"));
        QVERIFY(!b.app->IsLogActive());
        QVERIFY(b.checked(CSetupApp::kCmdLogOff));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QCOMPARE(Settings(b.workingDir).logText(), QStringLiteral("0"));
        QCOMPARE(b.model.restarts(), 1);
        // Switched on again, later failures of the run are silent.
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        b.click(CSetupDlg::IDC_CONFIGURE);
        QCOMPARE(b.prompts.texts(), (QStringList{report, saved, saved}));
        QVERIFY(b.app->IsLogActive());
    }

    // A good certificate is chosen first, then a bad file.
    void badCertificate_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("refused"); // else: not readable, the chooser opens again silently
        QTest::newRow("empty") << "empty" << true;
        QTest::newRow("50 MB") << "huge" << true;
        QTest::newRow("DER") << "der" << true;
        QTest::newRow("NUL in front") << "nul" << true;
        QTest::newRow("a directory") << "directory" << false;
    }
    void badCertificate() {
        QFETCH(QString, kind);
        QFETCH(bool, refused);
        FormBench b;
        b.start();
        Entries entries;
        entries.security = security::kWpaEnterprise;
        entries.key.clear();
        b.enter(entries);
        b.pickCertificate();
        QCOMPARE(b.dlg->certificate().certificate(), std::optional<QByteArray>(kPem));

        const QString path = b.dir.path() + QStringLiteral("/cert.pem");
        if (kind == "directory") {
            QVERIFY(QDir().mkdir(path));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(kind == "der"    ? QByteArray::fromHex("308201b33082015aa003020102021400")
                    : kind == "nul"  ? QByteArray(1, '\0') + kPem
                    : kind == "huge" ? kPem
                                     : QByteArray());
            QVERIFY(kind != "huge" || f.resize(50LL * 1024 * 1024)); // sparse
        }
        b.picker.answers.enqueue(path);
        b.click(CSetupDlg::IDC_CERT_SELECT);
        QCOMPARE(b.prompts.texts().join('|'),
                 (refused ? UiText(35, kEnglish) + '|' : QString()) + UiText(517, kEnglish));
        QCOMPARE(b.prompts.icons(), refused ? QStringLiteral("wn") : QStringLiteral("n"));
        QCOMPARE(b.dlg->certificate().certificate().has_value(), !refused);

        b.prompts.shown.clear();
        b.click(CSetupDlg::IDC_CONFIGURE);
        QCOMPARE(b.prompts.texts(), QStringList{UiText(refused ? 35 : 28, kEnglish)});
        QCOMPARE(b.sim.openCount(), refused ? 0 : 1);
        QCOMPARE(b.model.running("CA"), refused ? QByteArray() : kPem);
        QVERIFY(b.portClosed());
        QCOMPARE(b.shown().text(), entries.text());
    }
};

QTEST_MAIN(TestFileFaults)
#include "test_file_faults.moc"
