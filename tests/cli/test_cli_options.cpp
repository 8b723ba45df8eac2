// velinor-cli's command line: parsing, the secrets, and the form filled from it,
// checked by the form's own checks. Virtual time: no port is ever opened.
#include "base/clock.h"
#include "cli/cli_options.h"
#include "cli/headless_form.h"
#include "cli/secrets.h"
#include "config/certificate.h"
#include "config/configure.h"
#include "fakes.h"
#include "link/module_link.h"
#include "log/log_writer.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

using namespace velinor;
using namespace velinor::cli;

namespace {

// Files, standard input and the terminal as a table row has them.
class FakeSecretInput : public SecretInput {
public:
    QHash<QString, QByteArray> files;
    QByteArray stdinText;
    bool terminal = false;
    QString typed;     // what the user types at a hidden prompt
    QStringList asked; // the prompts shown

    bool stdinIsTerminal() const override { return terminal; }
    bool readStdinLine(QString& line) override {
        line = FirstLine(stdinText);
        return true;
    }
    bool askHidden(const QString& prompt, QString& answer) override {
        asked << prompt;
        answer = typed;
        return true;
    }
    bool readFileLine(const QString& path, QString& line, QString& error) override {
        if (!files.contains(path)) {
            error = path + QStringLiteral(": No such file or directory");
            return false;
        }
        line = FirstLine(files.value(path));
        return true;
    }
};

const QString kCheckPasses = QStringLiteral("<passes>");

} // namespace

class TestCliOptions : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_goodCert;

private slots:
    void initTestCase() {
        m_goodCert = m_dir.filePath(QStringLiteral("ca.pem"));
        QFile file(m_goodCert);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n");
    }

    void parseAndFill_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("lang");     // the LANG variable
        QTest::addColumn<QString>("terminal"); // null: stdin is no terminal; else typed there
        QTest::addColumn<QString>("error");    // a usage error (part of it), or empty
        QTest::addColumn<int>("security");
        QTest::addColumn<int>("access"); // 1 access point, 0 ad hoc
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("check"); // the last message of the form's checks

        const QStringList base = {"configure", "--port", "/dev/ttyACM0", "--ssid", "office"};
        const QString en = QStringLiteral("en_GB.UTF-8");
        const QString none;
        auto row = [&](const char* name, const QStringList& more, const QString& lang,
                       const QString& terminal, const char* error, int sec, int access,
                       const char* key, const char* password, const QString& check) {
            QTest::newRow(name) << base + more << lang << terminal << QString::fromUtf8(error)
                                << sec << access << QString::fromUtf8(key)
                                << QString::fromUtf8(password) << check;
        };
        const QStringList ent = {
            "--security", "WPA-ENTERPRISE", "--access-point",  "--user", "anna",
            "--domain",   "corp",           "--password-file", "/pw"};

        // Every security type and both access types.
        row("NONE access point", {"--access-point", "--security", "NONE", "--channel", "6"}, en,
            none, "", 0, 1, "", "", kCheckPasses);
        row("WEP ad hoc, key file",
            {"--ad-hoc", "--security", "WEP", "--channel", "1", "--key-file", "/wep"}, en, none, "",
            1, 0, "0123456789", "", kCheckPasses);
        row("WEP128 from stdin", {"--ad-hoc", "--security=WEP128", "--channel=11", "--key-stdin"},
            en, none, "", 2, 0, "0123456789abcdef0123456789", "", kCheckPasses);
        row("--key-stdin at a terminal", {"--access-point", "--security", "WPA", "--key-stdin"}, en,
            QStringLiteral("passphrase"), "", 3, 1, "passphrase", "",
            QStringLiteral("Channel invalid"));
        row("WPA asked on the terminal", {"--access-point", "--security", "WPA"}, en,
            QStringLiteral("passphrase"), "", 3, 1, "passphrase", "",
            QStringLiteral("Channel invalid"));
        row("wpa2 in lower case",
            {"--access-point", "--security", "wpa2", "--channel", "6", "--key-file", "/wpa"}, en,
            none, "", 4, 1, "passphrase1", "", kCheckPasses);
        row("WPA-ENTERPRISE", ent + QStringList{"--certificate", "GOOD", "--channel", "6"}, en,
            none, "", 5, 1, "", "secret", kCheckPasses);
        row("WPA2-ENTERPRISE, password asked",
            {"--security", "WPA2-ENTERPRISE", "--access-point", "--user", "anna", "--certificate",
             "GOOD", "--channel", "6"},
            en, QStringLiteral("typed"), "", 6, 1, "", "typed", kCheckPasses);
        // The form's checks refuse.
        row("enterprise without certificate", ent + QStringList{"--channel", "6"}, en, none, "", 5,
            1, "", "secret", QStringLiteral("No valid certificate detected"));
        row("enterprise ad hoc",
            {"--security", "WPA2-ENTERPRISE", "--ad-hoc", "--user", "anna", "--password-file",
             "/pw", "--certificate", "GOOD", "--channel", "6"},
            en, none, "", 6, 0, "", "secret",
            QStringLiteral("WPA Enterprise does not work with ad-hoc"));
        row("enterprise without password",
            {"--security", "WPA-ENTERPRISE", "--access-point", "--user", "anna", "--certificate",
             "GOOD"},
            en, none, "", 5, 1, "", "", QStringLiteral("Password is empty"));
        row("missing key, no terminal", {"--access-point", "--security", "WPA2", "--channel", "6"},
            en, none, "", 4, 1, "", "", QStringLiteral("A WPA key must have 8-63 characters"));
        row("missing key in German", {"--ad-hoc", "--security", "WEP", "--channel", "6"},
            QStringLiteral("de_DE.UTF-8"), none, "", 1, 0, "", "",
            QStringLiteral("Ein WEP Schlüssel muss aus 10 Hex-Werten bestehen"));
        row("--lang beats LANG", {"--ad-hoc", "--security", "NONE", "--lang", "de"}, en, none, "",
            0, 0, "", "", QStringLiteral("Kanal eingeben"));
        row("SSID twice", {"--ssid=", "--access-point", "--security", "NONE"}, en, none,
            "--ssid given twice", -1, -1, "", "", QString());
        row("SSID over its limit", {"--access-point", "--security", "NONE", "--channel", "6"}, en,
            none, "", 0, 1, "", "",
            QString::fromUtf8("Please enter no more than 32 bytes (UTF-8; ä takes two)."));
        // Wrong usage.
        row("no access type", {"--security", "NONE"}, en, none, "--access-point or --ad-hoc", -1,
            -1, "", "", QString());
        row("both access types", {"--access-point", "--ad-hoc", "--security", "NONE"}, en, none,
            "--access-point or --ad-hoc", -1, -1, "", "", QString());
        row("unknown type", {"--access-point", "--security", "WPA3"}, en, none,
            "unknown security type", -1, -1, "", "", QString());
        row("no security", {"--access-point"}, en, none, "--security is missing", -1, -1, "", "",
            QString());
        row("key for NONE", {"--access-point", "--security", "NONE", "--key-stdin"}, en, none,
            "NONE takes no key", -1, -1, "", "", QString());
        row("user for WPA2", {"--access-point", "--security", "WPA2", "--user", "x"}, en, none,
            "belong to WPA-ENTERPRISE", -1, -1, "", "", QString());
        row("key twice",
            {"--access-point", "--security", "WPA", "--key-stdin", "--key-file", "/wpa"}, en, none,
            "give the key once", -1, -1, "", "", QString());
        row("--json with configure", {"--json"}, en, none, "--json does not go with configure", -1,
            -1, "", "", QString());
        row("value missing", {"--access-point", "--security"}, en, none, "--security needs a value",
            -1, -1, "", "", QString());
        row("flag with a value", {"--access-point=1"}, en, none, "--access-point takes no value",
            -1, -1, "", "", QString());
        row("port twice", {"--port", "/dev/ttyACM0"}, en, none, "port /dev/ttyACM0 given twice", -1,
            -1, "", "", QString());
        row("stray argument", {"extra"}, en, none, "unexpected argument \"extra\"", -1, -1, "", "",
            QString());
        row("unknown language", {"--lang", "fr"}, en, none, "--lang takes de or en", -1, -1, "", "",
            QString());
        row("unreadable password file",
            {"--security", "WPA-ENTERPRISE", "--access-point", "--password-file", "/gone"}, en,
            none, "/gone: No such file", -1, -1, "", "", QString());
        row("unreadable key file", {"--access-point", "--security", "WPA", "--key-file", "/nope"},
            en, none, "/nope: No such file", -1, -1, "", "", QString());
    }

    void parseAndFill() {
        QFETCH(QStringList, args);
        QFETCH(QString, lang);
        QFETCH(QString, terminal);
        QFETCH(QString, error);
        QFETCH(int, security);
        QFETCH(int, access);
        QFETCH(QString, key);
        QFETCH(QString, password);
        QFETCH(QString, check);
        args.replaceInStrings(QStringLiteral("GOOD"), m_goodCert);
        if (QByteArray(QTest::currentDataTag()) == "SSID over its limit")
            args[4] = QString(33, u's');

        ParseResult parsed = ParseArguments(args, lang);
        FakeSecretInput input;
        input.files = {
            {"/wep", "0123456789\n"}, {"/wpa", "passphrase1\r\nsecond line"}, {"/pw", "secret\n"}};
        input.stdinText = "0123456789abcdef0123456789\r\n";
        input.terminal = !terminal.isNull();
        input.typed = terminal;
        QString readKey;
        QString readPassword;
        QString secretError;
        if (parsed.error.isEmpty() &&
            !ReadSecrets(parsed.options, input, readKey, readPassword, secretError))
            parsed.error = secretError;
        if (!error.isEmpty()) {
            QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
            return;
        }
        QCOMPARE(parsed.error, QString());
        const Options& o = parsed.options;
        QCOMPARE(o.command, Command::Configure);
        QCOMPARE(readKey, key);
        QCOMPARE(readPassword, password);
        if (input.terminal)
            QCOMPARE(input.asked.value(0),
                     key.isEmpty() ? QStringLiteral("Password: ") : QStringLiteral("Key: "));

        // The form filled as a user would fill it, and checked by its own checks.
        fakes::RecordingPrompts prompts;
        HeadlessForm form(prompts);
        form.setLanguage(o.language);
        FillForm(o, readKey, readPassword, form);
        QCOMPARE(form.securityIndex(), security);
        QCOMPARE(form.values().m_strSecurityType, velinor::security::name(security));
        QCOMPARE(form.isAccessPoint(), access == 1);
        QCOMPARE(form.isAdHoc(), access == 0);
        QCOMPARE(form.values().m_strKey, key);
        QCOMPARE(form.values().m_strPassword, password);
        QCOMPARE(form.values().m_strUser, o.isEnterprise() ? QStringLiteral("anna") : QString());

        fakes::FakeFilePicker picker;
        CertificateStore certificate(picker, prompts, form);
        if (!o.certificateFile.isEmpty())
            QVERIFY(certificate.LoadCertificateFile(o.certificateFile));
        ManualClock clock;
        fakes::AbsentSerialPort port;
        LogWriter writer(m_dir.path(), clock, prompts, {});
        EventLog log(writer, [] { return false; });
        ModuleLink link(clock);
        ConfigureCommand command(form, certificate, port, link, clock, prompts, log, m_dir.path());
        const bool passes = command.CheckInputs();
        QCOMPARE(passes, check == kCheckPasses || check == QLatin1String("Channel invalid"));
        QCOMPARE(prompts.lastText(), check == kCheckPasses ? QString() : check);
        QCOMPARE(port.opens, 0);
    }

    // The real files: the first line without its line end; a missing file names itself.
    void consoleFiles() {
        const QString path = m_dir.filePath(QStringLiteral("key.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("k\xc3\xa4y 1\r\nsecond\n");
        file.close();
        ConsoleSecretInput input;
        QString line;
        QString error;
        QVERIFY(input.readFileLine(path, line, error));
        QCOMPARE(line, QStringLiteral("k\u00e4y 1"));
        QVERIFY(!input.readFileLine(path + QStringLiteral(".gone"), line, error));
        QVERIFY(error.startsWith(path + QStringLiteral(".gone: ")));
    }

    // Showing the values selects the first type that begins with the stored text,
    // as the form's combo does; an index outside the list selects none.
    void headlessFormShowsType_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        QTest::newRow("exact") << "WPA2-ENTERPRISE" << 6;
        QTest::newRow("prefix") << "WPA" << 3;
        QTest::newRow("empty keeps the selection") << "" << 2;
        QTest::newRow("unknown keeps the selection") << "WPA3" << 2;
    }
    void headlessFormShowsType() {
        QFETCH(QString, stored);
        QFETCH(int, index);
        fakes::RecordingPrompts prompts;
        HeadlessForm form(prompts);
        form.setSecurityIndex(2);
        form.values().m_strSecurityType = stored;
        QVERIFY(form.UpdateData(false));
        QCOMPARE(form.securityIndex(), index);
        form.setSecurityIndex(7);
        QCOMPARE(form.securityIndex(), -1);
        QVERIFY(form.UpdateData(true));
        QCOMPARE(form.values().m_strSecurityType, QString());
    }

    void otherCommands_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("flags"); // a: --all, j: --json, q: --quiet
        QTest::newRow("ports") << QStringList{"ports"} << "" << int(Command::Ports) << "";
        QTest::newRow("ports --all --json") << QStringList{"ports", "--all", "--json", "--quiet"}
                                            << "" << int(Command::Ports) << "ajq";
        QTest::newRow("readout --port=") << QStringList{"readout", "--port=/dev/x", "--json"} << ""
                                         << int(Command::ReadOut) << "j";
        QTest::newRow("scan") << QStringList{"scan", "--port", "/dev/x", "--log", "/tmp/l"} << ""
                              << int(Command::Scan) << "";
        QTest::newRow("help anywhere")
            << QStringList{"scan", "--bad", "--help"} << "" << int(Command::Help) << "";
        QTest::newRow("version") << QStringList{"--version"} << "" << int(Command::Version) << "";
        QTest::newRow("nothing") << QStringList{} << "no command given" << 0 << "";
        QTest::newRow("unknown command")
            << QStringList{"flash"} << "unknown command \"flash\"" << 0 << "";
        QTest::newRow("readout without port")
            << QStringList{"readout"} << "give one --port" << 0 << "";
        QTest::newRow("scan with two ports")
            << QStringList{"scan", "--port", "/dev/a", "--port", "/dev/b"} << "give one --port" << 0
            << "";
        QTest::newRow("--all with scan") << QStringList{"scan", "--port", "/dev/a", "--all"}
                                         << "--all does not go with scan" << 0 << "";
        QTest::newRow("--ssid with ports")
            << QStringList{"ports", "--ssid", "x"} << "--ssid does not go with ports" << 0 << "";
        QTest::newRow("configure without port")
            << QStringList{"configure", "--ssid", "x", "--ad-hoc", "--security", "NONE"}
            << "give at least one --port" << 0 << "";
        QTest::newRow("unknown option")
            << QStringList{"ports", "--fast"} << "unknown option --fast" << 0 << "";
    }

    void otherCommands() {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        QFETCH(int, command);
        QFETCH(QString, flags);
        const ParseResult parsed = ParseArguments(args, QString());
        QCOMPARE(parsed.error, error);
        if (!error.isEmpty())
            return;
        QCOMPARE(int(parsed.options.command), command);
        QCOMPARE(parsed.options.all, flags.contains(u'a'));
        QCOMPARE(parsed.options.json, flags.contains(u'j'));
        QCOMPARE(parsed.options.quiet, flags.contains(u'q'));
        QCOMPARE(parsed.options.language, kEnglish);
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "test_cli_options.moc"
