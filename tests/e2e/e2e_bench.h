#pragma once

// The tool's main form in-process, talking through the production serial port to
// the adapter model served on a pseudo-terminal on a thread of its own. Real time.

#include "base/services.h"
#include "base/system_clock.h"
#include "fakes.h"
#include "link/qt_serial_port.h"
#include "sim/adapter_model.h"
#include "sim/pty_server.h"
#include "sim/pty_server_thread.h"
#include "ui/setup_app.h"
#include "ui/setup_dlg.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace velinor::e2e {

struct E2eBench {
    QTemporaryDir dir;
    PtyServerThread adapter;
    SystemClock clock;
    QtSerialPort port;
    fakes::RecordingPrompts prompts;
    fakes::FakeLauncher launcher;
    fakes::FakePortEnumerator ports;
    fakes::FakeFilePicker picker;
    Services services{clock,      port,       prompts,
                      launcher,   ports,      picker,
                      dir.path(), dir.path(), dir.path() + QStringLiteral("/sys")};
    std::unique_ptr<CSetupApp> app;
    std::unique_ptr<CSetupDlg> dlg;

    ~E2eBench() {
        dlg.reset();
        app.reset();
        port.close();
        adapter.stop();
    }

    // Serves the adapter, writes settings.ini and opens the form with the
    // adapter's port chosen. False when the pseudo-terminal cannot be served.
    bool start(const QByteArray& ini, const std::function<void(AdapterModel&)>& setModel) {
        const bool served = adapter.start([&setModel](PtyServer& server, QString&) {
            if (setModel)
                setModel(server.model());
            return true;
        });
        if (!served)
            return false;
        QFile file(dir.filePath(QStringLiteral("settings.ini")));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(ini);
        file.close();
        ports.addAdapter(adapter.devicePath());
        app = std::make_unique<CSetupApp>(services);
        dlg = std::make_unique<CSetupDlg>(*app, services);
        dlg->OnInitDialog();
        dlg->show();
        // The user picks the adapter's port in the list.
        QComboBox* list = combo(CSetupDlg::IDC_PORT);
        if (list->count() != 1 || list->itemText(0) != adapter.devicePath())
            return false;
        list->setCurrentIndex(0);
        emit list->activated(0);
        return true;
    }

    template <class T> T* ctl(int id) const { return qobject_cast<T*>(dlg->control(id)); }
    QLineEdit* edit(int id) const { return ctl<QLineEdit>(id); }
    QPushButton* button(int id) const { return ctl<QPushButton>(id); }
    QComboBox* combo(int id) const { return ctl<QComboBox>(id); }
    QRadioButton* radio(int id) const { return ctl<QRadioButton>(id); }

    // The user chooses an entry of the security-type selector.
    void chooseSecurity(int index) const {
        QComboBox* box = combo(CSetupDlg::IDC_SECURITY);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    // Looks at the model on its own thread.
    QList<QByteArray> transcript() {
        QList<QByteArray> commands;
        adapter.call([&commands](PtyServer& s) { commands = s.model().transcript(); });
        return commands;
    }
    void clearTranscript() {
        adapter.call([](PtyServer& s) { s.model().clearTranscript(); });
    }
    QByteArray running(const QByteArray& name) {
        QByteArray value;
        adapter.call([&](PtyServer& s) { value = s.model().running(name); });
        return value;
    }
};

} // namespace velinor::e2e
