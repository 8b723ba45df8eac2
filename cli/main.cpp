// velinor-cli: configure, read out and scan from a shell, several adapters at once.
#include "base/stop_signals.h"
#include "base/system_clock.h"
#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "cli/console_output.h"
#include "cli/secrets.h"
#include "link/qt_port_enumerator.h"
#include "link/qt_serial_port.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

using namespace velinor;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // From here on Ctrl+C, SIGTERM and SIGHUP are counted, not fatal: the work stops
    // where it can, the ports are closed and the exit code is 128 + the signal.
    const StopSignals stopSignals;
    const cli::ParseResult parsed =
        cli::ParseArguments(app.arguments().mid(1), qEnvironmentVariable("LANG"));
    const cli::Options& options = parsed.options;
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "velinor-cli: %s\n\n%s", qPrintable(parsed.error),
                     qPrintable(cli::UsageText()));
        return cli::kExitUsage;
    }
    if (options.command == cli::Command::Help) {
        std::fputs(qPrintable(cli::UsageText()), stdout);
        return cli::kExitOk;
    }
    if (options.command == cli::Command::Version) {
        std::printf("velinor-cli %s\n", PROJECT_VERSION);
        return cli::kExitOk;
    }

    cli::ConsoleOutput console(stdout, stderr, ::isatty(STDERR_FILENO) == 1, !options.quiet);
    QtPortEnumerator ports;
    cli::Environment env{
        ports,
        [] { return std::make_unique<QtSerialPort>(); },
        [] { return std::make_unique<SystemClock>(); },
        QStringLiteral("/sys"),
        console,
        stopSignals.installed() ? &stopSignals : nullptr,
    };

    QString key;
    QString password;
    QString error;
    cli::ConsoleSecretInput input(stopSignals);
    if (options.command == cli::Command::Configure &&
        !cli::ReadSecrets(options, input, key, password, error)) {
        if (stopSignals.level() > 0)
            return cli::StoppedAtQuestion(options, env);
        std::fprintf(stderr, "velinor-cli: %s\n", qPrintable(error));
        return cli::kExitUsage;
    }
    return cli::RunCommand(options, key, password, env);
}
