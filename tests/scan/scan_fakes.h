#pragma once

// Fakes and a wired-up bench for the read-out and network search: a form on
// plain members, recorded message boxes, a port that plays back scripted reads,
// and the simulated adapter on a manual clock with a log in a temporary directory.

#include "base/clock.h"
#include "base/main_form.h"
#include "base/security_type.h"
#include "base/ui_text.h"
#include "link/module_link.h"
#include "link/serial_port.h"
#include "log/log_writer.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include "fakes.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <utility>

namespace scantest {

using namespace velinor;

using fakes::FakeForm;

using fakes::RecordingPrompts;

// A port whose reads return the scripted chunks one after the other; a read
// past the script, or of an empty chunk, waits out its window and returns nothing.
class ScriptedPort : public SerialPort {
public:
    ScriptedPort(Clock& clock, QList<QByteArray> reads)
        : m_clock(clock), m_reads(std::move(reads)) {}

    QList<QByteArray> written;
    int reads = 0;
    int discards = 0;

    OpenStatus open(const QString&) override {
        m_open = true;
        return {OpenResult::Ok, 0, QString()};
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    qint64 write(const QByteArray& data, int) override {
        written.append(data);
        return data.size();
    }
    QByteArray read(qint64 maxBytes, int timeoutMs) override {
        ++reads;
        const QByteArray chunk = m_reads.isEmpty() ? QByteArray() : m_reads.takeFirst();
        if (chunk.isEmpty())
            m_clock.pause(timeoutMs);
        return chunk.left(maxBytes);
    }
    void discardInput() override { ++discards; }
    bool readLineSettings(LineSettings&) override { return true; }
    bool writeLineSettings(const LineSettings&) override { return true; }
    int lastError() const override { return 0; }
    void clearError() override {}

private:
    Clock& m_clock;
    QList<QByteArray> m_reads;
    bool m_open = false;
};

// The simulated adapter on a manual clock, with the link, a form and a log.
struct Bench {
    ManualClock clock;
    AdapterModel model{clock};
    SimSerialPort port{model, clock};
    ModuleLink link{clock};
    RecordingPrompts prompts;
    FakeForm form;
    QTemporaryDir logDir;
    bool logging = true;
    LogWriter writer{logDir.path(), clock, prompts, [this] { logging = false; }};
    EventLog log{writer, [this] { return logging; }};

    Bench() { form.port = port.deviceName(); }

    // Opens the simulated port and stores it in the link, as the port opening does.
    bool openPort() {
        if (form.selectedPort().isEmpty())
            return false;
        if (port.open(form.selectedPort()).result != OpenResult::Ok)
            return false;
        link.SetPortHandle(&port);
        return true;
    }

    QByteArray logText() const {
        QFile f(writer.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The log's lines, each without a leading time stamp (22 characters).
    QStringList logLines() const {
        QStringList lines = QString::fromUtf8(logText()).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (QString& l : lines)
            if (l.size() >= 22 && l.mid(19, 3) == QLatin1String(" : "))
                l = l.mid(22);
        return lines;
    }
};

} // namespace scantest
