// Faults of the files the tool reads and writes, against the running main
// form: settings.ini broken or unwritable, log.txt unwritable, and certificate
// files that are no PEM certificate.

#include "fault_bench.h"

#include "app/settings.h"

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

QByteArray withoutCarriageReturns(QByteArray text) {
    return text.replace('\r', QByteArray());
}

bool makeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestFileFaults : public QObject {
    Q_OBJECT
private slots:
    // ---- settings.ini ----

    void brokenSettingsFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("log");
        QTest::addColumn<int>("search");
        QTest::addColumn<QString>("port");
        // The start-up writes "log" back: the file afterwards is the file before
        // with `from` replaced by `to`, or, without `from`, with the section added.
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");

        QTest::newRow("binary garbage") << garbageBytes(2024, 4096) << 0 << false << 1 << QString()
                                        << QByteArray() << QByteArray();
        QByteArray filler;
        for (int i = 0; filler.size() < 10 * 1024 * 1024; ++i)
            filler += "; line " + QByteArray::number(i).rightJustified(8, '0') +
                      " of a long comment that fills the file up to ten megabytes\n";
        QTest::newRow("10 MB of lines")
            << "[settings]\nlanguage=10000\nlog=1\nsearch=2\nport=/dev/ttyACM0\n" + filler +
                   "[about]\nURL=https://example.org/about\n"
            << 10000 << true << 2 << QString::fromLatin1(kPortName) << QByteArray("log=1")
            << QByteArray("log=1");
        QTest::newRow("10 MB in one line")
            << "[settings]\r\nlanguage=10000\r\nport=/dev/ttyACM0\r\nnote=" +
                   QByteArray(10 * 1024 * 1024, 'n') +
                   "\r\n\r\n[about]\r\nURL=https://example.org/about\r\n"
            << 10000 << false << 1 << QString::fromLatin1(kPortName) << QByteArray("n\n\n[about]")
            << QByteArray("n\nlog=0\n\n[about]");
        QTest::newRow("no settings section")
            << QByteArray("language=10000\nlog=1\n[about]\nURL=https://example.org/about\n"
                          "; kept")
            << 0 << false << 1 << QString() << QByteArray() << QByteArray();
        QTest::newRow("keys in mixed case")
            << QByteArray("[Settings]\nLanguage=10000\nLOG=1\nSeArCh=2\nPort=/dev/ttyACM0\n"
                          "[ABOUT]\nurl=https://example.org/about\n")
            << 10000 << true << 2 << QString::fromLatin1(kPortName) << QByteArray("LOG=1")
            << QByteArray("log=1");
    }
    void brokenSettingsFile() {
        QFETCH(QByteArray, content);
        QFETCH(int, language);
        QFETCH(bool, log);
        QFETCH(int, search);
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
        QCOMPARE(b.app->GetPortSearch(), search);
        QCOMPARE(d.selectedPort(), port);
        QVERIFY(b.prompts.shown.isEmpty());

        // Nothing was lost: every line of the file is still there, line ends aside.
        const Settings settings(b.workingDir);
        QCOMPARE(settings.logText(), log ? QStringLiteral("1") : QStringLiteral("0"));
        QByteArray expected = withoutCarriageReturns(content);
        if (from.isEmpty()) {
            if (!expected.endsWith('\n'))
                expected += '\n';
            expected += "[settings]\nlog=0\n";
        } else {
            QCOMPARE(expected.count(from), 1);
            expected.replace(from, to);
        }
        const QByteArray after = withoutCarriageReturns(b.ini());
        QCOMPARE(after.size(), expected.size());
        QVERIFY(after == expected);
        if (content.contains("about"))
            QCOMPARE(settings.aboutUrl(), QStringLiteral("https://example.org/about"));

        // A later write goes to the key that is there, whatever its case.
        d.menuAction(CSetupApp::kCmdPortSearchManual)->trigger();
        QCOMPARE(Settings(b.workingDir).search(), 2);
        const QByteArray lower = withoutCarriageReturns(b.ini()).toLower();
        QCOMPARE(lower.count("\nsearch="), 1);
        QCOMPARE(b.shown().ssid, QString());
    }

    void settingsNotWritable_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("settings.ini is a directory") << "directory";
        QTest::newRow("working directory is a regular file") << "file";
    }
    void settingsNotWritable() {
        QFETCH(QString, how);
        FormBench b;
        if (how == QLatin1String("directory")) {
            QVERIFY(QDir(b.workingDir).mkdir(QStringLiteral("settings.ini")));
        } else {
            QVERIFY(makeFile(b.dir.path() + QStringLiteral("/cwd"), "not a directory"));
            b.workingDir = b.dir.path() + QStringLiteral("/cwd");
        }
        CSetupDlg& d = b.start();

        // The defaults, no message, and the state in memory follows the commands.
        QCOMPARE(d.GetLanguage(), 0);
        QVERIFY(!b.app->IsLogActive());
        QCOMPARE(b.app->GetPortSearch(), 1);
        QCOMPARE(d.selectedPort(), QString());
        QVERIFY(b.prompts.shown.isEmpty());

        const Entries entries = wpa2AccessPoint();
        b.enter(entries);
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        QVERIFY(b.app->IsLogActive());
        QVERIFY(b.checked(CSetupApp::kCmdLogOn));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor (log aktiv)"));
        d.menuAction(CSetupApp::kCmdPortSearchManual)->trigger();
        QCOMPARE(b.app->GetPortSearch(), 2);
        b.ctl<QComboBox>(CSetupDlg::IDC_LANGUAGE)->setCurrentIndex(1);
        emit b.ctl<QComboBox>(CSetupDlg::IDC_LANGUAGE)->activated(1);
        QCOMPARE(d.GetLanguage(), 10000);
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor (log active)"));
        QVERIFY(b.prompts.shown.isEmpty());
        Entries expected = entries;
        expected.port.clear(); // none was selected
        QCOMPARE(b.shown(), expected);
        // Nothing was created in its place.
        QVERIFY(!QFileInfo(b.iniPath()).isFile());
        QCOMPARE(Settings(b.workingDir).language(), 0);
    }

    // ---- log.txt ----

    void logNotWritable_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("program directory is a regular file") << "file"
                                                             << "Not a directory";
        QTest::newRow("log.txt is a directory") << "directory"
                                                << "Is a directory";
    }
    void logNotWritable() {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        FormBench b;
        if (how == QLatin1String("file")) {
            QVERIFY(makeFile(b.dir.path() + QStringLiteral("/bin"), "a program, not a directory"));
            b.programDir = b.dir.path() + QStringLiteral("/bin");
        } else {
            b.programDir = b.dir.path() + QStringLiteral("/bin");
            QVERIFY(QDir().mkpath(b.programDir + QStringLiteral("/log.txt")));
        }
        QVERIFY(b.writeIni("[settings]\nlanguage=10000\nlog=1\nport=/dev/ttyACM0\n"));
        CSetupDlg& d = b.start();
        QVERIFY(b.app->IsLogActive());
        const Entries entries = wpa2AccessPoint();
        b.enter(entries);

        b.button(CSetupDlg::IDC_CONFIGURE)->click();

        // One report, logging off, and the Configure ran to its end.
        QCOMPARE(
            b.texts(),
            (QStringList{QStringLiteral("Log error: %1\nLogging disabled.").arg(reason), kSaved}));
        QCOMPARE(b.icons(), (QList<PromptIcon>{PromptIcon::Warning, PromptIcon::None}));
        QVERIFY(!b.app->IsLogActive());
        QVERIFY(b.checked(CSetupApp::kCmdLogOff));
        QVERIFY(!b.checked(CSetupApp::kCmdLogOn));
        QCOMPARE(d.windowTitle(), QStringLiteral("Velinor"));
        QCOMPARE(Settings(b.workingDir).logText(), QStringLiteral("0"));
        QCOMPARE(b.model.transcript(), wpa2AccessPointCommands());
        QCOMPARE(b.model.restarts(), 1);
        QVERIFY(b.portClosed());
        QCOMPARE(b.shown(), entries);

        // Switched on again, later failures of the run are silent.
        d.menuAction(CSetupApp::kCmdLogOn)->trigger();
        b.button(CSetupDlg::IDC_CONFIGURE)->click();
        QCOMPARE(b.texts(),
                 (QStringList{QStringLiteral("Log error: %1\nLogging disabled.").arg(reason),
                              kSaved, kSaved}));
        QVERIFY(b.app->IsLogActive());
        QVERIFY(b.portClosed());
        QCOMPARE(b.shown(), entries);
    }

    // ---- Certificate files ----

    void badCertificate_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("keepsEarlier");
        const QStringList refused = {kNoValidCertificate, kNoLicense};
        QTest::newRow("empty") << "empty" << refused << false;
        QTest::newRow("50 MB") << "huge" << refused << false;
        QTest::newRow("DER") << "der" << refused << false;
        QTest::newRow("PEM with a NUL in front") << "nul" << refused << false;
        // Not a file that can be read: the chooser opens again without a word.
        QTest::newRow("a directory") << "directory" << QStringList{kNoLicense} << true;
        QTest::newRow("unreadable") << "unreadable" << QStringList{kNoLicense} << true;
    }
    void badCertificate() {
        QFETCH(QString, kind);
        QFETCH(QStringList, messages);
        QFETCH(bool, keepsEarlier);
        for (const bool earlier : {false, true}) {
            FormBench b;
            QVERIFY(b.writeIni("[settings]\nlanguage=10000\nport=/dev/ttyACM0\n"));
            b.start();
            Entries entries = wpa2AccessPoint();
            entries.security = 5; // WPA-ENTERPRISE
            entries.key.clear();
            b.enter(entries);

            const QString path = b.dir.path() + QStringLiteral("/cert.pem");
            if (kind == QLatin1String("empty")) {
                QVERIFY(makeFile(path, QByteArray()));
            } else if (kind == QLatin1String("huge")) {
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly));
                QVERIFY(f.write(kPem) == kPem.size());
                QVERIFY(f.resize(50LL * 1024 * 1024)); // sparse
            } else if (kind == QLatin1String("der")) {
                QByteArray der = QByteArray::fromHex("308201b33082015aa003020102021400");
                der += garbageBytes(35, 400);
                QVERIFY(makeFile(path, der));
            } else if (kind == QLatin1String("nul")) {
                QVERIFY(makeFile(path, QByteArray(1, '\0') + kPem));
            } else if (kind == QLatin1String("directory")) {
                QVERIFY(QDir().mkdir(path));
            } else {
                QVERIFY(makeFile(b.dir.path() + QStringLiteral("/certs"), "a file"));
                b.picker.answers.enqueue(b.dir.path() + QStringLiteral("/certs/cert.pem"));
            }
            if (kind != QLatin1String("unreadable"))
                b.picker.answers.enqueue(path);

            const QStringList& expected = messages;
            if (earlier) {
                const QString good = b.dir.path() + QStringLiteral("/good.pem");
                QVERIFY(makeFile(good, kPem));
                b.picker.answers.prepend(good);
                b.button(CSetupDlg::IDC_CERT_SELECT)->click();
                QCOMPARE(b.dlg->certificate().certificate(), std::optional<QByteArray>(kPem));
                QVERIFY(b.prompts.shown.isEmpty());
            }
            b.button(CSetupDlg::IDC_CERT_SELECT)->click();
            QCOMPARE(b.texts(), expected);
            QCOMPARE(b.icons().first(),
                     expected.size() == 2 ? PromptIcon::Warning : PromptIcon::None);
            QCOMPARE(b.icons().last(), PromptIcon::None);
            QVERIFY(b.picker.answers.isEmpty());

            const bool held = earlier && keepsEarlier;
            QCOMPARE(b.dlg->certificate().certificate().has_value(), held);
            b.prompts.shown.clear();
            b.button(CSetupDlg::IDC_CONFIGURE)->click();
            if (held) {
                QCOMPARE(b.texts(), QStringList{kSaved});
                QCOMPARE(b.model.running("CA"), kPem);
            } else {
                // Refused before anything is sent.
                QCOMPARE(b.texts(), QStringList{kNoValidCertificate});
                QCOMPARE(b.icons(), QList<PromptIcon>{PromptIcon::Warning});
                QVERIFY(b.model.transcript().isEmpty());
                QCOMPARE(b.sim.openCount(), 0);
            }
            QVERIFY(b.portClosed());
            QCOMPARE(b.shown(), entries);
        }
    }
};

QTEST_MAIN(TestFileFaults)
#include "test_file_faults.moc"
