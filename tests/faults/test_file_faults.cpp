// Faults of the files the tool reads and writes, against the running main form: settings.ini
// broken or unwritable, log.txt unwritable, certificate files that are no PEM certificate.
#include "form_bench.h"

#include "base/settings.h"
#include "config/certificate.h"

#include <QTest>

#include <fcntl.h>
#include <unistd.h>

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

    // No place for the log (the program directory is a regular file, no home): one report,
    // logging off. Regression: a failed log write showed the stored values again and lost typed
    // text; now only the switch, its menu and the title change.
    void logNotWritable() {
        FormBench b;
        b.programDir = b.dir.path() + QStringLiteral("/bin");
        QVERIFY(writeFile(b.programDir, "a program, not a directory"));
        CSetupDlg& d = b.start();
        const Entries typed{.ssid = "typed", .key = "typed key", .channel = "11", .user = "bob"};
        b.enter(typed);
        b.netsearch([](CScanDlg& dlg) { dlg.cancelButton()->click(); }); // its first entry fails
        const QString report = QStringLiteral("Log error: Not a directory\nLogging disabled.");
        QCOMPARE(b.prompts.texts(), QStringList{report});
        QCOMPARE(b.shown().text(), typed.text());
        QVERIFY(!b.app->IsLogActive() && b.checked(CSetupApp::kCmdLogOff));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QCOMPARE(Settings(b.workingDir).logText(), QStringLiteral("0"));
        // Switched on again, later failures of the run are silent; Configure runs to its end.
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        b.click(CSetupDlg::IDC_CONFIGURE);
        QCOMPARE(b.prompts.texts(), (QStringList{report, UiText(28, kEnglish)}));
        QVERIFY(b.app->IsLogActive() && b.model.restarts() == 1);
        // The installed program, started anew: the log moves to the home, logging stays on.
        b.homeDir = b.dir.path() + QStringLiteral("/home");
        b.start();
        b.enter(typed);
        b.prompts.shown.clear();
        b.click(CSetupDlg::IDC_CONFIGURE);
        QVERIFY(b.prompts.texts() == QStringList{UiText(28, kEnglish)} && b.app->IsLogActive());
        QVERIFY(readFile(b.homeDir + QStringLiteral("/.local/state/velinor/log.txt"))
                    .endsWith(" : Configuration successful\n"));
    }

    // Started with standard input closed (as a service may be), the log and the certificate
    // file get descriptor 0: written and read as any other file, and closed afterwards.
    void descriptorZero() {
        QTemporaryDir dir;
        ManualClock clock;
        RecordingPrompts prompts;
        FakeForm form;
        FakeFilePicker picker;
        LogWriter writer(dir.path(), clock, prompts, {});
        CertificateStore store(picker, prompts, form);
        QVERIFY(writeFile(dir.filePath("ca.pem"), kPem));
        const int savedStdin = ::dup(STDIN_FILENO);
        ::close(STDIN_FILENO);
        const bool written = writer.LogWrite("entry\n");
        const bool closedAfterWrite = ::fcntl(STDIN_FILENO, F_GETFD) < 0;
        const bool loaded = store.LoadCertificateFile(dir.filePath("ca.pem"));
        const bool closedAfterRead = ::fcntl(STDIN_FILENO, F_GETFD) < 0;
        ::dup2(savedStdin, STDIN_FILENO);
        ::close(savedStdin);
        QVERIFY(written && closedAfterWrite && loaded && closedAfterRead);
        QCOMPARE(readFile(writer.path()), "entry\n");
        QVERIFY(prompts.shown.isEmpty());
    }

    // A good certificate, then the bad file: refused with a warning, or unreadable (the chooser
    // opens again silently). Configure refuses, or goes on with the good certificate.
    void badCertificate_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("refused");
        QTest::newRow("empty") << QByteArray("") << true;
        QTest::newRow("50 MB") << kPem << true;
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
        QApplication::setOverrideCursor(Qt::CrossCursor); // another's, kept as it was
        b.click(CSetupDlg::IDC_CERT_SELECT);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QApplication::restoreOverrideCursor();
        QCOMPARE(b.prompts.texts().join('|'),
                 (refused ? UiText(35, kEnglish) + '|' : QString()) + UiText(517, kEnglish));
        const QList<PromptIcon> icons = {PromptIcon::Warning, PromptIcon::None};
        QCOMPARE(b.prompts.icons(), refused ? icons : icons.mid(1));
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
