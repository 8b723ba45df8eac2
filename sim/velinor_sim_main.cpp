// velinor-sim: the simulated adapter on a pseudo-terminal, for the tool or any serial program.
#include "sim/pty_server.h"
#include "sim/sim_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
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
