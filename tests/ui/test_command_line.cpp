// The real velinor program's command line: --help and --version on standard output with exit
// code 0, wrong usage on standard error with exit code 2, Qt's own options let through. Qt is
// pointed at an X display that is not there, so a row that starts the window fails.
#include <QProcess>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // what standard output begins with
        QTest::addColumn<QString>("err"); // what standard error begins with
        const QString usage = QStringLiteral("Usage: velinor [options]\n");
        const QString version = QStringLiteral("velinor " PROJECT_VERSION "\n");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << version << "";
        // -platform and -style take a value: "offscreen" is no stray argument.
        QTest::newRow("Qt's -platform, -style and -reverse pass")
            << QStringList{"-platform", "offscreen", "-style", "fusion", "-reverse", "--version"}
            << 0 << version << "";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << ""
                                        << "velinor: Unknown option 'frobnicate'.\n" + usage;
        QTest::newRow("a stray argument")
            << QStringList{"settings.ini"} << 2 << ""
            << "velinor: Unexpected argument 'settings.ini'.\n" + usage;
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", ":99999");
        env.remove("WAYLAND_DISPLAY");
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(VELINOR_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        const QString gotOut = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString gotErr = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitCode(), exitCode);
        QCOMPARE(gotOut.left(out.size()), out);
        QCOMPARE(gotErr.left(err.size()), err);
        QVERIFY(exitCode == 0 ? gotErr.isEmpty() && gotOut.endsWith('\n') : gotOut.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
