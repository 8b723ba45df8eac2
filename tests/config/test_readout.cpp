#include "config/readout.h"
#include "link/commands.h"
#include "scan/scan_fakes.h"

#include <QTest>

using namespace velinor;
using namespace scantest;

class TestReadOut : public QObject {
    Q_OBJECT
private slots:
    void ssidReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("type"); // 0 ad hoc, 1 access point, -1 failed, -2 not checked
        QTest::newRow("ad hoc mark dropped")
            << QByteArray("AT+IWLSI?\r\n!lab\r\nI/OK\r\n") << "lab" << true << 0;
        QTest::newRow("access point")
            << QByteArray("AT+IWLSI?\r\noffice\r\nI/OK\r\n") << "office" << true << 1;
        QTest::newRow("mark at the end kept, access point")
            << QByteArray("AT+IWLSI?\r\nHello!\r\nI/OK\r\n") << "Hello!" << true << 1;
        QTest::newRow("mark in the middle")
            << QByteArray("AT+IWLSI?\r\na!b\r\nI/OK\r\n") << "a!b" << true << 1;
        QTest::newRow("UTF-8") << QByteArray("AT+IWLSI?\r\nCaf\xc3\xa9\r\nI/OK") << "Café" << true
                               << 1;
        QTest::newRow("only the mark") << QByteArray("AT+IWLSI?\r\n!\r\nI/OK") << "" << true << -2;
        QTest::newRow("no status line") << QByteArray("AT+IWLSI?\r\nlab\r\n") << "" << false << -2;
        QTest::newRow("error") << QByteArray("AT+IWLSI?\r\n!lab\r\nI/ERROR\r\n") << "" << false
                               << -1;
        QTest::newRow("nothing") << QByteArray() << "" << false << -1;
        QTest::newRow("stale status before the value")
            << QByteArray("I/OK\r\nAT+IWLSI?\r\nlab\r\n") << "" << false << -2;
    }
    void ssidReply() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, ssid);
        QFETCH(bool, ok);
        QFETCH(int, type);
        bool parsed = !ok;
        QCOMPARE(ReadOut::ParseSsidReply(reply, &parsed), ssid);
        QCOMPARE(parsed, ok);
        if (type != -2)
            QCOMPARE(ReadOut::ParseAccessTypeReply(reply), type);
    }

    void numberReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("security 5") << QByteArray("AT+IWST0?\r\n5\r\nI/OK\r\n") << 5 << true;
        QTest::newRow("negative") << QByteArray("AT+IWLCH?\r\n-3\r\nI/OK") << -3 << true;
        QTest::newRow("too large")
            << QByteArray("AT+IWLCH?\r\n123456789012\r\nI/OK") << INT_MAX << true;
        QTest::newRow("no status line") << QByteArray("AT+IWLCH?\r\n6\r\n") << -1 << false;
        QTest::newRow("error") << QByteArray("AT+IWLCH?\r\nI/ERROR\r\n") << -1 << false;
        QTest::newRow("nothing") << QByteArray() << -1 << false;
    }
    void numberReply() {
        QFETCH(QByteArray, reply);
        QFETCH(int, value);
        QFETCH(bool, ok);
        bool parsed = !ok;
        QCOMPARE(ReadOut::ParseNumberReply(reply, &parsed), value);
        QCOMPARE(parsed, ok);
    }

    // What the adapter holds, and what the form and the record show of it.
    void readOut_data() {
        QTest::addColumn<QByteArray>("ssid");
        QTest::addColumn<QByteArray>("security");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("shownSsid");
        QTest::addColumn<int>("selection");
        QTest::addColumn<bool>("keyEnabled");
        QTest::addColumn<bool>("adHoc");
        QTest::addColumn<QStringList>("record");
        QTest::newRow("ad hoc lab")
            << QByteArray("!lab") << QByteArray("1") << int(kEnglish) << "lab" << 1 << true << true
            << QStringList{"* Read out: *", "SSID: lab", "Encryption: WEP", "Channel: 11",
                           "Access type: Ad Hoc"};
        QTest::newRow("access point office, German")
            << QByteArray("office") << QByteArray("4") << int(kGerman) << "office" << 4 << true
            << false
            << QStringList{"* Auslesen: *", "SSID: office", "Verschlüsselung: WPA2", "Kanal: 11",
                           "Zugriffsverfahren: Access Point"};
        QTest::newRow("Hello! is an access point")
            << QByteArray("Hello!") << QByteArray("3") << int(kEnglish) << "Hello!" << 3 << true
            << false
            << QStringList{"* Read out: *", "SSID: Hello!", "Encryption: WPA", "Channel: 11",
                           "Access type: Access Point"};
        QTest::newRow("security 5")
            << QByteArray("corp") << QByteArray("5") << int(kEnglish) << "corp" << 5 << true
            << false
            << QStringList{"* Read out: *", "SSID: corp", "Encryption: WPA-ENTERPRISE",
                           "Channel: 11", "Access type: Access Point"};
        QTest::newRow("security 0 disables the key")
            << QByteArray("open") << QByteArray("0") << int(kEnglish) << "open" << 0 << false
            << false
            << QStringList{"* Read out: *", "SSID: open", "Encryption: NONE", "Channel: 11",
                           "Access type: Access Point"};
        QTest::newRow("security out of range")
            << QByteArray("odd") << QByteArray("9") << int(kEnglish) << "odd" << -1 << true << false
            << QStringList{"* Read out: *", "SSID: odd", "Encryption: ", "Channel: 11",
                           "Access type: Access Point"};
    }
    void readOut() {
        QFETCH(QByteArray, ssid);
        QFETCH(QByteArray, security);
        QFETCH(int, language);
        QFETCH(QString, shownSsid);
        QFETCH(int, selection);
        QFETCH(bool, keyEnabled);
        QFETCH(bool, adHoc);
        QFETCH(QStringList, record);
        Bench b;
        b.model.setStored("WLSI", ssid);
        b.model.setStored("WST0", security);
        b.model.setStored("WLCH", "11");
        b.form.language = language;
        b.form.security = 2;
        b.form.keyEnabled = !keyEnabled;
        b.form.setAccessType(adHoc, !adHoc);
        // The key and the enterprise fields keep what the user typed.
        b.form.v.m_strKey = "stale";
        b.form.controls.m_strKey = "typed key";
        b.form.controls.m_strUser = "alice";
        int attempts = 0;
        ReadOut readOut(b.form, b.link, b.log, [&](int n) {
            attempts = n;
            return b.openPort();
        });
        readOut.OnReadOut();

        QCOMPARE(attempts, 5);
        QCOMPARE(b.form.controls.m_strSsid, shownSsid);
        QCOMPARE(b.form.security, selection);
        QCOMPARE(b.form.keyEnabled, keyEnabled);
        QCOMPARE(b.form.controls.m_strChannel, QStringLiteral("11"));
        QCOMPARE(b.form.isAdHoc(), adHoc);
        QCOMPARE(b.form.isAccessPoint(), !adHoc);
        QCOMPARE(b.form.controls.m_strKey, QStringLiteral("typed key"));
        QCOMPARE(b.form.controls.m_strUser, QStringLiteral("alice"));
        QCOMPARE(b.form.securityUpdates, 0);
        QCOMPARE(b.logLines(), record);
        QCOMPARE(b.model.transcript(), (QList<QByteArray>{cmd::QuerySsid(), cmd::QuerySecurity(),
                                                          cmd::QueryChannel(), cmd::QuerySsid()}));
        QVERIFY(!b.port.isOpen());
        QVERIFY(!b.link.GetPortHandle());
        QVERIFY(b.prompts.shown.isEmpty());
    }

    void noReplyAtAll() {
        Bench b;
        for (const char* name : {"AT+IWLSI", "AT+IWST0", "AT+IWLCH"})
            b.model.setFault(name, AdapterModel::Fault::Silent);
        b.form.controls.m_strSsid = "typed";
        b.form.security = 4;
        b.form.keyEnabled = false;
        b.form.setAccessType(false, true);
        ReadOut readOut(b.form, b.link, b.log, [&](int) { return b.openPort(); });
        readOut.OnReadOut();
        QCOMPARE(b.form.controls.m_strSsid, QString());
        QCOMPARE(b.form.security, -1);
        QVERIFY(b.form.keyEnabled);
        QCOMPARE(b.form.controls.m_strChannel, QStringLiteral("-1"));
        QVERIFY(b.form.isAdHoc());
        QVERIFY(!b.form.isAccessPoint());
        QCOMPARE(b.logLines(), (QStringList{"* Read out: *", "SSID: ", "Encryption: ",
                                            "Channel: -1", "Access type: Access Point"}));
        QCOMPARE(b.model.transcript().size(), 4);
        QVERIFY(!b.port.isOpen());
    }

    void takesFourQueriesOfAQuarterSecondEach() {
        Bench b;
        QVERIFY(b.openPort());
        ReadOut readOut(b.form, b.link, b.log, {});
        const qint64 start = b.clock.elapsedMs();
        readOut.ReadOutSettings();
        const qint64 took = b.clock.elapsedMs() - start;
        QVERIFY2(took >= 4 * 250 && took <= 4 * 350, QByteArray::number(took).constData());
    }

    void portNotOpened() {
        Bench b;
        b.form.port.clear();
        b.form.controls.m_strSsid = "typed";
        ReadOut readOut(b.form, b.link, b.log, [&](int) { return b.openPort(); });
        readOut.OnReadOut();
        QVERIFY(b.model.transcript().isEmpty());
        QCOMPARE(b.form.controls.m_strSsid, QStringLiteral("typed"));
        QCOMPARE(b.form.updatesIn + b.form.updatesOut, 0);
        QVERIFY(b.logText().isEmpty());
    }

    // Regression: a late answer to an earlier command was taken for a query's reply.
    void staleInputIsThrownAway() {
        Bench b;
        QVERIFY(b.openPort());
        b.model.setStored("WLCH", "6");
        b.link.WritePort(&b.port, cmd::QueryChannel());
        b.model.setStored("WLSI", "office");
        ReadOut readOut(b.form, b.link, b.log, {});
        QCOMPARE(readOut.QuerySsid(&b.port), QStringLiteral("office"));
    }
};

QTEST_GUILESS_MAIN(TestReadOut)
#include "test_readout.moc"
