#pragma once

// Small fakes of the tool's outside world, for any test.

#include "base/launcher.h"
#include "base/main_form.h"
#include "base/prompts.h"
#include "base/security_type.h"
#include "base/ui_text.h"
#include "base/file_picker.h"
#include "base/port_enumerator.h"
#include "link/serial_port.h"

#include <QList>
#include <QPair>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace velinor::fakes {

// Records every message box instead of showing it.
class RecordingPrompts : public Prompts {
public:
    QList<QPair<QString, PromptIcon>> shown;

    void message(const QString& text, PromptIcon icon) override { shown.append({text, icon}); }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().first; }
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
    QList<Start> starts;   // every start() call
    QStringList opened;    // every open() call
    bool result = true;    // what start() and open() report

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

// Reports a list of ports that the test sets.
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
    int picks = 0;

    QString pick() override {
        ++picks;
        return answers.isEmpty() ? QString() : answers.dequeue();
    }
};

// A serial port that is never there: every open() reports a missing device.
class AbsentSerialPort : public SerialPort {
public:
    int opens = 0;

    OpenStatus open(const QString&) override {
        ++opens;
        return {OpenResult::NotFound, 2, QStringLiteral("No such file or directory")};
    }
    void close() override {}
    bool isOpen() const override { return false; }
    qint64 write(const QByteArray&, int) override { return 0; }
    QByteArray read(qint64, int) override { return {}; }
    void discardInput() override {}
    bool readLineSettings(LineSettings&) override { return false; }
    bool writeLineSettings(const LineSettings&) override { return false; }
    int lastError() const override { return 2; }
    void clearError() override {}
};

// The main form on plain members. `controls` is what the widgets show;
// UpdateData(true) takes it into `v` (or fails, as with a field over its limit),
// UpdateData(false) shows `v` in it.
class FakeForm : public MainForm {
public:
    FormValues v;
    FormValues controls;
    int security = -1;
    bool accessPoint = false;
    bool adHoc = false;
    bool keyEnabled = true;
    bool enterpriseEnabled = false;
    bool dampingShown = false;
    QString port;
    QString languageText = QStringLiteral("English");
    int language = kEnglish;
    bool updateFails = false;
    int updatesIn = 0;
    int updatesOut = 0;
    int keyFocused = 0;
    int securityUpdates = 0;

    // Fills the controls and the values alike, with the type name of the index.
    void set(int securityIndex, const QString& key, bool ap, bool adhoc,
             const QString& ssid = QStringLiteral("net"),
             const QString& channel = QStringLiteral("6")) {
        security = securityIndex;
        controls.m_strSecurityType = security::name(securityIndex);
        controls.m_strKey = key;
        controls.m_strSsid = ssid;
        controls.m_strChannel = channel;
        accessPoint = ap;
        adHoc = adhoc;
        v = controls;
    }

    FormValues& values() override { return v; }
    bool UpdateData(bool save) override {
        if (save) {
            ++updatesIn;
            if (updateFails)
                return false;
            v = controls;
        } else {
            ++updatesOut;
            controls = v;
        }
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
    QString selectedLanguageText() const override { return languageText; }
    int GetLanguage() const override { return language; }
    void setKeyEnabled(bool enabled) override { keyEnabled = enabled; }
    void focusKey() override { ++keyFocused; }
    // The field rules as the main form applies them.
    void UpdateSecurityFields() override {
        ++securityUpdates;
        keyEnabled = security != security::kNone && !security::isEnterprise(security);
        enterpriseEnabled = security::isEnterprise(security);
    }
    void showDamping() override { dampingShown = true; }
};

} // namespace velinor::fakes
