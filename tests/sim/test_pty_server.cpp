// The simulated adapter served on a pseudo-terminal, driven through the production serial port.
#include "base/system_clock.h"
#include "fakes.h"
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
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<bool>("valid");
        QTest::newRow("faults") << "--silent WLSI --error AT+IWLCH --late IWST0=1500 --split 3 "
                                   "--vanish-after 9"
                                << true;
        QTest::newRow("late with junk") << "--late WLSI=soon" << false;
        QTest::newRow("missing networks file") << "--networks /nonexistent" << false;
    }
    void options() {
        QFETCH(QString, arguments);
        QCommandLineParser parser;
        sim_options::add(parser);
        QVERIFY(parser.parse(QStringList{"velinor-sim"} + arguments.split(u' ')));
        PtyServer server;
        QString error;
        QTEST(sim_options::apply(parser, server, error) && error.isEmpty(), "valid");
    }

    void servesTheLinkAndVanishes() {
        QTemporaryDir dir;
        PtyServer server;
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        const QString transcript = dir.filePath("transcript.txt");
        QVERIFY(server.setTranscriptFile(transcript));
        // The link never replaces a file that is there.
        const QString link = dir.filePath("ttyVelinor");
        QVERIFY(QFile(link).open(QIODevice::WriteOnly));
        QVERIFY(!server.setLink(link) && !QFileInfo(link).isSymLink());
        QVERIFY(QFile::remove(link) && server.setLink(link));
        QCOMPARE(QFileInfo(link).symLinkTarget(), server.devicePath());

        SystemClock clock;
        ModuleLink moduleLink(clock);
        QtSerialPort port, second;
        QCOMPARE(port.open(link).result, OpenResult::Ok);
        QCOMPARE(second.open(link).result, OpenResult::Failed); // held by the first
        QVERIFY(moduleLink.SendCommand(&port, "AT+IWLSI=office\r"));
        moduleLink.WritePort(&port, "AT+IWLSI?\r");
        clock.pause(50);
        QCOMPARE(moduleLink.ReadPort(&port), QByteArray("AT+IWLSI?\r\noffice\r\nI/OK\r\n"));
        QCOMPARE(fakes::readFile(transcript), "AT+IWLSI=office\\r\nAT+IWLSI?\\r\n");

        // Unplugged after one more command: the next is lost, and so is the device.
        QSignalSpy gone(&server, &PtyServer::vanished);
        server.model().vanishAfter(1);
        QVERIFY(moduleLink.SendCommand(&port, "AT+IBDRF?\r"));
        moduleLink.WritePort(&port, "AT+IFD\r");
        QCOMPARE(gone.count(), 1);
        QVERIFY(!server.isRunning());
        QCOMPARE(moduleLink.WritePort(&port, "AT+IFD\r"), quint32(0));
        port.close();
        QCOMPARE(port.open(server.devicePath()).errorCode, 2);
        server.stop();
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestPtyServer)
#include "test_pty_server.moc"
