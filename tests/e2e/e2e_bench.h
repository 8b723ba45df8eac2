#pragma once

// The main form in-process, talking through the production serial port to the adapter
// model served on a pseudo-terminal on a thread of its own. Real time.
#include "base/services.h"
#include "base/system_clock.h"
#include "fakes.h"
#include "link/qt_serial_port.h"
#include "sim/pty_server.h"
#include "sim/pty_server_thread.h"
#include "ui/setup_app.h"
#include "ui/setup_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace velinor::e2e {

// Members end in reverse order: the form first, the adapter last.
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

    // Serves the adapter, writes settings.ini and opens the form with the adapter's port
    // picked in the list; false when any of it fails.
    bool start(const QByteArray& ini, const std::function<void(AdapterModel&)>& setModel) {
        if (!adapter.start([&setModel](PtyServer& server, QString&) {
                setModel(server.model());
                return true;
            }) ||
            !fakes::writeFile(dir.filePath(QStringLiteral("settings.ini")), ini))
            return false;
        ports.addAdapter(adapter.devicePath());
        app = std::make_unique<CSetupApp>(services);
        dlg = std::make_unique<CSetupDlg>(*app, services);
        dlg->OnInitDialog();
        dlg->show();
        auto* list = ctl<QComboBox>(CSetupDlg::IDC_PORT);
        if (list->count() != 1 || list->itemText(0) != adapter.devicePath())
            return false;
        list->setCurrentIndex(0);
        emit list->activated(0);
        return true;
    }

    template <class T> T* ctl(int id) const { return qobject_cast<T*>(dlg->control(id)); }
    void click(int id) const { QTest::mouseClick(dlg->control(id), Qt::LeftButton); }
    void type(int id, const QString& text) const {
        ctl<QLineEdit>(id)->clear();
        QTest::keyClicks(ctl<QLineEdit>(id), text);
    }
    void chooseSecurity(int index) const {
        auto* box = ctl<QComboBox>(CSetupDlg::IDC_SECURITY);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // The model's transcript, read (and cleared) on its own thread.
    QList<QByteArray> transcript(bool clear = false) {
        QList<QByteArray> commands;
        adapter.call([&](PtyServer& s) {
            commands = s.model().transcript();
            if (clear)
                s.model().clearTranscript();
        });
        return commands;
    }
};

} // namespace velinor::e2e
