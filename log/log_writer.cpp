#include "log/log_writer.h"

#include "base/clock.h"
#include "base/prompts.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velinor {

QString GetErrorText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

namespace {

// Makes the directory and its missing parents, owner only; existing ones keep
// their rights. A failure shows in the open that follows.
void makeDirectory(const QString& directory) {
    const QByteArray path = directory.toLocal8Bit();
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path.at(i) == '/')
            ::mkdir(path.left(i).constData(), 0700);
    }
}

} // namespace

LogWriter::LogWriter(const LogLocation& location, const Clock& clock, Prompts& prompts,
                     std::function<void()> switchLoggingOff)
    : m_path(location.directory + QStringLiteral("/log.txt")),
      m_createDir(location.create ? location.directory : QString()), m_clock(clock),
      m_prompts(prompts), m_switchOff(std::move(switchLoggingOff)) {}

bool LogWriter::LogWrite(const QString& text) {
    if (m_held) {
        m_held->append(text.toUtf8());
        return true;
    }
    if (!m_createDir.isEmpty())
        makeDirectory(m_createDir);
    const QByteArray path = m_path.toLocal8Bit();
    // Owner only: the log holds keys in plain text.
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        // A write that fails (a full disk) is reported as a failed open is: the entry is lost.
        const QByteArray bytes = text.toUtf8();
        qsizetype done = 0;
        while (done < bytes.size() && error == 0) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR) // mutants: skip (a write gives at least 1 byte or -1)
                continue;
            if (n > 0)
                done += n;
            else
                error = n < 0 ? errno : EIO;
        }
        ::close(fd);
        if (error == 0)
            return true;
    }
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
