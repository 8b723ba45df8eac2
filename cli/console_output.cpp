#include "cli/console_output.h"

#include <algorithm>
#include <cmath>

namespace velinor::cli {

ConsoleOutput::ConsoleOutput(std::FILE* out, std::FILE* err, bool errIsTerminal, bool showProgress)
    : m_out(out), m_err(err), m_errIsTerminal(errIsTerminal), m_showProgress(showProgress) {}

void ConsoleOutput::out(const QString& text) {
    const std::lock_guard lock(m_mutex);
    std::fputs(text.toUtf8().constData(), m_out);
    std::fflush(m_out);
}

void ConsoleOutput::err(const QString& text) {
    const std::lock_guard lock(m_mutex);
    clearBar();
    std::fputs((text + u'\n').toUtf8().constData(), m_err);
    drawBar();
    std::fflush(m_err);
}

void ConsoleOutput::startProgress(const QStringList& names) {
    const std::lock_guard lock(m_mutex);
    m_names = names;
    m_percent.assign(size_t(names.size()), -1);
    m_step.assign(size_t(names.size()), -1); // mutants: skip (any negative: no step yet)
}

void ConsoleOutput::progress(int port, double share, int step, int steps) {
    const std::lock_guard lock(m_mutex);
    if (!m_showProgress || port < 0 || port >= m_names.size())
        return;
    const auto i = size_t(port);
    if (m_errIsTerminal) {
        const int percent = int(std::floor(std::clamp(share, 0.0, 1.0) * 100.0));
        if (percent == m_percent[i])
            return;
        m_percent[i] = percent;
        drawBar();
    } else {
        if (step == m_step[i])
            return;
        m_step[i] = step;
        std::fputs(QStringLiteral("%1: %2/%3\n")
                       .arg(m_names.at(port))
                       .arg(step)
                       .arg(steps)
                       .toUtf8()
                       .constData(),
                   m_err);
    }
    std::fflush(m_err);
}

void ConsoleOutput::endProgress() {
    const std::lock_guard lock(m_mutex);
    clearBar();
    m_names.clear();
    std::fflush(m_err); // mutants: skip (standard error is unbuffered; tests read after a rewind)
}

void ConsoleOutput::drawBar() {
    if (!m_showProgress || !m_errIsTerminal || m_names.isEmpty())
        return;
    constexpr int kWidth = 20;
    QString line = QStringLiteral("\r");
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const int percent = std::max(0, m_percent[size_t(i)]);
        const int filled = percent * kWidth / 100;
        line += QStringLiteral("%1 [%2%3] %4%  ")
                    .arg(m_names.at(i), QString(filled, u'#'), QString(kWidth - filled, u' '))
                    .arg(percent, 3);
    }
    std::fputs(line.toUtf8().constData(), m_err);
    m_barShown = true;
}

void ConsoleOutput::clearBar() {
    if (!m_barShown)
        return;
    std::fputs("\r\033[K", m_err);
    m_barShown = false;
}

void PortProgress::progress(int done, int total) {
    if (total <= 0)
        return;
    if (m_steps == 0 || total == m_steps) {
        m_steps = total;
        m_done = std::min(done, total);
        m_console.progress(m_port, double(m_done) / total, m_done, m_steps);
        return;
    }
    // A share of a long wait within the step that is under way.
    const double within = double(std::min(done, total)) / total;
    m_console.progress(m_port, (m_done + within) / m_steps, m_done, m_steps);
}

void ConsolePrompts::message(const QString& text, PromptIcon) {
    m_last = text;
    m_console.err(m_prefix + text);
}

} // namespace velinor::cli
