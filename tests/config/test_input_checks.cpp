#include "config/certificate.h"
#include "config/config_fakes.h"
#include "config/input_checks.h"

#include <QTest>

#include <climits>

using namespace velinor;
using namespace cfgtest;

namespace {

struct ChecksBench : Bench {
    fakes::FakeFilePicker picker;
    CertificateStore certificate{picker, prompts, form};
    InputChecks checks{form, certificate, prompts, log};
};

} // namespace

class TestInputChecks : public QObject {
    Q_OBJECT

private slots:
    void keyRules_data();
    void keyRules();
    void formRules_data();
    void formRules();
    void validChannels();
    void channelNumber_data();
    void channelNumber();
};

void TestInputChecks::keyRules_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("message"); // 0: accepted
    const auto row = [](const char* tag, int security, const QString& key, int message) {
        QTest::newRow(tag) << security << key << message;
    };
    using namespace security;
    row("WEP 10 hex digits", kWep, "0123456789", 0);
    row("WEP with a G", kWep, "01234G6789", 528);
    row("WEP with a non-ASCII letter", kWep, QString::fromUtf8("01234ä6789"), 528);
    row("WEP 5 digits", kWep, "01234", 529);
    row("WEP 5 non-hex: length first", kWep, "GGGGG", 529);
    row("WEP empty", kWep, "", 529);
    row("WEP128 mixed case", kWep128, "0123456789abcdefABCDEF0123", 0);
    row("WEP128 10 digits", kWep128, "0123456789", 530);
    row("WPA 7 characters", kWpa, "abcdefg", 531);
    row("WPA 8 characters", kWpa, "abcdefgh", 0);
    row("WPA 63 characters", kWpa, QString(63, u'x'), 0);
    row("WPA 9 with a colon", kWpa, "abcd:fghi", 527);
    row("WPA2 64 characters", kWpa2, QString(64, u'x'), 531);
    row("WPA-ENTERPRISE empty", kWpaEnterprise, "", 0);
    row("WPA2-ENTERPRISE with ?", kWpa2Enterprise, "pass?", 527);
    row("NONE with any key", kNone, "xyz:?", 0);
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
        // The refused key is emptied in the form and the key field gets the focus.
        QCOMPARE(b.form.controls.m_strKey, QString());
        QCOMPARE(b.form.keyFocused, 1);
    }
    QVERIFY(!b.logExists()); // the key rules log nothing
}

void TestInputChecks::formRules_data() {
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("access"); // "ap", "adhoc" or "" (no radio)
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("user"); // with a password when not empty
    QTest::addColumn<bool>("certificate");
    QTest::addColumn<QList<int>>("messages"); // passes when empty or only the notice 5
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("language");
    const auto row = [](const char* tag, int security, const char* access, const char* ssid,
                        const char* channel, const char* key, const char* user, bool certificate,
                        const QList<int>& messages, const QStringList& log,
                        int language = kEnglish) {
        QTest::newRow(tag) << security << QString(access) << QString(ssid) << QString(channel)
                           << QString(key) << QString(user) << certificate << messages << log
                           << language;
    };
    using namespace security;
    const char* k = "secret12";
    row("enterprise, ad hoc, empty user: 34 first", kWpa2Enterprise, "adhoc", "net", "6", "", "",
        false, {34}, {"WPA Enterprise and Ad-Hoc selected"});
    row("enterprise without user", kWpaEnterprise, "ap", "net", "6", "", "", true, {30},
        {"No Username input"});
    row("enterprise without certificate", kWpaEnterprise, "ap", "net", "6", "", "alice", false,
        {35}, {"No valid certificate detected"});
    row("enterprise with certificate passes", kWpa2Enterprise, "ap", "net", "6", "", "alice", true,
        {}, {});
    row("no radio and empty SSID: 2 first", kWpa, "", "", "6", k, "", false, {2},
        {"No Access type selected"});
    row("empty SSID", kWpa, "ap", "", "6", k, "", false, {3}, {"SSID is empty"});
    row("ad hoc with empty channel", kWpa, "adhoc", "net", "", k, "", false, {4},
        {"Channel is empty and ad hoc is selected"});
    row("access point with empty channel: notice only", kWpa, "ap", "net", "", k, "", false, {5},
        {"Channel is invalid"});
    row("channel 149: notice, goes on", kWpa, "ap", "net", "149", k, "", false, {5},
        {"Channel is invalid"});
    row("channel 147 passes silently", kWpa, "ap", "net", "147", k, "", false, {}, {});
    row("channel 14 passes silently", kWpa, "adhoc", "net", "14", k, "", false, {}, {});
    row("no security type", -1, "ap", "net", "6", k, "", false, {6}, {"No encryption selected"});
    row("WEP without key", kWep, "ap", "net", "6", "", "", false, {7},
        {"Encryption active but no key input"});
    row("German log: invalid channel, then no security type", -1, "ap", "net", "161", "", "", false,
        {5, 6},
        {QString::fromUtf8("Kanal ist ungültig"),
         QString::fromUtf8("Verschlüsselung wurde nicht ausgewählt")},
        kGerman);
}

void TestInputChecks::formRules() {
    QFETCH(int, security);
    QFETCH(QString, access);
    QFETCH(QString, ssid);
    QFETCH(QString, channel);
    QFETCH(QString, key);
    QFETCH(QString, user);
    QFETCH(bool, certificate);
    QFETCH(QList<int>, messages);
    QFETCH(QStringList, log);
    QFETCH(int, language);

    ChecksBench b;
    if (certificate) {
        const QString path = b.logDir.filePath(QStringLiteral("ca.pem"));
        FakeSysfs::write(path, "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n");
        QVERIFY(b.certificate.LoadCertificateFile(path));
    }
    b.form.language = language;
    b.form.set(security, key, access == "ap", access == "adhoc", ssid, channel);
    b.form.v.m_strUser = user;
    b.form.v.m_strPassword = user.isEmpty() ? QString() : QStringLiteral("pw");

    QCOMPARE(b.checks.ValidateForm(), messages.isEmpty() || messages == QList<int>{5});
    QStringList expected;
    for (int id : messages)
        expected << UiText(id, language);
    QCOMPARE(b.prompts.texts(), expected);
    for (const Shown& s : b.prompts.shown)
        QCOMPARE(s.icon, s.text == UiText(35, language) ? PromptIcon::Warning : PromptIcon::None);
    QCOMPARE(b.logEntries(), log);
    QCOMPARE(b.form.updatesIn + b.form.updatesOut, 0); // the form is not touched
}

void TestInputChecks::validChannels() {
    const QList<int> valid = {1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,
                              14,  36,  40,  44,  48,  52,  56,  60,  64,  100, 104, 108, 112,
                              116, 120, 124, 128, 132, 136, 140, 147, 151, 155, 167};
    for (int c = -2; c <= 170; ++c)
        QVERIFY2(InputChecks::IsValidChannel(c) == valid.contains(c), QByteArray::number(c));
    for (int c : {INT_MIN, INT_MAX, 256 + 6, 65536 + 1})
        QVERIFY(!InputChecks::IsValidChannel(c));
}

void TestInputChecks::channelNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letter after digit") << "6a" << 6;
    QTest::newRow("letter first") << "a6" << 0;
    QTest::newRow("leading blanks and sign") << " \t -3" << -3;
    QTest::newRow("too large saturates") << "99999999999" << INT_MAX;
}

void TestInputChecks::channelNumber() {
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(InputChecks::ChannelNumber(text), number);
}

QTEST_GUILESS_MAIN(TestInputChecks)
#include "test_input_checks.moc"
