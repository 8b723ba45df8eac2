// Faults of the adapter and the line, against the running main form on the
// simulated adapter in virtual time: the adapter unplugged in the middle of a
// command, replies of garbage, overlong replies and status tokens cut in two.

#include "fault_bench.h"

#include "ui/scan_dlg.h"

#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace faults;

namespace {

const QString kSaved = QStringLiteral("Settings saved on wireless product");
const QString kScanTimeout = QStringLiteral("Timeout occured during wireless network scan");
const QString kSsidFailed = QStringLiteral("Error occurred while set SSID");
const QString kKeyTimeout = QStringLiteral("Timeout occurred while set key");

// A reply of `size` bytes: the echo, filler, and (when ok) the status line at the very end.
QByteArray longReply(const QByteArray& echo, int size, bool ok) {
    const QByteArray tail = ok ? QByteArray("\r\nI/OK\r\n") : QByteArray("\r\n");
    const QByteArray head = echo + "\r\n";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

// The form of a user who has filled everything in, in English, logging on.
void prepare(FormBench& b, const Entries& entries) {
    QVERIFY(b.writeIni("[settings]\nlanguage=10000\nlog=1\nport=/dev/ttyACM0\n"));
    b.start();
    b.enter(entries);
    QCOMPARE(b.shown(), entries.text());
}

} // namespace

class TestAdapterFaults : public QObject {
    Q_OBJECT
private slots:
    // The adapter vanishes after a command, or the reply to a command is replaced.
    void configureFaults_data() {
        QTest::addColumn<int>("vanishAfter");
        QTest::addColumn<int>("target");
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("commands"); // 11: the probe is sent twice
        const QList<QByteArray> all = wpa2AccessPointCommands();
        const QString failed[] = {QString(), // the probe is repeated and answered the second time
                                  QStringLiteral("Error occured while software-reset"),
                                  QStringLiteral("Error occured while set host (USB)"),
                                  QStringLiteral("Error occured while set baudrate"),
                                  kSsidFailed,
                                  QStringLiteral("Error occurred while set encryption"),
                                  QStringLiteral("Error occurred while set channel"),
                                  kKeyTimeout,
                                  QStringLiteral("Error occurred while set bridgemode"),
                                  QStringLiteral("Error occurred while software reset")};
        // The preparatory commands report their failure and the programming goes on.
        for (int n : {3, 6, 9})
            QTest::addRow("vanishes after command %d", n)
                << n << 0 << QList<QByteArray>{} << QList<int>{}
                << (n == 3 ? QStringList{failed[3], kSsidFailed} : QStringList{failed[n]}) << n;
        for (int n = 1; n <= 10; ++n) {
            QStringList messages{failed[n - 1]};
            if (n <= 4)
                messages.append(kSaved);
            messages.removeAll(QString());
            QTest::addRow("garbage for %s", all.at(n - 1).chopped(1).constData())
                << -1 << n << QList<QByteArray>{garbageBytes(quint32(n), 32 + 7 * n)}
                << QList<int>{0} << messages
                << (n == 1   ? 11
                    : n <= 4 ? 10
                             : n);
        }
        // 20,000 bytes: only the first 5220 bytes are one read; the key wait reads on.
        QTest::newRow("20000 bytes for the SSID")
            << -1 << 5 << QList<QByteArray>{longReply("AT+IWLSI=office", 20000, true)}
            << QList<int>{0} << QStringList{kSsidFailed} << 5;
        QTest::newRow("20000 bytes for the key, OK at the end")
            << -1 << 8 << QList<QByteArray>{longReply("AT+IWPP0=passphrase1", 20000, true)}
            << QList<int>{0} << QStringList{kSaved} << 10;
        QTest::newRow("20000 bytes for the key, no status")
            << -1 << 8 << QList<QByteArray>{longReply("AT+IWPP0=passphrase1", 20000, false)}
            << QList<int>{0} << QStringList{kKeyTimeout} << 8;
        // "I/OK" cut in two. A command is judged by its one read 1200 ms after the write.
        QTest::newRow("SSID: OK split, both parts in the read window")
            << -1 << 5 << QList<QByteArray>{"AT+IWLSI=office\r\nI/", "OK\r\n"}
            << QList<int>{0, 1250} << QStringList{kSaved} << 10;
        QTest::newRow("SSID: OK split across two reads")
            << -1 << 5 << QList<QByteArray>{"AT+IWLSI=office\r\nI/", "OK\r\n"}
            << QList<int>{0, 1500} << QStringList{kSsidFailed} << 5;
        // The key wait polls: the token's halves come in two successive reads.
        QTest::newRow("key: OK split across two reads")
            << -1 << 8 << QList<QByteArray>{"AT+IWPP0=passphrase1\r\nI/", "OK\r\n"}
            << QList<int>{2000, 2150} << QStringList{kSaved} << 10;
        QTest::newRow("key: ERROR split across two reads")
            << -1 << 8 << QList<QByteArray>{"AT+IWPP0=passphrase1\r\nI/ER", "ROR\r\n"}
            << QList<int>{2000, 2150} << QStringList{QStringLiteral("Error occurred while set key")}
            << 8;
    }
    void configureFaults() {
        QFETCH(int, vanishAfter);
        QFETCH(int, target);
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QList<int>, after);
        QFETCH(QStringList, messages);
        QFETCH(int, commands);
        FormBench b;
        const Entries entries;
        prepare(b, entries);
        if (vanishAfter >= 0)
            b.model.vanishAfter(vanishAfter);
        b.port.replaceReply(target, parts, after);

        b.click(CSetupDlg::IDC_CONFIGURE);

        QCOMPARE(b.texts(), messages);
        QCOMPARE(b.icons(), QList<PromptIcon>(messages.size(), PromptIcon::None));
        QList<QByteArray> expected = wpa2AccessPointCommands();
        if (commands == 11)
            expected.prepend(expected.first());
        QCOMPARE(b.model.transcript(), expected.mid(0, commands));
        QVERIFY(b.portClosed());
        // The restart command restarts the adapter whatever its reply says.
        QCOMPARE(b.model.restarts(), b.model.transcript().endsWith("AT+IDOWN\r") ? 1 : 0);
        const bool saved = messages.last() == kSaved;
        QCOMPARE(b.log().contains("Configuration successful\n"), saved);
        if (saved) {
            QCOMPARE(b.model.running("WLSI"), QByteArray("office"));
            QCOMPARE(b.model.running("WPP0"), QByteArray("passphrase1"));
        } else {
            QVERIFY2(b.log().endsWith(messages.last().toUtf8() + "\n"),
                     b.log().right(200).constData());
        }
        QCOMPARE(b.shown(), entries.text());
        QVERIFY(b.clock.elapsedMs() < 90000);
    }

    void readOutFaults_data() {
        QTest::addColumn<int>("vanishAfter");
        QTest::addColumn<int>("target");
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QStringList>("shown"); // SSID, security, channel, access point
        QTest::addColumn<int>("commands");      // 6: the probe is sent twice
        // The user had chosen Ad Hoc; a failed access-type query leaves it.
        QTest::newRow("vanishes after the SSID query")
            << 2 << 0 << QList<QByteArray>{} << QList<int>{}
            << QStringList{"office", "-1", "-1", "0"} << 2;
        QTest::newRow("vanishes after the channel query")
            << 4 << 0 << QList<QByteArray>{} << QList<int>{} << QStringList{"office", "4", "6", "0"}
            << 4;
        for (int n = 1; n <= 5; ++n)
            QTest::addRow("garbage for query %d", n)
                << -1 << n << QList<QByteArray>{garbageBytes(quint32(100 + n), 40 + 9 * n)}
                << QList<int>{0}
                << QStringList{n == 2 ? "" : "office", n == 3 ? "-1" : "4", n == 4 ? "-1" : "6",
                               n == 5 ? "0" : "1"}
                << (n == 1 ? 6 : 5);
        QTest::newRow("20000 bytes for the security query")
            << -1 << 3 << QList<QByteArray>{longReply("AT+IWST0?\r\n4", 20000, true)}
            << QList<int>{0} << QStringList{"office", "-1", "6", "1"} << 5;
        // A query reads once, 250 ms after its write, for 100 ms.
        QTest::newRow("SSID query: OK split across two reads")
            << -1 << 2 << QList<QByteArray>{"AT+IWLSI?\r\noffice\r\nI/", "OK\r\n"}
            << QList<int>{0, 400} << QStringList{"", "4", "6", "1"} << 5;
    }
    void readOutFaults() {
        QFETCH(int, vanishAfter);
        QFETCH(int, target);
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QList<int>, after);
        QFETCH(QStringList, shown);
        QFETCH(int, commands);
        FormBench b;
        b.model.setStored("WLSI", "office");
        b.model.setStored("WST0", "4");
        b.model.setStored("WLCH", "6");
        Entries entries;
        entries.ssid = QStringLiteral("mine");
        entries.security = 3;
        entries.key = QStringLiteral("typedkey1");
        entries.channel = QStringLiteral("11");
        entries.accessPoint = false;
        entries.adHoc = true;
        prepare(b, entries);
        if (vanishAfter >= 0)
            b.model.vanishAfter(vanishAfter);
        b.port.replaceReply(target, parts, after);

        b.click(CSetupDlg::IDC_READ_OUT);

        // No message: the failure values stand in the form.
        QCOMPARE(b.texts(), QStringList());
        entries.ssid = shown[0];
        entries.security = shown[1].toInt();
        entries.channel = shown[2];
        if (shown[3] == "1") {
            entries.accessPoint = true;
            entries.adHoc = false;
        }
        QCOMPARE(b.shown(), entries.text());
        // The key field is usable unless the adapter said NONE.
        QVERIFY(b.edit(CSetupDlg::IDC_KEY)->isEnabled());
        QList<QByteArray> sent = {"AT+IBDRF?\r", "AT+IWLSI?\r", "AT+IWST0?\r", "AT+IWLCH?\r",
                                  "AT+IWLSI?\r"};
        if (commands == 6)
            sent.prepend(sent.first());
        QCOMPARE(b.model.transcript(), sent.mid(0, commands));
        QVERIFY(b.portClosed());
        // The read-out record holds the same values. The adapter's SSID carries
        // no "!": a failed access-type query is logged as an access point too.
        const QByteArray record = "* Read out: *\nSSID: " + shown[0].toUtf8() +
                                  "\nEncryption: " + (shown[1] == "4" ? "WPA2" : "") +
                                  "\nChannel: " + shown[2].toUtf8() +
                                  "\nAccess type: Access Point\n";
        QVERIFY2(b.log().endsWith(record), b.log().right(200).constData());
    }

    void scanFaults_data() {
        QTest::addColumn<int>("vanishAfterReads");
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("reads");
        QTest::newRow("vanishes after the first read")
            << 1 << QList<QByteArray>{} << QList<int>{} << QStringList{kScanTimeout} << 0 << 20;
        QTest::newRow("20000 bytes of garbage")
            << -1 << QList<QByteArray>{garbageBytes(9, 20000)} << QList<int>{0}
            << QStringList{kScanTimeout} << 0 << 20;
        QTest::newRow("OK split across two reads")
            << -1
            << QList<QByteArray>{"AT+IRP20\r\noffice,AP,00:1A:2B:3C:4D:5E,WPA2,6,62\r\nI/",
                                 "OK\r\n"}
            << QList<int>{0, 3000} << QStringList{} << 1 << 2;
        QByteArray many = "AT+IRP20\r\n";
        for (int i = 0; many.size() < 20000 - 60; ++i)
            many += "net" + QByteArray::number(i).rightJustified(4, '0') +
                    ",AP,00:1A:2B:3C:4D:5E,WPA2,6," + QByteArray::number(40 + i % 50) + "\r\n";
        many = (many + "I/OK\r\n").leftJustified(20000, ' ');
        // The lines that fit the 10340-byte buffer are shown.
        QTest::newRow("20000 bytes of networks")
            << -1 << QList<QByteArray>{many} << QList<int>{0} << QStringList{}
            << int(many.left(10340).count('\n')) - 1 << 4;
    }
    void scanFaults() {
        QFETCH(int, vanishAfterReads);
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QList<int>, after);
        QFETCH(QStringList, messages);
        QFETCH(int, rows);
        QFETCH(int, reads);
        FormBench b;
        Entries entries;
        entries.ssid = QStringLiteral("mine");
        prepare(b, entries);
        b.port.watch("AT+IRP20", vanishAfterReads);
        if (!parts.isEmpty())
            b.port.replaceReply(2, parts, after);

        int rowsShown = -1;
        QTimer::singleShot(0, [&] {
            if (auto* dlg = qobject_cast<CScanDlg*>(QApplication::activeModalWidget())) {
                rowsShown = dlg->networkList()->rowCount();
                dlg->cancelButton()->click();
            }
        });
        b.click(CSetupDlg::IDC_NETSEARCH);

        QCOMPARE(rowsShown, rows);
        QCOMPARE(b.texts(), messages);
        QCOMPARE(b.icons(), QList<PromptIcon>(messages.size(), PromptIcon::Error));
        QCOMPARE(b.model.transcript(), (QList<QByteArray>{"AT+IBDRF?\r", "AT+IRP20\r"}));
        QCOMPARE(b.port.watchedReads(), reads);
        QVERIFY(b.portClosed());
        // Cancel keeps everything the user entered.
        QCOMPARE(b.shown(), entries.text());
    }
};

QTEST_MAIN(TestAdapterFaults)
#include "test_adapter_faults.moc"
