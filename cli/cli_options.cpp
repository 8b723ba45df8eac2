#include "cli/cli_options.h"

#include "base/security_type.h"
#include "base/ui_text.h"

#include <functional>
#include <map>

namespace velinor::cli {

bool Options::needsKey() const {
    return security >= security::kWep && security <= security::kWpa2;
}

bool Options::isEnterprise() const {
    return security::isEnterprise(security);
}

QString UsageText() {
    return QStringLiteral(
        "Usage:\n"
        "  velinor-cli ports [--all] [--json]\n"
        "  velinor-cli readout   --port PORT [--json]\n"
        "  velinor-cli scan      --port PORT [--json]\n"
        "  velinor-cli configure --port PORT [--port PORT...] --ssid SSID (--access-point | "
        "--ad-hoc)\n"
        "                        --security "
        "NONE|WEP|WEP128|WPA|WPA2|WPA-ENTERPRISE|WPA2-ENTERPRISE\n"
        "                        [--channel N] [--key-file FILE | --key-stdin]\n"
        "                        [--user NAME] [--domain NAME]\n"
        "                        [--password-file FILE | --password-stdin]\n"
        "                        [--certificate FILE.pem] [--json]\n"
        "Common options: [--lang de|en] [--log FILE] [--quiet] [--help] [--version]\n"
        "\n"
        "Commands:\n"
        "  ports      the adapters' serial ports (USB 7C5E:0003); --all: every serial port\n"
        "             with its USB ids when known\n"
        "  readout    the SSID, security type, channel and access type the adapter holds\n"
        "  scan       the networks in range, lowest damping first\n"
        "  configure  check the settings and program the adapter on every PORT at once,\n"
        "             one result line per port (--json: its port, result, code, message)\n"
        "\n"
        "Options:\n"
        "  --port PORT          the adapter's serial port, e.g. /dev/ttyACM0\n"
        "  --json               one JSON document on standard output\n"
        "  --ssid SSID          the network name\n"
        "  --access-point, --ad-hoc  the access type\n"
        "  --security TYPE      the security type\n"
        "  --channel N          the channel (may be left out with --access-point)\n"
        "  --key-file FILE      read the key from the first line of FILE\n"
        "  --key-stdin          read the key from the first line of standard input\n"
        "  --user, --domain     the enterprise user name and domain\n"
        "  --password-file FILE read the enterprise password from the first line of FILE\n"
        "  --password-stdin     read the enterprise password from the first line of\n"
        "                       standard input\n"
        "  --certificate FILE   the enterprise CA certificate (PEM)\n"
        "  --lang de|en         the language of the messages (default: German when LANG\n"
        "                       begins with \"de\", else English)\n"
        "  --log FILE           append the log records to FILE (created readable by its\n"
        "                       owner only)\n"
        "  --quiet              no progress on standard error\n"
        "\n"
        "A key or password missing on a terminal is asked for without echo; keys and\n"
        "passwords are never taken from the command line.\n"
        "\n"
        "Exit codes: 0 success, 1 the adapter or a check refused, 2 wrong usage,\n"
        "3 the port could not be opened or the adapter did not answer,\n"
        "129, 130, 143 stopped by SIGHUP, Ctrl+C or SIGTERM. The first Ctrl+C stops each\n"
        "adapter before its factory reset, or finishes one already reset; a second one\n"
        "stops at once.\n");
}

int DefaultLanguage(const QString& langVariable) {
    return langVariable.startsWith(QLatin1String("de")) ? kGerman : kEnglish;
}

namespace {

enum Allowed : unsigned {
    kCommon = 0,
    kForPorts = 1,
    kForQuery = 2, // readout, scan
    kForConfigure = 4,
};

struct OptionSpec {
    bool takesValue;
    unsigned allowed; // the commands that know it; kCommon: every command
    std::function<QString(Options&, const QString& value)> apply; // error text or empty
};

QString setOnce(QString& target, const QString& value, const char* name) {
    if (!target.isNull())
        return QStringLiteral("%1 given twice").arg(QLatin1String(name));
    target = value.isNull() ? QStringLiteral("") : value;
    return {};
}

const std::map<QString, OptionSpec>& optionSpecs() {
    static const std::map<QString, OptionSpec> specs = {
        {QStringLiteral("--port"),
         {true, kForQuery | kForConfigure,
          [](Options& o, const QString& v) {
              o.ports.append(v);
              return QString();
          }}},
        {QStringLiteral("--all"),
         {false, kForPorts,
          [](Options& o, const QString&) {
              o.all = true;
              return QString();
          }}},
        {QStringLiteral("--json"),
         {false, kForPorts | kForQuery | kForConfigure,
          [](Options& o, const QString&) {
              o.json = true;
              return QString();
          }}},
        {QStringLiteral("--quiet"),
         {false, kCommon,
          [](Options& o, const QString&) {
              o.quiet = true;
              return QString();
          }}},
        {QStringLiteral("--lang"),
         {true, kCommon,
          [](Options& o, const QString& v) {
              if (v == QLatin1String("de"))
                  o.language = kGerman;
              else if (v == QLatin1String("en"))
                  o.language = kEnglish;
              else
                  return QStringLiteral("--lang takes de or en");
              return QString();
          }}},
        {QStringLiteral("--log"),
         {true, kCommon,
          [](Options& o, const QString& v) { return setOnce(o.logFile, v, "--log"); }}},
        {QStringLiteral("--ssid"),
         {true, kForConfigure,
          [](Options& o, const QString& v) { return setOnce(o.ssid, v, "--ssid"); }}},
        {QStringLiteral("--access-point"),
         {false, kForConfigure,
          [](Options& o, const QString&) {
              o.accessPoint = true;
              return QString();
          }}},
        {QStringLiteral("--ad-hoc"),
         {false, kForConfigure,
          [](Options& o, const QString&) {
              o.adHoc = true;
              return QString();
          }}},
        {QStringLiteral("--security"),
         {true, kForConfigure,
          [](Options& o, const QString& v) {
              if (o.security >= 0)
                  return QStringLiteral("--security given twice");
              o.security = security::indexOf(v.toUpper());
              if (o.security < 0)
                  return QStringLiteral("unknown security type \"%1\"").arg(v);
              return QString();
          }}},
        {QStringLiteral("--channel"),
         {true, kForConfigure,
          [](Options& o, const QString& v) { return setOnce(o.channel, v, "--channel"); }}},
        {QStringLiteral("--key-file"),
         {true, kForConfigure,
          [](Options& o, const QString& v) {
              if (o.keySource != SecretSource::None)
                  return QStringLiteral("give the key once: --key-file or --key-stdin");
              o.keySource = SecretSource::File;
              o.keyFile = v;
              return QString();
          }}},
        {QStringLiteral("--key-stdin"),
         {false, kForConfigure,
          [](Options& o, const QString&) {
              if (o.keySource != SecretSource::None)
                  return QStringLiteral("give the key once: --key-file or --key-stdin");
              o.keySource = SecretSource::Stdin;
              return QString();
          }}},
        {QStringLiteral("--user"),
         {true, kForConfigure,
          [](Options& o, const QString& v) { return setOnce(o.user, v, "--user"); }}},
        {QStringLiteral("--domain"),
         {true, kForConfigure,
          [](Options& o, const QString& v) { return setOnce(o.domain, v, "--domain"); }}},
        {QStringLiteral("--password-file"),
         {true, kForConfigure,
          [](Options& o, const QString& v) {
              if (o.passwordStdin)
                  return QStringLiteral("give the password once: --password-file or "
                                        "--password-stdin");
              return setOnce(o.passwordFile, v, "--password-file");
          }}},
        {QStringLiteral("--password-stdin"),
         {false, kForConfigure,
          [](Options& o, const QString&) {
              if (o.passwordStdin || !o.passwordFile.isNull())
                  return QStringLiteral("give the password once: --password-file or "
                                        "--password-stdin");
              o.passwordStdin = true;
              return QString();
          }}},
        {QStringLiteral("--certificate"),
         {true, kForConfigure,
          [](Options& o, const QString& v) {
              return setOnce(o.certificateFile, v, "--certificate");
          }}},
    };
    return specs;
}

// Rules that concern the options together, once all are read.
QString checkCombination(const Options& o) {
    switch (o.command) {
    case Command::ReadOut:
    case Command::Scan:
        if (o.ports.size() != 1)
            return QStringLiteral("give one --port");
        return {};
    case Command::Configure:
        break;
    default:
        return {};
    }
    if (o.ports.isEmpty())
        return QStringLiteral("give at least one --port");
    for (qsizetype i = 0; i < o.ports.size(); ++i) {
        if (o.ports.at(i).isEmpty())
            return QStringLiteral("--port is empty");
        if (o.ports.indexOf(o.ports.at(i)) != i)
            return QStringLiteral("port %1 given twice").arg(o.ports.at(i));
    }
    if (o.ssid.isNull())
        return QStringLiteral("--ssid is missing");
    if (o.accessPoint == o.adHoc)
        return QStringLiteral("give either --access-point or --ad-hoc");
    if (o.security < 0)
        return QStringLiteral("--security is missing");
    if (o.keySource != SecretSource::None && !o.needsKey())
        return QStringLiteral("%1 takes no key").arg(security::name(o.security));
    if (!o.isEnterprise() && (!o.user.isNull() || !o.domain.isNull() || !o.passwordFile.isNull() ||
                              o.passwordStdin || !o.certificateFile.isNull()))
        return QStringLiteral("--user, --domain, --password-file, --password-stdin and "
                              "--certificate belong to WPA-ENTERPRISE and WPA2-ENTERPRISE");
    return {};
}

} // namespace

ParseResult ParseArguments(const QStringList& args, const QString& langVariable) {
    ParseResult result;
    Options& o = result.options;
    o.language = DefaultLanguage(langVariable);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        o.command = Command::Help;
        return result;
    }
    if (args.contains(QLatin1String("--version"))) {
        o.command = Command::Version;
        return result;
    }
    if (args.isEmpty()) {
        result.error = QStringLiteral("no command given");
        return result;
    }

    static const std::map<QString, std::pair<Command, unsigned>> commands = {
        {QStringLiteral("ports"), {Command::Ports, kForPorts}},
        {QStringLiteral("readout"), {Command::ReadOut, kForQuery}},
        {QStringLiteral("scan"), {Command::Scan, kForQuery}},
        {QStringLiteral("configure"), {Command::Configure, kForConfigure}},
    };
    const auto command = commands.find(args.first());
    if (command == commands.end()) {
        result.error = QStringLiteral("unknown command \"%1\"").arg(args.first());
        return result;
    }
    o.command = command->second.first;
    const unsigned mask = command->second.second;

    for (qsizetype i = 1; i < args.size(); ++i) {
        QString name = args.at(i);
        QString value;
        bool inlineValue = false;
        const qsizetype equals = name.indexOf(u'=');
        if (name.startsWith(QLatin1String("--")) && equals > 2) {
            value = name.mid(equals + 1);
            name.truncate(equals);
            inlineValue = true;
        }
        const auto known = optionSpecs().find(name);
        if (known == optionSpecs().end()) {
            result.error = name.startsWith(u'-')
                               ? QStringLiteral("unknown option %1").arg(name)
                               : QStringLiteral("unexpected argument \"%1\"").arg(name);
            return result;
        }
        if (known->second.allowed != kCommon && !(known->second.allowed & mask)) {
            result.error = QStringLiteral("%1 does not go with %2").arg(name, args.first());
            return result;
        }
        if (known->second.takesValue && !inlineValue) {
            if (i + 1 >= args.size()) {
                result.error = QStringLiteral("%1 needs a value").arg(name);
                return result;
            }
            value = args.at(++i);
        } else if (!known->second.takesValue && inlineValue) {
            result.error = QStringLiteral("%1 takes no value").arg(name);
            return result;
        }
        const QString error = known->second.apply(o, value);
        if (!error.isEmpty()) {
            result.error = error;
            return result;
        }
    }
    result.error = checkCombination(o);
    return result;
}

void FillForm(const Options& options, const QString& key, const QString& password, MainForm& form) {
    FormValues& v = form.values();
    v.m_strSsid = options.ssid;
    v.m_strChannel = options.channel;
    v.m_strSecurityType = security::name(options.security);
    v.m_strKey = options.needsKey() ? key : QString();
    if (options.isEnterprise()) {
        v.m_strUser = options.user;
        v.m_strDomain = options.domain;
        v.m_strPassword = password;
    }
    form.setSecurityIndex(options.security);
    form.setAccessType(options.accessPoint, options.adHoc);
}

} // namespace velinor::cli
