#pragma once

// The running main form, offscreen, on the simulated adapter in virtual time.

#include "fakes.h"

#include "base/services.h"
#include "ui/scan_dlg.h"
#include "ui/setup_app.h"
#include "ui/setup_dlg.h"

#include <QAction>
#include <QApplication>
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
        dlg.reset(); // a fresh start: the form of an earlier one ends before what it uses
        app.reset();
        services.reset(new Services{clock, sim, prompts, launcher, ports, picker, workingDir,
                                    programDir, dir.path() + QStringLiteral("/sys"), QString(),
                                    QString(), homeDir});
        app = std::make_unique<CSetupApp>(*services);
        dlg = std::make_unique<CSetupDlg>(*app, *services);
        dlg->show(); // which initialises it, as exec() does
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
    void put(int id, const QString& text) const { CSetupDlg::setEditText(edit(id), text); }

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
        const auto text = [this](int id) { return edit(id)->text(); };
        return {text(CSetupDlg::IDC_SSID),    text(CSetupDlg::IDC_KEY),
                text(CSetupDlg::IDC_CHANNEL), text(CSetupDlg::IDC_USER),
                text(CSetupDlg::IDC_DOMAIN),  text(CSetupDlg::IDC_PASSWORD),
                dlg->selectedPort(),          dlg->securityIndex(),
                dlg->isAccessPoint(),         dlg->isAdHoc()};
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
