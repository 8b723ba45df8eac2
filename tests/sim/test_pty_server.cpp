// The simulated adapter served on a pseudo-terminal, driven in-process through the
// production serial port. Real time, a few seconds.
#include "app/system_clock.h"
#include "link/module_link.h"
#include "link/qt_serial_port.h"
#include "sim/pty_server.h"
#include "sim/sim_options.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace velinor;

class TestPtyServer : public QObject {
    Q_OBJECT
private slots:
    void escapeCommand_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << QByteArray("AT+IFD\r") << QByteArray("AT+IFD\\r");
        QTest::newRow("certificate lines") << QByteArray("AT+ICA=-----BEGIN\nAB\n-----END\r")
                                           << QByteArray(R"(AT+ICA=-----BEGIN\nAB\n-----END\r)");
        QTest::newRow("user with domain")
            << QByteArray("AT+IEUSN=CORP\\alice\r") << QByteArray(R"(AT+IEUSN=CORP\alice\r)");
    }
    void escapeCommand() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, line);
        QCOMPARE(PtyServer::escapeCommand(command), line);
    }

    void commandNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("full") << QStringLiteral("AT+IWLSI") << QByteArray("AT+IWLSI");
        QTest::newRow("short") << QStringLiteral("WLSI") << QByteArray("AT+IWLSI");
        QTest::newRow("with I") << QStringLiteral("IWPP0") << QByteArray("AT+IWPP0");
        QTest::newRow("lower case") << QStringLiteral("at+irp20") << QByteArray("AT+IRP20");
    }
    void commandNames() {
        QFETCH(QString, text);
        QFETCH(QByteArray, name);
        QCOMPARE(sim_options::commandName(text), name);
    }

    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("valid");
        QTest::newRow("none") << QStringList{} << true;
        QTest::newRow("faults") << QStringList{"--silent", "WLSI",   "--error",
                                               "AT+IWLCH", "--late", "IWST0=1500",
                                               "--split",  "3",      "--vanish-after",
                                               "9"}
                                << true;
        QTest::newRow("late without ms") << QStringList{"--late", "WLSI"} << false;
        QTest::newRow("late with junk") << QStringList{"--late", "WLSI=soon"} << false;
        QTest::newRow("split zero") << QStringList{"--split", "0"} << false;
        QTest::newRow("negative vanish") << QStringList{"--vanish-after", "-1"} << false;
        QTest::newRow("missing networks file")
            << QStringList{"--networks", "/nonexistent/velinor/networks.txt"} << false;
    }
    void options() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, valid);
        QCommandLineParser parser;
        sim_options::add(parser);
        QVERIFY(parser.parse(QStringList{"velinor-sim"} + arguments));
        PtyServer server;
        QString error;
        QCOMPARE(sim_options::apply(parser, server, error), valid);
        QCOMPARE(error.isEmpty(), valid);
    }

    void networksFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("networks.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "home,AP,00:11:22:33:44:55,WPA2,6,40\r\n\nlab,ADHOC,02:00:00:00:00:01,NONE,1,70");
        file.close();
        QCommandLineParser parser;
        sim_options::add(parser);
        QVERIFY(parser.parse({"velinor-sim", "--networks", path, "--silent", "WLSI"}));
        PtyServer server;
        QString error;
        QVERIFY(sim_options::apply(parser, server, error));
        QCOMPARE(server.model().networks(),
                 (QList<QByteArray>{"home,AP,00:11:22:33:44:55,WPA2,6,40",
                                    "lab,ADHOC,02:00:00:00:00:01,NONE,1,70"}));
    }

    void servesTheLink() {
        QTemporaryDir dir;
        PtyServer server;
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        QVERIFY(server.devicePath().startsWith("/dev/"));
        const QString transcript = dir.filePath("transcript.txt");
        QVERIFY(server.setTranscriptFile(transcript));
        const QString link = dir.filePath("ttyVelinor");
        QVERIFY2(server.setLink(link), qPrintable(server.errorString()));
        QCOMPARE(QFileInfo(link).symLinkTarget(), server.devicePath());

        SystemClock clock;
        ModuleLink moduleLink(clock);
        QtSerialPort port;
        QCOMPARE(port.open(link).result, OpenResult::Ok);
        moduleLink.SetPortHandle(&port);
        // The tool's transaction, in real time.
        QVERIFY(moduleLink.SendCommand(&port, "AT+IWLSI=office\r"));
        moduleLink.WritePort(&port, "AT+IWLSI?\r");
        clock.pause(50);
        QCOMPARE(moduleLink.ReadPort(&port), QByteArray("AT+IWLSI?\r\noffice\r\nI/OK\r\n"));
        // A second open of the served port fails while the first holds it.
        QtSerialPort second;
        QCOMPARE(second.open(link).result, OpenResult::Failed);

        QFile lines(transcript);
        QVERIFY(lines.open(QIODevice::ReadOnly));
        QCOMPARE(lines.readAll(), QByteArray("AT+IWLSI=office\\r\nAT+IWLSI?\\r\n"));
        QCOMPARE(server.model().transcript(),
                 (QList<QByteArray>{"AT+IWLSI=office\r", "AT+IWLSI?\r"}));

        port.close();
        server.stop();
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void linkDoesNotReplaceAFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("taken");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("mine");
        file.close();
        PtyServer server;
        QVERIFY(server.start());
        QVERIFY(!server.setLink(path));
        QVERIFY(!server.errorString().isEmpty());
        server.stop();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("mine"));
    }

    void lateReplyIsDiscarded() {
        PtyServer server;
        QVERIFY(server.start());
        server.model().setDelay("AT+IWLSI", 1400);
        server.model().setFault("AT+IWLCH", AdapterModel::Fault::Silent);
        SystemClock clock;
        ModuleLink moduleLink(clock);
        QtSerialPort port;
        QCOMPARE(port.open(server.devicePath()).result, OpenResult::Ok);
        QVERIFY(!moduleLink.SendCommand(&port, "AT+IWLSI=office\r"));
        clock.pause(300); // the late "I/OK" arrives now
        QVERIFY(!moduleLink.SendCommand(&port, "AT+IWLCH=6\r"));
    }

    void vanishes() {
        PtyServer server;
        QVERIFY(server.start());
        const QString device = server.devicePath();
        QSignalSpy gone(&server, &PtyServer::vanished);
        server.model().vanishAfter(1);
        SystemClock clock;
        ModuleLink moduleLink(clock);
        QtSerialPort port;
        QCOMPARE(port.open(device).result, OpenResult::Ok);
        QVERIFY(moduleLink.SendCommand(&port, "AT+IBDRF?\r"));
        moduleLink.WritePort(&port, "AT+IFD\r");
        QCOMPARE(gone.count(), 1);
        QVERIFY(!server.isRunning());
        // The port side is dead: nothing can be written any more.
        QCOMPARE(moduleLink.WritePort(&port, "AT+IFD\r"), quint32(0));
        QVERIFY(moduleLink.ReadPort(&port).isEmpty());
        port.close();
        const OpenStatus again = port.open(device);
        QCOMPARE(again.result, OpenResult::NotFound);
        QCOMPARE(again.errorCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestPtyServer)
#include "test_pty_server.moc"
