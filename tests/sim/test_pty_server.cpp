// The simulated adapter served on a pseudo-terminal, driven in-process through the
// production serial port. Real time, a few seconds.
#include "base/system_clock.h"
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
    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("valid");
        QTest::newRow("faults") << QStringList{"--silent", "WLSI",   "--error",
                                               "AT+IWLCH", "--late", "IWST0=1500",
                                               "--split",  "3",      "--vanish-after",
                                               "9"}
                                << true;
        QTest::newRow("late with junk") << QStringList{"--late", "WLSI=soon"} << false;
        QTest::newRow("split zero") << QStringList{"--split", "0"} << false;
        QTest::newRow("missing networks file")
            << QStringList{"--networks", "/nonexistent"} << false;
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

    void servesTheLink() {
        QTemporaryDir dir;
        PtyServer server;
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        const QString transcript = dir.filePath("transcript.txt");
        QVERIFY(server.setTranscriptFile(transcript));
        // The link never replaces a file that is there.
        const QString taken = dir.filePath("taken");
        QFile file(taken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine") == 4);
        file.close();
        QVERIFY(!server.setLink(taken));
        QCOMPARE(QFileInfo(taken).size(), 4);
        const QString link = dir.filePath("ttyVelinor");
        QVERIFY2(server.setLink(link), qPrintable(server.errorString()));
        QCOMPARE(QFileInfo(link).symLinkTarget(), server.devicePath());

        SystemClock clock;
        ModuleLink moduleLink(clock);
        QtSerialPort port;
        QCOMPARE(port.open(link).result, OpenResult::Ok);
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
        port.close();
        server.stop();
        QVERIFY(!QFileInfo(link).isSymLink());
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
        port.close();
        QCOMPARE(port.open(device).errorCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestPtyServer)
#include "test_pty_server.moc"
