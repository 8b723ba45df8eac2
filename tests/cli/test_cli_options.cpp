// velinor-cli from the command line to the exit code, the output and the adapter's settings, on
// simulated adapters in virtual time; the secrets come from fake files, stdin and terminal.
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
using Fault = AdapterModel::Fault;

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

// What a standard stream in a temporary file has received.
QString received(FILE* file) {
    std::rewind(file);
    QFile read;
    return read.open(file, QIODevice::ReadOnly) ? QString::fromUtf8(read.readAll()) : QString();
}

} // namespace

class TestCliOptions : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(fakes::writeFile(m_dir.filePath("ca.pem"),
                                 "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n"));
    }

    // Arguments (options alone: configure P for office; CA, LOG, TTY: see run()), what is typed at
    // the terminal (null: none), the adapter's faults (!: error, ?: silent), stored settings and
    // networks; the exit code, output (JSON compact), error (any line order), running settings.
    void run_data() {
        for (const char* c : {"args", "typed", "model", "code", "out", "err", "running"})
            QTest::addColumn<QString>(c);
        const QString n;
        const QString ok = QStringLiteral("P: ok\n");
        const QString saved = QStringLiteral("Settings saved on wireless product\n");
        auto row = [](const char* name, const char* args, const QString& typed, const char* model,
                      int code, const QString& out, const QString& err = {},
                      const char* running = "") {
            QTest::newRow(name) << args << typed << model << QString::number(code) << out << err
                                << running;
        };
        row("NONE", "-q --access-point --security NONE --channel 6", n, "", 0, ok, saved,
            "WLSI=office WST0=0 WLCH=6");
        row("WEP ad hoc, key file", "-q --ad-hoc --security WEP --channel 1 --key-file /wep", n, "",
            0, ok, saved, "WLSI=!office WST0=1 WLCH=1 WKY0=0123456789");
        row("WEP128 from stdin", "-q --ad-hoc --security=WEP128 --channel=11 --key-stdin", n, "", 0,
            ok, saved, "WST0=2 WKY0=0123456789abcdef0123456789");
        row("--key-stdin at a terminal", "-q --access-point --security WPA --key-stdin",
            "typed-key", "", 0, ok, "Channel invalid\n" + saved, "WST0=3 WLCH= WPP0=typed-key");
        row("WPA asked at the terminal", "-q --access-point --security WPA --channel 3",
            "typed-key", "", 0, ok, saved, "WST0=3 WPP0=typed-key");
        row("progress by steps", "--access-point --security wpa2 --channel 6 --key-file /wpa", n,
            "", 0, ok,
            "P: 0/10\nP: 1/10\nP: 2/10\nP: 3/10\nP: 4/10\nP: 5/10\nP: 6/10\nP: 7/10\nP: 8/10\n"
            "P: 9/10\nP: 10/10\nSettings saved on wireless product\n",
            "WST0=4 WPP0=passphrase1");
        row("WPA-ENTERPRISE",
            "-q --access-point --security WPA-ENTERPRISE --user anna --domain corp --password-file "
            "/pw --certificate CA --channel 6",
            n, "", 0, ok, saved, "WST0=5 EUSN=corp\\anna");
        row("WPA2-ENTERPRISE, password from stdin",
            "-q --access-point --security WPA2-ENTERPRISE --user anna --certificate CA --channel 6 "
            "--password-stdin",
            n, "", 0, ok, saved, "WST0=6 EUSN=anna");
        row("WPA2-ENTERPRISE, no password",
            "-q --access-point --security WPA2-ENTERPRISE --user "
            "anna --certificate CA --channel 6",
            n, "", 1, "", "Password is empty\n");
        row("WPA2-ENTERPRISE, password asked",
            "-q --access-point --security WPA2-ENTERPRISE --user anna --certificate CA --channel 6",
            "typed", "", 0, ok, saved, "WST0=6 EUSN=anna");
        row("unreadable certificate",
            "-q --access-point --security WPA-ENTERPRISE --user anna --password-file /pw "
            "--certificate /gone --channel 6",
            n, "", 1, "", "/gone: cannot be read\nNo valid certificate detected\n");
        row("key file, first line empty",
            "-q --access-point --security WPA2 --channel 6 --key-file /blank", n, "", 1, "",
            "A WPA key must have 8-63 characters\n");
        row("SSID over its limit",
            "configure --port P --ssid sssssssssssssssssssssssssssssssss -q --access-point "
            "--security NONE",
            n, "", 1, "", "Please enter no more than 32 bytes (UTF-8; ä takes two).\n");
        row("refused by the adapter", "-q --access-point --security NONE --channel 6", n,
            "!AT+IWLSI", 1, "P: Error occurred while set SSID\n",
            "Error occurred while set SSID\n");
        row("progress bar", "--access-point --security NONE --channel 6 TTY", n, "?AT+IWLCH", 1,
            "P: Error occurred while set channel\n",
            "\rP [                    ]   0%  \rP [##                  ]  11%  "
            "\rP [####                ]  22%  \rP [######              ]  33%  "
            "\rP [########            ]  44%  \rP [###########         ]  55%  "
            "\rP [#############       ]  66%  \rP [###############     ]  77%  "
            "\r\033[KError occurred while set channel\n\rP [###############     ]  77%  \r\033[K");
        // Each port's lines carry its name; a restart would switch the others off.
        row("two ports, one absent",
            "configure --port P --port /dev/gone --ssid x --ad-hoc --security NONE --channel 1 "
            "--log LOG",
            n, "", 3, "P: ok\n/dev/gone: Error occured on /dev/gone\n",
            "P: 0/9\nP: 1/9\nP: 2/9\nP: 3/9\nP: 4/9\nP: 5/9\nP: 6/9\nP: 7/9\nP: 8/9\nP: 9/9\nP: "
            "Settings saved on wireless product\n/dev/gone: 0/9\n/dev/gone: Error occured on "
            "/dev/gone\n");
        row("two ports --json, one absent",
            "configure --port P --port /dev/gone --ssid x --ad-hoc --security NONE --channel 1 "
            "--json -q",
            n, "", 3,
            R"({"ports":[{"code":0,"message":"","port":"P","result":"ok"},{"code":3,)"
            R"("message":"Error occured on /dev/gone","port":"/dev/gone","result":"failed"}]})",
            "P: Settings saved on wireless product\n/dev/gone: Error occured on /dev/gone\n");
        row("configure --json, refused", "-q --json --access-point --security NONE --channel 6", n,
            "!AT+IWLSI", 1,
            R"({"ports":[{"code":1,"message":"Error occurred while set SSID","port":"P",)"
            R"("result":"failed"}]})",
            "Error occurred while set SSID\n");
        row("ports --all", "ports --all", n, "", 0,
            "/dev/ttyACM2 7c5e:0003\n/dev/ttyACM10 7c5e:0003\n/dev/ttyS0\n/dev/ttyUSB0 "
            "0403:6001\n");
        row("ports --all --json", "ports --all --json", n, "", 0,
            R"({"ports":[{"port":"/dev/ttyACM2","usbId":"7c5e:0003"},{"port":"/dev/ttyACM10",)"
            R"("usbId":"7c5e:0003"},{"port":"/dev/ttyS0","usbId":null},{"port":"/dev/ttyUSB0",)"
            R"("usbId":"0403:6001"}]})");
        row("readout", "readout --port P -q", n, "WLSI=!lab WST0=1 WLCH=11", 0,
            "SSID: lab\nEncryption: WEP\nChannel: 11\nAccess type: Ad Hoc\n");
        row("readout --json", "readout --port P --json --log LOG", n, "", 0,
            R"({"accessType":"access-point","channel":0,"port":"P","security":"NONE","ssid":"velinor"})",
            "P: 0/5\nP: 1/5\nP: 2/5\nP: 3/5\nP: 4/5\nP: 5/5\n");
        row("readout unanswered", "readout --port P --json -q", n, "?AT+IWLCH", 1,
            R"({"accessType":"access-point","channel":null,"port":"P","security":"NONE","ssid":"velinor"})");
        row("readout without port", "readout --port /dev/gone", n, "", 3, "",
            "/dev/gone: 0/5\nError occured on /dev/gone\n");
        row("scan", "scan --port P -q --lang de", n,
            "near,ADHOC,02:11:22:33:44:55,WEP,11,40 far,AP,00:1A:2B:3C:4D:01,WPA2_ENT,6,80", 0,
            "SSID\tZugang\tMAC-Adresse\tKanal\tVerschlüsselung\tDämpfung\n"
            "near\tAd-hoc\t02:11:22:33:44:55\t11\tWEP\t40\n"
            "far\tAccess Point\t00:1A:2B:3C:4D:01\t6\tWPA2-ENTERPRISE\t80\n");
        row("scan --json", "scan --port P --json", n, "far,AP,00:1A:2B:3C:4D:01,WPA2,6,80", 0,
            R"({"networks":[{"accessType":"access-point","channel":6,"damping":80,)"
            R"("mac":"00:1A:2B:3C:4D:01","security":"WPA2","ssid":"far"}],"port":"P"})",
            "P: 1/20\nP: 2/20\n");
        row("scan refused", "scan --port P", n, "!AT+IRP20", 1, "",
            "P: 1/20\nP: 2/20\nError occured during wireless network scan\n");
    }
    void run() {
        QFETCH(QString, args);
        QFETCH(QString, typed);
        QFETCH(QString, model);
        QFETCH(QString, err);
        const QString log = m_dir.filePath("log.txt");
        QFile::remove(log);
        QStringList list = args.split(u' ');
        if (list[0].startsWith(u'-'))
            list = QStringList{"configure", "--port", "P", "--ssid", "office"} + list;
        // A good certificate, a log file, standard error on a terminal.
        list.replaceInStrings(QStringLiteral("CA"), m_dir.filePath("ca.pem"));
        list.replaceInStrings(QStringLiteral("LOG"), log);
        list.replaceInStrings(QRegularExpression(QStringLiteral("^-q$")),
                              QStringLiteral("--quiet"));
        const bool tty = list.removeAll(QStringLiteral("TTY")) > 0;
        const ParseResult parsed = ParseArguments(list, QStringLiteral("en_GB.UTF-8"));
        QCOMPARE(parsed.error, QString());
        FakeSecretInput input;
        input.typed = typed;
        QString key = "stale", password = "stale", error;
        QVERIFY(ReadSecrets(parsed.options, input, key, password, error));
        QVERIFY(parsed.options.needsKey() || key.isEmpty());
        QVERIFY(parsed.options.isEnterprise() || password.isEmpty());

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
            QList<QByteArray> networks;
            for (const QString& s : model.split(u' ', Qt::SkipEmptyParts)) {
                if (s[0] == u'!' || s[0] == u'?')
                    adapter->setFault(s.mid(1).toUtf8(),
                                      s[0] == u'!' ? Fault::Error : Fault::Silent);
                else if (s.contains(u','))
                    networks << s.toUtf8();
                else
                    adapter->setStored(s.section(u'=', 0, 0).toUtf8(), s.section(u'=', 1).toUtf8());
            }
            if (!networks.isEmpty())
                adapter->setNetworks(networks);
            return made;
        };
        fakes::FakePortEnumerator ports;
        ports.addAdapter("/dev/ttyACM10");
        ports.addPlain("/dev/ttyS0");
        ports.addAdapter("/dev/ttyACM2");
        ports.addUsb("/dev/ttyUSB0", 0x0403, 0x6001);
        const std::unique_ptr<FILE, int (*)(FILE*)> out(std::tmpfile(), std::fclose),
            errors(std::tmpfile(), std::fclose);
        ConsoleOutput console(out.get(), errors.get(), tty, !parsed.options.quiet);
        Environment env{ports,
                        [] { return std::make_unique<SimSerialPort>(*adapter, *clock, "P"); },
                        makeClock, m_dir.filePath("sys"), console};
        QTEST(QString::number(RunCommand(parsed.options, key, password, env)), "code");
        QString text = received(out.get());
        if (text.startsWith(u'{'))
            text = QJsonDocument::fromJson(text.toUtf8()).toJson(QJsonDocument::Compact);
        QTEST(text, "out");
        QStringList errLines = received(errors.get()).split(u'\n'), wanted = err.split(u'\n');
        errLines.sort();
        wanted.sort();
        QCOMPARE(errLines, wanted);
        QFETCH(QString, running);
        for (const QString& s : running.split(u' ', Qt::SkipEmptyParts))
            QCOMPARE(adapters.back().running(s.section(u'=', 0, 0).toUtf8()),
                     s.section(u'=', 1).toUtf8());
        QVERIFY(!args.contains("LOG") || fakes::readFile(log).contains(" : * "));
    }

    // Wrong usage and unreadable secrets: arguments => error ((4): --help); C starts a configure.
    void usage_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("error");
        for (const char* row : {
                 " => no command given",
                 "scan --bad --help => (4)",
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
                 "--password-file, "
                 "--password-stdin and --certificate belong to WPA-ENTERPRISE and "
                 "WPA2-ENTERPRISE",
                 "C --ad-hoc --security WPA --key-file /nope => /nope: No such file or directory",
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
        if (parsed.error.isEmpty() && parsed.options.command == Command::Configure)
            ReadSecrets(parsed.options, input, key, password, parsed.error);
        QTEST(parsed.error.isEmpty() ? QStringLiteral("(%1)").arg(int(parsed.options.command))
                                     : parsed.error,
              "error");
    }

    // Showing the values selects the first type that begins with the stored text, as the form's
    // combo does (none: the choice stays); an index outside the list selects none.
    void headlessForm() {
        fakes::RecordingPrompts prompts;
        HeadlessForm form(prompts);
        QString shown;
        for (const char* stored : {"WPA", "", "WPA3", "NONE"}) {
            form.values().m_strSecurityType = QString::fromUtf8(stored);
            shown += QString::number(form.UpdateData(false) ? form.securityIndex() : -2);
        }
        QCOMPARE(shown, "3330");
        form.setSecurityIndex(7);
        QVERIFY(form.securityIndex() == -1 && form.UpdateData(true));
        QVERIFY(form.values().m_strSecurityType.isEmpty());
        QCOMPARE(form.selectedLanguageText(), QStringLiteral("Deutsch"));
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "test_cli_options.moc"
