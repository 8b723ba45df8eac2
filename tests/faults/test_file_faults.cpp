// Faults of the files the tool reads and writes, against the running main form: settings.ini
// broken or unwritable, log.txt unwritable, certificate files that are no PEM certificate.
#include "form_bench.h"

#include "base/settings.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

enum class Unwritable { No, IniIsDirectory, WorkingDirIsFile };
Q_DECLARE_METATYPE(Unwritable)

class TestFileFaults : public QObject {
    Q_OBJECT
private slots:
    // The start-up writes "log" back and loses nothing; only the settings section counts, in any
    // case. Unwritable (also for root): the file is a directory, or its parent a file.
    void settingsFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Unwritable>("unwritable");
        QTest::newRow("binary garbage") << garbageBytes(2024, 4096) << Unwritable::No;
        QTest::newRow("no settings section")
            << QByteArray("language=10000\nlog=1\n[about]\nURL=https://example.org/about\n; kept")
            << Unwritable::No;
        QTest::newRow("keys in mixed case")
            << QByteArray("[Settings]\nLanguage=10000\nLOG=1\nSeArCh=1\nPort=/dev/ttyACM0\n"
                          "[ABOUT]\nurl=https://example.org/about\n")
            << Unwritable::No;
        QTest::newRow("settings.ini is a directory") << QByteArray() << Unwritable::IniIsDirectory;
        QTest::newRow("working directory is a file")
            << QByteArray() << Unwritable::WorkingDirIsFile;
    }
    void settingsFile() {
        QFETCH(QByteArray, content);
        QFETCH(Unwritable, unwritable);
        FormBench b;
        if (unwritable == Unwritable::WorkingDirIsFile) {
            b.workingDir = b.dir.path() + QStringLiteral("/cwd");
            QVERIFY(writeFile(b.workingDir, "not a directory"));
        } else if (unwritable == Unwritable::IniIsDirectory) {
            QVERIFY(QDir(b.workingDir).mkdir(QStringLiteral("settings.ini")));
        }
        CSetupDlg& d = b.start(content);
        const bool read = content.startsWith("[Settings]");
        QCOMPARE(d.GetLanguage(), read ? kEnglish : 0);
        QCOMPARE(d.selectedPort(), read ? QString::fromLatin1(kPortName) : QString());
        QCOMPARE(b.app->IsLogActive(), read);
        QByteArray expected = content;
        if (read)
            expected.replace("LOG=1", "log=1");
        else if (!content.isNull())
            expected += QByteArray(content.endsWith('\n') ? "" : "\n") + "[settings]\nlog=0\n";
        QVERIFY(b.ini() == expected);
        if (content.contains("about"))
            QCOMPARE(Settings(b.workingDir).aboutUrl(), "https://example.org/about");
        // Later writes go to the key that is there; unwritable, the state in memory follows.
        d.menuAction(CSetupApp::kCmdPortSearchManual)->trigger();
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        QVERIFY(b.app->GetPortSearch() == 2 && b.app->IsLogActive());
        QCOMPARE(Settings(b.workingDir).search(), content.isNull() ? 1 : 2);
        QCOMPARE(b.ini().toLower().count("\nsearch="), content.isNull() ? 0 : 1);
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void logNotWritable_data() {
        QTest::addColumn<bool>("logIsDirectory");
        QTest::addColumn<QString>("reason"); // empty: a home, where the log moves to
        QTest::newRow("program directory is a regular file") << false << "Not a directory";
        QTest::newRow("log.txt is a directory") << true << "Is a directory";
        QTest::newRow("program directory unwritable, home") << false << "";
    }
    void logNotWritable() {
        QFETCH(bool, logIsDirectory);
        QFETCH(QString, reason);
        FormBench b;
        b.programDir = b.dir.path() + QStringLiteral("/bin");
        if (reason.isEmpty())
            b.homeDir = b.dir.path() + QStringLiteral("/home");
        QVERIFY(logIsDirectory ? QDir().mkpath(b.programDir + QStringLiteral("/log.txt"))
                               : writeFile(b.programDir, "a program, not a directory"));
        CSetupDlg& d = b.start();
        b.enter(Entries());
        b.click(CSetupDlg::IDC_CONFIGURE);
        const QString saved = UiText(28, kEnglish);
        if (reason.isEmpty()) { // the installed program: the log is the user's, logging stays on
            QVERIFY(b.prompts.texts() == QStringList{saved} && b.app->IsLogActive());
            QVERIFY(readFile(b.homeDir + QStringLiteral("/.local/state/velinor/log.txt"))
                        .endsWith(" : Configuration successful\n"));
            return;
        }
        // One report, logging off, and the Configure ran to its end.
        const QString report = QStringLiteral("Log error: %1\nLogging disabled.").arg(reason);
        QCOMPARE(b.prompts.texts(), (QStringList{report, saved}));
        QVERIFY(!b.app->IsLogActive() && b.checked(CSetupApp::kCmdLogOff));
        QVERIFY(Settings(b.workingDir).logText() == "0" && b.model.restarts() == 1);
        // Switched on again, later failures of the run are silent.
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        b.click(CSetupDlg::IDC_CONFIGURE);
        QCOMPARE(b.prompts.texts(), (QStringList{report, saved, saved}));
        QVERIFY(b.app->IsLogActive());
    }

    // Regression: a failed log write showed the stored values again and lost typed text. Now
    // only the switch, its menu and the title change, as a language switch keeps the fields.
    void typedTextSurvivesLogFailure_data() {
        QTest::addColumn<bool>("logIsDirectory");
        QTest::addColumn<int>("command"); // its first log entry fails
        QTest::newRow("read out, silent adapter, log.txt a directory")
            << true << int(CSetupDlg::IDC_READ_OUT);
        QTest::newRow("netsearch cancelled, program directory a file")
            << false << int(CSetupDlg::IDC_NETSEARCH);
    }
    void typedTextSurvivesLogFailure() {
        QFETCH(bool, logIsDirectory);
        QFETCH(int, command);
        FormBench b;
        b.programDir = b.dir.path() + QStringLiteral("/bin");
        QVERIFY(logIsDirectory ? QDir().mkpath(b.programDir + QStringLiteral("/log.txt"))
                               : writeFile(b.programDir, "a program, not a directory"));
        CSetupDlg& d = b.start();
        const Entries typed{.ssid = QStringLiteral("typed"),
                            .key = QStringLiteral("typed key"),
                            .channel = QStringLiteral("11"),
                            .user = QStringLiteral("bob")};
        b.enter(typed);
        if (command == CSetupDlg::IDC_READ_OUT)
            b.model.setFault("AT+IBDRF", AdapterModel::Fault::Silent);
        if (command == CSetupDlg::IDC_NETSEARCH)
            b.netsearch([](CScanDlg& dlg) { dlg.cancelButton()->click(); });
        else
            b.click(command);
        QCOMPARE(b.prompts.texts().value(0).left(11), QStringLiteral("Log error: "));
        QCOMPARE(b.shown().text(), typed.text());
        QVERIFY(!b.app->IsLogActive() && b.checked(CSetupApp::kCmdLogOff));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QCOMPARE(Settings(b.workingDir).logText(), QStringLiteral("0"));
    }

    // A good certificate, then the bad file: refused with a warning, or unreadable (the chooser
    // opens again silently). Configure refuses, or goes on with the good certificate.
    void badCertificate_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("refused");
        QTest::newRow("empty") << QByteArray("") << true;
        QTest::newRow("50 MB") << kPem << true;
        QTest::newRow("DER") << QByteArray::fromHex("308201b33082015aa003020102021400") << true;
        QTest::newRow("NUL in front") << QByteArray(1, '\0') + kPem << true;
        QTest::newRow("a directory") << QByteArray() << false;
    }
    void badCertificate() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, refused);
        FormBench b;
        b.start();
        b.enter(Entries{.security = security::kWpaEnterprise});
        b.pickCertificate();
        const QString path = b.dir.path() + QStringLiteral("/cert.pem");
        QVERIFY(bytes.isNull() ? QDir().mkdir(path) : writeFile(path, bytes));
        QVERIFY(bytes != kPem || QFile::resize(path, 50LL * 1024 * 1024)); // sparse
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
    }
};

QTEST_MAIN(TestFileFaults)
#include "test_file_faults.moc"
