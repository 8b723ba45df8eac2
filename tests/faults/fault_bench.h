#pragma once

// The running main form wired to the simulated adapter on a manual clock, in a
// temporary working directory, with a port in front of the adapter that can put
// faults of its own into the line: a reply replaced by other bytes (in parts,
// at given times), or the adapter unplugged after a number of reads.

#include "app/clock.h"
#include "app/services.h"
#include "app/setup_app.h"
#include "app/setup_dlg.h"
#include "controls/tip_combo_box.h"
#include "fakes.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <memory>

namespace faults {

using namespace velinor;
using namespace velinor::fakes;

// Bytes that are no answer at all: random, with a NUL in front and 0xFF in
// the middle, and never a status token.
inline QByteArray garbageBytes(quint32 seed, int length = 64) {
    QRandomGenerator random(seed);
    QByteArray bytes(length, '\0');
    for (int i = 0; i < length; ++i)
        bytes[i] = char(random.bounded(256));
    bytes[0] = '\0';
    bytes[length / 2] = char(0xFF);
    for (const char* token : {"I/OK", "I/ERROR"}) {
        qsizetype at = 0;
        while ((at = bytes.indexOf(token, at)) >= 0)
            bytes[at] = '#';
    }
    return bytes;
}

// A serial port in front of the simulated one. Commands pass through to the
// adapter (which stores what they set), but the reply to a chosen command can
// be replaced, and the adapter can be made to vanish after some reads.
class TamperedPort : public SerialPort {
public:
    struct Part {
        int afterMs; // after the command was written
        QByteArray bytes;
    };

    TamperedPort(SimSerialPort& inner, AdapterModel& model, ManualClock& clock)
        : m_inner(inner), m_model(model), m_clock(clock) {}

    // The reply to the command with this number (1 is the first command written)
    // becomes these parts; the adapter's own reply is dropped.
    void replaceReply(int commandNumber, QList<Part> parts) {
        m_target = commandNumber;
        m_parts = std::move(parts);
    }
    // Counts the reads that follow the first command beginning with `prefix`;
    // after `vanishAfter` of them (when above 0) the adapter is unplugged.
    void watch(const QByteArray& prefix, int vanishAfter = -1) {
        m_watchPrefix = prefix;
        m_vanishReads = vanishAfter;
    }
    int watchedReads() const { return m_watchedReads; }

    OpenStatus open(const QString& name) override { return m_inner.open(name); }
    void close() override {
        m_pending.clear();
        m_inner.close();
    }
    bool isOpen() const override { return m_inner.isOpen(); }
    qint64 write(const QByteArray& data, int timeoutMs) override {
        const qint64 n = m_inner.write(data, timeoutMs);
        const int commands = int(data.count('\r'));
        if (m_target > m_written && m_target <= m_written + commands && n > 0) {
            m_model.clearOutput();
            for (const Part& part : m_parts)
                m_pending.append({m_clock.elapsedMs() + part.afterMs, part.bytes});
        }
        if (!m_watchPrefix.isEmpty() && !m_watching && data.startsWith(m_watchPrefix))
            m_watching = true;
        m_written += commands;
        return n;
    }
    QByteArray read(qint64 maxBytes, int timeoutMs) override {
        QByteArray out;
        if (m_pending.isEmpty() || !m_inner.isOpen() || m_model.vanished()) {
            out = m_inner.read(maxBytes, timeoutMs);
        } else {
            // The read ends when maxBytes are there or the window has run out.
            const qint64 end = m_clock.elapsedMs() + timeoutMs;
            qint64 bytes = 0;
            qint64 fullAt = -1;
            for (const Chunk& c : m_pending) {
                bytes += c.bytes.size();
                if (bytes >= maxBytes) {
                    fullAt = c.due;
                    break;
                }
            }
            const qint64 until = fullAt >= 0 && fullAt < end ? fullAt : end;
            if (until > m_clock.elapsedMs())
                m_clock.pause(int(until - m_clock.elapsedMs()));
            while (!m_pending.isEmpty() && m_pending.first().due <= m_clock.elapsedMs() &&
                   out.size() < maxBytes) {
                Chunk& c = m_pending.first();
                const qint64 room = maxBytes - out.size();
                out += c.bytes.left(room);
                c.bytes.remove(0, room);
                if (c.bytes.isEmpty())
                    m_pending.removeFirst();
            }
            // The adapter's later replies queue up behind the replaced one.
            if (out.size() < maxBytes)
                out += m_inner.read(maxBytes - out.size(), 0);
        }
        if (m_watching && ++m_watchedReads == m_vanishReads)
            m_model.setVanished(true);
        return out;
    }
    void discardInput() override {
        const qint64 now = m_clock.elapsedMs();
        while (!m_pending.isEmpty() && m_pending.first().due <= now)
            m_pending.removeFirst();
        m_inner.discardInput();
    }
    bool readLineSettings(LineSettings& s) override { return m_inner.readLineSettings(s); }
    bool writeLineSettings(const LineSettings& s) override { return m_inner.writeLineSettings(s); }
    int lastError() const override { return m_inner.lastError(); }
    void clearError() override { m_inner.clearError(); }

private:
    struct Chunk {
        qint64 due;
        QByteArray bytes;
    };
    SimSerialPort& m_inner;
    AdapterModel& m_model;
    ManualClock& m_clock;
    int m_target = 0;
    QList<Part> m_parts;
    QList<Chunk> m_pending;
    int m_written = 0;
    QByteArray m_watchPrefix;
    bool m_watching = false;
    int m_watchedReads = 0;
    int m_vanishReads = -1;
};

// What the user has entered in the form.
struct Entries {
    QString ssid;
    int security = -1;
    QString key;
    QString channel;
    bool accessPoint = false;
    bool adHoc = false;
    QString user;
    QString domain;
    QString password;
    QString port;

    bool operator==(const Entries&) const = default;
};

inline char* toString(const Entries& e) {
    return qstrdup(QStringLiteral("ssid=%1 security=%2 key=%3 channel=%4 ap=%5 adhoc=%6 "
                                  "user=%7 domain=%8 password=%9 port=%10")
                       .arg(e.ssid)
                       .arg(e.security)
                       .arg(e.key, e.channel)
                       .arg(e.accessPoint)
                       .arg(e.adHoc)
                       .arg(e.user, e.domain, e.password, e.port)
                       .toUtf8()
                       .constData());
}

constexpr const char* kPortName = "/dev/ttyACM0";

// The tool wired to the simulated adapter in a temporary working directory.
struct FormBench {
    QTemporaryDir dir;
    ManualClock clock;
    AdapterModel model{clock};
    SimSerialPort sim{model, clock, QString::fromLatin1(kPortName)};
    TamperedPort port{sim, model, clock};
    RecordingPrompts prompts;
    FakeLauncher launcher;
    FakePortEnumerator ports;
    FakeFilePicker picker;
    QString workingDir = dir.path();
    QString programDir = dir.path();
    std::unique_ptr<Services> services;
    std::unique_ptr<CSetupApp> app;
    std::unique_ptr<CSetupDlg> dlg;

    FormBench() { ports.addAdapter(QString::fromLatin1(kPortName)); }

    QString iniPath() const { return workingDir + QStringLiteral("/settings.ini"); }
    QString logPath() const { return programDir + QStringLiteral("/log.txt"); }
    bool writeIni(const QByteArray& text) const {
        QFile f(iniPath());
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
    }
    QByteArray ini() const {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray log() const {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    CSetupDlg& start() {
        services.reset(new Services{clock, port, prompts, launcher, ports, picker, workingDir,
                                    programDir, dir.path() + QStringLiteral("/sys")});
        app = std::make_unique<CSetupApp>(*services);
        dlg = std::make_unique<CSetupDlg>(*app, *services);
        dlg->OnInitDialog();
        dlg->show();
        return *dlg;
    }

    template <class T> T* ctl(int id) const { return qobject_cast<T*>(dlg->control(id)); }
    QLineEdit* edit(int id) const { return ctl<QLineEdit>(id); }
    QPushButton* button(int id) const { return ctl<QPushButton>(id); }
    QRadioButton* radio(int id) const { return ctl<QRadioButton>(id); }
    CTipComboBox* security() const { return ctl<CTipComboBox>(CSetupDlg::IDC_SECURITY); }
    bool checked(int command) const {
        QAction* a = dlg->menuAction(command);
        return a && a->isChecked();
    }

    // The user fills the form: the enterprise fields while they are enabled,
    // then the security type and the rest.
    void enter(const Entries& e) {
        security()->setCurrentIndex(6);
        edit(CSetupDlg::IDC_USER)->setText(e.user);
        edit(CSetupDlg::IDC_DOMAIN)->setText(e.domain);
        edit(CSetupDlg::IDC_PASSWORD)->setText(e.password);
        security()->setCurrentIndex(e.security);
        edit(CSetupDlg::IDC_SSID)->setText(e.ssid);
        edit(CSetupDlg::IDC_KEY)->setText(e.key);
        edit(CSetupDlg::IDC_CHANNEL)->setText(e.channel);
        if (e.accessPoint)
            radio(CSetupDlg::IDC_ACCESS_POINT)->click();
        if (e.adHoc)
            radio(CSetupDlg::IDC_AD_HOC)->click();
    }
    // What the form's fields hold now.
    Entries shown() const {
        Entries e;
        e.ssid = edit(CSetupDlg::IDC_SSID)->text();
        e.security = dlg->securityIndex();
        e.key = edit(CSetupDlg::IDC_KEY)->text();
        e.channel = edit(CSetupDlg::IDC_CHANNEL)->text();
        e.accessPoint = dlg->isAccessPoint();
        e.adHoc = dlg->isAdHoc();
        e.user = edit(CSetupDlg::IDC_USER)->text();
        e.domain = edit(CSetupDlg::IDC_DOMAIN)->text();
        e.password = edit(CSetupDlg::IDC_PASSWORD)->text();
        e.port = dlg->selectedPort();
        return e;
    }
    QStringList texts() const {
        QStringList out;
        for (const auto& p : prompts.shown)
            out << p.first;
        return out;
    }
    QList<PromptIcon> icons() const {
        QList<PromptIcon> out;
        for (const auto& p : prompts.shown)
            out << p.second;
        return out;
    }
    // The port is closed and no handle is left behind.
    bool portClosed() const { return !sim.isOpen() && !dlg->link().GetPortHandle(); }
};

// Access point, WPA2: ten commands from the probe to the restart.
inline Entries wpa2AccessPoint() {
    Entries e;
    e.ssid = QStringLiteral("office");
    e.security = 4;
    e.key = QStringLiteral("passphrase1");
    e.channel = QStringLiteral("6");
    e.accessPoint = true;
    e.user = QStringLiteral("alice");
    e.domain = QStringLiteral("CORP");
    e.password = QStringLiteral("pw");
    e.port = QString::fromLatin1(kPortName);
    return e;
}

inline QList<QByteArray> wpa2AccessPointCommands() {
    return {"AT+IBDRF?\r",       "AT+IFD\r",     "AT+IHIF=4\r",  "AT+IBDRF=9\r",
            "AT+IWLSI=office\r", "AT+IWST0=4\r", "AT+IWLCH=6\r", "AT+IWPP0=passphrase1\r",
            "AT+IBRM=2\r",       "AT+IDOWN\r"};
}

} // namespace faults
