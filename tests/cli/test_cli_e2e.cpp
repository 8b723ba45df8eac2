// velinor-cli as a user runs it: the program against simulated adapters served on
// pseudo-terminals, in real time. The slow runs go side by side.
#include "sim/adapter_model.h"
#include "sim/pty_server.h"
#include "sim/pty_server_thread.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace velinor;

namespace {

struct Run {
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    int code = -1;
    QByteArray out;
    QByteArray err;

    // Starts velinor-cli; stdin gets the text and is closed (so it is no terminal).
    void start(const QStringList& args, const QByteArray& input = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(VELINOR_CLI), args);
        // Written now: the program must not wait for this test's next event loop turn.
        process->write(input);
        process->waitForBytesWritten(5000);
        process->closeWriteChannel();
    }
    bool finish() {
        if (!process->waitForFinished(60000))
            return false;
        code = process->exitCode();
        out = process->readAllStandardOutput();
        err = process->readAllStandardError();
        return process->exitStatus() == QProcess::NormalExit;
    }
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

QList<QByteArray> transcript(PtyServerThread& adapter) {
    QList<QByteArray> commands;
    adapter.call([&commands](PtyServer& s) { commands = s.model().transcript(); });
    return commands;
}

} // namespace

class TestCliE2e : public QObject {
    Q_OBJECT
private slots:
    void commands() {
        QTemporaryDir dir;
        PtyServerThread a, b, c, d;
        QVERIFY(a.start());
        QVERIFY(b.start());
        // c holds an ad hoc WEP network and finds three networks.
        QVERIFY(c.start([](PtyServer& s, QString&) {
            s.model().setStored("WLSI", "!lab-adhoc");
            s.model().setStored("WST0", "1");
            s.model().setStored("WLCH", "11");
            s.model().setNetworks({"far,AP,00:1A:2B:3C:4D:01,WPA2,6,80",
                                   "near,ADHOC,02:11:22:33:44:55,WEP,11,40",
                                   "mid,AP,00:1A:2B:3C:4D:03,WPA2_ENT,36,62"});
            s.model().setScanDelayMs(300);
            return true;
        }));
        // d refuses the SSID.
        QVERIFY(d.start([](PtyServer& s, QString&) {
            s.model().setFault("AT+IWLSI", AdapterModel::Fault::Error);
            return true;
        }));
        const QString log = dir.filePath(QStringLiteral("cli.log"));

        // Two adapters at once, the key from standard input.
        Run both;
        both.start({"configure", "--port", a.devicePath(), "--port", b.devicePath(), "--ssid",
                    "office", "--access-point", "--security", "WPA2", "--channel", "6",
                    "--key-stdin", "--log", log},
                   "passphrase1\n");
        Run refused;
        refused.start({"configure", "--port", d.devicePath(), "--ssid", "office", "--ad-hoc",
                       "--security", "NONE", "--channel", "1", "--quiet"});
        // Meanwhile, read out and scan the third one.
        Run readout;
        readout.start({"readout", "--port", c.devicePath(), "--json"});
        QVERIFY(readout.finish());
        QCOMPARE(readout.code, 0);
        QCOMPARE(readout.json(), (QJsonObject{{"port", c.devicePath()},
                                              {"ssid", "lab-adhoc"},
                                              {"security", "WEP"},
                                              {"channel", 11},
                                              {"accessType", "ad-hoc"}}));
        Run scan;
        scan.start({"scan", "--port", c.devicePath(), "--json", "--lang", "de"});
        QVERIFY(scan.finish());
        QCOMPARE(scan.code, 0);
        const QJsonArray networks = scan.json().value("networks").toArray();
        QCOMPARE(networks.size(), 3);
        QCOMPARE(networks.at(0).toObject(), (QJsonObject{{"ssid", "near"},
                                                         {"accessType", "ad-hoc"},
                                                         {"mac", "02:11:22:33:44:55"},
                                                         {"channel", 11},
                                                         {"security", "WEP"},
                                                         {"damping", 40}}));
        QCOMPARE(networks.at(1).toObject().value("security"), QJsonValue("WPA2-ENTERPRISE"));
        QCOMPARE(networks.at(2).toObject().value("ssid"), QJsonValue("far"));

        // Quick ones: wrong usage, a check that refuses, a port that is not there.
        Run usage;
        usage.start({"configure", "--port", a.devicePath(), "--ssid", "x", "--security", "NONE"});
        QVERIFY(usage.finish());
        QCOMPARE(usage.code, 2);
        QCOMPARE(usage.out, QByteArray());
        QVERIFY(usage.err.startsWith("velinor-cli: give either --access-point or --ad-hoc\n"));
        QVERIFY(usage.err.contains("Usage:\n  velinor-cli ports"));
        Run noKey;
        noKey.start({"configure", "--port", a.devicePath(), "--ssid", "x", "--ad-hoc", "--security",
                     "WEP", "--channel", "1"});
        QVERIFY(noKey.finish());
        QCOMPARE(noKey.code, 1);
        QCOMPARE(noKey.err, QByteArray("A WEP key must have 10 hex-values\n"));
        const QString absent = dir.filePath(QStringLiteral("ttyGone"));
        Run noPort;
        noPort.start({"readout", "--port", absent, "--quiet"});
        QVERIFY(noPort.finish());
        QCOMPARE(noPort.code, 3);
        QCOMPARE(noPort.err, "Error occured on " + absent.toUtf8() + '\n');

        QVERIFY(refused.finish());
        QCOMPARE(refused.code, 1);
        QCOMPARE(refused.out, d.devicePath().toUtf8() + ": Error occurred while set SSID\n");

        QVERIFY(both.finish());
        QCOMPARE(both.code, 0);
        QCOMPARE(both.out, a.devicePath().toUtf8() + ": ok\n" + b.devicePath().toUtf8() + ": ok\n");
        const QList<QByteArray> expected = {
            "AT+IBDRF?\r",       "AT+IFD\r",     "AT+IHIF=4\r",  "AT+IBDRF=9\r",
            "AT+IWLSI=office\r", "AT+IWST0=4\r", "AT+IWLCH=6\r", "AT+IWPP0=passphrase1\r",
            "AT+IBRM=2\r",       "AT+IDOWN\r"};
        QCOMPARE(transcript(a), expected);
        QCOMPARE(transcript(b), expected);
        // The log: owner only, one whole record per port.
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        const QByteArray text = file.readAll();
        QCOMPARE(text.count("Key: passphrase1\n"), 2);
        const qsizetype second = text.indexOf("Port: " + b.devicePath().toUtf8());
        QVERIFY(text.indexOf("Port: " + a.devicePath().toUtf8()) <
                text.lastIndexOf("Configuration successful\n", second));
    }
};

QTEST_GUILESS_MAIN(TestCliE2e)
#include "test_cli_e2e.moc"
