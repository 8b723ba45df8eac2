// velinor-bench: runs the benchmark programs and prints the table of figures,
// each next to its yardstick measured in the same run. It judges nothing: it
// exits 0 once every figure has been taken, non-zero when one could not be.
#include "bench/bench_util.h"

#include <QCoreApplication>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace velinor;

namespace {

using Values = QHash<QString, double>;

void say(const QString& text) {
    std::fprintf(stderr, "velinor-bench: %s\n", qPrintable(text));
}

struct ChildRun {
    qint64 startNs = 0; // just before the process was started
    Values values;
};

// Runs a program in a fresh directory with offscreen widgets; its name=value lines.
std::optional<ChildRun> runChild(const QString& program, const QStringList& args, int timeoutMs) {
    QTemporaryDir dir;
    if (!dir.isValid()) {
        say(QStringLiteral("no temporary directory"));
        return std::nullopt;
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ChildRun run;
    run.startNs = bench::monotonicNs();
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        say(QStringLiteral("%1 failed (%2)")
                .arg(program, process.error() == QProcess::UnknownError
                                  ? QStringLiteral("exit code %1").arg(process.exitCode())
                                  : process.errorString()));
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        bool ok = false;
        const double value = line.mid(eq + 1).toDouble(&ok);
        if (eq > 0 && ok)
            run.values.insert(QString::fromUtf8(line.left(eq)), value);
    }
    return run;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    if (n == 0)
        return 0;
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

bool has(const Values& v, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (!v.contains(QLatin1String(name)))
            return false;
    return true;
}

// One start-up: milliseconds from the process start to each stage, and peak RSS in MB.
struct Startup {
    double app = 0; // QApplication ready
    double services =
        0;            // services built (the main form's in the tool, the widgets in the baseline)
    double shown = 0; // the window shown
    double paint = 0; // the first paint done
    double rssMb = 0;
    int widgets = 0;
    // The tool only: the form's initialisation begins, and the time spent on the
    // certificate file dialog and on the port enumeration.
    double init = -1;
    double pickerMs = -1;
    double portsMs = -1;
};

std::optional<Startup> startupOf(const ChildRun& run) {
    const Values& v = run.values;
    if (!has(v, {"app_ns", "services_ns", "shown_ns", "paint_ns", "rss_kb", "widgets"}) ||
        v.value(QStringLiteral("rss_kb")) <= 0 || v.value(QStringLiteral("shown_ns")) <= 0)
        return std::nullopt;
    auto ms = [&](const char* name) {
        return (v.value(QLatin1String(name)) - double(run.startNs)) / 1e6;
    };
    Startup s{ms("app_ns"),
              ms("services_ns"),
              ms("shown_ns"),
              ms("paint_ns"),
              v.value(QStringLiteral("rss_kb")) / 1024.0,
              int(v.value(QStringLiteral("widgets")))};
    if (has(v, {"init_ns", "picker_ms", "ports_ms"}) && v.value(QStringLiteral("init_ns")) > 0) {
        s.init = ms("init_ns");
        s.pickerMs = v.value(QStringLiteral("picker_ms"));
        s.portsMs = v.value(QStringLiteral("ports_ms"));
    }
    return s;
}

QString yesNo(bool met) {
    return met ? QStringLiteral("yes") : QStringLiteral("**no**");
}

QString fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    // Where the build put the programs and the tests.
    QString bin = QStringLiteral(VELINOR_BENCH_DIR);
    QString build = QStringLiteral(VELINOR_BUILD_DIR);
    QString simulator = QStringLiteral(VELINOR_SIM_PATH);
    int runs = 10;
    bool cliOnly = false;
    bool startupOnly = false;
    const QStringList args = QCoreApplication::arguments();
    bool usage = args.size() % 2 == 0;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--runs"))
            runs = std::max(1, args.at(i + 1).toInt());
        else if (args.at(i) == QLatin1String("--only") && args.at(i + 1) == QLatin1String("cli"))
            cliOnly = true;
        else if (args.at(i) == QLatin1String("--only") &&
                 args.at(i + 1) == QLatin1String("startup"))
            startupOnly = true;
        else
            usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: velinor-bench [--runs <start-ups of each program, default "
                             "10>] [--only cli|startup]\n");
        return 2;
    }
    const QString startupProgram = bin + QStringLiteral("/velinor-bench-startup");
    const QString baselineProgram = bin + QStringLiteral("/velinor-bench-baseline");
    const QString protocolProgram = bin + QStringLiteral("/velinor-bench-protocol");
    bool failed = false;

    // ---- velinor-cli: many adapters at once, start-up and memory.
    if (!startupOnly)
        say(QStringLiteral(
            "cli: configuring 1, 4, 16 and 100 simulated adapters at once (about 70 s)"));
    const auto fleet = startupOnly
                           ? std::optional<ChildRun>()
                           : runChild(bin + QStringLiteral("/velinor-bench-cli"),
                                      {QStringLiteral("--cli"), QStringLiteral(VELINOR_CLI_PATH),
                                       QStringLiteral("--sim"), simulator},
                                      300000);
    Values c;
    if (startupOnly) {
    } else if (fleet && has(fleet->values,
                            {"startup_ms", "startup_rss_kb", "fleet_1_ms", "fleet_4_ms",
                             "fleet_16_ms", "fleet_16_rss_kb", "fleet_100_ms", "fleet_100_rss_kb"}))
        c = fleet->values;
    else {
        say(QStringLiteral("the velinor-cli figures could not be taken"));
        failed = true;
    }
    if (cliOnly)
        runs = 0;

    // ---- Start-up and memory: the tool and the baseline by turns.
    if (!cliOnly)
        say(QStringLiteral("start-up: %1 runs of the tool and of the baseline").arg(runs));
    const auto warm = cliOnly ? std::optional<ChildRun>() : runChild(startupProgram, {}, 30000);
    const auto warmStartup = warm ? startupOf(*warm) : std::nullopt;
    QList<Startup> tool;
    QList<Startup> base;
    if (cliOnly) {
    } else if (!warmStartup) {
        say(QStringLiteral("the tool's start-up could not be measured"));
        failed = true;
    } else {
        const QStringList baseArgs = {QString::number(warmStartup->widgets)};
        runChild(baselineProgram, baseArgs, 30000); // warms the caches as the tool's run did
        for (int i = 0; i < runs; ++i) {
            for (int k = 0; k < 2; ++k) {
                // Alternate which one goes first, so neither always follows the other.
                const bool toolNow = (i + k) % 2 == 0;
                const auto run = toolNow ? runChild(startupProgram, {}, 30000)
                                         : runChild(baselineProgram, baseArgs, 30000);
                const auto s = run ? startupOf(*run) : std::nullopt;
                if (!s) {
                    failed = true;
                    continue;
                }
                (toolNow ? tool : base).append(*s);
            }
        }
        if (tool.size() != runs || base.size() != runs) {
            say(QStringLiteral("some start-up runs failed"));
            failed = true;
        }
    }
    auto med = [](const QList<Startup>& list, double Startup::*field) {
        QList<double> values;
        for (const Startup& s : list)
            values.append(s.*field);
        return median(values);
    };

    // --only: the start-up, or velinor-cli, alone.
    const bool skipRest = cliOnly || startupOnly;

    // ---- Protocol overhead and liveness.
    if (!skipRest)
        say(QStringLiteral(
            "protocol: Configure and a scan against velinor-sim in real time (about 30 s)"));
    const auto protocol =
        skipRest ? std::optional<ChildRun>()
                 : runChild(protocolProgram, {QStringLiteral("--sim"), simulator}, 180000);
    Values p;
    if (skipRest) {
    } else if (protocol && has(protocol->values, {"configure_wall_ms", "configure_floor_ms",
                                                  "configure_gap_ms", "scan_gap_ms"}))
        p = protocol->values;
    else {
        say(QStringLiteral("the protocol figures could not be taken"));
        failed = true;
    }

    // ---- Test suite: unit and widget tests, not end-to-end tests or fuzzers.
    const int jobs = QThread::idealThreadCount();
    if (!skipRest)
        say(QStringLiteral("tests: ctest -LE 'e2e|fuzz' -j %1").arg(jobs));
    QProcess ctest;
    const qint64 testsBegin = bench::monotonicNs();
    if (!skipRest)
        ctest.start(QStringLiteral("ctest"),
                    {QStringLiteral("--test-dir"), build, QStringLiteral("-LE"),
                     QStringLiteral("e2e|fuzz"), QStringLiteral("-j"), QString::number(jobs)});
    const bool ctestRan =
        ctest.waitForFinished(900000) && ctest.exitStatus() == QProcess::NormalExit;
    const double testsS = (bench::monotonicNs() - testsBegin) / 1e9;
    const QString ctestOut =
        skipRest ? QString() : QString::fromLocal8Bit(ctest.readAllStandardOutput());
    const QRegularExpressionMatch summary =
        QRegularExpression(QStringLiteral("(\\d+) tests failed out of (\\d+)")).match(ctestOut);
    const int testsFailed = summary.hasMatch() ? summary.captured(1).toInt() : -1;
    const int testsTotal = summary.hasMatch() ? summary.captured(2).toInt() : 0;
    if (!skipRest && (!ctestRan || testsTotal == 0)) {
        say(QStringLiteral("the test suite could not be run:\n%1").arg(ctestOut));
        failed = true;
    }

    // ---- The table.
    std::printf("| Figure | Measured | Yardstick | Ratio | Target | Met |\n");
    std::printf("|---|---|---|---|---|---|\n");
    if (!tool.isEmpty() && !base.isEmpty()) {
        const double t = med(tool, &Startup::paint);
        const double b = med(base, &Startup::paint);
        std::printf("| start-up: process start to first paint, offscreen, median of %d | %s ms | "
                    "baseline %s ms | %s | <= 150 ms and <= 1.3 x baseline | %s |\n",
                    runs, qPrintable(fixed(t, 1)), qPrintable(fixed(b, 1)),
                    qPrintable(fixed(t / b, 2)), qPrintable(yesNo(t <= 150 && t <= 1.3 * b)));
        const double tm = med(tool, &Startup::rssMb);
        const double bm = med(base, &Startup::rssMb);
        std::printf("| memory: peak RSS after start-up, median | %s MB | baseline %s MB | %s | "
                    "<= 40 MB and <= 1.3 x baseline | %s |\n",
                    qPrintable(fixed(tm, 1)), qPrintable(fixed(bm, 1)),
                    qPrintable(fixed(tm / bm, 2)), qPrintable(yesNo(tm <= 40 && tm <= 1.3 * bm)));
    }
    if (!p.isEmpty()) {
        const double wall = p.value(QStringLiteral("configure_wall_ms"));
        const double floor = p.value(QStringLiteral("configure_floor_ms"));
        std::printf("| protocol overhead: Configure, access point, WPA2, over a pty | %s ms | "
                    "floor %s ms | %s | <= 1.02 | %s |\n",
                    qPrintable(fixed(wall, 0)), qPrintable(fixed(floor, 0)),
                    qPrintable(fixed(wall / floor, 4)), qPrintable(yesNo(wall <= 1.02 * floor)));
        const double cg = p.value(QStringLiteral("configure_gap_ms"));
        std::printf("| liveness: longest gap between event-loop turns, that Configure | %s ms | "
                    "| | <= 100 ms | %s |\n",
                    qPrintable(fixed(cg, 1)), qPrintable(yesNo(cg <= 100)));
        const double sg = p.value(QStringLiteral("scan_gap_ms"));
        std::printf("| liveness: longest gap between event-loop turns, Netsearch with a %s s "
                    "scan reply delay | %s ms | | | <= 100 ms | %s |\n",
                    qPrintable(fixed(p.value(QStringLiteral("scan_reply_delay_ms")) / 1000, 0)),
                    qPrintable(fixed(sg, 1)), qPrintable(yesNo(sg <= 100)));
    }
    if (!c.isEmpty()) {
        const double one = c.value(QStringLiteral("fleet_1_ms"));
        for (const int n : {4, 16, 100}) {
            const double many = c.value(QStringLiteral("fleet_%1_ms").arg(n));
            const double goal = n == 100 ? 1.05 : 1.1;
            std::printf("| velinor-cli: configure %d simulated adapters at once, access point, "
                        "WPA2 | %s ms | 1 adapter %s ms | %s | <= %s x one adapter | %s |\n",
                        n, qPrintable(fixed(many, 0)), qPrintable(fixed(one, 0)),
                        qPrintable(fixed(many / one, 3)), qPrintable(fixed(goal, 2)),
                        n >= 16 ? qPrintable(yesNo(many <= goal * one)) : "");
        }
        std::printf(
            "| velinor-cli: start-up, `velinor-cli ports` from start to exit, median of 10 | "
            "%s ms | | | | |\n",
            qPrintable(fixed(c.value(QStringLiteral("startup_ms")), 1)));
        std::printf("| velinor-cli: peak RSS, `ports` / configuring 16 / 100 adapters | %s MB / "
                    "%s MB / %s MB | | | | |\n",
                    qPrintable(fixed(c.value(QStringLiteral("startup_rss_kb")) / 1024, 1)),
                    qPrintable(fixed(c.value(QStringLiteral("fleet_16_rss_kb")) / 1024, 1)),
                    qPrintable(fixed(c.value(QStringLiteral("fleet_100_rss_kb")) / 1024, 1)));
    }
    if (!skipRest && ctestRan && testsTotal > 0) {
        std::printf("| test suite: ctest -LE 'e2e\\|fuzz' -j %d, %d tests%s | %s s | | | <= 60 s "
                    "| %s |\n",
                    jobs, testsTotal,
                    testsFailed > 0 ? qPrintable(QStringLiteral(" (%1 failed)").arg(testsFailed))
                                    : "",
                    qPrintable(fixed(testsS, 1)), qPrintable(yesNo(testsS <= 60)));
    }

    // ---- Details behind the figures.
    std::printf("\nDetails:\n");
    if (!tool.isEmpty() && !base.isEmpty()) {
        std::printf(
            "- tool start-up stages (median ms from process start): QApplication %s; "
            "services built %s (the certificate file dialog takes %s of it); form "
            "constructed %s; form initialised and shown %s (the port enumeration, run beside "
            "the form's construction, takes %s); first paint done %s; %d "
            "widgets\n",
            qPrintable(fixed(med(tool, &Startup::app), 1)),
            qPrintable(fixed(med(tool, &Startup::services), 1)),
            qPrintable(fixed(med(tool, &Startup::pickerMs), 1)),
            qPrintable(fixed(med(tool, &Startup::init), 1)),
            qPrintable(fixed(med(tool, &Startup::shown), 1)),
            qPrintable(fixed(med(tool, &Startup::portsMs), 1)),
            qPrintable(fixed(med(tool, &Startup::paint), 1)), tool.first().widgets);
        std::printf("- baseline start-up stages (median ms from process start): QApplication %s; "
                    "widgets built %s; shown %s; first paint done %s; %d widgets\n",
                    qPrintable(fixed(med(base, &Startup::app), 1)),
                    qPrintable(fixed(med(base, &Startup::services), 1)),
                    qPrintable(fixed(med(base, &Startup::shown), 1)),
                    qPrintable(fixed(med(base, &Startup::paint), 1)), base.first().widgets);
        QStringList all;
        for (const Startup& s : tool)
            all.append(fixed(s.paint, 1));
        std::printf("- tool first paint, every run (ms): %s\n", qPrintable(all.join(u' ')));
        all.clear();
        for (const Startup& s : base)
            all.append(fixed(s.paint, 1));
        std::printf("- baseline first paint, every run (ms): %s\n", qPrintable(all.join(u' ')));
    }
    if (!p.isEmpty()) {
        std::printf("- Configure: %d commands, wall %s ms, floor %s ms, overhead %s ms; longest "
                    "gap ended %s ms after the click\n",
                    int(p.value(QStringLiteral("configure_commands"))),
                    qPrintable(fixed(p.value(QStringLiteral("configure_wall_ms")), 1)),
                    qPrintable(fixed(p.value(QStringLiteral("configure_floor_ms")), 0)),
                    qPrintable(fixed(p.value(QStringLiteral("configure_wall_ms")) -
                                         p.value(QStringLiteral("configure_floor_ms")),
                                     1)),
                    qPrintable(fixed(p.value(QStringLiteral("configure_gap_end_ms")), 0)));
        std::printf("- Netsearch: list shown %s ms after the click with %d networks, dialog "
                    "closed at %s ms; longest gap ended %s ms after the click\n",
                    qPrintable(fixed(p.value(QStringLiteral("scan_until_list_ms")), 0)),
                    int(p.value(QStringLiteral("scan_rows"))),
                    qPrintable(fixed(p.value(QStringLiteral("scan_wall_ms")), 0)),
                    qPrintable(fixed(p.value(QStringLiteral("scan_gap_end_ms")), 0)));
    }
    if (!c.isEmpty()) {
        auto v = [&c](const char* name) { return c.value(QLatin1String(name)); };
        std::printf("- velinor-cli configure, 1 / 4 / 16 / 100 adapters at once: wall %s / %s / "
                    "%s / %s ms, peak RSS %s / %s / %s / %s MB; the floor of one adapter's "
                    "sequence is 14100 ms\n",
                    qPrintable(fixed(v("fleet_1_ms"), 0)), qPrintable(fixed(v("fleet_4_ms"), 0)),
                    qPrintable(fixed(v("fleet_16_ms"), 0)), qPrintable(fixed(v("fleet_100_ms"), 0)),
                    qPrintable(fixed(v("fleet_1_rss_kb") / 1024, 1)),
                    qPrintable(fixed(v("fleet_4_rss_kb") / 1024, 1)),
                    qPrintable(fixed(v("fleet_16_rss_kb") / 1024, 1)),
                    qPrintable(fixed(v("fleet_100_rss_kb") / 1024, 1)));
        std::printf(
            "- velinor-cli threads at most (sampled every 5 ms) with 1 / 4 / 16 / 100 "
            "adapters: %s / %s / %s / %s; open file descriptors at most: %s / %s / %s / "
            "%s\n",
            qPrintable(fixed(v("fleet_1_threads"), 0)), qPrintable(fixed(v("fleet_4_threads"), 0)),
            qPrintable(fixed(v("fleet_16_threads"), 0)),
            qPrintable(fixed(v("fleet_100_threads"), 0)), qPrintable(fixed(v("fleet_1_files"), 0)),
            qPrintable(fixed(v("fleet_4_files"), 0)), qPrintable(fixed(v("fleet_16_files"), 0)),
            qPrintable(fixed(v("fleet_100_files"), 0)));
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}
