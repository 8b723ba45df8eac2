// Through the form on the simulated adapter: Configure (form values -> the exact commands -> the
// messages -> the log) and Read out (what the adapter holds -> the form -> the log).

#include "form_bench.h"

#include "config/certificate.h"
#include "config/input_checks.h"
#include "config/programmer.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

using Setup = std::function<void(FormBench&)>;
using Boxes = QList<QPair<QString, PromptIcon>>; // the message boxes shown, in order
Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Entries)

namespace {

using Fault = AdapterModel::Fault;
using Box = QPair<QString, PromptIcon>;
constexpr PromptIcon kWarning = PromptIcon::Warning;

// The commands as sent, each "AT+I" + text + "\r"; "CA" carries the certificate.
QList<QByteArray> sent(const QList<QByteArray>& commands) {
    QList<QByteArray> out;
    for (const QByteArray& c : commands)
        out << "AT+I" + (c == "CA" ? "CA=" + kPem : c) + "\r";
    return out;
}
// A whole run: the probe and the three preparatory commands, these, bridge mode and restart.
QList<QByteArray> run(const QList<QByteArray>& settings) {
    return sent(QList<QByteArray>{"BDRF?", "FD", "HIF=4", "BDRF=9"} + settings +
                QList<QByteArray>{"BRM=2", "DOWN"});
}
// The first n commands of the run of a WPA2 access point with the form's defaults.
QList<QByteArray> firstOf(int n) {
    return run({"WLSI=office", "WST0=4", "WLCH=6", "WPP0=passphrase1"}).mid(0, n);
}

Setup fault(const char* command, Fault f) {
    return [=](FormBench& b) { b.model.setFault(command, f); };
}
Setup reply(int number, const QList<AdapterModel::Part>& parts) {
    return [=](FormBench& b) { b.model.setReply(number, parts); };
}
// Garbage without a status token instead of the reply to the n-th command.
Setup garbage(int n) {
    return reply(n, {{0, garbageBytes(quint32(n), 32 + 7 * n)}});
}
const Setup certificate = [](FormBench& b) { b.pickCertificate(); };
// The user chooses "Deutsch" after typing the values, then the adapter behaves as `then` says.
Setup inGerman(const Setup& then = {}) {
    return [=](FormBench& b) {
        b.choose(CSetupDlg::IDC_LANGUAGE, 0);
        if (then)
            then(b);
    };
}

const QString kOk = QStringLiteral("Configuration successful");
const Box kSaved{"Settings saved on wireless product", PromptIcon::None};
const Box kGermanSaved{"Einstellungen wurden auf dem WLAN-Produkt gespeichert", PromptIcon::None};
Box box(const char* text, PromptIcon icon = PromptIcon::None) {
    return {QString::fromUtf8(text), icon};
}
QString ae(int n) {
    return QString(n, QChar(0xe4));
}

} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void configure_data() {
        QTest::addColumn<Entries>("form");
        QTest::addColumn<QList<QByteArray>>("commands");
        QTest::addColumn<Boxes>("messages");
        QTest::addColumn<QString>("log");     // its last lines joined by "|"; empty: no log at all
        QTest::addColumn<Setup>("setup");     // after the user typed the form
        QTest::addColumn<bool>("keyEmptied"); // else the form keeps what the user typed
        const auto row = [](const char* name, const Entries& form,
                            const QList<QByteArray>& commands, const Boxes& messages = {kSaved},
                            const QString& log = kOk, const Setup& setup = {}) {
            QTest::newRow(name) << form << commands << messages << log << setup << false;
        };
        // A refused key is emptied for a new one; nothing is sent or logged.
        const auto refusedKey = [](const char* name, int type, const QString& key,
                                   const char* text) {
            QTest::newRow(name) << Entries{.key = key, .security = type} << QList<QByteArray>()
                                << Boxes{box(text, kWarning)} << QString() << certificate << true;
        };
        refusedKey("WEP key with a G", security::kWep, "01234G6789",
                   "Values not matching the hex-format found in key");
        refusedKey("WEP key of ten characters but eleven bytes", security::kWep,
                   "01234" + ae(1) + "6789", "A WEP key must have 10 hex-values");
        refusedKey("WEP128 key of ten hex digits", security::kWep128, "0123456789",
                   "A WEP128 key must have 26 hex-values");
        refusedKey("WPA key with a colon", security::kWpa, "abcd:fghi",
                   "One or more invalid characters (:?) found in key");
        refusedKey("enterprise key with a question mark", security::kWpa2Enterprise, "pass?",
                   "One or more invalid characters (:?) found in key");
        refusedKey("WPA key of seven characters", security::kWpa, "abcdefg",
                   "A WPA key must have 8-63 characters");
        // Security and access types; the record leaves out user, domain and password.
        row("WEP128 access point on channel 36",
            {.key = "0123456789abcdefABCDEF0123", .channel = "36", .security = security::kWep128},
            run({"WLSI=office", "WST0=2", "WLCH=36", "WKY0=0123456789abcdefABCDEF0123"}));
        row("open ad hoc network: SSID marked with !, the key's characters ignored",
            {.key = "a:b?", .security = security::kNone, .accessPoint = false, .adHoc = true},
            run({"WLCH=6", "WST0=0", "WLSI=!office"}));
        row("WPA2 ad hoc on channel 149: notice, then configured",
            {.channel = "149", .accessPoint = false, .adHoc = true},
            run({"WLCH=149", "WST0=4", "WPP0=passphrase1", "WLSI=!office"}),
            {box("Channel invalid"), kSaved});
        row("English record of WPA2-ENTERPRISE, no password in it",
            {.security = security::kWpa2Enterprise},
            run({"WST0=0", "CA", "EUSN=CORP\\alice", "WLSI=office", "WST0=6", "WLCH=6"}), {kSaved},
            "* Configuration *|Language: English|Port: /dev/ttyACM0|SSID: office|"
            "Encryption: WPA2-ENTERPRISE|Channel: 6|Key: passphrase1|Access type: Access Point|" +
                kOk,
            certificate);
        row("WPA key of four ä is eight bytes", {.key = ae(4), .security = security::kWpa},
            run({"WLSI=office", "WST0=3", "WLCH=6", "WPP0=" + ae(4).toUtf8()}));
        row("WPA2 key of 63 bytes", {.key = ae(31) + "k"},
            run({"WLSI=office", "WST0=4", "WLCH=6", "WPP0=" + ae(31).toUtf8() + "k"}));
        // The checks, in their order; each refusal is logged after the record.
        row("enterprise with ad hoc refused",
            {.security = security::kWpa2Enterprise, .accessPoint = false, .adHoc = true}, {},
            {box("WPA Enterprise does not work with ad-hoc")}, "WPA Enterprise and Ad-Hoc selected",
            certificate);
        row("enterprise without user name refused",
            {.user = "", .security = security::kWpa2Enterprise}, {}, {box("Username is empty")},
            "No Username input", certificate);
        row("enterprise without password refused",
            {.password = "", .security = security::kWpa2Enterprise}, {}, {box("Password is empty")},
            "No password input", certificate);
        row("enterprise without certificate refused", {.security = security::kWpaEnterprise}, {},
            {box("No valid certificate detected", kWarning)}, "No valid certificate detected");
        row("no access type refused", {.accessPoint = false}, {},
            {box("Choose Access Point/AdHoc")}, "No Access type selected");
        row("empty SSID refused", {.ssid = ""}, {}, {box("Enter SSID")}, "SSID is empty");
        row("ad hoc without channel refused", {.channel = "", .accessPoint = false, .adHoc = true},
            {}, {box("Enter channel")}, "Channel is empty and ad hoc is selected");
        row("no security type refused after the channel notice", {.channel = "15", .security = -1},
            {}, {box("Channel invalid"), box("Enter encryption")}, "No encryption selected");
        // Regression: a value over the field's limit is refused by the form itself.
        row("SSID of 34 bytes refused by the form", {.ssid = ae(17)}, {},
            {box("Please enter no more than 32 bytes (UTF-8; ä takes two).", kWarning)}, "");
        // Opening the port; each failure is logged in the form's language.
        row("no port: English record with its placeholder", {.port = ""}, {},
            {box("Select a COM port", kWarning)},
            "* Configuration *|Language: English|Port: # no COM port selected #|SSID: office|"
            "Encryption: WPA2|Channel: 6|Key: passphrase1|Access type: Access Point");
        row("no port: German record with its placeholders",
            {.key = "", .port = "", .security = security::kNone}, {},
            {box("COM Port auswählen", kWarning)},
            "* Konfigurieren *|Sprache: Deutsch|Schnittstelle: # kein COM Port ausgewählt #|"
            "SSID: office|Verschlüsselung: NONE|Kanal: 6|"
            "Schlüssel: # kein Schlüssel eingetragen #|Zugriffsverfahren: Access Point",
            inGerman());
        const Setup silent = fault("AT+IBDRF", Fault::Silent);
        const Setup held = [](FormBench& b) { b.sim.setHeldElsewhere(true); };
        const auto openFailed = [](const char* text) { return Boxes{box(text, kWarning)}; };
        const QList<QByteArray> fiveProbes = sent({"BDRF?", "BDRF?", "BDRF?", "BDRF?", "BDRF?"});
        row("silent adapter: five probes", {}, fiveProbes,
            openFailed("Error occured on /dev/ttyACM0"),
            "/dev/ttyACM0 : no answer from wireless product", silent);
        row("silent adapter, German", {}, fiveProbes,
            openFailed("Fehler beim Öffnen von /dev/ttyACM0"),
            "/dev/ttyACM0 : WLAN-Produkt antwortet nicht", inGerman(silent));
        row("port held elsewhere", {}, {}, openFailed("Error occured on /dev/ttyACM0"),
            "/dev/ttyACM0 : Unknown Error", held);
        // A vanished port: the adapter is restarted (here not found) before the next try.
        row("vanished port: restart before each of two more tries", {}, firstOf(10), {kSaved},
            "usbrestart error: 2|/dev/ttyACM0 : Restart of the wireless product needed|"
            "usbrestart error: 2|/dev/ttyACM0 : Restart of the wireless product needed|" +
                kOk,
            [](FormBench& b) { b.model.failOpens(2); });
        row("vanished port, German", {}, firstOf(10), {kGermanSaved},
            "usbrestart error: 2|/dev/ttyACM0 : Neustart des WLAN-Produkts erforderlich|"
            "Konfiguration erfolgreich",
            inGerman([](FormBench& b) { b.model.failOpens(1); }));
        // Garbage instead of one reply: the probe is sent again, a preparatory command is only
        // reported, any other stops the run (more such failures in the rows below).
        row("garbage for the probe: probed again", {}, sent({"BDRF?"}) + firstOf(10), {kSaved}, kOk,
            reply(1, {{0, garbageBytes(1, 39)}}));
        row("garbage for the baud rate: reported", {}, firstOf(10),
            {box("Error occured while set baudrate"), kSaved}, kOk, garbage(4));
        const struct {
            const char* name;
            int command; // its place in the run, from 1
            const char* text;
        } stopping[] = {
            {"garbage for the security type: stopped", 6, "Error occurred while set encryption"},
            {"garbage for the channel: stopped", 7, "Error occurred while set channel"},
            {"garbage for bridge mode: stopped", 9, "Error occurred while set bridgemode"},
            {"garbage for the restart: stopped", 10, "Error occurred while software reset"},
        };
        for (const auto& g : stopping)
            row(g.name, {}, firstOf(g.command), {box(g.text)}, g.text, garbage(g.command));
        // I/ERROR stops the ad hoc run at that command.
        const auto adHocRun = run({"WLCH=6", "WST0=4", "WPP0=passphrase1", "WLSI=!office"});
        const struct {
            const char* name;
            const char* command;
            const char* text;
        } adHocErrors[] = {
            {"I/ERROR for the ad hoc channel", "AT+IWLCH", "Error occurred while set channel"},
            {"I/ERROR for the ad hoc type", "AT+IWST0", "Error occurred while set encryption"},
            {"I/ERROR for the ad hoc key", "AT+IWPP0", "Error occurred while set key"},
            {"I/ERROR for the ad hoc SSID", "AT+IWLSI", "Error occurred while set SSID"},
        };
        for (int i = 0; i < 4; ++i)
            row(adHocErrors[i].name, {.accessPoint = false, .adHoc = true}, adHocRun.mid(0, 5 + i),
                {box(adHocErrors[i].text)}, adHocErrors[i].text,
                fault(adHocErrors[i].command, Fault::Error));
        row("adapter unplugged after the SSID: its type fails to go out", {}, firstOf(5),
            {box("Error occurred while set encryption")}, "Error occurred while set encryption",
            [](FormBench& b) { b.model.vanishAfter(5); });
        row("port left open by an earlier command: closed and opened again", {}, firstOf(10),
            {kSaved}, kOk, [](FormBench& b) { b.sim.open(kPortName); });
        // A command reads once, for 100 ms from 1200 ms after its write; the key wait polls.
        row("status at 1300 ms, the read's last moment: configured", {}, firstOf(10), {kSaved}, kOk,
            reply(5, {{0, "AT+IWLSI=office\r\nI/"}, {1300, "OK\r\n"}}));
        row("status at 1301 ms, after the read: stopped", {}, firstOf(5),
            {box("Error occurred while set SSID")}, "Error occurred while set SSID",
            reply(5, {{0, "AT+IWLSI=office\r\nI/"}, {1301, "OK\r\n"}}));
        // Regression: a status cut in two is still seen during the key wait.
        row("key's I/OK cut in two: configured", {}, firstOf(10), {kSaved}, kOk,
            reply(8, {{2000, "AT+IWPP0=passphrase1\r\nI/"}, {2150, "OK\r\n"}}));
        row("key's I/ERROR cut after I/ERRO: stopped", {}, firstOf(8),
            {box("Error occurred while set key")}, "Error occurred while set key",
            reply(8, {{2000, "AT+IWPP0=passphrase1\r\nI/ERRO"}, {2150, "R\r\n"}}));
        // The key's answer is read 300 times, each time a pause of 100 ms and a read of 100 ms.
        row("key's I/OK at the last read's end: configured", {}, firstOf(10), {kSaved}, kOk,
            reply(8, {{60200, "AT+IWPP0=passphrase1\r\nI/OK\r\n"}}));
        row("key's I/OK after the last read: time-out", {}, firstOf(8),
            {box("Timeout occurred while set key")}, "Timeout occurred while set key",
            reply(8, {{60201, "AT+IWPP0=passphrase1\r\nI/OK\r\n"}}));
        // Regression: reply bytes beyond one read are thrown away before the next command.
        const QByteArray filler(6000, 'x');
        row("long reply to the reset not taken for the USB host's", {}, firstOf(10),
            {box("Error occured while software-reset"), box("Error occured while set host (USB)"),
             kSaved},
            kOk, [=](FormBench& b) {
                b.model.setReply(2, {{0, "AT+IFD\r\n" + filler + "\r\nI/OK\r\n"}});
                b.model.setFault("AT+IHIF", Fault::Silent);
            });
        row("long reply to the channel not taken for the key's", {}, firstOf(8),
            {box("Timeout occurred while set key")}, "Timeout occurred while set key",
            [=](FormBench& b) {
                b.model.setReply(7, {{0, "AT+IWLCH=6\r\nI/OK\r\n" + filler + "I/OK\r\n"}});
                b.model.setFault("AT+IWPP0", Fault::Silent);
            });
        // Regression: long values are sent whole (their echo is longer than one read).
        const QString user(11000, u'u');
        row("user name of 11000 characters sent whole",
            {.user = user, .security = security::kWpaEnterprise},
            firstOf(4) + sent({"WST0=0", "CA", "EUSN=CORP\\" + user.toUtf8()}),
            {box("Error while set certificate")}, "Error while set certificate", certificate);
    }
    void configure() {
        QFETCH(Entries, form);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(Boxes, messages);
        QFETCH(QString, log);
        QFETCH(Setup, setup);
        FormBench b;
        b.start();
        b.enter(form);
        if (setup)
            setup(b);
        b.prompts.shown.clear();

        b.click(CSetupDlg::IDC_CONFIGURE);

        QCOMPARE(b.model.transcript(), commands);
        QCOMPARE(b.prompts.shown, messages);
        const QStringList lines = b.logLines();
        QCOMPARE(lines.mid(log.isEmpty() ? 0 : lines.size() - log.count('|') - 1).join('|'), log);
        QVERIFY(b.portClosed());
        // The wait cursor and the progress bar are gone; after a run the bar had counted each
        // of its commands, the probe once.
        const QProgressBar& bar = *b.dlg->progressBar();
        QVERIFY(!QApplication::overrideCursor() && bar.isHidden());
        QCOMPARE(bar.accessibleName(), // what it counted
                 b.dlg->GetLanguage() == kEnglish ? "Configure" : "Konfigurieren");
        if (messages.endsWith(kSaved) || messages.endsWith(kGermanSaved))
            QVERIFY(bar.value() == commands.size() - commands.count("AT+IBDRF?\r") + 1 &&
                    bar.maximum() == bar.value() && bar.minimum() == 0);
        QFETCH(bool, keyEmptied); // and the focus in the key field, where it is enabled
        Entries shown = form;
        if (keyEmptied)
            shown.key.clear();
        QCOMPARE(b.shown().text(), shown.text());
        QLineEdit* key = b.edit(CSetupDlg::IDC_KEY);
        QCOMPARE(b.dlg->focusWidget() == key, keyEmptied && key->isEnabled());
    }

    void readOut_data() {
        QTest::addColumn<QByteArray>("ssid"); // what the adapter holds; its channel is 6
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<Entries>("shown");  // the form afterwards
        QTest::addColumn<QString>("record"); // the log joined by "|"
        QTest::addColumn<Setup>("setup");
        const auto row = [](const char* name, const QByteArray& ssid, const QByteArray& type,
                            const Entries& shown, const QString& record, const Setup& setup = {}) {
            QTest::newRow(name) << ssid << type << shown << record << setup;
        };
        row("German record of an ad hoc network", "!lab", "1",
            {.ssid = "lab", .security = security::kWep, .accessPoint = false, .adHoc = true},
            "* Auslesen: *|SSID: lab|Verschlüsselung: WEP|Kanal: 6|Zugriffsverfahren: Ad Hoc",
            inGerman());
        // Regression: only a leading "!" marks an ad hoc network.
        row("Hello! is an access point", "Hello!", "5",
            {.ssid = "Hello!", .security = security::kWpaEnterprise},
            "* Read out: *|SSID: Hello!|Encryption: WPA-ENTERPRISE|Channel: 6|"
            "Access type: Access Point");
        row("UTF-8 SSID", "Caf\xc3\xa9", "4", {.ssid = "Caf\u00e9"},
            "* Read out: *|SSID: Caf\u00e9|Encryption: WPA2|Channel: 6|Access type: Access Point");
        row("only the ad hoc mark: empty SSID", "!", "0",
            {.ssid = "", .security = security::kNone, .accessPoint = false, .adHoc = true},
            "* Read out: *|SSID: |Encryption: NONE|Channel: 6|Access type: Ad Hoc");
        row("type out of range: none selected", "odd", "7", {.ssid = "odd", .security = -1},
            "* Read out: *|SSID: odd|Encryption: |Channel: 6|Access type: Access Point");
        // Failed queries leave their failure values; a failed access type leaves the buttons.
        row("garbage for the SSID: empty", "office", "4", {.ssid = ""},
            "* Read out: *|SSID: |Encryption: WPA2|Channel: 6|Access type: Access Point",
            garbage(2));
        row("garbage for the type: none selected", "office", "4", {.security = -1},
            "* Read out: *|SSID: office|Encryption: |Channel: 6|Access type: Access Point",
            garbage(3));
        row("garbage for the channel: -1", "office", "4", {.channel = "-1"},
            "* Read out: *|SSID: office|Encryption: WPA2|Channel: -1|Access type: Access Point",
            garbage(4));
        row("garbage for the access type: buttons as typed, recorded as access point", "office",
            "4", {.accessPoint = false},
            "* Read out: *|SSID: office|Encryption: WPA2|Channel: 6|Access type: Access Point",
            garbage(5));
        // Regression: bytes beyond one read are thrown away before the next query.
        row("SSID reply longer than a read: not taken for the type's", "office", "4",
            {.ssid = "", .security = -1},
            "* Read out: *|SSID: |Encryption: |Channel: 6|Access type: Access Point",
            [](FormBench& b) {
                b.model.setReply(2, {{0, "AT+IWLSI?\r\n" + QByteArray(6000, 'x') +
                                             "\r\nI/OK\r\nAT+IWST0?\r\n5\r\nI/OK\r\n"}});
                b.model.setFault("AT+IWST0", Fault::Silent);
            });
    }
    void readOut() {
        QFETCH(QByteArray, ssid);
        QFETCH(QByteArray, type);
        QFETCH(Entries, shown);
        QFETCH(Setup, setup);
        FormBench b;
        b.model.setStored("WLSI", ssid);
        b.model.setStored("WST0", type);
        b.model.setStored("WLCH", "6");
        b.start();
        b.enter(
            {.ssid = "mine", .channel = "11", .security = security::kWpa, .accessPoint = false});
        if (setup)
            setup(b);

        b.click(CSetupDlg::IDC_READ_OUT);

        // The key field keeps what the user typed; it is usable unless the adapter said NONE.
        QCOMPARE(b.shown().text(), shown.text());
        QCOMPARE(b.edit(CSetupDlg::IDC_KEY)->isEnabled(), shown.security != security::kNone);
        QCOMPARE(b.model.transcript(), sent({"BDRF?", "WLSI?", "WST0?", "WLCH?", "WLSI?"}));
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(b.portClosed());
        QTEST(b.logLines().join('|'), "record");
    }

    void validChannels() {
        QStringList valid;
        for (int c = -2; c <= 170; ++c)
            if (InputChecks::IsValidChannel(c))
                valid << QString::number(c);
        QCOMPARE(valid.join(' '),
                 "1 2 3 4 5 6 7 8 9 10 11 12 13 14 36 40 44 48 52 56 60 64 100 104 "
                 "108 112 116 120 124 128 132 136 140 147 151 155 167");
    }

    // Regression: the wait cursor shows while the certificate file is read. Without an open
    // port the programmer sends nothing; the message and the log say so.
    void certificateAndProgrammerAlone() {
        AdapterBench b;
        b.form.language = kGerman;
        FakeFilePicker picker;
        CertificateStore store(picker, b.prompts, b.form);
        const QString path = b.dir.filePath(QStringLiteral("ca.pem"));
        // Regression: the text ends at its first zero byte, also at the very first.
        for (const QByteArray& bytes : {kPem, QByteArray("no certificate"), '\0' + kPem}) {
            QVERIFY(writeFile(path, bytes));
            QCOMPARE(store.LoadCertificateFile(path), bytes == kPem);
        }
        QCOMPARE(b.form.waitCursor, QStringLiteral("()()()"));
        AdapterProgrammer programmer(b.form, b.link, store, b.prompts, b.log);
        QVERIFY(!programmer.ProgramAdapter(nullptr));
        const QString noCertificate = "Es wurde kein gültiges Zertifikat ausgewählt";
        QCOMPARE(b.prompts.texts(),
                 (QStringList{noCertificate, noCertificate, "Fehler COM-Port-Handle!"}));
        QCOMPARE(b.logLines(), QStringList{"Konnte COM Port nicht öffnen"});
    }
};

QTEST_MAIN(TestConfig)
#include "test_configure.moc"
