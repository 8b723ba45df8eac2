// velinor-bench-protocol: the tool's own main form with the production clock and
// serial port, driven against velinor-sim over a pseudo-terminal in real time.
//
//  1. Configure, access point, "WPA2": the wall time of the command against the
//     least time its fixed pauses and read windows take, and the longest gap
//     between two turns of the event loop meanwhile.
//  2. Netsearch with a scan that the adapter answers only after 10 s: the longest
//     gap between two turns of the event loop from the click until the network
//     dialog is closed again.
//
// Message boxes are noted instead of shown, so that nobody has to close them; all
// other services are the ones main() wires. Prints name=value lines; exits
// non-zero when a run did not go as it must (the figures would mean nothing).
#include "base/clock.h"
#include "base/prompts.h"
#include "base/services.h"
#include "base/system_clock.h"
#include "base/ui_text.h"
#include "bench/bench_util.h"
#include "bench/heartbeat.h"
#include "bench/sequence_floor.h"
#include "link/qt_port_enumerator.h"
#include "link/qt_serial_port.h"
#include "sim/pty_server.h"
#include "ui/qt_services.h"
#include "ui/scan_dlg.h"
#include "ui/setup_app.h"
#include "ui/setup_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace velinor;

namespace {

constexpr int kScanReplyMs = 10000;
constexpr int kKeyReplyMs = 0;
const QByteArray kSsid = "benchnet";
const QByteArray kChannel = "6";
const QByteArray kKey = "bench-passphrase";

struct Note {
    QString text;
    PromptIcon icon;
};

// Notes each message instead of showing a box.
class NotedPrompts : public Prompts {
public:
    void message(const QString& text, PromptIcon icon) override { notes.append({text, icon}); }
    QList<Note> notes;
};

void fail(const QString& text) {
    std::fprintf(stderr, "velinor-bench-protocol: %s\n", qPrintable(text));
}

// velinor-sim in a process of its own, for as long as the object lives.
class Simulator {
public:
    ~Simulator() { stop(); }

    bool start(const QString& program, const QStringList& args) {
        m_process.setProgram(program);
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(5000)) {
            fail(QStringLiteral("%1 does not start: %2").arg(program, m_process.errorString()));
            return false;
        }
        // The first line is the path of the adapter's serial port.
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000)) {
                fail(QStringLiteral("%1 names no port").arg(program));
                return false;
            }
        }
        m_port = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        return !m_port.isEmpty();
    }

    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString port() const { return m_port; }

private:
    QProcess m_process;
    QString m_port;
};

template <class T> T* controlOf(CSetupDlg& dlg, int id) {
    return qobject_cast<T*>(dlg.control(id));
}

void selectPort(CSetupDlg& dlg, const QString& path) {
    auto* ports = controlOf<QComboBox>(dlg, CSetupDlg::IDC_PORT);
    ports->addItem(path);
    ports->setCurrentIndex(ports->count() - 1);
}

bool runConfigure(CSetupDlg& dlg, NotedPrompts& prompts, const QString& simulator,
                  const QString& workDir) {
    const QString transcript = workDir + QStringLiteral("/configure-transcript.txt");
    Simulator sim;
    if (!sim.start(simulator, {QStringLiteral("--key-delay"), QString::number(kKeyReplyMs),
                               QStringLiteral("--transcript"), transcript}))
        return false;

    // The form as the user fills it.
    controlOf<QComboBox>(dlg, CSetupDlg::IDC_SECURITY)->setCurrentIndex(4); // WPA2
    controlOf<QLineEdit>(dlg, CSetupDlg::IDC_SSID)->setText(QString::fromUtf8(kSsid));
    controlOf<QLineEdit>(dlg, CSetupDlg::IDC_CHANNEL)->setText(QString::fromUtf8(kChannel));
    controlOf<QLineEdit>(dlg, CSetupDlg::IDC_KEY)->setText(QString::fromUtf8(kKey));
    controlOf<QRadioButton>(dlg, CSetupDlg::IDC_ACCESS_POINT)->setChecked(true);
    selectPort(dlg, sim.port());
    prompts.notes.clear();

    bench::Heartbeat heartbeat;
    heartbeat.start();
    const qint64 begin = bench::monotonicNs();
    controlOf<QPushButton>(dlg, CSetupDlg::IDC_CONFIGURE)->click();
    const qint64 end = bench::monotonicNs();
    heartbeat.stop();
    sim.stop();

    const QString saved = UiText(28, dlg.GetLanguage());
    if (prompts.notes.size() != 1 || prompts.notes.first().text != saved) {
        QStringList texts;
        for (const Note& note : prompts.notes)
            texts.append(note.text);
        fail(QStringLiteral("Configure did not end with \"%1\" alone: %2")
                 .arg(saved, texts.join(QStringLiteral(" | "))));
        return false;
    }

    // The adapter must have seen exactly the prescribed commands: a retry or a
    // command more would make the floor the wrong yardstick.
    const QList<bench::FloorStep> steps =
        bench::Wpa2AccessPointConfigure(kSsid, kChannel, kKey, kKeyReplyMs);
    QList<QByteArray> expected;
    for (const bench::FloorStep& step : steps)
        if (!step.command.isEmpty())
            expected.append(PtyServer::escapeCommand(step.command));
    QFile file(transcript);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("no transcript: %1").arg(file.errorString()));
        return false;
    }
    QList<QByteArray> seen = file.readAll().split('\n');
    while (!seen.isEmpty() && seen.last().isEmpty())
        seen.removeLast();
    if (seen != expected) {
        fail(QStringLiteral("the adapter saw other commands than the sequence: %1")
                 .arg(QString::fromUtf8(seen.join(' '))));
        return false;
    }

    std::printf("configure_wall_ms=%.1f\nconfigure_floor_ms=%d\nconfigure_commands=%lld\n"
                "configure_gap_ms=%.1f\nconfigure_gap_end_ms=%.0f\nconfigure_beats=%lld\n",
                (end - begin) / 1e6, bench::FloorMs(steps), static_cast<long long>(seen.size()),
                heartbeat.longestGapMs(), heartbeat.longestGapEndMs(),
                static_cast<long long>(heartbeat.beats()));
    return true;
}

bool runScan(CSetupDlg& dlg, NotedPrompts& prompts, const QString& simulator) {
    Simulator sim;
    if (!sim.start(simulator, {QStringLiteral("--scan-delay"), QString::number(kScanReplyMs)}))
        return false;
    selectPort(dlg, sim.port());
    prompts.notes.clear();

    // Closes the network dialog as soon as it shows, noting when and with how many rows.
    qint64 shown = -1;
    int rows = -1;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* scan = qobject_cast<CScanDlg*>(QApplication::activeModalWidget());
        if (!scan || !scan->isVisible() || shown >= 0)
            return;
        shown = bench::monotonicNs();
        rows = scan->networkList()->rowCount();
        scan->reject();
    });

    bench::Heartbeat heartbeat;
    closer.start();
    heartbeat.start();
    const qint64 begin = bench::monotonicNs();
    controlOf<QPushButton>(dlg, CSetupDlg::IDC_NETSEARCH)->click();
    const qint64 end = bench::monotonicNs();
    heartbeat.stop();
    closer.stop();
    sim.stop();

    if (shown < 0 || rows <= 0) {
        fail(QStringLiteral("the network dialog did not show the networks found"));
        return false;
    }
    if (!prompts.notes.isEmpty()) {
        fail(QStringLiteral("Netsearch showed a message: %1").arg(prompts.notes.first().text));
        return false;
    }
    if ((shown - begin) / 1e6 < kScanReplyMs) {
        fail(QStringLiteral("the scan was answered before its delay"));
        return false;
    }
    std::printf("scan_reply_delay_ms=%d\nscan_until_list_ms=%.1f\nscan_wall_ms=%.1f\n"
                "scan_rows=%d\nscan_gap_ms=%.1f\nscan_gap_end_ms=%.0f\nscan_beats=%lld\n",
                kScanReplyMs, (shown - begin) / 1e6, (end - begin) / 1e6, rows,
                heartbeat.longestGapMs(), heartbeat.longestGapEndMs(),
                static_cast<long long>(heartbeat.beats()));
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(velinor);
    QApplication::setApplicationName(QStringLiteral("Velinor"));
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--sim"));
    if (at < 0 || at + 1 >= args.size()) {
        std::fprintf(stderr, "usage: velinor-bench-protocol --sim <path of velinor-sim>\n");
        return 2;
    }
    const QString simulator = args.at(at + 1);

    // settings.ini and log.txt go to a directory of their own.
    QTemporaryDir work;
    if (!work.isValid()) {
        fail(QStringLiteral("no temporary directory"));
        return 1;
    }
    SystemClock clock;
    QtSerialPort port;
    QtPortEnumerator ports;
    NotedPrompts prompts;
    QtLauncher launcher;
    QtFilePicker certificatePicker(UiText(515, kGerman));
    Services services{clock,       port,        prompts,
                      launcher,    ports,       certificatePicker,
                      work.path(), work.path(), work.filePath(QStringLiteral("sys"))};

    CSetupApp app(services);
    bool ok = false;
    QTimer::singleShot(0, [&] {
        CSetupDlg* dlg = app.m_pMainDlg;
        if (!dlg) {
            fail(QStringLiteral("no main form"));
        } else {
            ok = runConfigure(*dlg, prompts, simulator, work.path()) &&
                 runScan(*dlg, prompts, simulator);
            dlg->done(0);
        }
    });
    app.InitInstance();
    std::fflush(stdout);
    return ok ? 0 : 1;
}
