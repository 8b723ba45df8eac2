#include "log/log_writer.h"

#include "base/clock.h"
#include "base/prompts.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace velinor {

QString GetErrorText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

LogWriter::LogWriter(const QString& directory, const Clock& clock, Prompts& prompts,
                     std::function<void()> switchLoggingOff)
    : m_path(directory + QStringLiteral("/log.txt")), m_clock(clock), m_prompts(prompts),
      m_switchOff(std::move(switchLoggingOff)) {}

bool LogWriter::LogWrite(const QString& text) {
    if (m_held) {
        m_held->append(text.toUtf8());
        return true;
    }
    const QByteArray path = m_path.toLocal8Bit();
    // Owner only: the log holds keys in plain text.
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        const QByteArray bytes = text.toUtf8();
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        ::close(fd);
        return true;
    }
    const int error = errno;
    if (!m_bLogErrorShown) {
        m_bLogErrorShown = true;
        m_prompts.message(
            QStringLiteral("Log error: %1\nLogging disabled.").arg(GetErrorText(error)),
            PromptIcon::Warning);
        if (m_switchOff)
            m_switchOff();
    }
    return true;
}

QString LogWriter::timeStamp() const {
    return m_clock.now().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) + QStringLiteral(" : ");
}

bool LogWriter::LogTimeStamp() {
    return LogWrite(timeStamp());
}

void EventLog::entry(std::initializer_list<QString> texts) {
    if (!active())
        return;
    m_writer.LogTimeStamp();
    for (const QString& t : texts)
        m_writer.LogWrite(t);
}

} // namespace velinor
