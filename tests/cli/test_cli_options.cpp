// velinor-cli from the command line to the exit code, the output, the log and the adapter's
// settings, on simulated adapters in virtual time; the secrets come from fake files, stdin and
// terminal.
#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "cli/console_output.h"
#include "cli/headless_form.h"
#include "cli/secrets.h"
#include "fakes.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

#include <list>
#include <mutex>

using namespace velinor;
using namespace velinor::cli;
using Settings = QMap<QByteArray, QByteArray>;

namespace {

class FakeSecretInput : public SecretInput {
public:
    QString typed; // null: standard input is no terminal; else what the user types there
    bool stdinIsTerminal() const override { return !typed.isNull(); }
    bool readStdinLine(QString& line) override {
        line = FirstLine("0123456789abcdef0123456789\r\nmore");
        return true;
    }
    bool askHidden(const QString&, QString& answer) override {
        answer = typed;
        return true;
    }
    bool readFileLine(const QString& path, QString& line, QString& error) override {
        static const QHash<QString, QByteArray> files = {{"/wep", "0123456789\n"},
                                                         {"/wpa", "passphrase1\r\nsecond"},
                                                         {"/pw", "secret\n"},
                                                         {"/blank", "\npassphrase1"}};
        error = path + QStringLiteral(": No such file or directory");
        line = FirstLine(files.value(path));
        return files.contains(path);
    }
};

// The adapter on port "P" (any other port is absent).
struct Adapter {
    Settings stored = {};            // before
    QList<QByteArray> networks = {}; // that its scan finds
    QByteArray refused = {};         // the command it answers with I/ERROR
    QByteArray unanswered = {};      // the command it never answers
};

// What a standard stream in a temporary file has received.
QString received(FILE* file) {
    std::rewind(file);
    QFile read;
    return read.open(file, QIODevice::ReadOnly) ? QString::fromUtf8(read.readAll()) : QString();
}

} // namespace

Q_DECLARE_METATYPE(Adapter)

class TestCliOptions : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_log = m_dir.filePath("log.txt");
    const QString m_usb = m_dir.filePath("sys/bus/usb/devices/1-2/");

    struct Result {
        int code;
        QString out, err; // the JSON compacted; the lines of err sorted
        Settings running; // the last adapter's, of the names asked for
    };
    // velinor-cli on these arguments, in English unless --lang says otherwise.
    Result runCli(const QString& commandLine, const Adapter& a = {}, const QString& typed = {},
                  bool errIsTerminal = false, const QList<QByteArray>& asked = {}) {
        QStringList args = commandLine.split(u' ');
        args.replaceInStrings(QRegularExpression("^-q$"), "--quiet");
        const ParseResult parsed = ParseArguments(args, QStringLiteral("en_GB.UTF-8"));
        [&] { QCOMPARE(parsed.error, QString()); }();
        FakeSecretInput input;
        input.typed = typed;
        QString key = "stale", password = "stale", error;
        [&] { QVERIFY(ReadSecrets(parsed.options, input, key, password, error)); }();
        // Each piece of work makes its clock, then its port: on an adapter of its own.
        std::mutex mutex;
        std::list<AdapterModel> adapters;
        static thread_local AdapterModel* adapter = nullptr;
        static thread_local Clock* clock = nullptr;
        auto makeClock = [&] {
            auto made = std::make_unique<ManualClock>();
            const std::lock_guard lock(mutex);
            adapter = &adapters.emplace_back(*made);
            clock = made.get();
            for (auto [name, value] : a.stored.asKeyValueRange())
                adapter->setStored(name, value);
            if (!a.networks.isEmpty())
                adapter->setNetworks(a.networks);
            if (!a.refused.isEmpty())
                adapter->setFault(a.refused, AdapterModel::Fault::Error);
            if (!a.unanswered.isEmpty())
                adapter->setFault(a.unanswered, AdapterModel::Fault::Silent);
            return made;
        };
        fakes::FakePortEnumerator ports;
        ports.addAdapter("/dev/ttyACM10");
        ports.addPlain("/dev/ttyS0");
        ports.addAdapter("/dev/ttyACM2");
        ports.addUsb("/dev/ttyUSB0", 0x0403, 0x6001);
        const std::unique_ptr<FILE, int (*)(FILE*)> out(std::tmpfile(), std::fclose),
            err(std::tmpfile(), std::fclose);
        ConsoleOutput console(out.get(), err.get(), errIsTerminal, !parsed.options.quiet);
        Environment env{ports,
                        [] { return std::make_unique<SimSerialPort>(*adapter, *clock, "P"); },
                        makeClock, m_dir.filePath("sys"), console};
        Result r{RunCommand(parsed.options, key, password, env), received(out.get()), {}, {}};
        if (r.out.startsWith(u'{'))
            r.out = QJsonDocument::fromJson(r.out.toUtf8()).toJson(QJsonDocument::Compact);
        QStringList lines = received(err.get()).split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        r.err = lines.join(u'\n');
        for (const QByteArray& name : asked)
            r.running[name] = adapters.back().running(name);
        return r;
    }

private slots:
    void initTestCase() {
        QVERIFY(fakes::writeFile(m_dir.filePath("ca.pem"),
                                 "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n"));
        // A USB device of the adapter's type, which a restart would switch off and on.
        QVERIFY(QDir().mkpath(m_usb));
        QVERIFY(fakes::writeFile(m_usb + "idVendor", "7c5e\n"));
        QVERIFY(fakes::writeFile(m_usb + "idProduct", "0003\n"));
        QVERIFY(fakes::writeFile(m_usb + "authorized", "1"));
    }

    // Arguments starting with an option are run as "configure --port P --ssid office ...".
    void run_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<Adapter>("adapter");
        QTest::addColumn<ExitCode>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // in any line order
        QTest::addColumn<Settings>("running");
        QTest::addColumn<QString>("typed"); // null: standard input is no terminal
        QTest::addColumn<bool>("errIsTerminal");
        auto row = [](const char* name, const QString& args, const Adapter& adapter, ExitCode code,
                      const QString& out, const QString& err, const Settings& running = {},
                      const QString& typed = {}, bool errIsTerminal = false) {
            QTest::newRow(name) << args << adapter << code << out << err << running << typed
                                << errIsTerminal;
        };
        const QString ok = "P: ok\n", saved = "Settings saved on wireless product\n";
        const QString ca = m_dir.filePath("ca.pem");
        row("NONE access point on channel 6", "-q --access-point --security NONE --channel 6", {},
            kExitOk, ok, saved, {{"WLSI", "office"}, {"WST0", "0"}, {"WLCH", "6"}});
        row("German: saved", "-q --access-point --security NONE --channel 6 --lang de", {}, kExitOk,
            ok, "Einstellungen wurden auf dem WLAN-Produkt gespeichert");
        row("WEP ad hoc, key file: the SSID gets the ad hoc mark",
            "-q --ad-hoc --security WEP --channel 1 --key-file /wep", {}, kExitOk, ok, saved,
            {{"WLSI", "!office"}, {"WST0", "1"}, {"WLCH", "1"}, {"WKY0", "0123456789"}});
        row("WEP128 key, first line of stdin",
            "-q --ad-hoc --security=WEP128 --channel=11 --key-stdin", {}, kExitOk, ok, saved,
            {{"WST0", "2"}, {"WKY0", "0123456789abcdef0123456789"}});
        row("--key-stdin on a terminal asks; access point without channel",
            "-q --access-point --security WPA --key-stdin", {}, kExitOk, ok,
            "Channel invalid\n" + saved, {{"WST0", "3"}, {"WLCH", ""}, {"WPP0", "typed-key"}},
            "typed-key");
        row("no key named: asked at the terminal", "-q --access-point --security WPA --channel 3",
            {}, kExitOk, ok, saved, {{"WST0", "3"}, {"WPP0", "typed-key"}}, "typed-key");
        row("progress: a line per step when standard error is no terminal",
            "--access-point --security wpa2 --channel 6 --key-file /wpa", {}, kExitOk, ok,
            "P: 0/10\nP: 1/10\nP: 2/10\nP: 3/10\nP: 4/10\nP: 5/10\nP: 6/10\nP: 7/10\nP: 8/10\n"
            "P: 9/10\nP: 10/10\n" +
                saved,
            {{"WST0", "4"}, {"WPP0", "passphrase1"}});
        row("WPA-ENTERPRISE: domain\\user",
            "-q --access-point --security WPA-ENTERPRISE --user anna --domain corp --password-file "
            "/pw --certificate " +
                ca + " --channel 6",
            {}, kExitOk, ok, saved, {{"WST0", "5"}, {"EUSN", "corp\\anna"}});
        const QString wpa2Enterprise =
            "-q --access-point --security WPA2-ENTERPRISE --user anna --channel 6 --certificate " +
            ca;
        row("WPA2-ENTERPRISE, password from stdin", wpa2Enterprise + " --password-stdin", {},
            kExitOk, ok, saved, {{"WST0", "6"}, {"EUSN", "anna"}});
        row("WPA2-ENTERPRISE, no password and no terminal: refused", wpa2Enterprise, {},
            kExitRefused, "", "Password is empty");
        row("WPA2-ENTERPRISE, password asked at the terminal", wpa2Enterprise, {}, kExitOk, ok,
            saved, {{"WST0", "6"}, {"EUSN", "anna"}}, "typed");
        const QString goneCertificate = "-q --access-point --security WPA-ENTERPRISE --user anna "
                                        "--password-file /pw --certificate /gone --channel 6";
        row("unreadable certificate", goneCertificate, {}, kExitRefused, "",
            "/gone: cannot be read\nNo valid certificate detected");
        row("German: unreadable certificate", goneCertificate + " --lang de", {}, kExitRefused, "",
            "/gone: nicht lesbar\nEs wurde kein gültiges Zertifikat ausgewählt");
        row("key file with an empty first line: refused",
            "-q --access-point --security WPA2 --channel 6 --key-file /blank", {}, kExitRefused, "",
            "A WPA key must have 8-63 characters");
        row("SSID over 32 bytes: refused",
            "configure --port P --ssid " + QString(33, u's') + " -q --access-point --security NONE",
            {}, kExitRefused, "", "Please enter no more than 32 bytes (UTF-8; ä takes two).");
        row("SSID refused by the adapter", "-q --access-point --security NONE --channel 6",
            {.refused = "AT+IWLSI"}, kExitRefused, "P: Error occurred while set SSID\n",
            "Error occurred while set SSID");
        row("progress bar on a terminal, cleared for a message",
            "--access-point --security NONE --channel 6", {.unanswered = "AT+IWLCH"}, kExitRefused,
            "P: Error occurred while set channel\n",
            "\rP [                    ]   0%  \rP [##                  ]  11%  "
            "\rP [####                ]  22%  \rP [######              ]  33%  "
            "\rP [########            ]  44%  \rP [###########         ]  55%  "
            "\rP [#############       ]  66%  \rP [###############     ]  77%  "
            "\r\033[KError occurred while set channel\n\rP [###############     ]  77%  \r\033[K",
            {}, {}, true);
        const QString twoPorts =
            "configure --port P --port /dev/gone --ssid x --ad-hoc --security NONE --channel 1";
        row("two ports, one absent: each line names its port", twoPorts, {}, kExitNoPort,
            "P: ok\n/dev/gone: Error occured on /dev/gone\n",
            "P: 0/9\nP: 1/9\nP: 2/9\nP: 3/9\nP: 4/9\nP: 5/9\nP: 6/9\nP: 7/9\nP: 8/9\nP: 9/9\n"
            "P: Settings saved on wireless product\n/dev/gone: 0/9\n"
            "/dev/gone: Error occured on /dev/gone");
        row("two ports --json, one absent", twoPorts + " --json -q", {}, kExitNoPort,
            R"({"ports":[{"code":0,"message":"","port":"P","result":"ok"},{"code":3,)"
            R"("message":"Error occured on /dev/gone","port":"/dev/gone","result":"failed"}]})",
            "/dev/gone: Error occured on /dev/gone\nP: Settings saved on wireless product");
        row("configure --json, refused by the adapter",
            "-q --json --access-point --security NONE --channel 6", {.refused = "AT+IWLSI"},
            kExitRefused,
            R"({"ports":[{"code":1,"message":"Error occurred while set SSID","port":"P",)"
            R"("result":"failed"}]})",
            "Error occurred while set SSID");
        // The system reports /dev/ttyACM10, /dev/ttyS0, /dev/ttyACM2, /dev/ttyUSB0.
        row("ports: the adapters' ports in number order", "ports", {}, kExitOk,
            "/dev/ttyACM2\n/dev/ttyACM10\n", "");
        row("ports --json", "ports --json", {}, kExitOk,
            R"({"ports":[{"port":"/dev/ttyACM2","usbId":"7c5e:0003"},)"
            R"({"port":"/dev/ttyACM10","usbId":"7c5e:0003"}]})",
            "");
        row("ports --all: every port, with its USB id where known", "ports --all", {}, kExitOk,
            "/dev/ttyACM2 7c5e:0003\n/dev/ttyACM10 7c5e:0003\n/dev/ttyS0\n/dev/ttyUSB0 0403:6001\n",
            "");
        row("ports --all --json", "ports --all --json", {}, kExitOk,
            R"({"ports":[{"port":"/dev/ttyACM2","usbId":"7c5e:0003"},{"port":"/dev/ttyACM10",)"
            R"("usbId":"7c5e:0003"},{"port":"/dev/ttyS0","usbId":null},{"port":"/dev/ttyUSB0",)"
            R"("usbId":"0403:6001"}]})",
            "");
        const Adapter adHocWep{.stored = {{"WLSI", "!lab"}, {"WST0", "1"}, {"WLCH", "11"}}};
        row("readout", "readout --port P -q", adHocWep, kExitOk,
            "SSID: lab\nEncryption: WEP\nChannel: 11\nAccess type: Ad Hoc\n", "");
        row("German: readout", "readout --port P -q --lang de", adHocWep, kExitOk,
            "SSID: lab\nVerschlüsselung: WEP\nKanal: 11\nZugriffsverfahren: Ad Hoc\n", "");
        row("readout --json, with progress", "readout --port P --json", {}, kExitOk,
            R"({"accessType":"access-point","channel":0,"port":"P","security":"NONE",)"
            R"("ssid":"velinor"})",
            "P: 0/5\nP: 1/5\nP: 2/5\nP: 3/5\nP: 4/5\nP: 5/5");
        row("readout, channel unanswered: null, refused", "readout --port P --json -q",
            {.unanswered = "AT+IWLCH"}, kExitRefused,
            R"({"accessType":"access-point","channel":null,"port":"P","security":"NONE",)"
            R"("ssid":"velinor"})",
            "");
        row("readout, port absent", "readout --port /dev/gone", {}, kExitNoPort, "",
            "/dev/gone: 0/5\nError occured on /dev/gone");
        row("German: port absent", "readout --port /dev/gone -q --lang de", {}, kExitNoPort, "",
            "Fehler beim Öffnen von /dev/gone");
        const Adapter farThenNear{.networks = {"far,AP,00:1A:2B:3C:4D:01,WPA2_ENT,6,80",
                                               "near,ADHOC,02:11:22:33:44:55,WEP,11,40"}};
        row("scan: lowest damping first", "scan --port P -q", farThenNear, kExitOk,
            "SSID\tAccess\tMAC-Address\tChannel\tEncryption\tDamping\n"
            "near\tAd-hoc\t02:11:22:33:44:55\t11\tWEP\t40\n"
            "far\tAccess Point\t00:1A:2B:3C:4D:01\t6\tWPA2-ENTERPRISE\t80\n",
            "");
        row("German: scan", "scan --port P -q --lang de", farThenNear, kExitOk,
            "SSID\tZugang\tMAC-Adresse\tKanal\tVerschlüsselung\tDämpfung\n"
            "near\tAd-hoc\t02:11:22:33:44:55\t11\tWEP\t40\n"
            "far\tAccess Point\t00:1A:2B:3C:4D:01\t6\tWPA2-ENTERPRISE\t80\n",
            "");
        row("scan --json", "scan --port P --json", farThenNear, kExitOk,
            R"({"networks":[{"accessType":"ad-hoc","channel":11,"damping":40,"mac":)"
            R"("02:11:22:33:44:55","security":"WEP","ssid":"near"},{"accessType":)"
            R"("access-point","channel":6,"damping":80,"mac":"00:1A:2B:3C:4D:01","security":)"
            R"("WPA2-ENTERPRISE","ssid":"far"}],"port":"P"})",
            "P: 1/20\nP: 2/20");
        row("scan refused by the adapter", "scan --port P", {.refused = "AT+IRP20"}, kExitRefused,
            "", "Error occured during wireless network scan\nP: 1/20\nP: 2/20");
    }
    void run() {
        QFETCH(QString, args);
        QFETCH(QString, err);
        QFETCH(Settings, running);
        if (args.startsWith(u'-'))
            args = "configure --port P --ssid office " + args;
        QFETCH(QString, typed);
        QFETCH(bool, errIsTerminal);
        QFETCH(Adapter, adapter);
        const Result r = runCli(args, adapter, typed, errIsTerminal, running.keys());
        QFETCH(ExitCode, code);
        QCOMPARE(r.code, code);
        QTEST(r.out, "out");
        QStringList wanted = err.split(u'\n', Qt::SkipEmptyParts);
        wanted.sort();
        QCOMPARE(r.err, wanted.join(u'\n'));
        QCOMPARE(r.running, running);
    }

    // The --log file's records (without their time stamps): the configuration record holds the
    // key, never the enterprise password; several ports' records come each in one piece.
    void log_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("WPA-ENTERPRISE configured")
            << "configure --port P --ssid office -q --access-point --security WPA-ENTERPRISE "
               "--user anna --domain corp --password-file /pw --certificate " +
                   m_dir.filePath("ca.pem") + " --channel 6"
            << QStringList{"* Configuration *",
                           "Language: English",
                           "Port: P",
                           "SSID: office",
                           "Encryption: WPA-ENTERPRISE",
                           "Channel: 6",
                           "Key: # no key input #",
                           "Access type: Access Point",
                           "Configuration successful"};
        QTest::newRow("German: WEP configured")
            << "configure --port P --ssid office -q --ad-hoc --security WEP --channel 1 --key-file "
               "/wep --lang de"
            << QStringList{"* Konfigurieren *",        "Sprache: Deutsch",
                           "Schnittstelle: P",         "SSID: office",
                           "Verschlüsselung: WEP",     "Kanal: 1",
                           "Schlüssel: 0123456789",    "Zugriffsverfahren: Ad Hoc",
                           "Konfiguration erfolgreich"};
        QTest::newRow("read out") << "readout --port P -q"
                                  << QStringList{"* Read out: *", "SSID: velinor",
                                                 "Encryption: NONE", "Channel: 0",
                                                 "Access type: Access Point"};
        QTest::newRow("German: read out, port absent")
            << "readout --port /dev/gone -q --lang de"
            << QStringList(5, "/dev/gone : Neustart des WLAN-Produkts erforderlich");
        // Each port's records in one piece, in the order of the ports.
        const QStringList adHocNone{"SSID: x", "Encryption: NONE", "Channel: 1",
                                    "Key: # no key input #", "Access type: Ad Hoc"};
        QTest::newRow("two ports, the first absent")
            << "configure --port /dev/gone --port P --ssid x --ad-hoc --security NONE --channel 1 "
               "-q"
            << QStringList{"* Configuration *", "Language: English", "Port: /dev/gone"} +
                   adHocNone +
                   QStringList(5, "/dev/gone : Restart of the wireless product needed") +
                   QStringList{"* Configuration *", "Language: English", "Port: P"} + adHocNone +
                   QStringList{"Configuration successful"};
    }
    void log() {
        QFETCH(QString, args);
        QFile::remove(m_log);
        runCli(args + " --log " + m_log);
        QTEST(fakes::logLines(fakes::readFile(m_log)), "records");
    }

    // An absent port restarts the adapters' USB devices ("authorized" written 0, then 1), but not
    // while other ports are being programmed: it would cut them off.
    void usbRestart_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("authorized"); // the file afterwards; "-" as it was
        QTest::newRow("one port absent: restarted")
            << "readout --port /dev/gone -q" << QByteArray("1");
        QTest::newRow("two ports, one absent: not restarted")
            << "configure --port P --port /dev/gone --ssid x --ad-hoc --security NONE --channel 1 "
               "-q"
            << QByteArray("-");
    }
    void usbRestart() {
        QFETCH(QString, args);
        QVERIFY(fakes::writeFile(m_usb + "authorized", "-"));
        QCOMPARE(runCli(args).code, kExitNoPort);
        QTEST(fakes::readFile(m_usb + "authorized"), "authorized");
    }

    // Wrong usage and unreadable secrets: arguments => error; C starts a configure.
    void usage_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("error");
        for (const char* row : {
                 " => no command given",
                 "flash => unknown command \"flash\"",
                 "ports --fast => unknown option --fast",
                 "ports extra => unexpected argument \"extra\"",
                 "scan --port a --port b => give one --port",
                 "scan --port a --all => --all does not go with scan",
                 "ports --ssid x => --ssid does not go with ports",
                 "ports --lang fr => --lang takes de or en",
                 "C --all => --all does not go with configure",
                 "C --ad-hoc --security WPA-ENTERPRISE --password-stdin --password-file /pw => "
                 "give the password once: --password-file or --password-stdin",
                 "C --password-file /pw --password-stdin => give the password once: "
                 "--password-file or --password-stdin",
                 "configure --ssid x --ad-hoc --security NONE => give at least one --port",
                 "C --port /dev/x => port /dev/x given twice",
                 "configure --port= --ssid x => --port is empty",
                 "configure --port a --ad-hoc => --ssid is missing",
                 "C --ssid= --ad-hoc => --ssid given twice",
                 "C --security NONE => give either --access-point or --ad-hoc",
                 "C --ad-hoc => --security is missing",
                 "C --ad-hoc --security => --security needs a value",
                 "C --ad-hoc=1 => --ad-hoc takes no value",
                 "C --ad-hoc --security NONE --security WPA => --security given twice",
                 "C --ad-hoc --security WPA3 => unknown security type \"WPA3\"",
                 "C --ad-hoc --security NONE --key-stdin => NONE takes no key",
                 "C --ad-hoc --security WPA --key-stdin --key-file /wpa => give the key once: "
                 "--key-file or --key-stdin",
                 "C --ad-hoc --security WPA2 --password-stdin => --user, --domain, "
                 "--password-file, --password-stdin and --certificate belong to WPA-ENTERPRISE "
                 "and WPA2-ENTERPRISE",
                 "C --ad-hoc --security WPA-ENTERPRISE --password-file /gone => /gone: No such "
                 "file or directory",
             }) {
            const QStringList parts = QString::fromUtf8(row).split(QStringLiteral(" => "));
            QTest::newRow(row) << parts[0] << parts[1];
        }
    }
    void usage() {
        QFETCH(QString, args);
        args.replace(QRegularExpression(QStringLiteral("^C ")),
                     QStringLiteral("configure --port /dev/x --ssid s "));
        ParseResult parsed = ParseArguments(args.split(u' ', Qt::SkipEmptyParts), QString());
        FakeSecretInput input;
        QString key, password;
        QString secretsError;
        if (parsed.error.isEmpty() &&
            !ReadSecrets(parsed.options, input, key, password, secretsError))
            parsed.error = secretsError;
        QTEST(parsed.error, "error");
    }

    // An exchange of one step shows it.
    void oneStepProgress() {
        const std::unique_ptr<FILE, int (*)(FILE*)> err(std::tmpfile(), std::fclose);
        ConsoleOutput console(stdout, err.get(), false, true);
        console.startProgress({"P"});
        PortProgress(console, 0).progress(1, 1);
        QCOMPARE(received(err.get()), "P: 1/1\n");
    }

    // Showing the values selects the first type that begins with the stored text, as the form's
    // combo does (none: the choice stays); an index outside the list selects none.
    void headlessForm() {
        fakes::RecordingPrompts prompts;
        HeadlessForm form(prompts);
        QList<int> shown;
        for (const char* stored : {"WPA", "", "WPA3", "NONE"}) {
            form.values().m_strSecurityType = QString::fromUtf8(stored);
            QVERIFY(form.UpdateData(false));
            shown << form.securityIndex();
        }
        QCOMPARE(shown, (QList<int>{security::kWpa, security::kWpa, security::kWpa, 0}));
        form.setSecurityIndex(7);
        QVERIFY(form.securityIndex() == -1 && form.UpdateData(true));
        QVERIFY(form.values().m_strSecurityType.isEmpty());
        QCOMPARE(form.selectedLanguageText(), QStringLiteral("Deutsch"));
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "test_cli_options.moc"
