// Faults of the adapter and the line, against the running main form on the
// simulated adapter in virtual time: the adapter unplugged in the middle of a
// command, replies of garbage, overlong replies and status tokens cut in two.

#include "fault_bench.h"

#include "scan/scan_dlg.h"

#include <QApplication>
#include <QPointer>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace faults;

namespace {

const QString kSaved = QStringLiteral("Settings saved on wireless product");
const QString kFactoryFailed = QStringLiteral("Error occured while software-reset");
const QString kHostFailed = QStringLiteral("Error occured while set host (USB)");
const QString kBaudFailed = QStringLiteral("Error occured while set baudrate");
const QString kSsidFailed = QStringLiteral("Error occurred while set SSID");
const QString kSecurityFailed = QStringLiteral("Error occurred while set encryption");
const QString kChannelFailed = QStringLiteral("Error occurred while set channel");
const QString kKeyTimeout = QStringLiteral("Timeout occurred while set key");
const QString kBridgeFailed = QStringLiteral("Error occurred while set bridgemode");
const QString kRestartFailed = QStringLiteral("Error occurred while software reset");
const QString kScanTimeout = QStringLiteral("Timeout occured during wireless network scan");

// A reply of `size` bytes: the echo, filler, and (when ok) the status line at the very end.
QByteArray longReply(const QByteArray& echo, int size, bool ok) {
    const QByteArray tail = ok ? QByteArray("\r\nI/OK\r\n") : QByteArray("\r\n");
    QByteArray reply = echo + "\r\n";
    reply += QByteArray(size - reply.size() - tail.size(), 'x');
    return reply + tail;
}

QList<TamperedPort::Part> partsOf(const QList<QByteArray>& bytes, const QList<int>& after) {
    QList<TamperedPort::Part> parts;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        parts.append({after.value(i), bytes.at(i)});
    return parts;
}

// The form of a user who has filled everything in, in English, logging on.
void prepare(FormBench& b) {
    QVERIFY(b.writeIni("[settings]\nlanguage=10000\nlog=1\nport=/dev/ttyACM0\n"));
    b.start();
    QCOMPARE(b.dlg->selectedPort(), QString::fromLatin1(kPortName));
}

} // namespace

class TestAdapterFaults : public QObject {
    Q_OBJECT
private slots:
    // ---- The adapter unplugged during a Configure ----

    void configureVanishes_data() {
        QTest::addColumn<int>("answered");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("before the probe")
            << 0 << QStringList{QStringLiteral("Error occured on /dev/ttyACM0")}
            << QByteArray("/dev/ttyACM0 : Restart of the wireless product needed\n");
        // The preparatory commands report their failure and the programming goes on.
        QTest::newRow("after the 1st command")
            << 1 << QStringList{kFactoryFailed, kHostFailed, kBaudFailed, kSsidFailed}
            << kSsidFailed.toUtf8() + "\n";
        QTest::newRow("after the 2nd command")
            << 2 << QStringList{kHostFailed, kBaudFailed, kSsidFailed}
            << kSsidFailed.toUtf8() + "\n";
        QTest::newRow("after the 3rd command")
            << 3 << QStringList{kBaudFailed, kSsidFailed} << kSsidFailed.toUtf8() + "\n";
        QTest::newRow("after the 4th command")
            << 4 << QStringList{kSsidFailed} << kSsidFailed.toUtf8() + "\n";
        QTest::newRow("after the 5th command")
            << 5 << QStringList{kSecurityFailed} << kSecurityFailed.toUtf8() + "\n";
        QTest::newRow("after the 6th command")
            << 6 << QStringList{kChannelFailed} << kChannelFailed.toUtf8() + "\n";
        QTest::newRow("after the 7th command: the key is lost")
            << 7 << QStringList{kKeyTimeout} << kKeyTimeout.toUtf8() + "\n";
        QTest::newRow("after the 8th command")
            << 8 << QStringList{kBridgeFailed} << kBridgeFailed.toUtf8() + "\n";
        QTest::newRow("after the 9th command")
            << 9 << QStringList{kRestartFailed} << kRestartFailed.toUtf8() + "\n";
    }
    void configureVanishes() {
        QFETCH(int, answered);
        QFETCH(QStringList, messages);
        QFETCH(QByteArray, logged);
        FormBench b;
        prepare(b);
        const Entries entries = wpa2AccessPoint();
        b.enter(entries);
        b.model.vanishAfter(answered);

        b.button(CSetupDlg::IDC_CONFIGURE)->click();

        QCOMPARE(b.texts(), messages);
        const QList<PromptIcon> icons(messages.size(),
                                      answered == 0 ? PromptIcon::Warning : PromptIcon::None);
        QCOMPARE(b.icons(), icons);
        QCOMPARE(b.model.transcript(), wpa2AccessPointCommands().mid(0, answered));
        QVERIFY(b.portClosed());
        QVERIFY(!b.texts().contains(kSaved));
        QCOMPARE(b.model.restarts(), 0);
        QVERIFY2(b.log().endsWith(logged), b.log().right(200).constData());
        QVERIFY(!b.log().contains("Configuration successful"));
        QCOMPARE(b.shown(), entries);
        // Under a minute and a half of the adapter's time, whatever failed.
        QVERIFY(b.clock.elapsedMs() < 90000);
    }

    // ---- Replies replaced during a Configure ----

    void configureReplyFaults_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("commands");

        const QList<QByteArray> all = wpa2AccessPointCommands();
        // Garbage instead of the reply to each command in turn.
        const QStringList garbageMessages[] = {
            {kSaved}, // the probe is repeated and answered the second time
            {kFactoryFailed, kSaved},
            {kHostFailed, kSaved},
            {kBaudFailed, kSaved},
            {kSsidFailed},
            {kSecurityFailed},
            {kChannelFailed},
            {kKeyTimeout},
            {kBridgeFailed},
            {kRestartFailed},
        };
        for (int n = 1; n <= 10; ++n) {
            const QStringList& expected = garbageMessages[n - 1];
            const bool saved = expected.last() == kSaved;
            QTest::addRow("garbage for %s", all.at(n - 1).chopped(1).constData())
                << n << QList<QByteArray>{garbageBytes(quint32(n), 32 + 7 * n)} << QList<int>{0}
                << expected
                << (n == 1  ? 11
                    : saved ? 10
                            : n);
        }

        // 20,000 bytes: only the first 5220 bytes are one read.
        QTest::newRow("20000 bytes for the probe")
            << 1 << QList<QByteArray>{longReply("AT+IBDRF?", 20000, true)} << QList<int>{0}
            << QStringList{kSaved} << 11;
        QTest::newRow("20000 bytes for the SSID")
            << 5 << QList<QByteArray>{longReply("AT+IWLSI=office", 20000, true)} << QList<int>{0}
            << QStringList{kSsidFailed} << 5;
        // The key wait reads on: the read that holds the end holds "I/OK".
        QTest::newRow("20000 bytes for the key, OK at the end")
            << 8 << QList<QByteArray>{longReply("AT+IWPP0=passphrase1", 20000, true)}
            << QList<int>{0} << QStringList{kSaved} << 10;
        QTest::newRow("20000 bytes for the key, no status")
            << 8 << QList<QByteArray>{longReply("AT+IWPP0=passphrase1", 20000, false)}
            << QList<int>{0} << QStringList{kKeyTimeout} << 8;
        QTest::newRow("20000 bytes for the restart")
            << 10 << QList<QByteArray>{longReply("AT+IDOWN", 20000, true)} << QList<int>{0}
            << QStringList{kRestartFailed} << 10;

        // "I/OK" cut in two. A command is judged by its one read 1200 ms after the write.
        QTest::newRow("SSID: OK split, both parts in the read window")
            << 5 << QList<QByteArray>{"AT+IWLSI=office\r\nI/", "OK\r\n"} << QList<int>{0, 1250}
            << QStringList{kSaved} << 10;
        QTest::newRow("SSID: OK split across two reads")
            << 5 << QList<QByteArray>{"AT+IWLSI=office\r\nI/", "OK\r\n"} << QList<int>{0, 1500}
            << QStringList{kSsidFailed} << 5;
        QTest::newRow("probe: OK split across two reads")
            << 1 << QList<QByteArray>{"AT+IBDRF?\r\na\r\nI/", "OK\r\n"} << QList<int>{0, 1500}
            << QStringList{kSaved} << 11;
        // The key wait polls: the token's halves come in two successive reads.
        QTest::newRow("key: OK split across two reads")
            << 8 << QList<QByteArray>{"AT+IWPP0=passphrase1\r\nI/", "OK\r\n"}
            << QList<int>{2000, 2150} << QStringList{kSaved} << 10;
        QTest::newRow("key: ERROR split across two reads")
            << 8 << QList<QByteArray>{"AT+IWPP0=passphrase1\r\nI/ER", "ROR\r\n"}
            << QList<int>{2000, 2150} << QStringList{QStringLiteral("Error occurred while set key")}
            << 8;
    }
    void configureReplyFaults() {
        QFETCH(int, target);
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QList<int>, after);
        QFETCH(QStringList, messages);
        QFETCH(int, commands);
        FormBench b;
        prepare(b);
        const Entries entries = wpa2AccessPoint();
        b.enter(entries);
        b.port.replaceReply(target, partsOf(parts, after));

        b.button(CSetupDlg::IDC_CONFIGURE)->click();

        QCOMPARE(b.texts(), messages);
        QCOMPARE(b.icons(), QList<PromptIcon>(messages.size(), PromptIcon::None));
        QList<QByteArray> expected = wpa2AccessPointCommands();
        if (commands == 11)
            expected.prepend(expected.first()); // the probe, twice
        QCOMPARE(b.model.transcript(), expected.mid(0, commands));
        QVERIFY(b.portClosed());
        const bool saved = messages.last() == kSaved;
        // The restart command restarts the adapter whatever its reply says.
        QCOMPARE(b.model.restarts(), b.model.transcript().endsWith("AT+IDOWN\r") ? 1 : 0);
        QCOMPARE(b.log().contains("Configuration successful\n"), saved);
        if (saved) {
            QCOMPARE(b.model.running("WLSI"), QByteArray("office"));
            QCOMPARE(b.model.running("WPP0"), QByteArray("passphrase1"));
        } else {
            QVERIFY(b.log().endsWith(messages.last().toUtf8() + "\n"));
        }
        QCOMPARE(b.shown(), entries);
    }

    // ---- Read out ----

    void readOutFaults_data() {
        QTest::addColumn<int>("vanishAfter");
        QTest::addColumn<int>("target");
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<int>("security");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<bool>("accessPoint");
        QTest::addColumn<int>("commands");

        const QList<QByteArray> none;
        // The user had chosen Ad Hoc; a failed access-type query leaves it.
        QTest::newRow("vanishes after the probe")
            << 1 << 0 << none << QList<int>{} << "" << -1 << "-1" << false << 1;
        QTest::newRow("vanishes after the SSID query")
            << 2 << 0 << none << QList<int>{} << "office" << -1 << "-1" << false << 2;
        QTest::newRow("vanishes after the security query")
            << 3 << 0 << none << QList<int>{} << "office" << 4 << "-1" << false << 3;
        QTest::newRow("vanishes after the channel query")
            << 4 << 0 << none << QList<int>{} << "office" << 4 << "6" << false << 4;
        QTest::newRow("no fault") << -1 << 0 << none << QList<int>{} << "office" << 4 << "6" << true
                                  << 5;

        const char* names[] = {"probe", "SSID query", "security query", "channel query",
                               "access-type query"};
        for (int n = 1; n <= 5; ++n) {
            QTest::addRow("garbage for the %s", names[n - 1])
                << -1 << n << QList<QByteArray>{garbageBytes(quint32(100 + n), 40 + 9 * n)}
                << QList<int>{0} << (n == 2 ? "" : "office") << (n == 3 ? -1 : 4)
                << (n == 4 ? "-1" : "6") << (n != 5) << (n == 1 ? 6 : 5);
        }
        QTest::newRow("20000 bytes for the SSID query")
            << -1 << 2 << QList<QByteArray>{longReply("AT+IWLSI?", 20000, true)} << QList<int>{0}
            << "" << 4 << "6" << true << 5;
        QTest::newRow("20000 bytes for the security query")
            << -1 << 3 << QList<QByteArray>{longReply("AT+IWST0?\r\n4", 20000, true)}
            << QList<int>{0} << "office" << -1 << "6" << true << 5;
        // A query reads once, 250 ms after its write, for 100 ms.
        QTest::newRow("SSID query: OK split across two reads")
            << -1 << 2 << QList<QByteArray>{"AT+IWLSI?\r\noffice\r\nI/", "OK\r\n"}
            << QList<int>{0, 400} << "" << 4 << "6" << true << 5;
        QTest::newRow("channel query: OK split inside the read window")
            << -1 << 4 << QList<QByteArray>{"AT+IWLCH?\r\n6\r\nI/", "OK\r\n"} << QList<int>{0, 300}
            << "office" << 4 << "6" << true << 5;
    }
    void readOutFaults() {
        QFETCH(int, vanishAfter);
        QFETCH(int, target);
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QList<int>, after);
        QFETCH(QString, ssid);
        QFETCH(int, security);
        QFETCH(QString, channel);
        QFETCH(bool, accessPoint);
        QFETCH(int, commands);
        FormBench b;
        prepare(b);
        b.model.setStored("WLSI", "office");
        b.model.setStored("WST0", "4");
        b.model.setStored("WLCH", "6");
        Entries entries = wpa2AccessPoint();
        entries.ssid = QStringLiteral("mine");
        entries.security = 3;
        entries.key = QStringLiteral("typedkey1");
        entries.channel = QStringLiteral("11");
        entries.accessPoint = false;
        entries.adHoc = true;
        b.enter(entries);
        if (vanishAfter >= 0)
            b.model.vanishAfter(vanishAfter);
        if (target > 0)
            b.port.replaceReply(target, partsOf(parts, after));

        b.button(CSetupDlg::IDC_READ_OUT)->click();

        // No message: the failure values stand in the form.
        QCOMPARE(b.texts(), QStringList());
        Entries expected = entries;
        expected.ssid = ssid;
        expected.security = security;
        expected.channel = channel;
        if (accessPoint) {
            expected.accessPoint = true;
            expected.adHoc = false;
        }
        QCOMPARE(b.shown(), expected);
        // The key field is usable unless the adapter said NONE.
        QVERIFY(b.edit(CSetupDlg::IDC_KEY)->isEnabled());
        const QList<QByteArray> queries = {"AT+IBDRF?\r", "AT+IWLSI?\r", "AT+IWST0?\r",
                                           "AT+IWLCH?\r", "AT+IWLSI?\r"};
        QList<QByteArray> sent = queries.mid(0, commands == 6 ? 5 : commands);
        if (commands == 6)
            sent.prepend(queries.first());
        QCOMPARE(b.model.transcript(), sent);
        QVERIFY(b.portClosed());

        // The read-out record holds the same values.
        // The adapter's SSID carries no "!": a failed access-type query is logged
        // as an access point too.
        const QByteArray record =
            "* Read out: *\nSSID: " + ssid.toUtf8() +
            "\nEncryption: " + (security == 4 ? QByteArray("WPA2") : QByteArray()) +
            "\nChannel: " + channel.toUtf8() + "\nAccess type: Access Point\n";
        QVERIFY2(b.log().endsWith(record), b.log().right(200).constData());
    }

    // ---- Netsearch ----

    void scanFaults_data() {
        QTest::addColumn<int>("vanishAfterReads");
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("reads");

        const QByteArray office = "office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62\r\n";
        QTest::newRow("vanishes after the first read, nothing received")
            << 1 << QList<QByteArray>{} << QList<int>{} << QStringList{kScanTimeout} << 0 << 20;
        QTest::newRow("vanishes after the first read, part of the list received")
            << 1 << QList<QByteArray>{"AT+IRP20\r\n" + office, "Guest,AP,00:1A:2B:3C:4D:60"}
            << QList<int>{0, 5000} << QStringList{kScanTimeout} << 0 << 20;
        QTest::newRow("garbage instead of the list")
            << -1 << QList<QByteArray>{garbageBytes(7, 300)} << QList<int>{0}
            << QStringList{kScanTimeout} << 0 << 20;
        QTest::newRow("20000 bytes of garbage")
            << -1 << QList<QByteArray>{garbageBytes(9, 20000)} << QList<int>{0}
            << QStringList{kScanTimeout} << 0 << 20;
        QTest::newRow("garbage, then ERROR")
            << -1 << QList<QByteArray>{garbageBytes(8, 300), "I/ERROR\r\n"} << QList<int>{0, 4100}
            << QStringList{QStringLiteral("Error occured during wireless network scan")} << 0 << 2;
        QTest::newRow("OK split across two reads")
            << -1 << QList<QByteArray>{"AT+IRP20\r\n" + office + "I/", "OK\r\n"}
            << QList<int>{0, 3000} << QStringList{} << 1 << 2;
        QByteArray many = "AT+IRP20\r\n";
        int lines = 0;
        while (many.size() < 20000 - 60) {
            many += QByteArray("net") + QByteArray::number(lines).rightJustified(4, '0') +
                    ",AP,00:1A:2B:3C:4D:5E,WPA2,6," + QByteArray::number(40 + lines % 50) + "\r\n";
            ++lines;
        }
        many += "I/OK\r\n";
        many = many.leftJustified(20000, ' ');
        // The lines that fit the 10340-byte buffer are shown.
        const int fitting = int(many.left(10340).count('\n')) - 1;
        QTest::newRow("20000 bytes of networks")
            << -1 << QList<QByteArray>{many} << QList<int>{0} << QStringList{} << fitting << 4;
    }
    void scanFaults() {
        QFETCH(int, vanishAfterReads);
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QList<int>, after);
        QFETCH(QStringList, messages);
        QFETCH(int, rows);
        QFETCH(int, reads);
        FormBench b;
        prepare(b);
        Entries entries = wpa2AccessPoint();
        entries.ssid = QStringLiteral("mine");
        b.enter(entries);
        b.port.watch("AT+IRP20", vanishAfterReads);
        if (!parts.isEmpty())
            b.port.replaceReply(2, partsOf(parts, after));

        int rowsShown = -1;
        bool dialogUp = false;
        QTimer::singleShot(0, [&] {
            QPointer<CScanDlg> dlg = qobject_cast<CScanDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            dialogUp = true;
            rowsShown = dlg->networkList()->rowCount();
            dlg->cancelButton()->click();
        });
        b.button(CSetupDlg::IDC_NETSEARCH)->click();

        QVERIFY(dialogUp);
        QCOMPARE(rowsShown, rows);
        QCOMPARE(b.texts(), messages);
        QCOMPARE(b.icons(), QList<PromptIcon>(messages.size(), PromptIcon::Error));
        QCOMPARE(b.model.transcript(), (QList<QByteArray>{"AT+IBDRF?\r", "AT+IRP20\r"}));
        QCOMPARE(b.port.watchedReads(), reads);
        QVERIFY(b.portClosed());
        // Cancel keeps everything the user entered.
        QCOMPARE(b.shown(), entries);
    }
};

QTEST_MAIN(TestAdapterFaults)
#include "test_adapter_faults.moc"
