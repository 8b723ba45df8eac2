// Through the form on the simulated adapter: Configure (form values -> the exact commands -> the
// messages -> the log) and Read out (what the adapter holds -> the form -> the log).

#include "form_bench.h"

#include "config/certificate.h"
#include "config/input_checks.h"
#include "config/programmer.h"
#include "config/readout.h"

#include <QTest>

using namespace velinor;
using namespace velinor::fakes;

using Setup = std::function<void(FormBench&)>;
Q_DECLARE_METATYPE(Setup)

namespace {

using Fault = AdapterModel::Fault;

// "WPA2 ap key=x ch=6": the type (or "-"), the access type ("ap", "adhoc" or "none"), then fields.
Entries entriesOf(const QString& text) {
    Entries e;
    const QStringList words = text.split(QLatin1Char(' '));
    e.security = security::indexOf(words[0]);
    e.accessPoint = words[1] == QLatin1String("ap");
    e.adHoc = words[1] == QLatin1String("adhoc");
    for (const QString& w : words.mid(2)) {
        QString* field[] = {&e.ssid, &e.key, &e.channel, &e.user, &e.password, &e.port};
        const QStringList names = {"ssid", "key", "ch", "user", "pw", "port"};
        *field[names.indexOf(w.section(QLatin1Char('='), 0, 0))] = w.section(QLatin1Char('='), 1);
    }
    return e;
}

// "<" stands for the probe and the three preparatory commands, ">" for the last two.
QList<QByteArray> commandsOf(QString text) {
    QList<QByteArray> out;
    text.replace('<', "BDRF?|FD|HIF=4|BDRF=9").replace('>', "BRM=2|DOWN");
    for (const QString& c : text.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        out << "AT+I" + (c == QLatin1String("CA") ? "CA=" + kPem : c.toUtf8()) + "\r";
    return out;
}

Setup fault(const char* command, Fault f) {
    return [=](FormBench& b) { b.model.setFault(command, f); };
}
Setup reply(int number, const QList<AdapterModel::Part>& parts) {
    return [=](FormBench& b) { b.model.setReply(number, parts); };
}
const Setup cert = [](FormBench& b) { b.pickCertificate(); };

const QString kSent = QStringLiteral("<|WLSI=office|WST0=4|WLCH=6|WPP0=passphrase1|>");
const QString kOk = QStringLiteral("Configuration successful");

} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void configure_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("commands");
        QTest::addColumn<QString>("messages"); // catalogue ids, each with its icon letter
        QTest::addColumn<QString>("log");      // the last lines; empty: no log at all
        QTest::addColumn<Setup>("setup");
        int n = 0;
        const auto row = [&n](
                             const QString& form, const QString& commands,
                             const QString& messages = "28n", const QString& log = kOk,
                             const Setup& setup = [](FormBench&) {}) {
            QTest::addRow("%d: %s, %s", ++n, qPrintable(form), qPrintable(messages))
                << form << commands << messages << log << setup;
        };
        // Security and access types; "5n" is the notice on a channel outside the list.
        row("WEP128 ap ch=36 key=0123456789abcdef0123456789",
            "<|WLSI=office|WST0=2|WLCH=36|WKY0=0123456789abcdef0123456789|>");
        row("WPA2-ENTERPRISE ap", "<|WST0=0|CA|EUSN=CORP\\alice|WLSI=office|WST0=6|WLCH=6|>", "28n",
            kOk, cert);
        row("NONE adhoc", "<|WLCH=6|WST0=0|WLSI=!office|>");
        row("WPA2 adhoc ch=149", "<|WLCH=149|WST0=4|WPP0=passphrase1|WLSI=!office|>", "5n 28n");
        row("WPA2 ap ch=20", "<|WLSI=office|WST0=4|WLCH=20|WPP0=passphrase1|>", "5n 28n");
        // The checks, in their order.
        row("WPA2-ENTERPRISE adhoc", "", "34n", "WPA Enterprise and Ad-Hoc selected", cert);
        row("WPA2-ENTERPRISE ap user=", "", "30n", "No Username input", cert);
        row("WPA2-ENTERPRISE ap pw=", "", "32n", "No password input", cert);
        row("WPA-ENTERPRISE ap", "", "35w", "No valid certificate detected");
        row("WPA2 none ssid=", "", "2n", "No Access type selected");
        row("WPA2 ap ssid=", "", "3n", "SSID is empty");
        row("WPA2 adhoc ch=", "", "4n", "Channel is empty and ad hoc is selected");
        row("- ap ch=15", "", "5n 6n", "No encryption selected");
        // The key rules log nothing; their limits count the bytes of the command ("ä" takes two).
        const auto ae = [](int n) { return QString(n, QChar(0xe4)); };
        row("WEP ap key=09AFaf09AF", "<|WLSI=office|WST0=1|WLCH=6|WKY0=09AFaf09AF|>");
        row("WEP ap key=01234G6789", "", "528w", "");
        row("WEP ap key=01234" + ae(1) + "6789", "", "529w", "");
        row("WEP128 ap key=0123456789", "", "530w", "");
        row("WPA ap key=abcd:fghi", "", "527w", "");
        row("WPA2-ENTERPRISE ap key=pass?", "", "527w", "", cert);
        row("NONE ap key=a:b?", "<|WLSI=office|WST0=0|WLCH=6|>");
        row("WPA ap key=abcdefg", "", "531w", "");
        row("WPA ap key=" + ae(4), "<|WLSI=office|WST0=3|WLCH=6|WPP0=" + ae(4) + "|>");
        row("WPA2 ap key=" + ae(31) + "k", "<|WLSI=office|WST0=4|WLCH=6|WPP0=" + ae(31) + "k|>");
        // Regression: a value over the field's limit is refused by the form itself.
        row("WPA2 ap ssid=" + ae(17), "", "", "");
        // Opening the port.
        row("WPA2 ap port=", "", "26w",
            "* Configuration *|Language: English|Port: # no COM port selected #|SSID: office|"
            "Encryption: WPA2|Channel: 6|Key: passphrase1|Access type: Access Point");
        row("WPA2 ap", "BDRF?|BDRF?|BDRF?|BDRF?|BDRF?", "27w",
            "/dev/ttyACM0 : no answer from wireless product", fault("AT+IBDRF", Fault::Silent));
        row("WPA2 ap", "", "27w", "/dev/ttyACM0 : Unknown Error",
            [](FormBench& b) { b.sim.setHeldElsewhere(true); });
        // A vanished port: the adapter is restarted (here not found) before the next try.
        const QString restart =
            "usbrestart error: 2|/dev/ttyACM0 : Restart of the wireless product needed|";
        row("WPA2 ap", kSent, "28n", restart + restart + kOk,
            [](FormBench& b) { b.model.failOpens(2); });
        // A fault after each command: the preparatory ones are only reported.
        const QStringList all = {"BDRF?",       "FD",     "HIF=4",  "BDRF=9",
                                 "WLSI=office", "WST0=4", "WLCH=6", "WPP0=passphrase1",
                                 "BRM=2",       "DOWN"};
        const auto first = [&all](int c) { return all.mid(0, c).join(QLatin1Char('|')); };
        const int failed[] = {0, 17, 18, 19, 8, 9, 11, 21, 20, 12};
        for (int c = 1; c <= 10; ++c)
            row("WPA2 ap", (c == 1 ? "BDRF?|" : "") + (c <= 4 ? all.join('|') : first(c)),
                (c == 1 ? QString() : QStringLiteral("%1n ").arg(failed[c - 1])) +
                    (c <= 4 ? "28n" : ""),
                c <= 4 ? kOk : UiText(failed[c - 1], kEnglish),
                reply(c, {{0, garbageBytes(quint32(c), 32 + 7 * c)}}));
        row("WPA2 adhoc", "<|WLCH=6", "11n", "Error occurred while set channel",
            fault("AT+IWLCH", Fault::Error));
        row("WPA2 ap", first(8), "10n", "Error occurred while set key",
            fault("AT+IWPP0", Fault::Error));
        // A command reads once, for 100 ms from 1200 ms after its write; the key wait polls.
        row("WPA2 ap", kSent, "28n", kOk,
            reply(5, {{0, "AT+IWLSI=office\r\nI/"}, {1300, "OK\r\n"}}));
        row("WPA2 ap", first(5), "8n", "Error occurred while set SSID",
            reply(5, {{0, "AT+IWLSI=office\r\nI/"}, {1301, "OK\r\n"}}));
        // Regression: a status cut in two is still seen during the key wait.
        row("WPA2 ap", kSent, "28n", kOk,
            reply(8, {{2000, "AT+IWPP0=passphrase1\r\nI/"}, {2150, "OK\r\n"}}));
        row("WPA2 ap", first(8), "10n", "Error occurred while set key",
            reply(8, {{2000, "AT+IWPP0=passphrase1\r\nI/ER"}, {2150, "ROR\r\n"}}));
        // Regression: reply bytes beyond one read are thrown away before the next command.
        const QByteArray filler(6000, 'x');
        row("WPA2 ap", kSent, "17n 18n 28n", kOk, [=](FormBench& b) {
            b.model.setReply(2, {{0, "AT+IFD\r\n" + filler + "\r\nI/OK\r\n"}});
            b.model.setFault("AT+IHIF", Fault::Silent);
        });
        row("WPA2 ap", first(8), "21n", "Timeout occurred while set key", [=](FormBench& b) {
            b.model.setReply(7, {{0, "AT+IWLCH=6\r\nI/OK\r\n" + filler + "I/OK\r\n"}});
            b.model.setFault("AT+IWPP0", Fault::Silent);
        });
        // Regression: long values are sent whole (their echo is longer than one read).
        const QString user(11000, u'u');
        row("WPA-ENTERPRISE ap user=" + user, "<|WST0=0|CA|EUSN=CORP\\" + user, "36n",
            "Error while set certificate", cert);
    }
    void configure() {
        QFETCH(QString, form);
        QFETCH(QString, commands);
        QFETCH(QString, messages);
        QFETCH(QString, log);
        QFETCH(Setup, setup);
        FormBench b;
        b.start();
        const Entries entries = entriesOf(form);
        b.enter(entries);
        setup(b);
        b.prompts.shown.clear();

        b.click(CSetupDlg::IDC_CONFIGURE);

        QCOMPARE(b.model.transcript(), commandsOf(commands));
        QStringList texts;
        QString icons = messages.isEmpty() ? QStringLiteral("w") : QString();
        for (const QString& m : messages.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            texts << UiText(m.chopped(1).toInt(), kEnglish) + (m == "27w" ? kPortName : "");
            icons += m.right(1);
        }
        if (messages.isEmpty())
            texts << QString::fromUtf8("Please enter no more than 32 bytes (UTF-8; ä takes two).");
        QCOMPARE(b.prompts.texts(), texts);
        QCOMPARE(b.prompts.icons(), icons);
        const QStringList lines = b.logLines();
        QCOMPARE(lines.mid(lines.size() - log.count('|') - 1).join('|'), log);
        QVERIFY(b.portClosed());
        // The wait cursor and the progress bar are gone; the bar counted each command of a run.
        const QProgressBar& bar = *b.dlg->progressBar();
        QVERIFY(!QApplication::overrideCursor() && bar.isHidden());
        if (commands.startsWith('<') && commands.endsWith('>'))
            QVERIFY(bar.value() == b.model.transcript().size() && bar.maximum() == bar.value());
        // The form keeps what the user typed; a refused key is emptied.
        Entries expected = entries;
        if (icons == "w" && messages.startsWith("5"))
            expected.key.clear();
        QCOMPARE(b.shown().text(), expected.text());
    }

    void readOut_data() {
        QTest::addColumn<QString>("held");  // SSID|security type; the channel is 6
        QTest::addColumn<QString>("shown"); // SSID|security|key|channel|access point|ad hoc
        QTest::addColumn<Setup>("setup");
        const auto row = [](
                             const char* name, const QString& held, const QString& shown,
                             const Setup& setup = [](FormBench&) {}) {
            QTest::newRow(name) << held << shown << setup;
        };
        const auto garbage = [](int n) { return reply(n, {{0, garbageBytes(quint32(n))}}); };
        row("ad hoc", "!lab|1", "lab|1|k|6|0|1");
        // Regression: only a leading "!" marks an ad hoc network.
        row("Hello! is an access point", "Hello!|5", "Hello!|5|k|6|1|0");
        row("UTF-8", "Caf\u00e9|4", "Caf\u00e9|4|k|6|1|0");
        row("only the mark", "!|0", "|0|k|6|0|1");
        row("type out of range", "odd|7", "odd|-1|k|6|1|0");
        // Failed queries leave their failure values; a failed access type leaves the buttons.
        row("garbage for the SSID", "office|4", "|4|k|6|1|0", garbage(2));
        row("garbage for the type", "office|4", "office|-1|k|6|1|0", garbage(3));
        row("garbage for the channel", "office|4", "office|4|k|-1|1|0", garbage(4));
        row("garbage for the access type", "office|4", "office|4|k|6|0|0", garbage(5));
        // Regression: bytes beyond one read are thrown away before the next query.
        row("SSID reply longer than a read", "office|4", "|-1|k|6|1|0", [](FormBench& b) {
            const QByteArray typeReply = "AT+IWST0?\r\n5\r\nI/OK\r\n";
            b.model.setReply(
                2, {{0, "AT+IWLSI?\r\n" + QByteArray(6000, 'x') + "\r\nI/OK\r\n" + typeReply}});
            b.model.setFault("AT+IWST0", Fault::Silent);
        });
    }
    void readOut() {
        QFETCH(QString, held);
        QFETCH(QString, shown);
        QFETCH(Setup, setup);
        FormBench b;
        b.model.setStored("WLSI", held.section('|', 0, 0).toUtf8());
        b.model.setStored("WST0", held.section('|', 1).toUtf8());
        b.model.setStored("WLCH", "6");
        b.start();
        b.enter(entriesOf("WPA none ssid=mine ch=11 key=k"));
        setup(b);

        b.click(CSetupDlg::IDC_READ_OUT);

        // The key field keeps what the user typed; it is usable unless the adapter said NONE.
        QCOMPARE(b.shown().text().section('|', 0, 5), shown);
        QCOMPARE(b.edit(CSetupDlg::IDC_KEY)->isEnabled(), b.shown().security != security::kNone);
        QCOMPARE(b.model.transcript(), commandsOf("BDRF?|WLSI?|WST0?|WLCH?|WLSI?"));
        QVERIFY(b.prompts.shown.isEmpty());
        QVERIFY(b.portClosed());
        // The record says what the form shows.
        const QStringList f = shown.split(QLatin1Char('|'));
        QCOMPARE(b.logLines().join('|'),
                 QStringLiteral("* Read out: *|SSID: %1|Encryption: %2|Channel: %3|Access type: %4")
                     .arg(f[0], security::name(f[1].toInt()), f[3],
                          f[5] == QLatin1String("1") ? "Ad Hoc" : "Access Point"));
    }

    // The replies' parser also says whether the query was answered.
    void parse() {
        bool ok = false;
        QCOMPARE(ReadOut::ParseSsidReply("AT+IWLSI?\r\n!lab\r\nI/OK", &ok), QStringLiteral("lab"));
        QVERIFY(ok);
        QCOMPARE(ReadOut::ParseNumberReply("AT+IWLCH?\r\n6\r\nI/ERROR", &ok), -1);
        QVERIFY(!ok);
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
        for (const QByteArray& bytes : {kPem, QByteArray("no certificate")}) {
            QVERIFY(writeFile(path, bytes));
            QCOMPARE(store.LoadCertificateFile(path), bytes == kPem);
        }
        QCOMPARE(b.form.waitCursor, QStringLiteral("()()"));
        AdapterProgrammer programmer(b.form, b.link, store, b.prompts, b.log);
        QVERIFY(!programmer.ProgramAdapter(nullptr));
        QCOMPARE(b.prompts.texts(), (QStringList{UiText(35, kGerman), UiText(1, kGerman)}));
        QCOMPARE(b.logLines(), QStringList{"Konnte COM Port nicht öffnen"});
    }
};

QTEST_MAIN(TestConfig)
#include "test_configure.moc"
