#pragma once

#include "base/main_form.h"

#include <QString>
#include <QStringList>

namespace velinor::cli {

enum class Command { Ports, ReadOut, Scan, Configure, Help, Version };

// Exit codes of velinor-cli.
enum ExitCode {
    kExitOk = 0,
    kExitRefused = 1, // the adapter or a check refused
    kExitUsage = 2,   // wrong usage
    kExitNoPort = 3,  // the port could not be opened or the adapter did not answer the probe
};

enum class SecretSource { None, File, Stdin };

// The command line, parsed.
struct Options {
    Command command = Command::Help;
    QStringList ports;
    bool all = false;
    bool json = false;
    bool quiet = false;
    int language = 0; // 0 German, 10000 English
    QString logFile;

    // configure
    QString ssid;
    bool accessPoint = false;
    bool adHoc = false;
    int security = -1;
    QString channel;
    SecretSource keySource = SecretSource::None;
    QString keyFile;
    QString user;
    QString domain;
    QString passwordFile;
    bool passwordStdin = false;
    QString certificateFile;

    // Whether the security type takes a key (WEP to WPA2) or the enterprise credentials.
    bool needsKey() const;
    bool isEnterprise() const;
};

struct ParseResult {
    Options options;
    QString error; // not empty: wrong usage, with this explanation
};

// The text that --help prints and that follows a usage error.
QString UsageText();

// The language when --lang is not given: German when LANG begins with "de".
int DefaultLanguage(const QString& langVariable);

// Parses the arguments after the program name.
ParseResult ParseArguments(const QStringList& args, const QString& langVariable);

// Fills the form's values as a user would fill the form: SSID, access type,
// security type, channel, key, and for the enterprise types user, domain and password.
void FillForm(const Options& options, const QString& key, const QString& password, MainForm& form);

} // namespace velinor::cli
