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
#include <QTest>

using namespace velinor;

class TestPtyServer : public QObject {
    Q_OBJECT
private slots:
    void servesTheLinkAndVanishes() {
        QTemporaryDir dir;
        PtyServer server;
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        // velinor-sim's options: a malformed one is refused, the others set up the model.
        QCommandLineParser parser;
        sim_options::add(parser);
        QString error;
        QVERIFY(parser.parse({"velinor-sim", "--late", "WLSI=soon"}));
        QVERIFY(!sim_options::apply(parser, server, error) && !error.isEmpty());
        const QString transcript = dir.filePath("transcript.txt");
        QVERIFY(parser.parse({"velinor-sim", "--error", "iwlch", "--transcript", transcript}));
        QVERIFY(sim_options::apply(parser, server, error));
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
        QVERIFY(!moduleLink.SendCommand(&port, "AT+IWLCH=1\r"));
        QCOMPARE(fakes::readFile(transcript), "AT+IWLSI=office\\r\nAT+IWLSI?\\r\nAT+IWLCH=1\\r\n");

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
