// velinor-bench-startup: the tool as main() builds it (production services, the
// working directory as settings directory), run until the main form's first
// paint. Prints, as name=value lines, the monotonic times of the stages, the
// peak resident set size after start-up and the number of widgets of the form.
// The form is closed right after its first paint.
#include "base/port_enumerator.h"
#include "base/services.h"
#include "base/settings.h"
#include "base/system_clock.h"
#include "base/ui_text.h"
#include "bench/bench_util.h"
#include "bench/paint_watch.h"
#include "link/qt_port_enumerator.h"
#include "link/qt_serial_port.h"
#include "ui/qt_services.h"
#include "ui/setup_app.h"
#include "ui/setup_dlg.h"

#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QTimer>

#include <cstdio>

using namespace velinor;

namespace {

// The platform's port enumerator, with the time spent in it noted.
class TimedPortEnumerator : public PortEnumerator {
public:
    QList<PortInfo> ports() const override {
        const qint64 begin = bench::monotonicNs();
        QList<PortInfo> result = m_ports.ports();
        spentNs += bench::monotonicNs() - begin;
        return result;
    }
    mutable qint64 spentNs = 0;

private:
    QtPortEnumerator m_ports;
};

} // namespace

int main(int argc, char* argv[]) {
    bench::PaintWatchApplication application(argc, argv);
    Q_INIT_RESOURCE(velinor);
    QApplication::setApplicationName(QStringLiteral("Velinor"));
    const qint64 appNs = bench::monotonicNs();

    qint64 shownNs = -1;
    qint64 paintNs = -1;
    qint64 peakKb = -1;
    qsizetype widgets = -1;
    auto isForm = [](QWidget* window) { return qobject_cast<CSetupDlg*>(window) != nullptr; };
    qint64 initNs = -1;
    application.onShown([&] { shownNs = bench::monotonicNs(); });
    // The form's initialisation begins with its window icon.
    application.onEvent([&](QObject* receiver, QEvent* event) {
        if (initNs < 0 && event->type() == QEvent::WindowIconChange &&
            qobject_cast<CSetupDlg*>(receiver))
            initNs = bench::monotonicNs();
    });
    application.watch(isForm, [&](QWidget* window) {
        paintNs = bench::monotonicNs();
        peakKb = bench::statusKb("VmHWM");
        widgets = window->findChildren<QWidget*>().size() + 1;
        QTimer::singleShot(0, window, [window] { static_cast<QDialog*>(window)->done(0); });
    });

    // From here on as in main().
    const QString workingDir = QDir::currentPath();
    const int language = Settings(workingDir).language() == kEnglish ? kEnglish : kGerman;

    SystemClock clock;
    QtSerialPort port;
    TimedPortEnumerator ports; // QtPortEnumerator in main()
    QtPrompts prompts;
    QtLauncher launcher;
    const qint64 pickerNs = bench::monotonicNs();
    QtFilePicker certificatePicker(UiText(515, language));
    const qint64 pickerDoneNs = bench::monotonicNs();
    Services services{clock,
                      port,
                      prompts,
                      launcher,
                      ports,
                      certificatePicker,
                      workingDir,
                      QCoreApplication::applicationDirPath(),
                      QStringLiteral("/sys")};
    const qint64 servicesNs = bench::monotonicNs();

    CSetupApp app(services);
    app.InitInstance();

    if (paintNs < 0) {
        std::fprintf(stderr, "velinor-bench-startup: the main form was never painted\n");
        return 1;
    }
    std::printf("picker_ms=%.2f\ninit_ns=%lld\nports_ms=%.2f\n", (pickerDoneNs - pickerNs) / 1e6,
                static_cast<long long>(initNs), ports.spentNs / 1e6);
    std::printf("app_ns=%lld\nservices_ns=%lld\nshown_ns=%lld\npaint_ns=%lld\nrss_kb=%lld\n"
                "widgets=%lld\n",
                static_cast<long long>(appNs), static_cast<long long>(servicesNs),
                static_cast<long long>(shownNs), static_cast<long long>(paintNs),
                static_cast<long long>(peakKb), static_cast<long long>(widgets));
    return 0;
}
