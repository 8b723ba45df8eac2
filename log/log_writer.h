#pragma once

#include "log/log_location.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace velinor {

class Clock;
class Prompts;

// The system's text for an error number (strerror).
QString GetErrorText(int code);

// Appends to log.txt in the directory of its location. The file is opened for
// every single write and closed again. The first failure of a run is shown once
// and switches logging off through the callback; the text is then lost.
class LogWriter {
public:
    LogWriter(const LogLocation& location, const Clock& clock, Prompts& prompts,
              std::function<void()> switchLoggingOff);
    LogWriter(const QString& directory, const Clock& clock, Prompts& prompts,
              std::function<void()> switchLoggingOff)
        : LogWriter(LogLocation{directory}, clock, prompts, std::move(switchLoggingOff)) {}

    const QString& path() const { return m_path; }
    // Writes to this file instead of log.txt in the directory.
    void setFilePath(const QString& path) {
        m_path = path;
        m_createDir.clear();
    }
    // While a buffer is set, the texts are appended to it instead of the file, so
    // that the entries of one piece of work can go to the file later in one piece.
    void holdIn(QByteArray* buffer) { m_held = buffer; }

    // Always true: a failure is handled here and never reaches the caller.
    bool LogWrite(const QString& text);
    bool LogTimeStamp();

    // "%d.%m.%Y %H:%M:%S : " of the clock's local time: always 22 characters.
    QString timeStamp() const;

    bool errorShown() const { return m_bLogErrorShown; }

private:
    QString m_path;
    QString m_createDir; // made before each write when not empty
    const Clock& m_clock;
    Prompts& m_prompts;
    std::function<void()> m_switchOff;
    bool m_bLogErrorShown = false;
    QByteArray* m_held = nullptr;
};

// The writers' view of the log: entries are written only while logging is on.
class EventLog {
public:
    EventLog(LogWriter& writer, std::function<bool()> isActive)
        : m_writer(writer), m_isActive(std::move(isActive)) {}

    bool active() const { return m_isActive(); }
    // When logging is on: the time stamp, then each text with its own write.
    void entry(std::initializer_list<QString> texts);
    void entry(const QString& text) { entry({text}); }
    LogWriter& writer() { return m_writer; }

private:
    LogWriter& m_writer;
    std::function<bool()> m_isActive;
};

} // namespace velinor
