// glimra-bench-cli: whole glimractl runs against their floor, a QCoreApplication that lists a
// folder and prints a line (glimra-bench-floor), in one run against glimra-sim. Not a test: it
// prints medians of wall time, CPU time and peak RSS, and the ratios the tool is held to:
//   list   against the floor;
//   status against the floor plus the four exchanges of a refresh (timed in this process).
//   glimra-bench-cli [--runs N]
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/VirtualHidBackend.h"
#include "Link/UsbDeviceEntry.h"
#include "Protocol/CommManager.h"
#include "Protocol/TrRequestWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct RunFigures {
    double wallMs = 0;
    double cpuMs = 0; // user + system of the child
    long rssKb = 0;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// One process run, stdout to /dev/null; false when it could not start or did not succeed.
bool RunOnce(const std::vector<std::string>& argv, RunFigures& figures) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return false;
    const auto end = std::chrono::steady_clock::now();
    figures.wallMs = std::chrono::duration<double, std::milli>(end - start).count();
    figures.cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    figures.rssKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Series {
    Series(const char* n, std::vector<std::string> a) : name(n), argv(std::move(a)) {}
    const char* name;
    std::vector<std::string> argv;
    std::vector<double> wall, cpu, rss;
    double Wall() const { return Median(wall); }
    double Cpu() const { return Median(cpu); }
    double Rss() const { return Median(rss); }
};

// Four exchanges of a refresh (layout and version), median over runs, in ms.
double TimeExchanges(const QString& simDir, int runs) {
    fw::HidSetBackends({std::make_shared<fw::VirtualHidBackend>(simDir.toStdString())});
    TrRequestWindow owner;
    UsbDeviceEntry table[1] = {{0x04D9, 0x8008, 0}};
    CommManager manager;
    manager.CreateUsbLink(&owner, table, 1);
    manager.RefreshDevices();
    if (!manager.Open(0))
        return -1;
    std::vector<double> times;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        clock.start();
        if (!manager.GetProtocol()->ReadLayout() || !manager.GetProtocol()->ReadVersion())
            return -1;
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    manager.Close();
    return Median(times);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 21;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--runs"))
            runs = std::max(1, arguments[i + 1].toInt());
    }

    QTemporaryDir scratch;
    const QString simDir = scratch.filePath(QStringLiteral("sim"));
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(
        QStringLiteral(GLIMRA_BIN_DIR "/glimra-sim"),
        {QStringLiteral("--dir"), simDir, QStringLiteral("--reply-delay-ms"), QStringLiteral("0")});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000) ||
        !sim.readLine().startsWith("glimra-sim ready")) {
        std::fprintf(stderr, "glimra-sim did not start\n");
        return 1;
    }
    qputenv("GLIMRA_SIM_DIR", simDir.toLocal8Bit());

    const double exchangesMs = TimeExchanges(simDir, runs);
    if (exchangesMs < 0) {
        std::fprintf(stderr, "no refresh against the simulator in %s\n", qPrintable(simDir));
        return 1;
    }

    const std::string floorPath = GLIMRA_BENCH_FLOOR;
    const std::string cliPath = GLIMRA_BIN_DIR "/glimractl";
    std::vector<Series> series = {
        {"floor (QCoreApplication, list a folder, print)", {floorPath, simDir.toStdString()}},
        {"glimractl --version", {cliPath, "--version"}},
        {"glimractl list", {cliPath, "list"}},
        {"glimractl status", {cliPath, "status"}},
    };
    // Rounds interleave the programs, so a change in the machine's load meets all of them.
    for (int round = 0; round < runs; ++round) {
        for (Series& s : series) {
            RunFigures figures;
            if (!RunOnce(s.argv, figures)) {
                std::fprintf(stderr, "%s failed\n", s.name);
                return 1;
            }
            s.wall.push_back(figures.wallMs);
            s.cpu.push_back(figures.cpuMs);
            s.rss.push_back(static_cast<double>(figures.rssKb));
        }
    }
    sim.terminate();
    sim.waitForFinished(5000);

    std::printf("medians of %d interleaved runs; session bus %s\n", runs,
                qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ? "absent" : "present");
    std::printf("%-48s %9s %9s %10s\n", "", "wall ms", "CPU ms", "peak kB");
    for (const Series& s : series)
        std::printf("%-48s %9.1f %9.1f %10.0f\n", s.name, s.Wall(), s.Cpu(), s.Rss());
    std::printf("%-48s %9.2f\n", "four exchanges in process", exchangesMs);

    const Series& floor = series[0];
    const Series& list = series[2];
    const Series& status = series[3];
    std::printf("list   / floor               wall %.2f  CPU %.2f  (goal: at most 1.3)\n",
                list.Wall() / floor.Wall(), list.Cpu() / floor.Cpu());
    std::printf("status / (floor + exchanges) wall %.2f  CPU %.2f  (goal: at most 1.5)\n",
                status.Wall() / (floor.Wall() + exchangesMs),
                status.Cpu() / (floor.Cpu() + exchangesMs));
    return 0;
}
