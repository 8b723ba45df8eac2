#include "sim/adapter_model.h"

#include "base/clock.h"

#include <algorithm>
#include <utility>

namespace velinor {

namespace {

const QByteArray kPrefix = "AT+I";
const QByteArray kLineEnd = "\r\n";
const QByteArray kOk = "I/OK";
const QByteArray kError = "I/ERROR";

// The settings that the adapter knows, by the name after "AT+I".
const QList<QByteArray>& settingNames() {
    static const QList<QByteArray> names = {"WLSI", "WST0", "WLCH", "WKY0", "WPP0",
                                            "CA",   "EUSN", "HIF",  "BDRF", "BRM"};
    return names;
}

bool isKeyCommand(const QByteArray& name) {
    return name == "AT+IWKY0" || name == "AT+IWPP0";
}

} // namespace

AdapterModel::AdapterModel(const Clock& clock) : m_clock(clock) {
    restoreDefaults();
    m_running = m_stored;
    m_networks = defaultNetworks();
}

QList<QByteArray> AdapterModel::splitCommands(QByteArray& buffer) {
    QList<QByteArray> commands;
    qsizetype start = 0;
    for (;;) {
        // A line feed after a "\r" (a terminal's line end) belongs to the previous line.
        while (start < buffer.size() && buffer.at(start) == '\n')
            ++start;
        const qsizetype end = buffer.indexOf('\r', start);
        if (end < 0)
            break;
        commands.append(buffer.mid(start, end - start + 1));
        start = end + 1;
    }
    buffer.remove(0, start);
    return commands;
}

QByteArray AdapterModel::commandName(const QByteArray& command) {
    qsizetype end = command.size();
    for (const char stop : {'=', '?', '\r'}) {
        const qsizetype at = command.indexOf(stop);
        if (at >= 0 && at < end)
            end = at;
    }
    return command.left(end);
}

QList<QByteArray> AdapterModel::defaultNetworks() {
    return {
        "office,AP,00:1A:2B:3C:4D:5E,WPA2,6,62",   "lab-adhoc,ADHOC,02:11:22:33:44:55,WEP,11,48",
        "Guest,AP,00:1A:2B:3C:4D:60,NONE,1,71",    "Warehouse,AP,00:24:01:9A:BC:DE,WPA2_ENT,36,55",
        "Legacy,AP,00:0F:66:10:20:30,WEP128,3,80", "Workshop,AP,00:50:56:AB:CD:EF,WPA,9,67",
        "Corp,AP,00:1B:63:84:45:E6,WPA_ENT,13,39", "meshnode,ADHOC,02:AA:BB:CC:DD:01,WPA2,4,90",
    };
}

void AdapterModel::receive(const QByteArray& bytes) {
    if (m_vanished)
        return;
    m_input.append(bytes);
    const QList<QByteArray> commands = splitCommands(m_input);
    for (const QByteArray& command : commands) {
        if (m_vanishAfter == 0) {
            // Unplugged: this command and everything after it are lost.
            setVanished(true);
            m_input.clear();
            return;
        }
        if (m_overlong) {
            // The rest of a line that was too long to keep: the adapter refuses it whole.
            m_overlong = false;
            m_droppedBytes += command.size();
            queue(kError + kLineEnd, m_clock.elapsedMs());
            continue;
        }
        m_transcript.append(command);
        if (m_replies.contains(++m_received)) {
            for (const Part& part : m_replies.take(m_received))
                queue(part.bytes, m_clock.elapsedMs() + part.afterMs, true);
        } else {
            handle(command);
        }
        if (m_vanishAfter > 0)
            --m_vanishAfter;
    }
    if (m_input.size() > kMaxPendingInput) {
        // No "\r" in sight: keep memory bounded and throw the line away.
        m_droppedBytes += m_input.size();
        m_input.clear();
        m_overlong = true;
    }
}

void AdapterModel::handle(const QByteArray& command) {
    const QByteArray name = commandName(command);
    if (command == "\r")
        return; // an empty line gets no answer
    const QByteArray echo = command.left(command.size() - 1) + kLineEnd;
    const Fault fault = m_faults.value(name, Fault::None);

    qint64 delay = 0;
    if (isKeyCommand(name))
        delay = m_keyDelayMs;
    else if (name == "AT+IRP20")
        delay = m_scanDelayMs;
    delay = m_delays.value(name, int(delay));
    const qint64 due = m_clock.elapsedMs() + delay;

    switch (fault) {
    case Fault::Silent:
        return;
    case Fault::Error:
        queue(echo + kError + kLineEnd, due);
        return;
    case Fault::Garbage:
        queue(garbage(), due);
        return;
    case Fault::None:
        break;
    }
    queue(echo + answer(command, name), due);
}

QByteArray AdapterModel::answer(const QByteArray& command, const QByteArray& name) {
    QByteArray ok = kOk + kLineEnd;
    QByteArray error = kError + kLineEnd;
    const QByteArray body = command.left(command.size() - 1); // without "\r"
    if (!name.startsWith(kPrefix))
        return error;
    const QByteArray setting = name.mid(kPrefix.size());
    const qsizetype nameEnd = name.size();
    const bool isQuery = nameEnd < body.size() && body.at(nameEnd) == '?';
    const bool isSetting = nameEnd < body.size() && body.at(nameEnd) == '=';

    if (body == "AT+IFD") {
        restoreDefaults();
        return ok;
    }
    if (body == "AT+IDOWN") {
        m_running = m_stored;
        ++m_restarts;
        return ok;
    }
    if (body == "AT+IRP20") {
        if (m_networks.isEmpty())
            return kOk; // "AT+IRP20\r\nI/OK" and nothing more
        QByteArray list;
        for (const QByteArray& line : m_networks)
            list += line + kLineEnd;
        return list + ok;
    }
    if (!settingNames().contains(setting))
        return error;
    if (isQuery && body.size() == nameEnd + 1)
        return m_stored.value(setting) + kLineEnd + ok;
    if (isSetting) {
        m_stored[setting] = body.mid(nameEnd + 1);
        return ok;
    }
    return error;
}

QByteArray AdapterModel::garbage() {
    // A small linear congruential generator: the same faults give the same bytes.
    QByteArray bytes;
    m_garbageSeed = m_garbageSeed * 1103515245u + 12345u;
    const int length = 32 + int((m_garbageSeed >> 16) % 64);
    bytes.reserve(length);
    for (int i = 0; i < length; ++i) {
        m_garbageSeed = m_garbageSeed * 1103515245u + 12345u;
        bytes.append(char((m_garbageSeed >> 16) & 0xFF));
    }
    bytes[0] = '\0';
    bytes[length / 2] = char(0xFF);
    // Garbage must never pass for an answer.
    for (const QByteArray& token : {kOk, kError}) {
        qsizetype at = 0;
        while ((at = bytes.indexOf(token, at)) >= 0)
            bytes[at] = '#';
    }
    return bytes;
}

void AdapterModel::queue(QByteArray reply, qint64 dueMs, bool whole) {
    if (reply.isEmpty())
        return;
    // The adapter answers one command after the other: nothing overtakes earlier output.
    if (!m_output.isEmpty())
        dueMs = std::max(dueMs, m_output.last().dueMs);
    const int parts = whole ? 1 : int(std::min<qsizetype>(m_splitParts, reply.size()));
    if (parts <= 1) {
        m_output.append({dueMs, std::move(reply)});
        return;
    }
    const qsizetype partSize = (reply.size() + parts - 1) / parts;
    qsizetype offset = 0;
    for (int i = 0; offset < reply.size(); ++i) {
        m_output.append({dueMs + qint64(i) * m_splitGapMs, reply.mid(offset, partSize)});
        offset += partSize;
    }
}

QByteArray AdapterModel::takeOutput(qint64 maxBytes) {
    QByteArray out;
    const qint64 now = m_clock.elapsedMs();
    while (!m_output.isEmpty() && m_output.first().dueMs <= now && out.size() < maxBytes) {
        Chunk& chunk = m_output.first();
        const qint64 room = maxBytes - out.size();
        if (chunk.bytes.size() <= room) {
            out += chunk.bytes;
            m_output.removeFirst();
        } else {
            out += chunk.bytes.left(room);
            chunk.bytes.remove(0, room);
        }
    }
    return out;
}

qint64 AdapterModel::pendingOutput() const {
    return dueBy(m_clock.elapsedMs());
}

qint64 AdapterModel::dueBy(qint64 timeMs) const {
    qint64 bytes = 0;
    for (const Chunk& chunk : m_output) {
        if (chunk.dueMs > timeMs)
            break;
        bytes += chunk.bytes.size();
    }
    return bytes;
}

qint64 AdapterModel::dueTimeFor(qint64 bytes) const {
    qint64 total = 0;
    for (const Chunk& chunk : m_output) {
        total += chunk.bytes.size();
        if (total >= bytes)
            return chunk.dueMs;
    }
    return -1;
}

qint64 AdapterModel::nextDueMs() const {
    const qint64 now = m_clock.elapsedMs();
    for (const Chunk& chunk : m_output) {
        if (chunk.dueMs > now)
            return chunk.dueMs;
    }
    return -1;
}

void AdapterModel::clearOutput() {
    m_output.clear();
}

void AdapterModel::setFault(const QByteArray& name, Fault fault) {
    if (fault == Fault::None)
        m_faults.remove(name);
    else
        m_faults[name] = fault;
}

void AdapterModel::clearFaults() {
    m_faults.clear();
    m_delays.clear();
    m_splitParts = 1;
    m_splitGapMs = 0;
    m_vanishAfter = -1;
}

void AdapterModel::setDelay(const QByteArray& name, int ms) {
    if (ms < 0)
        m_delays.remove(name);
    else
        m_delays[name] = ms;
}

void AdapterModel::setSplit(int parts, int gapMs) {
    m_splitParts = std::max(1, parts);
    m_splitGapMs = std::max(0, gapMs);
}

void AdapterModel::vanishAfter(int commands) {
    m_vanishAfter = commands;
    if (commands == 0)
        setVanished(true);
}

void AdapterModel::setVanished(bool vanished) {
    m_vanished = vanished;
    if (vanished) {
        // Whatever was on its way is gone with the device.
        m_output.clear();
        m_input.clear();
        m_overlong = false;
        m_vanishAfter = -1;
    }
}

bool AdapterModel::consumeFailedOpen() {
    if (m_failOpens <= 0)
        return false;
    --m_failOpens;
    return true;
}

void AdapterModel::restoreDefaults() {
    m_stored.clear();
    m_stored["WLSI"] = "velinor";
    m_stored["WST0"] = "0";
    m_stored["WLCH"] = "0";
    m_stored["HIF"] = "0";
    m_stored["BDRF"] = "a";
    m_stored["BRM"] = "0";
}

} // namespace velinor
