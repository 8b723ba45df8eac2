// velinor-bench-cli: velinor-cli configuring 1, 4, 16 and 100 simulated adapters at
// once (each a velinor-sim of its own on a pseudo-terminal, real time), and the
// program's start-up, peak memory, threads and open files. Prints name=value lines
// for velinor-bench.
#include "bench/bench_util.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Exit {
    bool ok = false;
    double wallMs = 0;
    long maxRssKb = 0;
    int maxThreads = 0; // sampled every 5 ms while it runs
    int maxFiles = 0;
};

// The process's threads and open file descriptors now; 0 when it is gone.
void sample(pid_t pid, Exit& result) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("Threads:"))
            result.maxThreads = std::max(result.maxThreads, line.mid(8).trimmed().toInt());
    }
    const int files = int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                              .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                              .size());
    result.maxFiles = std::max(result.maxFiles, files);
}

// Runs the program with its output thrown away; wall time and peak resident set size.
Exit spawnAndWait(const QString& program, const QStringList& args,
                  const QByteArray& outputFile = "/dev/null") {
    std::vector<QByteArray> bytes{program.toLocal8Bit()};
    for (const QString& a : args)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    Exit result;
    const qint64 begin = velinor::bench::monotonicNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t ended = ::wait4(pid, &status, WNOHANG, &usage);
        if (ended == pid)
            break;
        if (ended != 0)
            return result;
        sample(pid, result);
        ::usleep(5000);
    }
    result.wallMs = double(velinor::bench::monotonicNs() - begin) / 1e6;
    result.maxRssKb = usage.ru_maxrss;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty()      ? 0
           : v.size() % 2 ? v[v.size() / 2]
                          : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// n simulated adapters, each a velinor-sim with a transcript; their ports.
struct Fleet {
    std::vector<std::unique_ptr<QProcess>> sims;
    QStringList ports;
    QStringList transcripts;

    bool start(int n, const QString& simulator, const QTemporaryDir& dir) {
        for (int i = 0; i < n; ++i) {
            const QString transcript = dir.filePath(QStringLiteral("t%1-%2.txt").arg(n).arg(i));
            auto sim = std::make_unique<QProcess>();
            // Only standard output is a pipe: a hundred simulators stay within 1024 files.
            sim->setStandardInputFile(QProcess::nullDevice());
            sim->setStandardErrorFile(QProcess::nullDevice());
            sim->start(simulator, {QStringLiteral("--key-delay"), QStringLiteral("0"),
                                   QStringLiteral("--transcript"), transcript});
            if (!sim->waitForReadyRead(10000))
                return false;
            ports << QString::fromLocal8Bit(sim->readLine().trimmed());
            transcripts << transcript;
            sims.push_back(std::move(sim));
        }
        return true;
    }
    // Every adapter received the whole sequence.
    bool allProgrammed() const {
        for (const QString& path : transcripts) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            const QByteArray text = file.readAll();
            if (text.count('\n') != 10 || !text.endsWith("AT+IDOWN\\r\n"))
                return false;
        }
        return true;
    }
    ~Fleet() {
        for (auto& sim : sims) {
            sim->terminate();
            sim->waitForFinished(3000);
        }
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString cli = args.value(args.indexOf(QStringLiteral("--cli")) + 1);
    const QString simulator = args.value(args.indexOf(QStringLiteral("--sim")) + 1);
    QTemporaryDir dir;
    const QString keyFile = dir.filePath(QStringLiteral("key"));
    QFile key(keyFile);
    if (cli.isEmpty() || simulator.isEmpty() || !key.open(QIODevice::WriteOnly))
        return 2;
    key.write("passphrase1\n");
    key.close();

    // Start-up: the port list, the lightest command that still sets up the program.
    std::vector<double> wall;
    std::vector<double> rss;
    spawnAndWait(cli, {QStringLiteral("ports")});
    for (int i = 0; i < 10; ++i) {
        const Exit e = spawnAndWait(cli, {QStringLiteral("ports")});
        if (!e.ok)
            return 1;
        wall.push_back(e.wallMs);
        rss.push_back(double(e.maxRssKb));
    }
    std::printf("startup_ms=%.2f\nstartup_rss_kb=%.0f\n", median(wall), median(rss));
    std::fflush(stdout);

    // A hundred simulators and their pipes, and the tool's hundred ports: more files
    // than a soft limit of 1024 leaves room for.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    for (const int n : {1, 4, 16, 100}) {
        Fleet fleet;
        if (!fleet.start(n, simulator, dir)) {
            std::fprintf(stderr, "velinor-bench-cli: %d simulators did not all start\n", n);
            return 1;
        }
        QStringList cliArgs = {QStringLiteral("configure")};
        for (const QString& port : fleet.ports)
            cliArgs << QStringLiteral("--port") << port;
        cliArgs << QStringLiteral("--ssid") << QStringLiteral("office")
                << QStringLiteral("--access-point") << QStringLiteral("--security")
                << QStringLiteral("WPA2") << QStringLiteral("--channel") << QStringLiteral("6")
                << QStringLiteral("--key-file") << keyFile << QStringLiteral("--quiet");
        const QString output = dir.filePath(QStringLiteral("output-%1.txt").arg(n));
        const Exit e = spawnAndWait(cli, cliArgs, QFile::encodeName(output));
        if (!e.ok || !fleet.allProgrammed()) {
            std::fprintf(stderr, "velinor-bench-cli: %d adapters: %s\n", n,
                         e.ok ? "not every adapter received the whole sequence"
                              : "velinor-cli failed");
            QFile text(output);
            if (text.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : text.readAll().split('\n')) {
                    if (!line.isEmpty() && !line.endsWith(": ok"))
                        std::fprintf(stderr, "  %s\n", line.constData());
                }
            }
            return 1;
        }
        std::printf("fleet_%d_ms=%.1f\nfleet_%d_rss_kb=%ld\nfleet_%d_threads=%d\n"
                    "fleet_%d_files=%d\n",
                    n, e.wallMs, n, e.maxRssKb, n, e.maxThreads, n, e.maxFiles);
        std::fflush(stdout);
    }
    return 0;
}
