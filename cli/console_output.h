#pragma once

#include "base/prompts.h"
#include "link/module_link.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

namespace velinor::cli {

// Standard output and standard error, shared by the threads of several ports.
// Messages and progress go to standard error: a line per step, or one bar line
// for all ports when standard error is a terminal.
class ConsoleOutput {
public:
    ConsoleOutput(std::FILE* out, std::FILE* err, bool errIsTerminal, bool showProgress);

    void out(const QString& text);
    // A line on standard error (the line end is added).
    void err(const QString& text);

    // Progress of the ports, by their index in names.
    void startProgress(const QStringList& names);
    void progress(int port, double share, int step, int steps);
    void endProgress();

private:
    void drawBar();
    void clearBar();

    std::mutex m_mutex;
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_errIsTerminal;
    bool m_showProgress;
    QStringList m_names;
    std::vector<int> m_percent;
    std::vector<int> m_step;
    bool m_barShown = false;
};

// The progress of one port's exchange with its adapter, told to the console.
// The first total it is told is the number of steps; other totals are shares of
// a long wait within the current step.
class PortProgress : public ProgressSink {
public:
    PortProgress(ConsoleOutput& console, int port) : m_console(console), m_port(port) {}
    void progress(int done, int total) override;

private:
    ConsoleOutput& m_console;
    int m_port;
    int m_steps = 0;
    int m_done = 0;
};

// The message boxes of one port's work, as lines on standard error. The last
// text is the reason of a failure.
class ConsolePrompts : public Prompts {
public:
    // prefix: put before each line ("/dev/ttyACM0: "), or empty.
    ConsolePrompts(ConsoleOutput& console, QString prefix)
        : m_console(console), m_prefix(std::move(prefix)) {}
    void message(const QString& text, PromptIcon icon) override;
    const QString& lastText() const { return m_last; }

private:
    ConsoleOutput& m_console;
    QString m_prefix;
    QString m_last;
};

} // namespace velinor::cli
