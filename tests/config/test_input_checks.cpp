#include "config/certificate.h"
#include "config/config_fakes.h"
#include "config/input_checks.h"

#include <QTest>

#include <climits>

using namespace velinor;
using namespace cfgtest;

namespace {

const QByteArray kPem = "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n";

struct ChecksBench : Bench {
    ScriptedPicker picker;
    CertificateStore certificate{picker, prompts, form};
    InputChecks checks{form, certificate, prompts, log};
    QTemporaryDir files;

    void loadCertificate() {
        const QString path = files.filePath(QStringLiteral("ca.pem"));
        FakeSysfs::write(path, kPem);
        QVERIFY(certificate.LoadCertificateFile(path));
    }
};

} // namespace

class TestInputChecks : public QObject {
    Q_OBJECT

private slots:
    void keyRules_data();
    void keyRules();
    void keyRefusalEmptiesAndFocusesKey();
    void formRules_data();
    void formRules();
    void formLogInGerman_data();
    void formLogInGerman();
    void noLogWhileLoggingIsOff();
    void validChannels_data();
    void validChannels();
    void channelNumber_data();
    void channelNumber();
};

void TestInputChecks::keyRules_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("message"); // 0: accepted

    using namespace security;
    QTest::newRow("WEP 10 hex digits") << kWep << "0123456789" << 0;
    QTest::newRow("WEP 10 mixed-case hex") << kWep << "abcDEF0189" << 0;
    QTest::newRow("WEP with a G") << kWep << "01234G6789" << 528;
    QTest::newRow("WEP with a non-ASCII letter") << kWep << QString::fromUtf8("01234ä6789") << 528;
    QTest::newRow("WEP 5 digits") << kWep << "01234" << 529;
    QTest::newRow("WEP 5 non-hex: length first") << kWep << "GGGGG" << 529;
    QTest::newRow("WEP empty") << kWep << "" << 529;
    QTest::newRow("WEP 26 digits") << kWep << "0123456789abcdef0123456789" << 529;
    QTest::newRow("WEP128 mixed case") << kWep128 << "0123456789abcdefABCDEF0123" << 0;
    QTest::newRow("WEP128 with a space") << kWep128 << "0123456789abcdef ABCDEF012" << 528;
    QTest::newRow("WEP128 10 digits") << kWep128 << "0123456789" << 530;
    QTest::newRow("WEP128 empty") << kWep128 << "" << 530;
    QTest::newRow("WPA 7 characters") << kWpa << "abcdefg" << 531;
    QTest::newRow("WPA 8 characters") << kWpa << "abcdefgh" << 0;
    QTest::newRow("WPA 63 characters") << kWpa << QString(63, u'x') << 0;
    QTest::newRow("WPA 9 with a colon") << kWpa << "abcd:fghi" << 527;
    QTest::newRow("WPA 3 with a question mark") << kWpa << "a?b" << 527;
    QTest::newRow("WPA empty") << kWpa << "" << 531;
    QTest::newRow("WPA2 64 characters") << kWpa2 << QString(64, u'x') << 531;
    QTest::newRow("WPA2 8 non-hex") << kWpa2 << "GGGGGGGG" << 0;
    QTest::newRow("WPA-ENTERPRISE empty") << kWpaEnterprise << "" << 0;
    QTest::newRow("WPA-ENTERPRISE short") << kWpaEnterprise << "ab" << 0;
    QTest::newRow("WPA-ENTERPRISE with ?") << kWpaEnterprise << "pass?" << 527;
    QTest::newRow("WPA2-ENTERPRISE with :") << kWpa2Enterprise << "a:b" << 527;
    QTest::newRow("NONE with a key") << kNone << "xyz:?" << 0;
    QTest::newRow("NONE empty") << kNone << "" << 0;
    QTest::newRow("no selection") << -1 << "::" << 0;
}

void TestInputChecks::keyRules() {
    QFETCH(int, security);
    QFETCH(QString, key);
    QFETCH(int, message);

    ChecksBench b;
    b.form.set(security, key, true, false);
    QCOMPARE(b.checks.ValidateKey(), message == 0);
    if (message == 0) {
        QVERIFY(b.prompts.shown.isEmpty());
        QCOMPARE(b.form.v.m_strKey, key);
    } else {
        QCOMPARE(b.prompts.texts(), QStringList({RecordingPrompts::en(message)}));
        QCOMPARE(b.prompts.shown[0].icon, PromptIcon::Warning);
    }
    QVERIFY(!b.logExists()); // the key rules log nothing
}

void TestInputChecks::keyRefusalEmptiesAndFocusesKey() {
    ChecksBench b;
    b.form.set(security::kWep, QStringLiteral("123"), true, false);
    // A field changed since the values were taken is taken again.
    b.form.controls.m_strSsid = QStringLiteral("changed");
    b.form.language = kGerman;
    QVERIFY(!b.checks.ValidateKey());
    QCOMPARE(b.prompts.texts(),
             QStringList({QString::fromUtf8("Ein WEP Schlüssel muss aus 10 Hex-Werten bestehen")}));
    QCOMPARE(b.form.v.m_strKey, QString());
    QCOMPARE(b.form.controls.m_strKey, QString());
    QCOMPARE(b.form.v.m_strSsid, QStringLiteral("changed"));
    QCOMPARE(b.form.updatesIn, 1);
    QCOMPARE(b.form.updatesOut, 1);
    QCOMPARE(b.form.keyFocused, 1);
}

void TestInputChecks::formRules_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<bool>("ap");
    QTest::addColumn<bool>("adhoc");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("certificate");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<QList<int>>("messages");
    QTest::addColumn<QStringList>("log");

    using namespace security;
    const QString net = QStringLiteral("net");
    const QString key = QStringLiteral("secret12");
    const QString u = QStringLiteral("alice");
    const QString pw = QStringLiteral("pw");
    QTest::newRow("WPA access point passes")
        << kWpa << true << false << net << "6" << key << ""
        << "" << false << true << QList<int>() << QStringList();
    QTest::newRow("enterprise, ad hoc, empty user: 34 first")
        << kWpa2Enterprise << false << true << net << "6"
        << ""
        << ""
        << "" << false << false << QList<int>{34}
        << QStringList{"WPA Enterprise and Ad-Hoc selected"};
    QTest::newRow("enterprise without user")
        << kWpaEnterprise << true << false << net << "6"
        << ""
        << "" << pw << true << false << QList<int>{30} << QStringList{"No Username input"};
    QTest::newRow("enterprise without password")
        << kWpaEnterprise << true << false << net << "6"
        << "" << u << "" << true << false << QList<int>{32} << QStringList{"No password input"};
    QTest::newRow("enterprise without certificate")
        << kWpaEnterprise << true << false << net << "6"
        << "" << u << pw << false << false << QList<int>{35}
        << QStringList{"No valid certificate detected"};
    QTest::newRow("enterprise with certificate, empty domain passes")
        << kWpa2Enterprise << true << false << net << "6"
        << "" << u << pw << true << true << QList<int>() << QStringList();
    QTest::newRow("no radio and empty SSID: 2 first")
        << kWpa << false << false << ""
        << "6" << key << ""
        << "" << false << false << QList<int>{2} << QStringList{"No Access type selected"};
    QTest::newRow("empty SSID") << kWpa << true << false << ""
                                << "6" << key << ""
                                << "" << false << false << QList<int>{3}
                                << QStringList{"SSID is empty"};
    QTest::newRow("ad hoc with empty channel")
        << kWpa << false << true << net << "" << key << ""
        << "" << false << false << QList<int>{4}
        << QStringList{"Channel is empty and ad hoc is selected"};
    QTest::newRow("access point with empty channel: notice only")
        << kWpa << true << false << net << "" << key << ""
        << "" << false << true << QList<int>{5} << QStringList{"Channel is invalid"};
    QTest::newRow("channel 149: notice, goes on")
        << kWpa << true << false << net << "149" << key << ""
        << "" << false << true << QList<int>{5} << QStringList{"Channel is invalid"};
    QTest::newRow("channel 147 passes silently")
        << kWpa << true << false << net << "147" << key << ""
        << "" << false << true << QList<int>() << QStringList();
    QTest::newRow("channel 14 passes silently")
        << kWpa << false << true << net << "14" << key << ""
        << "" << false << true << QList<int>() << QStringList();
    QTest::newRow("channel 6x reads as 6") << kWpa << true << false << net << "6x" << key << ""
                                           << "" << false << true << QList<int>() << QStringList();
    QTest::newRow("invalid channel, then no security type")
        << -1 << true << false << net << "0"
        << ""
        << ""
        << "" << false << false << QList<int>{5, 6}
        << QStringList{"Channel is invalid", "No encryption selected"};
    QTest::newRow("no security type")
        << -1 << true << false << net << "6" << key << ""
        << "" << false << false << QList<int>{6} << QStringList{"No encryption selected"};
    QTest::newRow("WEP without key") << kWep << true << false << net << "6"
                                     << ""
                                     << ""
                                     << "" << false << false << QList<int>{7}
                                     << QStringList{"Encryption active but no key input"};
    QTest::newRow("NONE without key passes")
        << kNone << true << false << net << "6"
        << ""
        << ""
        << "" << false << true << QList<int>() << QStringList();
}

void TestInputChecks::formRules() {
    QFETCH(int, security);
    QFETCH(bool, ap);
    QFETCH(bool, adhoc);
    QFETCH(QString, ssid);
    QFETCH(QString, channel);
    QFETCH(QString, key);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, certificate);
    QFETCH(bool, passes);
    QFETCH(QList<int>, messages);
    QFETCH(QStringList, log);

    ChecksBench b;
    if (certificate)
        b.loadCertificate();
    b.form.set(security, key, ap, adhoc, ssid, channel);
    b.form.v.m_strUser = user;
    b.form.v.m_strPassword = password;

    QCOMPARE(b.checks.ValidateForm(), passes);
    QStringList expected;
    for (int id : messages)
        expected << RecordingPrompts::en(id);
    QCOMPARE(b.prompts.texts(), expected);
    for (const Shown& s : b.prompts.shown)
        QCOMPARE(s.icon,
                 s.text == RecordingPrompts::en(35) ? PromptIcon::Warning : PromptIcon::None);
    QCOMPARE(b.logEntries(), log);
    QCOMPARE(b.form.updatesIn + b.form.updatesOut, 0); // the form is not touched
}

void TestInputChecks::formLogInGerman_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<bool>("ap");
    QTest::addColumn<bool>("adhoc");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("log");

    using namespace security;
    QTest::newRow("34") << kWpaEnterprise << false << true << "n"
                        << "6"
                        << ""
                        << ""
                        << ""
                        << QStringList{QString::fromUtf8("WPA Enterprise und Ad-Hoc ausgewählt")};
    QTest::newRow("30") << kWpaEnterprise << true << false << "n"
                        << "6"
                        << ""
                        << ""
                        << "" << QStringList{"Es wurde kein Benutzername eingetragen"};
    QTest::newRow("32") << kWpaEnterprise << true << false << "n"
                        << "6"
                        << ""
                        << "u"
                        << "" << QStringList{"Es wurde kein Passwort eingetragen"};
    QTest::newRow("35") << kWpaEnterprise << true << false << "n"
                        << "6"
                        << ""
                        << "u"
                        << "p"
                        << QStringList{QString::fromUtf8("Es wurde kein gültiges Zertifikat "
                                                         "ausgewählt")};
    QTest::newRow("2") << kWpa << false << false << "n"
                       << "6"
                       << "12345678"
                       << ""
                       << "" << QStringList{QString::fromUtf8("Keine Zugangsart ausgewählt")};
    QTest::newRow("3") << kWpa << true << false << ""
                       << "6"
                       << "12345678"
                       << ""
                       << "" << QStringList{"SSID ist leer"};
    QTest::newRow("4") << kWpa << false << true << "n"
                       << ""
                       << "12345678"
                       << ""
                       << ""
                       << QStringList{
                              QString::fromUtf8("Kanal ist leer und Ad Hoc ist ausgewählt")};
    QTest::newRow("5 and 6") << -1 << true << false << "n"
                             << "161"
                             << ""
                             << ""
                             << ""
                             << QStringList{
                                    QString::fromUtf8("Kanal ist ungültig"),
                                    QString::fromUtf8("Verschlüsselung wurde nicht ausgewählt")};
    QTest::newRow("7") << kWpa2 << true << false << "n"
                       << "6"
                       << ""
                       << ""
                       << ""
                       << QStringList{QString::fromUtf8(
                              "Verschlüsselung aktiv aber kein Schlüssel eingetragen")};
}

void TestInputChecks::formLogInGerman() {
    QFETCH(int, security);
    QFETCH(bool, ap);
    QFETCH(bool, adhoc);
    QFETCH(QString, ssid);
    QFETCH(QString, channel);
    QFETCH(QString, key);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QStringList, log);

    ChecksBench b;
    b.form.language = kGerman;
    b.form.set(security, key, ap, adhoc, ssid, channel);
    b.form.v.m_strUser = user;
    b.form.v.m_strPassword = password;
    QVERIFY(!b.checks.ValidateForm());
    QCOMPARE(b.logEntries(), log);
    QCOMPARE(b.prompts.shown.size(), log.size());
    QCOMPARE(b.prompts.shown.last().text.isEmpty(), false);
    QVERIFY(b.logText().endsWith('\n'));
}

void TestInputChecks::noLogWhileLoggingIsOff() {
    ChecksBench b;
    b.logging = false;
    b.form.set(security::kWpa, QStringLiteral("12345678"), false, false);
    QVERIFY(!b.checks.ValidateForm());
    QCOMPARE(b.prompts.texts(), QStringList({RecordingPrompts::en(2)}));
    QVERIFY(!b.logExists());
}

void TestInputChecks::validChannels_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("valid");
    const QList<int> valid = {1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,
                              14,  36,  40,  44,  48,  52,  56,  60,  64,  100, 104, 108, 112,
                              116, 120, 124, 128, 132, 136, 140, 147, 151, 155, 167};
    for (int c = -2; c <= 170; ++c)
        QTest::addRow("%d", c) << c << valid.contains(c);
    for (int c : {INT_MIN, INT_MAX, 256 + 6, 65536 + 1})
        QTest::addRow("%d", c) << c << false;
}

void TestInputChecks::validChannels() {
    QFETCH(int, channel);
    QFETCH(bool, valid);
    QCOMPARE(InputChecks::IsValidChannel(channel), valid);
}

void TestInputChecks::channelNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("plain") << "149" << 149;
    QTest::newRow("letter after digit") << "6a" << 6;
    QTest::newRow("letter first") << "a6" << 0;
    QTest::newRow("leading blanks") << " \t 12" << 12;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("minus sign") << "-3" << -3;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("blank inside") << "1 2" << 1;
    QTest::newRow("leading zeros") << "006" << 6;
    QTest::newRow("too large saturates") << "99999999999" << INT_MAX;
    QTest::newRow("too small saturates") << "-99999999999" << INT_MIN;
    QTest::newRow("arabic-indic digit is no digit") << QString::fromUtf8("٦") << 0;
}

void TestInputChecks::channelNumber() {
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(InputChecks::ChannelNumber(text), number);
}

QTEST_GUILESS_MAIN(TestInputChecks)
#include "test_input_checks.moc"
