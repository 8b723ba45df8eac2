#pragma once

#include "cli/cli_options.h"

#include <QString>

#include <functional>
#include <memory>

namespace velinor {

class Clock;
class PortEnumerator;
class SerialPort;
class StopRequest;

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
    // The signals that ask to stop (none: nothing stops the work). A read-out or scan
    // stops at the first; configure stops each adapter before its factory reset, or
    // finishes one already reset, and stops it at once at the second.
    const StopRequest* stop = nullptr;
};

// Runs the command of the options; the exit code. key and password are the
// secrets that were read for configure. After a stop signal: 128 + its number.
int RunCommand(const Options& options, const QString& key, const QString& password,
               Environment& env);

// A stop signal came while the key or password was asked for: tells so and logs it;
// the exit code.
int StoppedAtQuestion(const Options& options, Environment& env);

} // namespace cli
} // namespace velinor
