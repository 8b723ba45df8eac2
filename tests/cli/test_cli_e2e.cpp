// velinor-cli as a user runs it, against simulated adapters on pseudo-terminals in real time:
// two adapters configured at once while a third is read out and scanned.
#include "fakes.h"
#include "sim/pty_server.h"
#include "sim/pty_server_thread.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTest>

using namespace velinor;

class TestCliE2e : public QObject {
    Q_OBJECT
private slots:
    void commands() {
        QTemporaryDir dir;
        PtyServerThread adapters[3];
        QStringList ports;
        for (PtyServerThread& adapter : adapters) {
            QVERIFY(adapter.start([](PtyServer& s, QString&) {
                s.model().setStored("WLSI", "!lab"); // an ad hoc WEP network on channel 11
                s.model().setStored("WST0", "1");
                s.model().setStored("WLCH", "11");
                s.model().setScanDelayMs(300);
                s.model().setNetworks({"near,ADHOC,02:11:22:33:44:55,WEP,11,40"});
                return true;
            }));
            ports << adapter.devicePath();
        }
        qputenv("LANG", "C");
        // Standard input gets the text and is closed: it is no terminal.
        auto run = [&](QProcess& p, QString args, const QByteArray& input = {}) {
            for (int i = 0; i < 3; ++i)
                args.replace(QStringLiteral("PORT%1").arg(i), ports[i]);
            p.start(VELINOR_CLI, args.split(u' '));
            p.write(input);
            p.waitForBytesWritten(5000);
            p.closeWriteChannel();
        };
        auto json = [](QProcess& p) {
            p.waitForFinished(60000);
            return QString::fromUtf8(
                QJsonDocument::fromJson(p.readAllStandardOutput()).toJson(QJsonDocument::Compact));
        };
        const QString log = dir.filePath(QStringLiteral("cli.log"));
        QProcess configure, readout, scan;
        run(configure,
            "configure --port PORT0 --port PORT1 --ssid office --access-point --security WPA2 "
            "--channel 6 --key-stdin --log " +
                log,
            "passphrase1\n");
        run(readout, "readout --port PORT2 --json");
        QCOMPARE(json(readout), R"({"accessType":"ad-hoc","channel":11,"port":")" + ports[2] +
                                    R"(","security":"WEP","ssid":"lab"})");
        run(scan, "scan --port PORT2 --json --lang de --quiet");
        QCOMPARE(json(scan), R"({"networks":[{"accessType":"ad-hoc","channel":11,"damping":40,)"
                             R"("mac":"02:11:22:33:44:55","security":"WEP","ssid":"near"}],)"
                             R"("port":")" +
                                 ports[2] + R"("})");
        QVERIFY(configure.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(configure.readAllStandardOutput()),
                 (ports[0] + ": ok\n" + ports[1] + ": ok\n"));
        QVERIFY(configure.exitCode() == 0 && readout.exitCode() == 0 && scan.exitCode() == 0);
        for (const int i : {0, 1}) {
            QList<QByteArray> commands;
            adapters[i].call([&](PtyServer& s) { commands = s.model().transcript(); });
            QCOMPARE(commands,
                     (QList<QByteArray>{"AT+IBDRF?\r", "AT+IFD\r", "AT+IHIF=4\r", "AT+IBDRF=9\r",
                                        "AT+IWLSI=office\r", "AT+IWST0=4\r", "AT+IWLCH=6\r",
                                        "AT+IWPP0=passphrase1\r", "AT+IBRM=2\r", "AT+IDOWN\r"}));
        }
        QCOMPARE(fakes::readFile(log).count("Key: passphrase1\n"), 2);
    }
};

QTEST_GUILESS_MAIN(TestCliE2e)
#include "test_cli_e2e.moc"
