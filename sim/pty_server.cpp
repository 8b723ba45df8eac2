#include "sim/pty_server.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace velinor {

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyServer::PtyServer(QObject* parent) : QObject(parent) {
    m_dueTimer.setSingleShot(true);
    m_dueTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_dueTimer, &QTimer::timeout, this, &PtyServer::flushOutput);
}

PtyServer::~PtyServer() {
    stop();
}

bool PtyServer::start() {
    if (isRunning())
        return true;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        m_error = systemError("posix_openpt");
        return false;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    const char* name = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || !(name = ::ptsname(master))) {
        m_error = systemError("pseudo-terminal");
        ::close(master);
        return false;
    }
    const QString path = QString::fromLocal8Bit(name);
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        m_error = systemError("open port side");
        ::close(master);
        return false;
    }
    // Raw: no echo, no line editing, "\r" stays "\r" both ways.
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    m_master = master;
    m_slave = slave;
    m_devicePath = path;
    m_error.clear();
    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyServer::onReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyServer::onWritable);
    return true;
}

void PtyServer::stop() {
    closeTerminal();
    removeLink();
    if (m_transcript.isOpen())
        m_transcript.close();
}

void PtyServer::vanish() {
    m_model.setVanished(true);
    if (isRunning()) {
        closeTerminal();
        emit vanished();
    }
}

bool PtyServer::comeBack() {
    m_model.setVanished(false);
    if (isRunning())
        return true;
    const QString link = m_linkPath;
    m_linkPath.clear(); // the old link points to the old port side
    return start() && (link.isEmpty() || setLink(link));
}

void PtyServer::closeTerminal() {
    m_dueTimer.stop();
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_outgoing.clear();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

bool PtyServer::setLink(const QString& path) {
    if (!isRunning()) {
        m_error = QStringLiteral("the pseudo-terminal is not open");
        return false;
    }
    removeLink();
    const QByteArray link = QFile::encodeName(path);
    const QFileInfo existing(path);
    if (existing.isSymLink()) {
        ::unlink(link.constData());
    } else if (existing.exists()) {
        m_error = QStringLiteral("%1 exists and is not a symbolic link").arg(path);
        return false;
    }
    if (::symlink(QFile::encodeName(m_devicePath).constData(), link.constData()) != 0) {
        m_error = systemError("symlink");
        return false;
    }
    m_linkPath = path;
    return true;
}

void PtyServer::removeLink() {
    if (m_linkPath.isEmpty())
        return;
    // Only the link that this server made.
    const QFileInfo link(m_linkPath);
    if (link.isSymLink() && link.symLinkTarget() == QFileInfo(m_devicePath).absoluteFilePath())
        ::unlink(QFile::encodeName(m_linkPath).constData());
    m_linkPath.clear();
}

bool PtyServer::setTranscriptFile(const QString& path) {
    if (m_transcript.isOpen())
        m_transcript.close();
    m_transcript.setFileName(path);
    if (!m_transcript.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("%1: %2").arg(path, m_transcript.errorString());
        return false;
    }
    return true;
}

QByteArray PtyServer::escapeCommand(const QByteArray& command) {
    QByteArray line;
    line.reserve(command.size() + 4);
    for (const char c : command) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    return line;
}

void PtyServer::onReadable() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_model.receive(QByteArray(buffer, qsizetype(n)));
            recordCommands();
            if (m_model.vanished()) {
                closeTerminal();
                emit vanished();
                return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: all read
    }
    flushOutput();
}

void PtyServer::recordCommands() {
    const QList<QByteArray>& transcript = m_model.transcript();
    m_commandsSeen = std::min(m_commandsSeen, transcript.size());
    for (; m_commandsSeen < transcript.size(); ++m_commandsSeen) {
        const QByteArray& command = transcript.at(m_commandsSeen);
        if (m_transcript.isOpen()) {
            m_transcript.write(escapeCommand(command) + '\n');
            m_transcript.flush();
        }
        emit commandReceived(command);
    }
}

void PtyServer::flushOutput() {
    if (!isRunning())
        return;
    m_outgoing += m_model.takeOutput(m_model.pendingOutput());
    while (!m_outgoing.isEmpty()) {
        const ssize_t n = ::write(m_master, m_outgoing.constData(), size_t(m_outgoing.size()));
        if (n > 0) {
            m_outgoing.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // the terminal is full: go on when it can take more
    }
    m_writeNotifier->setEnabled(!m_outgoing.isEmpty());
    schedule();
}

void PtyServer::onWritable() {
    flushOutput();
}

void PtyServer::schedule() {
    const qint64 next = m_model.nextDueMs();
    if (next < 0) {
        m_dueTimer.stop();
        return;
    }
    m_dueTimer.start(int(std::max<qint64>(0, next - m_clock.elapsedMs())));
}

} // namespace velinor
