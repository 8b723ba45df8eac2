#include "cli/secrets.h"

#include "base/stop_signals.h"
#include "base/ui_text.h"
#include "cli/cli_options.h"
#include "log/log_writer.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace velinor::cli {
namespace {

constexpr int kTextKey = 503;
constexpr int kTextPassword = 513;
// A key or password file is read no further than this (an endless file such as /dev/zero
// ends there; any longer first line is refused as a key anyway).
constexpr qint64 kMaxSecretFile = 64 * 1024; // mutants: skip

// One line typed at the terminal, read byte by byte beside the pipe of the stop signals, so that a
// signal ends the question (and the terminal gets its echo back) instead of the program.
bool readLineFromTerminal(const StopSignals& stopSignals, QString& line) {
    QByteArray bytes;
    for (;;) {
        if (stopSignals.level() > 0) {
            errno = EINTR;
            return false;
        }
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {stopSignals.wakeFd(), POLLIN, 0}};
        if (::poll(fds, fds[1].fd >= 0 ? 2 : 1, -1) < 0) { // mutants: skip (never descriptor 0)
            // (Only the stop signals interrupt it, and the loop ends on them either way.)
            if (errno == EINTR) // mutants: skip
                continue;
            return false;
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
            continue;
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0 || c == '\n')
            break;
        if (bytes.size() < kMaxSecretFile)
            bytes.append(c);
    }
    line = FirstLine(bytes);
    return true;
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
    termios saved{};
    const bool haveTerminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (haveTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    // The question shows once the echo is off.
    std::fputs(prompt.toUtf8().constData(), stderr);
    std::fflush(stderr);
    // Ctrl+C at the question ends the read (the signals are caught): the echo comes back here.
    const bool ok =
        haveTerminal ? readLineFromTerminal(m_signals, answer) : readLineFromStdin(answer);
    if (haveTerminal) {
        const int readErrno = errno;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        if (!ok)
            std::fputc('\n', stderr); // the line of the question ends
        errno = readErrno;
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
