// The velinor-cli program itself, run as a shell runs it: exit code, standard output and standard
// error together, for the answers that need no adapter.
#include "cli/cli_options.h"

#include <QProcess>
#include <QTest>

using velinor::cli::UsageText;

class TestCliProgram : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void program_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("lang");      // the LANG variable
        QTest::addColumn<QString>("stdinFile"); // empty: standard input is empty, no terminal
        auto row = [](const char* name, const QStringList& args, int code, const QString& out,
                      const QString& err, const QString& lang = "C",
                      const QString& stdinFile = {}) {
            QTest::newRow(name) << args << code << out << err << lang << stdinFile;
        };
        const QStringList wep{"configure", "--port",   "a",          "--ssid",
                              "s",         "--ad-hoc", "--security", "WEP"};
        row("wrong usage: the reason and the usage, exit 2", {"readout"}, 2, "",
            "velinor-cli: give one --port\n\n" + UsageText());
        row("--help beats a bad option: the usage on standard output, exit 0",
            {"scan", "--bad", "--help"}, 0, UsageText(), "");
        row("--version, exit 0", {"scan", "--version"}, 0, "velinor-cli " PROJECT_VERSION "\n", "");
        row("LANG=de_DE.UTF-8 chooses German; no key and no terminal: the check refuses, exit 1",
            wep, 1, "", "Ein WEP Schlüssel muss aus 10 Hex-Werten bestehen\n", "de_DE.UTF-8");
        row("--lang en beats LANG=de_DE.UTF-8", wep + QStringList{"--lang", "en"}, 1, "",
            "A WEP key must have 10 hex-values\n", "de_DE.UTF-8");
        row("unreadable key file, exit 2", wep + QStringList{"--key-file", "/nonexistent"}, 2, "",
            "velinor-cli: /nonexistent: No such file or directory\n");
        const QString keyLines = m_dir.filePath("key");
        QFile file(keyLines);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("01234567xy\n0123456789\n") > 0);
        file.close();
        row("--key-stdin takes the first line of standard input", wep + QStringList{"--key-stdin"},
            1, "", "Values not matching the hex-format found in key\n", "C", keyLines);
        row("standard input unreadable for --key-stdin, exit 2", wep + QStringList{"--key-stdin"},
            2, "", "velinor-cli: standard input: Is a directory\n", "C", "/");
        row("port that does not exist, exit 3", {"readout", "--port", "/dev/gone", "--quiet"}, 3,
            "", "Error occured on /dev/gone\n");
    }
    void program() {
        QFETCH(QStringList, args);
        QFETCH(QString, lang);
        QFETCH(QString, stdinFile);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LANG", lang);
        p.setProcessEnvironment(env);
        if (!stdinFile.isEmpty())
            p.setStandardInputFile(stdinFile);
        p.start(VELINOR_CLI, args);
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(60000));
        QTEST(QString::fromUtf8(p.readAllStandardOutput()), "out");
        QTEST(QString::fromUtf8(p.readAllStandardError()), "err");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QTEST(p.exitCode(), "code");
    }
};

QTEST_GUILESS_MAIN(TestCliProgram)
#include "test_cli_program.moc"
