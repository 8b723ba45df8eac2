#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

namespace velinor {

class Clock;

// A model of the adapter's command set. It receives bytes, splits them into
// commands at "\r", and queues its replies with the time at which they are
// due on the clock it was given. Settings are stored by name ("WLSI", "WST0",
// "WLCH", "WKY0", "WPP0", "CA", "EUSN", "HIF", "BDRF", "BRM"); "AT+IFD" restores
// the defaults and "AT+IDOWN" makes the stored settings the running ones.
class AdapterModel {
public:
    enum class Fault { None, Silent, Error, Garbage };
    // Bytes of a reply that become due afterMs after the command.
    struct Part {
        int afterMs;
        QByteArray bytes;
    };

    static constexpr int kDefaultKeyDelayMs = 2000;
    static constexpr int kDefaultScanDelayMs = 4000;
    static constexpr int kMaxPendingInput = 64 * 1024;

    explicit AdapterModel(const Clock& clock);

    // Takes the complete commands (up to and including "\r") out of the front of
    // buffer and returns them; an incomplete rest stays in buffer.
    static QList<QByteArray> splitCommands(QByteArray& buffer);
    // The command's name: "AT+IWLSI" of "AT+IWLSI=x\r" or "AT+IWLSI?\r"; "AT+IFD" of "AT+IFD\r".
    static QByteArray commandName(const QByteArray& command);

    // Bytes from the host. Ignored while vanished.
    void receive(const QByteArray& bytes);
    // Up to maxBytes of the output that is due by now; removed from the queue.
    QByteArray takeOutput(qint64 maxBytes);
    // Bytes of output due by now.
    qint64 pendingOutput() const;
    // Time (on the clock) when the next not yet due output becomes due; -1 when none.
    qint64 nextDueMs() const;
    // Bytes of output due by the given time on the clock.
    qint64 dueBy(qint64 timeMs) const;
    // Time on the clock by which this many bytes of output are due; -1 when never.
    qint64 dueTimeFor(qint64 bytes) const;
    // Throws away everything queued, due or not.
    void clearOutput();

    // Every command received, with its "\r", in order.
    const QList<QByteArray>& transcript() const { return m_transcript; }
    void clearTranscript() { m_transcript.clear(); }

    QByteArray stored(const QByteArray& name) const { return m_stored.value(name); }
    QByteArray running(const QByteArray& name) const { return m_running.value(name); }
    void setStored(const QByteArray& name, const QByteArray& value) { m_stored[name] = value; }

    // The scan list: one network line per entry, without line end.
    void setNetworks(const QList<QByteArray>& lines) { m_networks = lines; }
    const QList<QByteArray>& networks() const { return m_networks; }
    static QList<QByteArray> defaultNetworks();

    // Faults, per command name as commandName() gives it.
    void setFault(const QByteArray& name, Fault fault);
    // Removes every fault, delay, split and pending vanish (not the replies under way).
    void clearFaults();
    // The reply is due ms after the command (instead of the key or scan delay); <0 removes.
    void setDelay(const QByteArray& name, int ms);
    // The reply to the n-th command received (1 is the first) is these parts instead.
    void setReply(int command, const QList<Part>& parts) { m_replies[command] = parts; }
    // A reply that holds this many parts arrives in parts gapMs apart.
    void setSplit(int parts, int gapMs);
    // After this many more commands the adapter vanishes (as when unplugged).
    // The n commands are answered; the next one is lost with the device. 0 vanishes now.
    void vanishAfter(int commands);
    void setVanished(bool vanished);
    bool vanished() const { return m_vanished; }
    // The next n opens of the port find no device.
    void failOpens(int n) { m_failOpens = n; }
    bool consumeFailedOpen();

    void setKeyDelayMs(int ms) { m_keyDelayMs = ms; }
    void setScanDelayMs(int ms) { m_scanDelayMs = ms; }

    // Bytes of an incomplete command waiting for its "\r".
    qint64 pendingInput() const { return m_input.size(); }
    // Bytes of over-long lines thrown away (kMaxPendingInput bounds a line); such a line
    // is answered with "I/ERROR" alone once its "\r" arrives.
    qint64 droppedBytes() const { return m_droppedBytes; }
    // How often "AT+IDOWN" made the stored settings the running ones.
    int restarts() const { return m_restarts; }

private:
    struct Chunk {
        qint64 dueMs;
        QByteArray bytes;
    };
    void handle(const QByteArray& command);
    QByteArray answer(const QByteArray& command, const QByteArray& name);
    void queue(QByteArray reply, qint64 dueMs, bool whole = false);
    QByteArray garbage();
    void restoreDefaults();

    const Clock& m_clock;
    QByteArray m_input;
    QList<Chunk> m_output;
    QList<QByteArray> m_transcript;
    QHash<QByteArray, QByteArray> m_stored;
    QHash<QByteArray, QByteArray> m_running;
    QList<QByteArray> m_networks;
    QHash<QByteArray, Fault> m_faults;
    QHash<QByteArray, int> m_delays;
    QHash<int, QList<Part>> m_replies;
    int m_received = 0;
    int m_splitParts = 1;
    int m_splitGapMs = 0;
    int m_vanishAfter = -1;
    bool m_vanished = false;
    int m_failOpens = 0;
    int m_keyDelayMs = kDefaultKeyDelayMs;
    int m_scanDelayMs = kDefaultScanDelayMs;
    quint32 m_garbageSeed = 12345;
    bool m_overlong = false;
    qint64 m_droppedBytes = 0;
    int m_restarts = 0;
};

} // namespace velinor
