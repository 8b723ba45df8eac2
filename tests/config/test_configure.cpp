// Configure through the form on the simulated adapter: form values -> the exact
// commands -> the messages -> the log. The security types with both access types,
// the refusals of the checks, the port's failures and a fault after each command.

#include "config/certificate.h"
#include "form_bench.h"

#include "config/certificate.h"
#include "config/input_checks.h"
#include "config/programmer.h"
#include "log/records.h"

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
    e.key = e.security == security::kWep      ? QStringLiteral("0123456789")
            : e.security == security::kWep128 ? QStringLiteral("0123456789abcdef0123456789")
            : e.security == security::kWpa || e.security == security::kWpa2 ? e.key
                                                                            : QString();
    for (const QString& w : words.mid(2)) {
        const QString value = w.section(QLatin1Char('='), 1);
        QString* field[] = {&e.ssid, &e.key, &e.channel, &e.user, &e.password, &e.port};
        const QStringList names = {"ssid", "key", "ch", "user", "pw", "port"};
        *field[names.indexOf(w.section(QLatin1Char('='), 0, 0))] = value;
    }
    return e;
}

// "<" stands for the probe and the three preparatory commands, ">" for the last two.
QList<QByteArray> commandsOf(const QString& text) {
    QList<QByteArray> out;
    for (const QString& c : text.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        if (c == QLatin1String("<"))
            out << "AT+IBDRF?\r"
                << "AT+IFD\r"
                << "AT+IHIF=4\r"
                << "AT+IBDRF=9\r";
        else if (c == QLatin1String(">"))
            out << "AT+IBRM=2\r"
                << "AT+IDOWN\r";
        else
            out << "AT+I" + (c == QLatin1String("CA") ? "CA=" + kPem : c.toUtf8()) + "\r";
    return out;
}

Setup fault(const char* command, Fault f) {
    return [=](FormBench& b) { b.model.setFault(command, f); };
}
Setup reply(int number, const QList<QByteArray>& parts, const QList<int>& after) {
    return [=](FormBench& b) { b.port.replaceReply(number, parts, after); };
}
const Setup cert = [](FormBench& b) { b.pickCertificate(); };

const QString kSent = QStringLiteral("<|WLSI=office|WST0=4|WLCH=6|WPP0=passphrase1|>");
const QString kOk = QStringLiteral("Configuration successful");

} // namespace

class TestConfigure : public QObject {
    Q_OBJECT
private slots:
    void configure_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("commands");
        QTest::addColumn<QString>("messages"); // catalogue ids, each with its icon letter
        QTest::addColumn<QString>("log");      // the last entry; empty: no log at all
        int n = 0;
        const auto row = [&n](const QString& form, const Setup& setup, const QString& commands,
                              const QString& messages, const QString& log) {
            QTest::addRow("%d: %s, %s", ++n, qPrintable(form), qPrintable(messages))
                << form << setup << commands << messages << log;
        };
        const Setup none;
        // Every security type with both access types.
        row("NONE ap", none, "<|WLSI=office|WST0=0|WLCH=6|>", "28n", kOk);
        row("WEP ap", none, "<|WLSI=office|WST0=1|WLCH=6|WKY0=0123456789|>", "28n", kOk);
        row("WEP128 ap ch=1", none, "<|WLSI=office|WST0=2|WLCH=1|WKY0=0123456789abcdef0123456789|>",
            "28n", kOk);
        row("WPA ap ch=36", none, "<|WLSI=office|WST0=3|WLCH=36|WPP0=passphrase1|>", "28n", kOk);
        row("WPA2 ap", none, kSent, "28n", kOk);
        row("WPA-ENTERPRISE ap", cert, "<|WST0=0|CA|EUSN=CORP\\alice|WLSI=office|WST0=5|WLCH=6|>",
            "28n", kOk);
        row("WPA2-ENTERPRISE ap", cert, "<|WST0=0|CA|EUSN=CORP\\alice|WLSI=office|WST0=6|WLCH=6|>",
            "28n", kOk);
        row("NONE adhoc", none, "<|WLCH=6|WST0=0|WLSI=!office|>", "28n", kOk);
        row("WEP adhoc", none, "<|WLCH=6|WST0=1|WKY0=0123456789|WLSI=!office|>", "28n", kOk);
        row("WEP128 adhoc", none, "<|WLCH=6|WST0=2|WKY0=0123456789abcdef0123456789|WLSI=!office|>",
            "28n", kOk);
        row("WPA adhoc", none, "<|WLCH=6|WST0=3|WPP0=passphrase1|WLSI=!office|>", "28n", kOk);
        row("WPA2 adhoc ch=149", none, "<|WLCH=149|WST0=4|WPP0=passphrase1|WLSI=!office|>",
            "5n 28n", kOk);
        row("WPA-ENTERPRISE adhoc", cert, "", "34n", "WPA Enterprise and Ad-Hoc selected");
        row("WPA2-ENTERPRISE adhoc", cert, "", "34n", "WPA Enterprise and Ad-Hoc selected");
        // The rest of the checks, in their order.
        row("WPA2-ENTERPRISE ap user=", cert, "", "30n", "No Username input");
        row("WPA2-ENTERPRISE ap pw=", cert, "", "32n", "No password input");
        row("WPA-ENTERPRISE ap", none, "", "35w", "No valid certificate detected");
        row("WPA-ENTERPRISE ap user=CORP\\bob", cert,
            "<|WST0=0|CA|EUSN=CORP\\CORP\\bob|WLSI=office|WST0=5|WLCH=6|>", "28n", kOk);
        row("WEP ap key=09AFaf09AF", none, "<|WLSI=office|WST0=1|WLCH=6|WKY0=09AFaf09AF|>", "28n",
            kOk);
        row("WEP ap key=01234G6789", none, "", "528w", ""); // the key rules log nothing
        row("WEP ap key=012345678", none, "", "529w", "");
        row("WEP ap key=GGGGG", none, "", "529w", "");
        row("WEP128 ap key=0123456789", none, "", "530w", "");
        row("WPA ap key=abcd:fghi", none, "", "527w", "");
        row("WPA2-ENTERPRISE ap key=pass?", cert, "", "527w", "");
        row("WPA ap key=abcdefg", none, "", "531w", "");
        row("WPA2 ap key=" + QString(63, u'k'), none,
            "<|WLSI=office|WST0=4|WLCH=6|WPP0=" + QString(63, u'k') + "|>", "28n", kOk);
        row("WPA ap key=abcdefgh", none, "<|WLSI=office|WST0=3|WLCH=6|WPP0=abcdefgh|>", "28n", kOk);
        row("NONE ap key=a:b?", none, "<|WLSI=office|WST0=0|WLCH=6|>", "28n", kOk);
        row("WPA2 none ssid=", none, "", "2n", "No Access type selected");
        row("WPA2 ap ssid=", none, "", "3n", "SSID is empty");
        row("WPA2 adhoc ch=", none, "", "4n", "Channel is empty and ad hoc is selected");
        row("WPA2 ap ch=", none, "<|WLSI=office|WST0=4|WLCH=|WPP0=passphrase1|>", "5n 28n", kOk);
        row("WPA2 ap ch=167", none, "<|WLSI=office|WST0=4|WLCH=167|WPP0=passphrase1|>", "28n", kOk);
        row("WPA2 adhoc ch=14", none, "<|WLCH=14|WST0=4|WPP0=passphrase1|WLSI=!office|>", "28n",
            kOk);
        row("WPA2 ap ch=20", none, "<|WLSI=office|WST0=4|WLCH=20|WPP0=passphrase1|>", "5n 28n",
            kOk);
        row("- ap ch=15", none, "", "5n 6n", "No encryption selected");
        row("WEP ap key=", none, "", "529w", "");
        row("WPA2 ap ssid=" + QString(33, u's'), none, "", "", "");
        // The limits count the bytes of the command: "ä" takes two.
        const auto ae = [](int n) { return QString(n, QChar(0xe4)); };
        row("WEP ap key=01234" + ae(1) + "678", none, "", "528w", "");
        row("WEP ap key=01234" + ae(1) + "6789", none, "", "529w", "");
        row("WPA ap key=" + ae(4), none, "<|WLSI=office|WST0=3|WLCH=6|WPP0=" + ae(4) + "|>", "28n",
            kOk);
        row("WPA ap key=" + ae(3) + "k", none, "", "531w", "");
        row("WPA2 ap key=" + ae(31) + "k", none,
            "<|WLSI=office|WST0=4|WLCH=6|WPP0=" + ae(31) + "k|>", "28n", kOk);
        row("WPA2 ap key=" + ae(32), none, "", "", "");
        row("WPA2 ap ssid=" + ae(16), none,
            "<|WLSI=" + ae(16) + "|WST0=4|WLCH=6|WPP0=passphrase1|>", "28n", kOk);
        row("WPA2 ap ssid=" + ae(17), none, "", "", "");
        // Opening the port.
        row("WPA2 ap port=", none, "", "26w", "Access type: Access Point");
        row("WPA2 ap", fault("AT+IBDRF", Fault::Silent), "BDRF?|BDRF?|BDRF?|BDRF?|BDRF?", "27w",
            "/dev/ttyACM0 : no answer from wireless product");
        row(
            "WPA2 ap", [](FormBench& b) { b.sim.setHeldElsewhere(true); }, "", "27w",
            "/dev/ttyACM0 : Unknown Error");
        row(
            "WPA2 ap", [](FormBench& b) { b.model.failOpens(2); }, kSent, "28n", kOk);
        // A fault after each command: the preparatory ones are only reported.
        const QStringList sent = kSent.mid(2, kSent.size() - 4).split(QLatin1Char('|'));
        const QStringList all =
            QStringList{"BDRF?", "FD", "HIF=4", "BDRF=9"} + sent + QStringList{"BRM=2", "DOWN"};
        const int failed[] = {0, 17, 18, 19, 8, 9, 11, 21, 20, 12};
        for (int c = 1; c <= 10; ++c)
            row("WPA2 ap", reply(c, {garbageBytes(quint32(c), 32 + 7 * c)}, {0}),
                (c == 1 ? "BDRF?|" : "") + (c <= 4 ? all : all.mid(0, c)).join(QLatin1Char('|')),
                (c == 1 ? QString() : QStringLiteral("%1n ").arg(failed[c - 1])) +
                    (c <= 4 ? "28n" : ""),
                c <= 4 ? kOk : UiText(failed[c - 1], kEnglish));
        row("WPA2 adhoc", fault("AT+IWLCH", Fault::Error), "<|WLCH=6", "11n",
            "Error occurred while set channel");
        row("WPA2 ap", fault("AT+IWPP0", Fault::Error), all.mid(0, 8).join(QLatin1Char('|')), "10n",
            "Error occurred while set key");
        row(
            "WPA2 ap", [](FormBench& b) { b.model.vanishAfter(3); }, "BDRF?|FD|HIF=4", "19n 8n",
            "Error occurred while set SSID");
        row(
            "WPA2 ap", [](FormBench& b) { b.model.vanishAfter(6); }, all.mid(0, 6).join('|'), "11n",
            "Error occurred while set channel");
        // A status cut in two: a command reads once, 1200 ms after its write; the key wait polls.
        row("WPA2 ap", reply(5, {"AT+IWLSI=office\r\nI/", "OK\r\n"}, {0, 1250}), kSent, "28n", kOk);
        row("WPA2 ap", reply(5, {"AT+IWLSI=office\r\nI/", "OK\r\n"}, {0, 1500}),
            all.mid(0, 5).join('|'), "8n", "Error occurred while set SSID");
        row("WPA2 ap", reply(8, {"AT+IWPP0=passphrase1\r\nI/", "OK\r\n"}, {2000, 2150}), kSent,
            "28n", kOk);
        row("WPA2 ap", reply(8, {"AT+IWPP0=passphrase1\r\nI/ER", "ROR\r\n"}, {2000, 2150}),
            all.mid(0, 8).join('|'), "10n", "Error occurred while set key");
        // Reply bytes beyond one read are thrown away before the next command.
        const QByteArray filler(6000, 'x');
        row(
            "WPA2 ap",
            [=](FormBench& b) {
                b.port.replaceReply(2, {"AT+IFD\r\n" + filler + "\r\nI/OK\r\n"}, {0});
                b.model.setFault("AT+IHIF", Fault::Silent);
            },
            kSent, "17n 18n 28n", kOk);
        row(
            "WPA2 ap",
            [=](FormBench& b) {
                b.port.replaceReply(7, {"AT+IWLCH=6\r\nI/OK\r\n" + filler + "I/OK\r\n"}, {0});
                b.model.setFault("AT+IWPP0", Fault::Silent);
            },
            all.mid(0, 8).join('|'), "21n", "Timeout occurred while set key");
        row("WPA2 ap", reply(8, {"AT+IWPP0=passphrase1\r\n" + filler + "\r\nI/OK\r\n"}, {0}), kSent,
            "28n", kOk);
        // Long values are sent whole (their echo is longer than one read).
        const QString user(11000, u'u');
        row("WPA-ENTERPRISE ap user=" + user, cert, "<|WST0=0|CA|EUSN=CORP\\" + user, "36n",
            "Error while set certificate");
    }
    void configure() {
        QFETCH(QString, form);
        QFETCH(Setup, setup);
        QFETCH(QString, commands);
        QFETCH(QString, messages);
        QFETCH(QString, log);
        FormBench b;
        b.start();
        const Entries entries = entriesOf(form);
        b.enter(entries);
        if (setup)
            setup(b);
        b.prompts.shown.clear();

        b.click(CSetupDlg::IDC_CONFIGURE);

        QCOMPARE(b.model.transcript(), commandsOf(commands));
        QStringList texts;
        QString icons;
        for (const QString& m : messages.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            texts << UiText(m.chopped(1).toInt(), kEnglish) + (m == "27w" ? kPortName : "");
            icons += m.right(1);
        }
        if (messages.isEmpty()) // over its limit: the form says so itself
            texts << QString::fromUtf8("Please enter no more than %1 bytes (UTF-8; ä takes two).")
                         .arg(form.contains(QLatin1String("key=")) ? 63 : 32);
        QCOMPARE(b.prompts.texts(), texts);
        QCOMPARE(b.prompts.icons(), messages.isEmpty() ? QStringLiteral("w") : icons);
        QCOMPARE(b.logLines().value(b.logLines().size() - 1), log);
        QVERIFY(b.portClosed());
        // The wait cursor and the progress bar are gone; the bar counted each command of a whole
        // run.
        QVERIFY(!QApplication::overrideCursor() && b.dlg->progressBar()->isHidden());
        if (commands.startsWith('<') && commands.endsWith('>')) {
            QCOMPARE(b.dlg->progressBar()->maximum(), b.model.transcript().size());
            QCOMPARE(b.dlg->progressBar()->value(), b.model.transcript().size());
        }
        QCOMPARE(b.model.restarts(), commands.endsWith(">") || commands.endsWith("DOWN") ? 1 : 0);
        if (log == kOk)
            QCOMPARE(b.model.running("WLSI"), (entries.adHoc ? "!" : "") + entries.ssid.toUtf8());
        // The form keeps what the user typed; a refused key is emptied.
        Entries expected = entries;
        if (icons == "w" && messages.startsWith("5"))
            expected.key.clear();
        QCOMPARE(b.shown().text(), expected.text());
    }

    void validChannels() {
        QList<int> valid;
        for (int c = -2; c <= 170; ++c)
            if (InputChecks::IsValidChannel(c))
                valid << c;
        QCOMPARE(valid, (QList<int>{1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,
                                    14,  36,  40,  44,  48,  52,  56,  60,  64,  100, 104, 108, 112,
                                    116, 120, 124, 128, 132, 136, 140, 147, 151, 155, 167}));
    }

    // Without an open port nothing is sent; the message and the log say so.
    void noPortHandle() {
        for (const int language : {kEnglish, kGerman}) {
            AdapterBench b;
            b.form.language = language;
            FakeFilePicker picker;
            CertificateStore certificate(picker, b.prompts, b.form);
            AdapterProgrammer programmer(b.form, b.link, certificate, b.prompts, b.log);
            QVERIFY(!programmer.ProgramAdapter(nullptr));
            QCOMPARE(b.prompts.texts(), QStringList{UiText(1, language)});
            QCOMPARE(b.logLines(), QStringList{language == kGerman ? "Konnte COM Port nicht öffnen"
                                                                   : "Can not open COM port"});
            QVERIFY(b.model.transcript().isEmpty());
        }
    }

    // The configuration record as the log holds it.
    void record_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray stamp = "05.12.2012 14:03:11 : ";
        QTest::newRow("English, filled")
            << kEnglish << true
            << stamp + "* Configuration *\nLanguage: English\nPort: /dev/ttyACM0\nSSID: typed\n"
                       "Encryption: WPA2\nChannel: 11\nKey: passphrase\nAccess type: Ad Hoc\n"
                       "Damping: 3\n";
        QTest::newRow("German, empty")
            << kGerman << false
            << stamp +
                   "* Konfigurieren *\nSprache: English\n"
                   "Schnittstelle: # kein COM Port ausgewählt #\nSSID: # keine SSID eingetragen #\n"
                   "Verschlüsselung: # keine Verschlüsselung eingetragen #\n"
                   "Kanal: # kein Kanal eingetragen #\nSchlüssel: # kein Schlüssel eingetragen #\n"
                   "Zugriffsverfahren: # keine Zugriffsart ausgewählt #\n";
    }
    void record() {
        QFETCH(int, language);
        QFETCH(bool, filled);
        AdapterBench b;
        b.form.language = language;
        b.form.port.clear();
        if (filled) {
            b.form.port = QStringLiteral("/dev/ttyACM0");
            b.form.security = security::kWpa2;
            b.form.setAccessType(true, true); // Ad Hoc wins when both report on
            b.form.controls = {"WPA2", "passphrase", "11", "3", "", "", "", "typed"};
        }
        LogConfiguration(b.form, b.log);
        QTEST(readFile(b.writer.path()), "expected");
    }

    // The wait cursor shows while the certificate file is read, and is gone again.
    void certificateReadUnderWaitCursor() {
        fakes::FakeForm form;
        fakes::RecordingPrompts prompts;
        fakes::FakeFilePicker picker;
        CertificateStore store(picker, prompts, form);
        QTemporaryDir dir;
        for (const QByteArray& bytes : {kPem, QByteArray("no certificate")}) {
            QFile file(dir.filePath(QStringLiteral("ca.pem")));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            QCOMPARE(store.LoadCertificateFile(file.fileName()), bytes == kPem);
        }
        QCOMPARE(form.waitCursorShown, 2);
        QCOMPARE(form.waitCursor, 0);
        QCOMPARE(prompts.shown.size(), 1);
    }
};

QTEST_MAIN(TestConfigure)
#include "test_configure.moc"
