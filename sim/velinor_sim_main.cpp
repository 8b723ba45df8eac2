// velinor-sim: the simulated adapter on a pseudo-terminal, for the tool or any serial program.
#include "sim/fault_draw.h"
#include "sim/pty_server.h"
#include "sim/sim_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

bool catchStopSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velinor-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates the wireless LAN adapter on a pseudo-terminal and prints the path of its "
        "serial port. Runs until interrupted (Ctrl+C) or terminated."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("link"),
                      QStringLiteral("Also make <path> a symbolic link to the serial port."),
                      QStringLiteral("path")});
    parser.addOption(
        {QStringLiteral("fault-seed"),
         QStringLiteral("Draw faults at random from <seed>: each line read on standard input "
                        "clears the fault before and draws the next one (silent, I/ERROR, "
                        "garbage, late or split replies, vanishing after some commands, or "
                        "none), printed as one line on standard output. An adapter that has "
                        "vanished comes back (on a new port side) at the next draw."),
         QStringLiteral("seed")});
    velinor::sim_options::add(parser);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "velinor-sim: unexpected argument %s\n",
                     qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    if (!catchStopSignals()) {
        std::perror("velinor-sim: signals");
        return 1;
    }
    velinor::PtyServer server;
    if (!server.start()) {
        std::fprintf(stderr, "velinor-sim: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    QString error;
    if (!velinor::sim_options::apply(parser, server, error)) {
        std::fprintf(stderr, "velinor-sim: %s\n", qPrintable(error));
        return 2;
    }
    if (parser.isSet(QStringLiteral("link")) &&
        !server.setLink(parser.value(QStringLiteral("link")))) {
        std::fprintf(stderr, "velinor-sim: %s\n", qPrintable(server.errorString()));
        return 1;
    }

    std::unique_ptr<velinor::FaultDraw> draw;
    std::unique_ptr<QSocketNotifier> drawInput;
    if (parser.isSet(QStringLiteral("fault-seed"))) {
        bool ok = false;
        const quint64 seed = parser.value(QStringLiteral("fault-seed")).toULongLong(&ok);
        if (!ok) {
            std::fprintf(stderr, "velinor-sim: --fault-seed wants a number of 0 or more\n");
            return 2;
        }
        draw = std::make_unique<velinor::FaultDraw>(seed);
        drawInput = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(drawInput.get(), &QSocketNotifier::activated, &app, [&] {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                drawInput->setEnabled(false); // end of input: the last fault stays
                return;
            }
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] != '\n')
                    continue;
                if (server.model().vanished()) {
                    if (!server.comeBack()) {
                        std::fprintf(stderr, "velinor-sim: %s\n", qPrintable(server.errorString()));
                        QCoreApplication::exit(1);
                        return;
                    }
                    std::fprintf(stderr, "velinor-sim: the adapter is back at %s\n",
                                 qPrintable(server.devicePath()));
                }
                server.model().clearTranscript(); // the file keeps it; memory stays bounded
                const velinor::DrawnFault fault = draw->next();
                fault.applyTo(server.model());
                if (server.model().vanished())
                    server.vanish();
                std::printf("%s\n", fault.describe().constData());
                std::fflush(stdout);
            }
        });
    }

    QSocketNotifier stopper(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopper, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    QObject::connect(&server, &velinor::PtyServer::vanished,
                     [] { std::fprintf(stderr, "velinor-sim: the adapter has vanished\n"); });

    std::printf("%s\n", qPrintable(server.devicePath()));
    std::fflush(stdout);
    const int result = QCoreApplication::exec();
    server.stop(); // removes the link
    return result;
}
