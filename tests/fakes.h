#pragma once

// Fakes of the tool's outside world, and the simulated adapter in virtual time.

#include "base/clock.h"
#include "base/file_picker.h"
#include "base/launcher.h"
#include "base/main_form.h"
#include "base/port_enumerator.h"
#include "base/prompts.h"
#include "base/security_type.h"
#include "base/ui_text.h"
#include "link/module_link.h"
#include "log/log_writer.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QDir>
#include <QFile>
#include <QQueue>
#include <QTemporaryDir>

#include <functional>

namespace velinor::fakes {

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
// The lines of a log, each without its time stamp (22 characters).
inline QStringList logLines(const QByteArray& log) {
    QStringList lines = QString::fromUtf8(log).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& l : lines)
        if (l.size() >= 22 && l.mid(19, 3) == QLatin1String(" : "))
            l = l.mid(22);
    return lines;
}

// Records every message box instead of showing it.
class RecordingPrompts : public Prompts {
public:
    QList<QPair<QString, PromptIcon>> shown;

    void message(const QString& text, PromptIcon icon) override { shown.append({text, icon}); }
    QStringList texts() const {
        QStringList out;
        for (const auto& s : shown)
            out << s.first;
        return out;
    }
    QList<PromptIcon> icons() const {
        QList<PromptIcon> out;
        for (const auto& s : shown)
            out << s.second;
        return out;
    }
};

// Records the programs it is asked to start and the addresses to open.
class FakeLauncher : public Launcher {
public:
    struct Start {
        QString program;
        QStringList args;
        QString workingDir;
    };
    QStringList installed; // programs that isInstalled() finds
    QList<Start> starts;
    QStringList opened;
    bool result = true; // what start() and open() report

    bool isInstalled(const QString& program) const override { return installed.contains(program); }
    bool start(const QString& program, const QStringList& args,
               const QString& workingDir) override {
        starts.append({program, args, workingDir});
        return result;
    }
    bool open(const QString& url) override {
        opened.append(url);
        return result;
    }
};

class FakePortEnumerator : public PortEnumerator {
public:
    QList<PortInfo> list;
    mutable int calls = 0;

    QList<PortInfo> ports() const override {
        ++calls;
        return list;
    }
    // A port of the wireless product (USB 7C5E:0003).
    void addAdapter(const QString& name) { list.append({name, true, 0x7C5E, 0x0003}); }
    void addUsb(const QString& name, quint16 vendor, quint16 product) {
        list.append({name, true, vendor, product});
    }
    void addPlain(const QString& name) { list.append({name, false, 0, 0}); }
};

// Answers pick() from a queue; an empty queue answers as a cancelled chooser.
class FakeFilePicker : public FilePicker {
public:
    QQueue<QString> answers;

    QString pick() override { return answers.isEmpty() ? QString() : answers.dequeue(); }
};

// The main form on plain members. `controls` is what the widgets show;
// UpdateData(true) takes it into `v`, UpdateData(false) shows `v` in it.
class FakeForm : public MainForm {
public:
    FormValues v;
    FormValues controls;
    int security = -1;
    bool accessPoint = false;
    bool adHoc = false;
    bool dampingShown = false;
    QString port = QStringLiteral("/dev/ttyACM0");
    int language = kEnglish;
    QString waitCursor; // "(" for each begin, ")" for each end

    FormValues& values() override { return v; }
    bool UpdateData(bool save) override {
        if (save)
            v = controls;
        else
            controls = v;
        return true;
    }
    int securityIndex() const override { return security; }
    // Like the combo box: an index outside its entries selects nothing.
    void setSecurityIndex(int index) override {
        security = index >= 0 && index < security::kCount ? index : -1;
    }
    bool isAccessPoint() const override { return accessPoint; }
    bool isAdHoc() const override { return adHoc; }
    void setAccessType(bool ap, bool adhoc) override {
        accessPoint = ap;
        adHoc = adhoc;
    }
    QString selectedPort() const override { return port; }
    QString selectedLanguageText() const override { return QStringLiteral("English"); }
    int GetLanguage() const override { return language; }
    void setKeyEnabled(bool) override {}
    void focusKey() override {}
    void UpdateSecurityFields() override {}
    void showDamping() override { dampingShown = true; }
    void beginWaitCursor() override { waitCursor += u'('; }
    void endWaitCursor() override { waitCursor += u')'; }
};

// A manual clock that tells about each pause before it passes.
class HookClock : public ManualClock {
public:
    std::function<void(int ms)> onPause;
    void pause(int ms) override {
        if (onPause)
            onPause(ms);
        ManualClock::pause(ms);
    }
};

// The simulated adapter, the link, a form, the log and a sysfs tree in a temporary directory.
struct AdapterBench {
    HookClock clock;
    AdapterModel model{clock};
    SimSerialPort port{model, clock};
    ModuleLink link{clock};
    RecordingPrompts prompts;
    FakeForm form;
    QTemporaryDir dir;
    bool logging = true;
    LogWriter writer{dir.path(), clock, prompts, [this] { logging = false; }};
    EventLog log{writer, [this] { return logging; }};

    // Opens the simulated port and stores it in the link, as the port opening does.
    bool openPort() {
        if (port.open(form.selectedPort()).result != OpenResult::Ok)
            return false;
        link.SetPortHandle(&port);
        return true;
    }
    QStringList logLines() const { return fakes::logLines(readFile(writer.path())); }
    // A USB device in the sysfs tree; returns its switch.
    QString addUsbDevice(const QString& name, const QByteArray& vendor,
                         const QByteArray& product) const {
        const QString path = dir.path() + QStringLiteral("/bus/usb/devices/") + name;
        QDir().mkpath(path);
        writeFile(path + QStringLiteral("/idVendor"), vendor + '\n');
        writeFile(path + QStringLiteral("/idProduct"), product + '\n');
        writeFile(path + QStringLiteral("/authorized"), "1\n");
        return path + QStringLiteral("/authorized");
    }
};

} // namespace velinor::fakes
