// velinor-cli as a user runs it, against simulated adapters on pseudo-terminals in real time.
// All runs go side by side; %a to %d stand for the adapters' ports.
#include "sim/adapter_model.h"
#include "sim/pty_server.h"
#include "sim/pty_server_thread.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace velinor;

class TestCliE2e : public QObject {
    Q_OBJECT
private slots:
    void commands() {
        QTemporaryDir dir;
        PtyServerThread adapters[4];
        QStringList paths;
        for (PtyServerThread& adapter : adapters) {
            QVERIFY(adapter.start([&](PtyServer& s, QString&) {
                AdapterModel& m = s.model();
                m.setStored("WLSI", "!lab-adhoc"); // an ad hoc WEP network on channel 11
                m.setStored("WST0", "1");
                m.setStored("WLCH", "11");
                m.setScanDelayMs(300);
                m.setNetworks({"near,ADHOC,02:11:22:33:44:55,WEP,11,40"});
                if (paths.size() == 3)
                    m.setFault("AT+IWLSI", AdapterModel::Fault::Error);
                return true;
            }));
            paths << adapter.devicePath();
        }
        const QString log = dir.filePath(QStringLiteral("cli.log"));
        const QString gone = dir.filePath(QStringLiteral("ttyGone"));
        // arguments, standard input, exit code, standard output, the start of standard error
        const QList<QStringList> runs = {
            {"configure --port %a --port %b --ssid office --access-point --security WPA2 "
             "--channel 6 --key-stdin --log " +
                 log,
             "passphrase1\n", "0", "%a: ok\n%b: ok\n"},
            {"configure --port %d --ssid x --ad-hoc --security NONE --channel 1 --quiet", "", "1",
             "%d: Error occurred while set SSID\n"},
            {"readout --port %c --json", "", "0",
             R"({"accessType":"ad-hoc","channel":11,"port":"%c","security":"WEP","ssid":"lab-adhoc"})"},
            {"scan --port %c --json --lang de --quiet", "", "0",
             R"({"networks":[{"accessType":"ad-hoc","channel":11,"damping":40,)"
             R"("mac":"02:11:22:33:44:55","security":"WEP","ssid":"near"}],"port":"%c"})"},
            {"readout --quiet --port " + gone, "", "3", "", "Error occured on " + gone + "\n"},
        };
        auto withPaths = [&](QString text) {
            for (int i = 0; i < 4; ++i)
                text.replace(QStringLiteral("%") + QChar(u'a' + i), paths.at(i));
            return text;
        };
        qputenv("LANG", "C");
        std::vector<std::unique_ptr<QProcess>> processes;
        for (const QStringList& run : runs) {
            QProcess& p = *processes.emplace_back(std::make_unique<QProcess>());
            p.start(VELINOR_CLI, withPaths(run[0]).split(u' '));
            p.write(run[1].toUtf8()); // standard input: no terminal
            p.waitForBytesWritten(5000);
            p.closeWriteChannel();
            // The scan of the same port waits for the readout.
            if (run[0].startsWith(QLatin1String("readout --port %c")))
                p.waitForFinished(60000);
        }
        for (size_t i = 0; i < processes.size(); ++i) {
            QProcess& p = *processes[i];
            const QStringList& run = runs[qsizetype(i)];
            p.waitForFinished(60000);
            QCOMPARE(p.state(), QProcess::NotRunning);
            QCOMPARE(p.exitCode(), run[2].toInt());
            QByteArray out = p.readAllStandardOutput();
            if (out.startsWith('{'))
                out = QJsonDocument::fromJson(out).toJson(QJsonDocument::Compact);
            QCOMPARE(out, withPaths(run[3]).toUtf8());
            const QByteArray err = p.readAllStandardError();
            QVERIFY2(err.startsWith(withPaths(run.value(4)).toUtf8()), err.constData());
        }
        QList<QByteArray> transcripts[2];
        for (int i = 0; i < 2; ++i)
            adapters[i].call([&](PtyServer& s) { transcripts[i] = s.model().transcript(); });
        const QList<QByteArray> expected = {
            "AT+IBDRF?\r",       "AT+IFD\r",     "AT+IHIF=4\r",  "AT+IBDRF=9\r",
            "AT+IWLSI=office\r", "AT+IWST0=4\r", "AT+IWLCH=6\r", "AT+IWPP0=passphrase1\r",
            "AT+IBRM=2\r",       "AT+IDOWN\r"};
        QCOMPARE(transcripts[0], expected);
        QCOMPARE(transcripts[1], expected);
        // The log: owner only, one whole record per port.
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        const QByteArray text = file.readAll();
        QCOMPARE(text.count("Key: passphrase1\n"), 2);
        const qsizetype second = text.indexOf("Port: " + paths[1].toUtf8());
        QVERIFY(text.indexOf("Port: " + paths[0].toUtf8()) <
                text.lastIndexOf("Configuration successful\n", second));
    }
};

QTEST_GUILESS_MAIN(TestCliE2e)
#include "test_cli_e2e.moc"
