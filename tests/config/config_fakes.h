#pragma once

// A wired-up bench for the Configure workflow: a form on plain members, recorded
// message boxes, the simulated adapter on a manual clock, a log and a fake sysfs tree.

#include "base/clock.h"
#include "base/main_form.h"
#include "base/prompts.h"
#include "base/security_type.h"
#include "base/ui_text.h"
#include "fakes.h"
#include "link/module_link.h"
#include "log/log_writer.h"
#include "sim/adapter_model.h"
#include "sim/sim_serial_port.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace cfgtest {

using namespace velinor;

using fakes::FakeForm;

struct Shown {
    QString text;
    PromptIcon icon;
};

class RecordingPrompts : public Prompts {
public:
    QList<Shown> shown;
    void message(const QString& text, PromptIcon icon) override { shown.append({text, icon}); }
    QStringList texts() const {
        QStringList t;
        for (const Shown& s : shown)
            t << s.text;
        return t;
    }
    // The English text of id, as shown to a user with the English interface.
    static QString en(int id) { return UiText(id, kEnglish); }
};

// A sysfs tree with USB devices: name -> (vendor, product).
class FakeSysfs {
public:
    QTemporaryDir dir;
    QString root() const { return dir.path(); }
    QString devicesDir() const { return dir.path() + QStringLiteral("/bus/usb/devices"); }

    QString addDevice(const QString& name, const QByteArray& vendor, const QByteArray& product,
                      bool switchIsDirectory = false) const {
        const QString path = devicesDir() + QLatin1Char('/') + name;
        QDir().mkpath(path);
        write(path + QStringLiteral("/idVendor"), vendor + '\n');
        write(path + QStringLiteral("/idProduct"), product + '\n');
        if (switchIsDirectory)
            QDir().mkpath(path + QStringLiteral("/authorized"));
        else
            write(path + QStringLiteral("/authorized"), "1\n");
        return path + QStringLiteral("/authorized");
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }
};

// A manual clock that notes each change of the adapter switch files that it
// sees at a pause of 1000 ms (the restart's pauses; other pauses see no change).
class WatchingClock : public ManualClock {
public:
    QList<QByteArray> seen; // the first byte of each watched switch, at each change
    std::function<void()> onLongPause;

    void watch(const QStringList& switches) {
        m_watched = switches;
        m_last = state();
    }
    void pause(int ms) override {
        if (ms == 1000 && onLongPause)
            onLongPause();
        if (ms == 1000 && !m_watched.isEmpty()) {
            const QByteArray now = state();
            if (now != m_last)
                seen.append(now);
            m_last = now;
        }
        ManualClock::pause(ms);
    }

private:
    QByteArray state() const {
        QByteArray s;
        for (const QString& p : m_watched)
            s += FakeSysfs::read(p).left(1);
        return s;
    }
    QStringList m_watched;
    QByteArray m_last;
};

// The whole bench: simulated adapter on a manual clock, link, log and sysfs.
struct Bench {
    WatchingClock clock;
    AdapterModel model{clock};
    SimSerialPort port{model, clock};
    ModuleLink link{clock};
    RecordingPrompts prompts;
    FakeForm form;
    QTemporaryDir logDir;
    bool logging = true;
    int switchedOff = 0;
    LogWriter writer{logDir.path(), clock, prompts, [this] { ++switchedOff; }};
    EventLog log{writer, [this] { return logging; }};
    FakeSysfs sysfs;

    Bench() { form.port = port.deviceName(); }

    QByteArray logText() const {
        return logExists() ? FakeSysfs::read(writer.path()) : QByteArray();
    }
    bool logExists() const { return QFile::exists(writer.path()); }
    // The log's lines without their time stamps (22 characters), empty lines dropped.
    QStringList logEntries() const {
        QStringList lines;
        const QStringList raw = QString::fromUtf8(logText()).split(QLatin1Char('\n'));
        for (const QString& l : raw)
            if (!l.isEmpty())
                lines << (l.size() >= 22 && l.mid(19, 3) == QLatin1String(" : ") ? l.mid(22) : l);
        return lines;
    }
    QList<QByteArray> transcript() const { return model.transcript(); }
};

} // namespace cfgtest
