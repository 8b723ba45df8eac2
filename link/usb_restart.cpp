#include "link/usb_restart.h"

#include "base/clock.h"
#include "log/log_writer.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velinor {
namespace {

QByteArray readAttribute(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64).trimmed().toLower(); // mutants: skip (ids are a few bytes)
}

} // namespace

UsbRestart::UsbRestart(QString sysfsRoot, Clock& clock, EventLog& log)
    : m_sysfsRoot(std::move(sysfsRoot)), m_clock(clock), m_log(log) {}

QStringList UsbRestart::adapterSwitches() const {
    QStringList switches;
    const QDir devices(m_sysfsRoot + QStringLiteral("/bus/usb/devices"));
    const QStringList names =
        devices.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& name : names) {
        const QString dir = devices.filePath(name);
        if (readAttribute(dir + QStringLiteral("/idVendor")) != kVendorId ||
            readAttribute(dir + QStringLiteral("/idProduct")) != kProductId)
            continue;
        switches << dir + QStringLiteral("/authorized");
    }
    return switches;
}

int UsbRestart::writeSwitch(const QString& path, char value) {
    const QByteArray native = QFile::encodeName(path);
    // No O_CREAT: a device that has gone away must not turn into a plain file.
    const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ssize_t n;
    do {
        n = ::write(fd, &value, 1);
    } while (n < 0 && errno == EINTR); // mutants: skip (a byte's write gives 1 or -1)
    const int error = n == 1 ? 0 : (n < 0 ? errno : EIO);
    if (::close(fd) != 0 && error == 0) // mutants: skip (closing a switch does not fail here)
        return errno == EINTR ? 0 : errno;
    return error;
}

void UsbRestart::logFailure(int error) {
    m_log.entry(QStringLiteral("usbrestart error: %1\n").arg(error));
}

bool UsbRestart::RestartAdapter() {
    if (!m_enabled)
        return false; // mutants: skip (switched off, it restarts nothing either way)
    const QStringList switches = adapterSwitches();
    if (switches.isEmpty()) {
        logFailure(ENOENT);
        return false;
    }

    QStringList disabled;
    for (const QString& path : switches) {
        const int error = writeSwitch(path, '0');
        if (error != 0) {
            // Do not leave a device that was switched off here switched off.
            for (const QString& done : disabled)
                writeSwitch(done, '1');
            logFailure(error);
            return false;
        }
        disabled << path;
    }
    m_clock.pause(kPauseMs);

    int enableError = 0;
    for (const QString& path : switches) {
        const int error = writeSwitch(path, '1');
        if (error != 0 && enableError == 0)
            enableError = error;
    }
    if (enableError != 0) {
        logFailure(enableError);
        return false;
    }
    m_clock.pause(kPauseMs);
    return true;
}

} // namespace velinor
