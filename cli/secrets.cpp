#include "cli/secrets.h"

#include "base/ui_text.h"
#include "cli/cli_options.h"
#include "log/log_writer.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace velinor::cli {
namespace {

constexpr int kTextKey = 503;
constexpr int kTextPassword = 513;
// A key or password file is read no further than this.
constexpr qint64 kMaxSecretFile = 64 * 1024;

// The terminal's settings while its echo is off, for a signal that ends the program then.
termios g_savedTerminal{};

void restoreTerminalAndDie(int signal) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool readLineFromStdin(QString& line) {
    QByteArray bytes;
    for (;;) {
        const int c = std::fgetc(stdin);
        if (c == EOF) {
            if (std::ferror(stdin))
                return false;
            break;
        }
        if (c == '\n')
            break;
        if (bytes.size() < kMaxSecretFile)
            bytes.append(char(c));
    }
    line = FirstLine(bytes);
    return true;
}

} // namespace

QString FirstLine(const QByteArray& text) {
    QByteArray line = text.left(text.indexOf('\n') < 0 ? text.size() : text.indexOf('\n'));
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

bool ConsoleSecretInput::stdinIsTerminal() const {
    return ::isatty(STDIN_FILENO) == 1;
}

bool ConsoleSecretInput::readStdinLine(QString& line) {
    return readLineFromStdin(line);
}

bool ConsoleSecretInput::askHidden(const QString& prompt, QString& answer) {
    std::fputs(prompt.toUtf8().constData(), stderr);
    std::fflush(stderr);
    termios saved{};
    const bool haveTerminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    using Handler = void (*)(int);
    Handler oldInt = SIG_DFL;
    Handler oldTerm = SIG_DFL;
    Handler oldHup = SIG_DFL;
    if (haveTerminal) {
        // Ctrl+C at the prompt must not leave the terminal without echo.
        g_savedTerminal = saved;
        oldInt = std::signal(SIGINT, restoreTerminalAndDie);
        oldTerm = std::signal(SIGTERM, restoreTerminalAndDie);
        oldHup = std::signal(SIGHUP, restoreTerminalAndDie);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    const bool ok = readLineFromStdin(answer);
    if (haveTerminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::signal(SIGINT, oldInt);
        std::signal(SIGTERM, oldTerm);
        std::signal(SIGHUP, oldHup);
    }
    return ok;
}

bool ConsoleSecretInput::readFileLine(const QString& path, QString& line, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    line = FirstLine(file.read(kMaxSecretFile));
    return true;
}

bool ReadSecrets(const Options& options, SecretInput& input, QString& key, QString& password,
                 QString& error) {
    key.clear();
    password.clear();
    const QString keyPrompt = UiText(kTextKey, options.language) + QStringLiteral(": ");
    if (options.needsKey()) {
        switch (options.keySource) {
        case SecretSource::File:
            if (!input.readFileLine(options.keyFile, key, error))
                return false;
            break;
        case SecretSource::Stdin:
            // Typed at a terminal, the key is not shown either.
            if (input.stdinIsTerminal() ? !input.askHidden(keyPrompt, key)
                                        : !input.readStdinLine(key)) {
                error = QStringLiteral("standard input: %1").arg(GetErrorText(errno));
                return false;
            }
            break;
        case SecretSource::None:
            if (input.stdinIsTerminal() && !input.askHidden(keyPrompt, key)) {
                error = QStringLiteral("standard input: %1").arg(GetErrorText(errno));
                return false;
            }
            break;
        }
    }
    if (options.isEnterprise()) {
        if (!options.passwordFile.isNull()) {
            if (!input.readFileLine(options.passwordFile, password, error))
                return false;
        } else if (options.passwordStdin && !input.stdinIsTerminal()) {
            if (!input.readStdinLine(password)) {
                error = QStringLiteral("standard input: %1").arg(GetErrorText(errno));
                return false;
            }
        } else if (input.stdinIsTerminal() &&
                   !input.askHidden(UiText(kTextPassword, options.language) + QStringLiteral(": "),
                                    password)) {
            error = QStringLiteral("standard input: %1").arg(GetErrorText(errno));
            return false;
        }
    }
    return true;
}

} // namespace velinor::cli
