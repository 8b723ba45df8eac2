#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace velinor {

class EventLog;
class MainForm;
class ModuleLink;
class SerialPort;

// Read out: shows in the main form the SSID, security type, channel and access
// type that the adapter holds (never the key).
class ReadOut {
public:
    static constexpr int kReadPauseMs = 50;
    static constexpr int kOpenAttempts = 5;

    // openSelectedPort opens the port chosen in the form with the given number of
    // attempts, stores it in the link and tells the user itself when it fails.
    ReadOut(MainForm& form, ModuleLink& link, EventLog& log,
            std::function<bool(int attempts)> openSelectedPort);

    // Opens the port, reads the settings into the form, closes the port.
    void OnReadOut();
    // The read-out proper, on the port the link holds.
    void ReadOutSettings();

    // The four queries: each throws away pending input, sends its command, waits
    // and reads once. The failure values are an empty SSID and -1.
    QString QuerySsid(SerialPort* port);
    qint32 QuerySecurityType(SerialPort* port);
    qint32 QueryChannel(SerialPort* port);
    qint32 QueryAccessType(SerialPort* port);

    // Reply parsing. The adapter echoes the query, then sends the value line and
    // "I/OK", each line ended by "\r\n". ok is false for a failed query.
    static qint32 ParseNumberReply(const QByteArray& reply, bool* ok = nullptr);
    static QString ParseSsidReply(const QByteArray& reply, bool* ok = nullptr);
    // 0 ad hoc (the SSID value begins with "!"), 1 access point, -1 failed.
    static qint32 ParseAccessTypeReply(const QByteArray& reply);

private:
    QByteArray query(SerialPort* port, const QByteArray& command);

    MainForm& m_form;
    ModuleLink& m_link;
    EventLog& m_log;
    std::function<bool(int)> m_openSelectedPort;
};

} // namespace velinor
