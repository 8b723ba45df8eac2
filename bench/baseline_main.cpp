// velinor-bench-baseline: the yardstick for start-up and memory. A bare QDialog
// with a given number of widgets (the dialog included), run until its first
// paint. Prints the same name=value lines as velinor-bench-startup.
#include "bench/bench_util.h"
#include "bench/paint_watch.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    using namespace velinor;
    bench::PaintWatchApplication application(argc, argv);
    const qint64 appNs = bench::monotonicNs();
    const int total = argc > 1 ? std::atoi(argv[1]) : 0;
    if (total < 1) {
        std::fprintf(stderr, "usage: velinor-bench-baseline <number of widgets, 1 or more>\n");
        return 2;
    }

    qint64 shownNs = -1;
    qint64 paintNs = -1;
    qint64 peakKb = -1;
    qsizetype widgets = -1;
    QDialog dialog;
    auto isDialog = [&dialog](QWidget* window) { return window == &dialog; };
    application.onShown([&] { shownNs = bench::monotonicNs(); });
    application.watch(isDialog, [&](QWidget* window) {
        paintNs = bench::monotonicNs();
        peakKb = bench::statusKb("VmHWM");
        widgets = window->findChildren<QWidget*>().size() + 1;
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(0); });
    });

    // Labels, edit fields and buttons in turn: none of them makes child widgets
    // of its own, so the count is exact.
    const int columns = 4;
    for (int i = 0; i < total - 1; ++i) {
        QWidget* widget = nullptr;
        switch (i % 3) {
        case 0:
            widget = new QLabel(QStringLiteral("Label %1").arg(i), &dialog);
            break;
        case 1:
            widget = new QLineEdit(&dialog);
            break;
        default:
            widget = new QPushButton(QStringLiteral("Button %1").arg(i), &dialog);
            break;
        }
        widget->setGeometry(8 + (i % columns) * 110, 8 + (i / columns) * 28, 100, 24);
    }
    dialog.setWindowTitle(QStringLiteral("Baseline"));
    const qint64 servicesNs = bench::monotonicNs();
    dialog.exec();

    if (paintNs < 0) {
        std::fprintf(stderr, "velinor-bench-baseline: the dialog was never painted\n");
        return 1;
    }
    std::printf("app_ns=%lld\nservices_ns=%lld\nshown_ns=%lld\npaint_ns=%lld\nrss_kb=%lld\n"
                "widgets=%lld\n",
                static_cast<long long>(appNs), static_cast<long long>(servicesNs),
                static_cast<long long>(shownNs), static_cast<long long>(paintNs),
                static_cast<long long>(peakKb), static_cast<long long>(widgets));
    return 0;
}
