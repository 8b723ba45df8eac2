// Faults of the files the tool reads and writes, against the running main
// form: settings.ini broken or unwritable, log.txt unwritable, and certificate
// files that are no PEM certificate.

#include "fault_bench.h"

#include "base/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace faults;

namespace {

const QString kSaved = QStringLiteral("Settings saved on wireless product");
const QString kNoValidCertificate = QStringLiteral("No valid certificate detected");
const QString kNoLicense = QStringLiteral("No license selected");
const QByteArray kPem = "-----BEGIN CERTIFICATE-----\nMIIBszCCAVmgAwIBAgIU\n"
                        "-----END CERTIFICATE-----\n";

bool makeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestFileFaults : public QObject {
    Q_OBJECT
private slots:
    void brokenSettingsFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("log");
        QTest::addColumn<QString>("port");
        // The start-up writes "log" back: the file afterwards is the file before
        // with `from` replaced by `to`, or, without `from`, with the section added.
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        const QString port = QString::fromLatin1(kPortName);
        QTest::newRow("binary garbage")
            << garbageBytes(2024, 4096) << 0 << false << QString() << QByteArray() << QByteArray();
        QTest::newRow("10 MB") << "[settings]\nlanguage=10000\nlog=1\nport=/dev/ttyACM0\nnote=" +
                                      QByteArray(10 * 1024 * 1024, 'n') +
                                      "\n[about]\nURL=https://example.org/about\n"
                               << 10000 << true << port << QByteArray("log=1")
                               << QByteArray("log=1");
        QTest::newRow("no settings section")
            << QByteArray("language=10000\nlog=1\n[about]\nURL=https://example.org/about\n; kept")
            << 0 << false << QString() << QByteArray() << QByteArray();
        QTest::newRow("keys in mixed case")
            << QByteArray("[Settings]\nLanguage=10000\nLOG=1\nSeArCh=1\nPort=/dev/ttyACM0\n"
                          "[ABOUT]\nurl=https://example.org/about\n")
            << 10000 << true << port << QByteArray("LOG=1") << QByteArray("log=1");
    }
    void brokenSettingsFile() {
        QFETCH(QByteArray, content);
        QFETCH(int, language);
        QFETCH(bool, log);
        QFETCH(QString, port);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        FormBench b;
        QVERIFY(b.writeIni(content));
        CSetupDlg& d = b.start();

        QCOMPARE(d.GetLanguage(), language);
        QCOMPARE(b.app->IsLogActive(), log);
        QCOMPARE(b.checked(CSetupApp::kCmdLogOn), log);
        QCOMPARE(b.checked(CSetupApp::kCmdLogOff), !log);
        QCOMPARE(b.app->GetPortSearch(), 1);
        QCOMPARE(d.selectedPort(), port);
        QVERIFY(b.prompts.shown.isEmpty());

        // Nothing was lost: every line of the file is still there.
        QByteArray expected = content;
        if (from.isEmpty()) {
            expected += expected.endsWith('\n') ? "" : "\n";
            expected += "[settings]\nlog=0\n";
        } else {
            QCOMPARE(expected.count(from), 1);
            expected.replace(from, to);
        }
        QVERIFY(b.ini() == expected);
        if (content.contains("about"))
            QCOMPARE(Settings(b.workingDir).aboutUrl(),
                     QStringLiteral("https://example.org/about"));

        // A later write goes to the key that is there, whatever its case.
        d.menuAction(CSetupApp::kCmdPortSearchManual)->trigger();
        QCOMPARE(Settings(b.workingDir).search(), 2);
        QCOMPARE(b.ini().toLower().count("\nsearch="), 1);
    }

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
            QVERIFY(makeFile(b.workingDir, "not a directory"));
        }
        CSetupDlg& d = b.start();
        // The defaults, no message, and the state in memory follows the commands.
        QCOMPARE(d.GetLanguage(), 0);
        QVERIFY(!b.app->IsLogActive());
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        QVERIFY(b.app->IsLogActive());
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor (log aktiv)"));
        d.menuAction(CSetupApp::kCmdPortSearchManual)->trigger();
        QCOMPARE(b.app->GetPortSearch(), 2);
        QVERIFY(b.prompts.shown.isEmpty());
        // Nothing was created in its place.
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
            QVERIFY(makeFile(b.programDir, "a program, not a directory"));
        QVERIFY(b.writeIni("[settings]\nlanguage=10000\nlog=1\nport=/dev/ttyACM0\n"));
        CSetupDlg& d = b.start();
        const Entries entries;
        b.enter(entries);

        b.click(CSetupDlg::IDC_CONFIGURE);

        if (reason.isEmpty()) {
            // The installed program: the log is the user's, logging stays on.
            QCOMPARE(b.texts(), QStringList{kSaved});
            QVERIFY(b.app->IsLogActive());
            QCOMPARE(d.windowTitle(), QStringLiteral("Velinor (log active)"));
            QVERIFY(FormBench::contents(b.homeDir + QStringLiteral("/.local/state/velinor/log.txt"))
                        .endsWith(" : Configuration successful\n"));
            return;
        }
        // One report, logging off, and the Configure ran to its end.
        const QString report = QStringLiteral("Log error: %1\nLogging disabled.").arg(reason);
        QCOMPARE(b.texts(), (QStringList{report, kSaved}));
        QCOMPARE(b.icons(), (QList<PromptIcon>{PromptIcon::Warning, PromptIcon::None}));
        QVERIFY(!b.app->IsLogActive());
        QVERIFY(b.checked(CSetupApp::kCmdLogOff));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QCOMPARE(Settings(b.workingDir).logText(), QStringLiteral("0"));
        QCOMPARE(b.model.transcript(), wpa2AccessPointCommands());
        QVERIFY(b.portClosed());
        QCOMPARE(b.shown(), entries.text());

        // Switched on again, later failures of the run are silent.
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        b.click(CSetupDlg::IDC_CONFIGURE);
        QCOMPARE(b.texts(), (QStringList{report, kSaved, kSaved}));
        QVERIFY(b.app->IsLogActive());
    }

    // A good certificate is chosen first, then a bad file.
    void badCertificate_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("refused"); // else: not readable, the chooser opens again silently
        QTest::newRow("empty") << "empty" << true;
        QTest::newRow("50 MB") << "huge" << true;
        QTest::newRow("DER") << "der" << true;
        QTest::newRow("PEM with a NUL in front") << "nul" << true;
        QTest::newRow("a directory") << "directory" << false;
        QTest::newRow("unreadable") << "unreadable" << false;
    }
    void badCertificate() {
        QFETCH(QString, kind);
        QFETCH(bool, refused);
        FormBench b;
        QVERIFY(b.writeIni("[settings]\nlanguage=10000\nport=/dev/ttyACM0\n"));
        b.start();
        Entries entries;
        entries.security = 5; // WPA-ENTERPRISE
        entries.key.clear();
        b.enter(entries);

        const QString good = b.dir.path() + QStringLiteral("/good.pem");
        QVERIFY(makeFile(good, kPem));
        b.picker.answers.enqueue(good);
        b.click(CSetupDlg::IDC_CERT_SELECT);
        QCOMPARE(b.dlg->certificate().certificate(), std::optional<QByteArray>(kPem));

        const QString path = b.dir.path() + QStringLiteral("/cert.pem");
        if (kind == "empty") {
            QVERIFY(makeFile(path, QByteArray()));
        } else if (kind == "huge") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kPem) == kPem.size());
            QVERIFY(f.resize(50LL * 1024 * 1024)); // sparse
        } else if (kind == "der") {
            QVERIFY(makeFile(path, QByteArray::fromHex("308201b33082015aa003020102021400") +
                                       garbageBytes(35, 400)));
        } else if (kind == "nul") {
            QVERIFY(makeFile(path, QByteArray(1, '\0') + kPem));
        } else if (kind == "directory") {
            QVERIFY(QDir().mkdir(path));
        } else {
            QVERIFY(makeFile(b.dir.path() + QStringLiteral("/certs"), "a file"));
            b.picker.answers.enqueue(b.dir.path() + QStringLiteral("/certs/cert.pem"));
        }
        if (kind != "unreadable")
            b.picker.answers.enqueue(path);
        b.click(CSetupDlg::IDC_CERT_SELECT);

        if (refused) {
            QCOMPARE(b.texts(), (QStringList{kNoValidCertificate, kNoLicense}));
            QCOMPARE(b.icons(), (QList<PromptIcon>{PromptIcon::Warning, PromptIcon::None}));
        } else {
            QCOMPARE(b.texts(), QStringList{kNoLicense});
            QCOMPARE(b.icons(), QList<PromptIcon>{PromptIcon::None});
        }
        QVERIFY(b.picker.answers.isEmpty());
        QCOMPARE(b.dlg->certificate().certificate().has_value(), !refused);

        b.prompts.shown.clear();
        b.click(CSetupDlg::IDC_CONFIGURE);
        if (refused) {
            // Refused before anything is sent.
            QCOMPARE(b.texts(), QStringList{kNoValidCertificate});
            QCOMPARE(b.icons(), QList<PromptIcon>{PromptIcon::Warning});
            QVERIFY(b.model.transcript().isEmpty());
            QCOMPARE(b.sim.openCount(), 0);
        } else {
            QCOMPARE(b.texts(), QStringList{kSaved});
            QCOMPARE(b.model.running("CA"), kPem);
        }
        QVERIFY(b.portClosed());
        QCOMPARE(b.shown(), entries.text());
    }
};

QTEST_MAIN(TestFileFaults)
#include "test_file_faults.moc"
