#pragma once

#include <QString>

namespace velinor {
class StopSignals;
}

namespace velinor::cli {

struct Options;

// Where the key and the password come from: files, standard input, or the user
// at the terminal. Never the command line, which other users see.
class SecretInput {
public:
    virtual ~SecretInput() = default;
    virtual bool stdinIsTerminal() const = 0;
    // The first line of standard input, without its line end.
    virtual bool readStdinLine(QString& line) = 0;
    // Asks on the terminal with echo off; false when the answer could not be read or a
    // stop signal came (the terminal is as it was before, echo on).
    virtual bool askHidden(const QString& prompt, QString& answer) = 0;
    // The first line of the file, without its line end; false with the reason.
    virtual bool readFileLine(const QString& path, QString& line, QString& error) = 0;
};

// The real standard input and terminal. A question on the terminal ends when one of the
// signals comes (errno EINTR).
class ConsoleSecretInput : public SecretInput {
public:
    explicit ConsoleSecretInput(const StopSignals& stopSignals) : m_signals(stopSignals) {}
    bool stdinIsTerminal() const override;
    bool readStdinLine(QString& line) override;
    bool askHidden(const QString& prompt, QString& answer) override;
    bool readFileLine(const QString& path, QString& line, QString& error) override;

private:
    const StopSignals& m_signals;
};

// The key (for WEP to WPA2) and the password (for the enterprise types) that
// the options name. A secret that no option names is asked for when standard
// input is a terminal, else left empty for the form's checks to refuse.
// false with the reason when a file or standard input cannot be read.
bool ReadSecrets(const Options& options, SecretInput& input, QString& key, QString& password,
                 QString& error);

// The text up to the first line end, without a carriage return before it.
QString FirstLine(const QByteArray& text);

} // namespace velinor::cli
