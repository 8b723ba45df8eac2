#pragma once

#include "cli/cli_options.h"

#include <QString>

#include <functional>
#include <memory>

namespace velinor {

class Clock;
class PortEnumerator;
class SerialPort;

namespace cli {

class ConsoleOutput;

// What the commands need of the world. Each port's work gets its own serial
// port and clock, made on the thread that uses them.
struct Environment {
    PortEnumerator& ports;
    std::function<std::unique_ptr<SerialPort>()> makePort;
    std::function<std::unique_ptr<Clock>()> makeClock;
    QString sysfsRoot; // "/sys": the switches that restart the adapter
    ConsoleOutput& console;
};

// Runs the command of the options; the exit code. key and password are the
// secrets that were read for configure.
int RunCommand(const Options& options, const QString& key, const QString& password,
               Environment& env);

} // namespace cli
} // namespace velinor
