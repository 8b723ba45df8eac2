#pragma once

// The running main form, offscreen, on the simulated adapter in virtual time, behind
// a port that can replace a reply or unplug the adapter after some reads.

#include "fakes.h"

#include "base/services.h"
#include "ui/field_validator.h"
#include "ui/scan_dlg.h"
#include "ui/setup_app.h"
#include "ui/setup_dlg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>

#include <memory>

namespace velinor::fakes {

// Random bytes with a NUL in front and 0xFF in the middle, never a status token.
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

class TamperedPort : public SerialPort {
public:
    TamperedPort(SimSerialPort& inner, AdapterModel& model, ManualClock& clock)
        : m_inner(inner), m_model(model), m_clock(clock) {}

    // The reply to the command with this number (1 is the first written) becomes
    // parts[i], due after[i] ms after the write, instead of the adapter's.
    void replaceReply(int number, const QList<QByteArray>& parts, const QList<int>& after) {
        m_target = number;
        m_parts = parts;
        m_after = after;
    }
    // The adapter is unplugged after `reads` reads that follow the first command
    // beginning with `prefix`.
    void vanishAfterReads(const QByteArray& prefix, int reads) {
        m_watchPrefix = prefix;
        m_vanishReads = reads;
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
        if (n > 0 && ++m_written == m_target) {
            m_model.clearOutput();
            for (qsizetype i = 0; i < m_parts.size(); ++i)
                m_pending.append({m_clock.elapsedMs() + m_after.value(i), m_parts[i]});
        }
        m_watching = m_watching || (!m_watchPrefix.isEmpty() && data.startsWith(m_watchPrefix));
        return n;
    }
    QByteArray read(qint64 maxBytes, int timeoutMs) override {
        QByteArray out;
        if (m_pending.isEmpty() || m_model.vanished()) {
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
            out += m_inner.read(maxBytes - out.size(), 0); // later replies queue up behind
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
inline const QByteArray kPem = "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n";

// What the user enters: by default an access point with WPA2, enterprise fields filled.
struct Entries {
    QString ssid = QStringLiteral("office"), key = QStringLiteral("passphrase1"),
            channel = QStringLiteral("6"), user = QStringLiteral("alice"),
            domain = QStringLiteral("CORP"), password = QStringLiteral("pw"),
            port = QString::fromLatin1(kPortName);
    int security = security::kWpa2;
    bool accessPoint = true, adHoc = false;

    QString text() const {
        QStringList fields{ssid, QString::number(security), key, channel};
        fields << QString::number(accessPoint) << QString::number(adHoc) << user << domain
               << password << port;
        return fields.join(u'|');
    }
};

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
    QByteArray ini() const { return readFile(iniPath()); }
    QByteArray log() const { return readFile(programDir + QStringLiteral("/log.txt")); }
    QStringList logLines() const { return fakes::logLines(log()); }

    // Starts the form on this settings.ini (none when null).
    CSetupDlg&
    start(const QByteArray& ini = "[settings]\nlanguage=10000\nlog=1\nport=/dev/ttyACM0\n") {
        if (!ini.isNull())
            writeFile(iniPath(), ini);
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
    void choose(int id, int index) const {
        auto* box = qobject_cast<QComboBox*>(dlg->control(id));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    bool checked(int command) const { return dlg->menuAction(command)->isChecked(); }
    // Puts text into a field as the form does: whole, even over the field's limit.
    void put(int id, const QString& text) const {
        dynamic_cast<const FieldValidator&>(*edit(id)->validator()).expectText(text);
        edit(id)->setText(text);
    }

    // Fills the form: the enterprise fields while they are enabled, then the
    // security type and the rest; values over a limit stay whole.
    void enter(const Entries& e) {
        choose(CSetupDlg::IDC_SECURITY, security::kWpa2Enterprise);
        put(CSetupDlg::IDC_USER, e.user);
        put(CSetupDlg::IDC_DOMAIN, e.domain);
        put(CSetupDlg::IDC_PASSWORD, e.password);
        choose(CSetupDlg::IDC_SECURITY, e.security);
        put(CSetupDlg::IDC_SSID, e.ssid);
        put(CSetupDlg::IDC_KEY, e.key);
        put(CSetupDlg::IDC_CHANNEL, e.channel);
        if (e.port.isEmpty())
            qobject_cast<QComboBox*>(dlg->control(CSetupDlg::IDC_PORT))->setCurrentIndex(-1);
        if (e.accessPoint || e.adHoc)
            click(e.adHoc ? CSetupDlg::IDC_AD_HOC : CSetupDlg::IDC_ACCESS_POINT);
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
    // Chooses a certificate file with these bytes through the form's button.
    void pickCertificate(const QByteArray& bytes = kPem) {
        const QString path = dir.filePath(QStringLiteral("ca.pem"));
        writeFile(path, bytes);
        picker.answers.enqueue(path);
        click(CSetupDlg::IDC_CERT_SELECT);
    }
    // Netsearch; `inDialog` acts in the network dialog once it is up and must close it.
    void netsearch(const std::function<void(CScanDlg&)>& inDialog) {
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<CScanDlg*>(QApplication::activeModalWidget()))
                inDialog(*d);
        });
        click(CSetupDlg::IDC_NETSEARCH);
    }
    // The port is closed and no handle is left behind.
    bool portClosed() const { return !sim.isOpen() && !dlg->link().GetPortHandle(); }
};

} // namespace velinor::fakes
