#include "config/readout.h"
#include "scan/scan_fakes.h"

#include "link/commands.h"

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
        QTest::newRow("ad hoc mark dropped")
            << QByteArray("AT+IWLSI?\r\n!lab\r\nI/OK\r\n") << "lab" << true;
        QTest::newRow("access point")
            << QByteArray("AT+IWLSI?\r\noffice\r\nI/OK\r\n") << "office" << true;
        QTest::newRow("mark in the middle kept")
            << QByteArray("AT+IWLSI?\r\nHello!\r\nI/OK\r\n") << "Hello!" << true;
        QTest::newRow("blanks kept")
            << QByteArray("AT+IWLSI?\r\n  my net \r\nI/OK\r\n") << "  my net " << true;
        QTest::newRow("UTF-8") << QByteArray("AT+IWLSI?\r\nCaf\xc3\xa9\r\nI/OK") << "Café" << true;
        QTest::newRow("empty value") << QByteArray("AT+IWLSI?\r\n\r\nI/OK\r\n") << "" << true;
        QTest::newRow("only the mark") << QByteArray("AT+IWLSI?\r\n!\r\nI/OK") << "" << true;
        QTest::newRow("status right at the start") << QByteArray("AT+IWLSI?\r\nI/OK") << "" << true;
        QTest::newRow("no status line") << QByteArray("AT+IWLSI?\r\nlab\r\n") << "" << false;
        QTest::newRow("error") << QByteArray("AT+IWLSI?\r\nI/ERROR\r\n") << "" << false;
        QTest::newRow("nothing") << QByteArray() << "" << false;
        QTest::newRow("no question mark") << QByteArray("lab\r\nI/OK\r\n") << "" << false;
        QTest::newRow("stale status before the value")
            << QByteArray("I/OK\r\nAT+IWLSI?\r\nlab\r\n") << "" << false;
        QTest::newRow("question mark at the end") << QByteArray("I/OK AT+IWLSI?") << "" << false;
    }
    void ssidReply() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, ssid);
        QFETCH(bool, ok);
        bool parsed = !ok;
        QCOMPARE(ReadOut::ParseSsidReply(reply, &parsed), ssid);
        QCOMPARE(parsed, ok);
    }

    void numberReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("security 5") << QByteArray("AT+IWST0?\r\n5\r\nI/OK\r\n") << 5 << true;
        QTest::newRow("security 0") << QByteArray("AT+IWST0?\r\n0\r\nI/OK\r\n") << 0 << true;
        QTest::newRow("channel 11") << QByteArray("AT+IWLCH?\r\n11\r\nI/OK\r\n") << 11 << true;
        QTest::newRow("negative") << QByteArray("AT+IWLCH?\r\n-3\r\nI/OK") << -3 << true;
        QTest::newRow("blank before the digits")
            << QByteArray("AT+IWLCH?\r\n 7\r\nI/OK") << 7 << true;
        QTest::newRow("no digits") << QByteArray("AT+IWLCH?\r\nx\r\nI/OK") << 0 << true;
        QTest::newRow("too large")
            << QByteArray("AT+IWLCH?\r\n123456789012\r\nI/OK") << INT_MAX << true;
        QTest::newRow("question mark at the end") << QByteArray("I/OK?") << 0 << true;
        QTest::newRow("no status line") << QByteArray("AT+IWLCH?\r\n6\r\n") << -1 << false;
        QTest::newRow("error") << QByteArray("AT+IWLCH?\r\nI/ERROR\r\n") << -1 << false;
        QTest::newRow("no question mark") << QByteArray("6\r\nI/OK") << -1 << false;
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

    void accessTypeReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("type");
        QTest::newRow("ad hoc") << QByteArray("AT+IWLSI?\r\n!lab\r\nI/OK\r\n") << 0;
        QTest::newRow("access point") << QByteArray("AT+IWLSI?\r\noffice\r\nI/OK\r\n") << 1;
        QTest::newRow("mark at the end of the name")
            << QByteArray("AT+IWLSI?\r\nHello!\r\nI/OK\r\n") << 1;
        QTest::newRow("mark in the middle") << QByteArray("AT+IWLSI?\r\na!b\r\nI/OK\r\n") << 1;
        QTest::newRow("empty name") << QByteArray("AT+IWLSI?\r\n\r\nI/OK\r\n") << 1;
        QTest::newRow("error") << QByteArray("AT+IWLSI?\r\n!lab\r\nI/ERROR") << -1;
        QTest::newRow("nothing") << QByteArray() << -1;
    }
    void accessTypeReply() {
        QFETCH(QByteArray, reply);
        QFETCH(int, type);
        QCOMPARE(ReadOut::ParseAccessTypeReply(reply), type);
    }

    // What the adapter holds, and what the form and the record show of it.
    void readOut_data() {
        QTest::addColumn<QByteArray>("ssid");
        QTest::addColumn<QByteArray>("security");
        QTest::addColumn<QByteArray>("channel");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("shownSsid");
        QTest::addColumn<int>("selection");
        QTest::addColumn<bool>("keyEnabled");
        QTest::addColumn<bool>("adHoc");
        QTest::addColumn<QStringList>("record");
        QTest::newRow("ad hoc lab") << QByteArray("!lab") << QByteArray("1") << QByteArray("11")
                                    << int(kEnglish) << "lab" << 1 << true << true
                                    << QStringList{"* Read out: *", "SSID: lab", "Encryption: WEP",
                                                   "Channel: 11", "Access type: Ad Hoc"};
        QTest::newRow("access point office, German")
            << QByteArray("office") << QByteArray("4") << QByteArray("6") << int(kGerman)
            << "office" << 4 << true << false
            << QStringList{"* Auslesen: *", "SSID: office", "Verschlüsselung: WPA2", "Kanal: 6",
                           "Zugriffsverfahren: Access Point"};
        QTest::newRow("Hello! is an access point")
            << QByteArray("Hello!") << QByteArray("3") << QByteArray("1") << int(kEnglish)
            << "Hello!" << 3 << true << false
            << QStringList{"* Read out: *", "SSID: Hello!", "Encryption: WPA", "Channel: 1",
                           "Access type: Access Point"};
        QTest::newRow("security 5")
            << QByteArray("corp") << QByteArray("5") << QByteArray("13") << int(kEnglish) << "corp"
            << 5 << true << false
            << QStringList{"* Read out: *", "SSID: corp", "Encryption: WPA-ENTERPRISE",
                           "Channel: 13", "Access type: Access Point"};
        QTest::newRow("security 0 disables the key")
            << QByteArray("open") << QByteArray("0") << QByteArray("3") << int(kEnglish) << "open"
            << 0 << false << false
            << QStringList{"* Read out: *", "SSID: open", "Encryption: NONE", "Channel: 3",
                           "Access type: Access Point"};
        QTest::newRow("security out of range")
            << QByteArray("odd") << QByteArray("9") << QByteArray("3") << int(kEnglish) << "odd"
            << -1 << true << false
            << QStringList{"* Read out: *", "SSID: odd", "Encryption: ", "Channel: 3",
                           "Access type: Access Point"};
    }
    void readOut() {
        QFETCH(QByteArray, ssid);
        QFETCH(QByteArray, security);
        QFETCH(QByteArray, channel);
        QFETCH(int, language);
        QFETCH(QString, shownSsid);
        QFETCH(int, selection);
        QFETCH(bool, keyEnabled);
        QFETCH(bool, adHoc);
        QFETCH(QStringList, record);
        Bench b;
        b.model.setStored("WLSI", ssid);
        b.model.setStored("WST0", security);
        b.model.setStored("WLCH", channel);
        b.form.language = language;
        b.form.security = 2;
        b.form.keyEnabled = !keyEnabled;
        b.form.setAccessType(adHoc, !adHoc);
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
        QCOMPARE(b.form.controls.m_strChannel, QString::fromLatin1(channel));
        QCOMPARE(b.form.isAdHoc(), adHoc);
        QCOMPARE(b.form.isAccessPoint(), !adHoc);
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

    void loggingOffWritesNothing() {
        Bench b;
        b.logging = false;
        b.model.setStored("WLSI", "!lab");
        ReadOut readOut(b.form, b.link, b.log, [&](int) { return b.openPort(); });
        readOut.OnReadOut();
        QCOMPARE(b.form.controls.m_strSsid, QStringLiteral("lab"));
        QVERIFY(b.form.isAdHoc());
        QVERIFY(b.logText().isEmpty());
    }

    // The key, the enterprise fields and the damping keep what the user typed.
    void keepsTheOtherFields() {
        Bench b;
        b.form.v.m_strKey = "stale";
        b.form.controls.m_strKey = "typed key";
        b.form.controls.m_strUser = "alice";
        b.form.controls.m_strDamping = "62 db";
        b.form.enterpriseEnabled = true;
        ReadOut readOut(b.form, b.link, b.log, [&](int) { return b.openPort(); });
        readOut.OnReadOut();
        QCOMPARE(b.form.controls.m_strKey, QStringLiteral("typed key"));
        QCOMPARE(b.form.controls.m_strUser, QStringLiteral("alice"));
        QCOMPARE(b.form.controls.m_strDamping, QStringLiteral("62 db"));
        QVERIFY(b.form.enterpriseEnabled);
        QCOMPARE(b.form.securityUpdates, 0);
    }

    void portNotOpened() {
        Bench b;
        b.form.port.clear();
        b.form.controls.m_strSsid = "typed";
        b.form.security = 3;
        ReadOut readOut(b.form, b.link, b.log, [&](int) { return b.openPort(); });
        readOut.OnReadOut();
        QVERIFY(b.model.transcript().isEmpty());
        QCOMPARE(b.form.controls.m_strSsid, QStringLiteral("typed"));
        QCOMPARE(b.form.security, 3);
        QCOMPARE(b.form.updatesIn + b.form.updatesOut, 0);
        QVERIFY(b.logText().isEmpty());
    }

    // A late answer to an earlier command is not taken for a query's reply.
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
