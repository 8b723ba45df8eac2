// velinor-demo: the tool on the simulated adapter. The adapter model is served on a
// pseudo-terminal on a thread of its own and reported as the adapter's serial port
// (USB 7C5E:0003), so every exchange goes through the real serial port code.
#include "base/port_enumerator.h"
#include "base/settings.h"
#include "link/port_list.h"
#include "sim/pty_server.h"
#include "sim/pty_server_thread.h"
#include "sim/sim_options.h"
#include "ui/desktop_tool.h"
#include "ui/setup_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace velinor;

namespace {

// Reports one port, the demo's adapter, with the adapter's USB ids.
class DemoPortEnumerator : public PortEnumerator {
public:
    explicit DemoPortEnumerator(QString path) : m_path(std::move(path)) {}
    QList<PortInfo> ports() const override {
        return {{m_path, true, kAdapterVendorId, kAdapterProductId}};
    }

private:
    QString m_path;
};

// The options that shape the simulated adapter; they mean nothing with --port.
bool usesSimulatorOptions(const QCommandLineParser& parser) {
    const char* const names[] = {"transcript",   "networks",  "silent",    "error",
                                 "garbage",      "late",      "split",     "split-gap",
                                 "vanish-after", "key-delay", "scan-delay"};
    for (const char* name : names)
        if (parser.isSet(QLatin1String(name)))
            return true;
    return false;
}

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Runs Velinor on a simulated wireless LAN adapter served on a pseudo-terminal, or on "
        "the serial port given with --port, which is reported as the adapter's port. "
        "settings.ini is read and written in the current directory; the adapter's port is "
        "remembered there, so that it is selected at start."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("Use the serial port <path> (for example one served by "
                                     "velinor-sim) instead of a simulated adapter of its own."),
                      QStringLiteral("path")});
    sim_options::add(parser);
}

// --help and --version need no display.
bool asksForText(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
            arg == "--version")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCommandLineParser parser;
    addOptions(parser);
    if (asksForText(argc, argv)) {
        QCoreApplication text(argc, argv);
        QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
        parser.process(text); // prints and exits
        return 0;
    }

    QApplication application(argc, argv);
    // The icons live in a static library: register them explicitly.
    Q_INIT_RESOURCE(velinor);
    QApplication::setApplicationName(QStringLiteral("Velinor"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    parser.process(application);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "velinor-demo: unexpected argument %s\n",
                     qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    PtyServerThread adapter;
    QString portPath;
    if (parser.isSet(QStringLiteral("port"))) {
        if (usesSimulatorOptions(parser)) {
            std::fprintf(stderr, "velinor-demo: the simulated adapter's options do not apply "
                                 "to a port given with --port\n");
            return 2;
        }
        portPath = parser.value(QStringLiteral("port"));
        if (!QFileInfo::exists(portPath)) {
            std::fprintf(stderr, "velinor-demo: %s does not exist\n", qPrintable(portPath));
            return 1;
        }
    } else {
        const bool started = adapter.start([&parser](PtyServer& server, QString& error) {
            QObject::connect(&server, &PtyServer::vanished, [] {
                std::fprintf(stderr, "velinor-demo: the simulated adapter has vanished\n");
            });
            return sim_options::apply(parser, server, error);
        });
        if (!started) {
            std::fprintf(stderr, "velinor-demo: %s\n", qPrintable(adapter.errorString()));
            return 1;
        }
        portPath = adapter.devicePath();
        std::fprintf(stderr, "velinor-demo: simulated adapter on %s\n", qPrintable(portPath));
    }

    const QString workingDir = QDir::currentPath();
    // The adapter's port is remembered, so that the form starts with it selected.
    if (portlist::isPortName(portPath) && portPath.size() <= Settings::kPortMaxChars)
        Settings(workingDir).setPort(portPath);
    // No real USB device is ever switched off: the adapter's switches are looked
    // for in an empty directory.
    QTemporaryDir sysfs;
    DemoPortEnumerator ports(portPath);
    const int result = RunDesktopTool(ports, sysfs.path());
    adapter.stop();
    return result;
}
