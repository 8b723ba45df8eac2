#pragma once

// The running main form wired to the simulated adapter on a manual clock, in a
// temporary working directory, with a port in front of the adapter that can put
// faults of its own into the line: a reply replaced by other bytes (in parts,
// at given times), or the adapter unplugged after a number of reads.

#include "base/clock.h"
#include "base/services.h"
#include "fakes.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"
#include "ui/setup_app.h"
#include "ui/setup_dlg.h"
#include "ui/tip_combo_box.h"

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
    for (int i = 1; i < length; ++i)
        bytes[i] = char(random.bounded(256));
    bytes[length / 2] = char(0xFF);
    for (const char* token : {"I/OK", "I/ERROR"})
        for (qsizetype at = 0; (at = bytes.indexOf(token, at)) >= 0;)
            bytes[at] = '#';
    return bytes;
}

// A serial port in front of the simulated one. Commands pass through to the
// adapter (which stores what they set), but the reply to a chosen command can
// be replaced, and the adapter can be made to vanish after some reads.
class TamperedPort : public SerialPort {
public:
    TamperedPort(SimSerialPort& inner, AdapterModel& model, ManualClock& clock)
        : m_inner(inner), m_model(model), m_clock(clock) {}

    // The reply to the command with this number (1 is the first command written)
    // becomes parts[i], due after[i] ms after the write; the adapter's own reply is dropped.
    void replaceReply(int commandNumber, const QList<QByteArray>& parts, const QList<int>& after) {
        m_target = commandNumber;
        m_parts = parts;
        m_after = after;
    }
    // Counts the reads that follow the first command beginning with `prefix`;
    // after `vanishAfter` of them (when above 0) the adapter is unplugged.
    void watch(const QByteArray& prefix, int vanishAfter) {
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
            for (qsizetype i = 0; i < m_parts.size(); ++i)
                m_pending.append({m_clock.elapsedMs() + m_after.value(i), m_parts[i]});
        }
        if (!m_watchPrefix.isEmpty() && data.startsWith(m_watchPrefix))
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
            qint64 until = m_clock.elapsedMs() + timeoutMs;
            qint64 bytes = 0;
            for (const Chunk& c : m_pending)
                if ((bytes += c.bytes.size()) >= maxBytes) {
                    until = qMin(until, c.due);
                    break;
                }
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
        while (!m_pending.isEmpty() && m_pending.first().due <= m_clock.elapsedMs())
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
    int m_target = 0, m_written = 0, m_watchedReads = 0, m_vanishReads = -1;
    QList<QByteArray> m_parts;
    QList<int> m_after;
    QList<Chunk> m_pending;
    QByteArray m_watchPrefix;
    bool m_watching = false;
};

constexpr const char* kPortName = "/dev/ttyACM0";

// What the user has entered in the form: access point, WPA2, with the enterprise fields filled.
struct Entries {
    QString ssid = QStringLiteral("office"), key = QStringLiteral("passphrase1"),
            channel = QStringLiteral("6"), user = QStringLiteral("alice"),
            domain = QStringLiteral("CORP"), password = QStringLiteral("pw"),
            port = QString::fromLatin1(kPortName);
    int security = 4;
    bool accessPoint = true, adHoc = false;

    QString text() const {
        return QStringList{ssid,
                           QString::number(security),
                           key,
                           channel,
                           QString::number(accessPoint),
                           QString::number(adHoc),
                           user,
                           domain,
                           password,
                           port}
            .join(QLatin1Char('|'));
    }
};

// The ten commands of that Configure, from the probe to the restart.
inline QList<QByteArray> wpa2AccessPointCommands() {
    return {"AT+IBDRF?\r",       "AT+IFD\r",     "AT+IHIF=4\r",  "AT+IBDRF=9\r",
            "AT+IWLSI=office\r", "AT+IWST0=4\r", "AT+IWLCH=6\r", "AT+IWPP0=passphrase1\r",
            "AT+IBRM=2\r",       "AT+IDOWN\r"};
}

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
    QString homeDir; // none: an unwritable program directory leaves no other place for the log
    std::unique_ptr<Services> services;
    std::unique_ptr<CSetupApp> app;
    std::unique_ptr<CSetupDlg> dlg;

    FormBench() { ports.addAdapter(QString::fromLatin1(kPortName)); }

    QString iniPath() const { return workingDir + QStringLiteral("/settings.ini"); }
    bool writeIni(const QByteArray& text) const {
        QFile f(iniPath());
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
    }
    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray ini() const { return contents(iniPath()); }
    QByteArray log() const { return contents(programDir + QStringLiteral("/log.txt")); }

    CSetupDlg& start() {
        services.reset(new Services{clock, port, prompts, launcher, ports, picker, workingDir,
                                    programDir, dir.path() + QStringLiteral("/sys"), QString(),
                                    QString(), homeDir});
        app = std::make_unique<CSetupApp>(*services);
        dlg = std::make_unique<CSetupDlg>(*app, *services);
        dlg->OnInitDialog();
        dlg->show();
        return *dlg;
    }

    QLineEdit* edit(int id) const { return qobject_cast<QLineEdit*>(dlg->control(id)); }
    void click(int id) const { qobject_cast<QAbstractButton*>(dlg->control(id))->click(); }
    bool checked(int command) const { return dlg->menuAction(command)->isChecked(); }

    // The user fills the form: the enterprise fields while they are enabled,
    // then the security type and the rest.
    void enter(const Entries& e) {
        auto* security = qobject_cast<CTipComboBox*>(dlg->control(CSetupDlg::IDC_SECURITY));
        security->setCurrentIndex(6);
        edit(CSetupDlg::IDC_USER)->setText(e.user);
        edit(CSetupDlg::IDC_DOMAIN)->setText(e.domain);
        edit(CSetupDlg::IDC_PASSWORD)->setText(e.password);
        security->setCurrentIndex(e.security);
        edit(CSetupDlg::IDC_SSID)->setText(e.ssid);
        edit(CSetupDlg::IDC_KEY)->setText(e.key);
        edit(CSetupDlg::IDC_CHANNEL)->setText(e.channel);
        click(e.adHoc ? CSetupDlg::IDC_AD_HOC : CSetupDlg::IDC_ACCESS_POINT);
    }
    // What the form's fields hold now.
    QString shown() const {
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
        return e.text();
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

} // namespace faults
