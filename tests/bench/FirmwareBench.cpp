// Times the refresh, whole glimractl runs and a firmware update through the virtual HID backend
// against glimra-sim at its default report pacing. Not a test: it prints what it measured.
//   glimra-bench-firmware [--size BYTES] [--sim PATH-TO-glimra-sim] [--cli PATH-TO-glimractl]
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/VirtualHidBackend.h"
#include "Link/UsbDeviceEntry.h"
#include "Protocol/CommManager.h"
#include "Protocol/CommMessages.h"
#include "Protocol/TrRequestWindow.h"
#include "Task/FirmwareManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// Notes when the task's reports arrive.
class Timeline : public fw::Window {
public:
    explicit Timeline(const QElapsedTimer& clock) : clock_(clock) {
        OnMessage(WM_FIRMWARE_NOTIFY, [this](fw::WPARAM step, fw::LPARAM value) {
            const qint64 now = clock_.nsecsElapsed();
            if (step == FirmwareManager::StepFileInfo)
                fileInfoAt = now;
            if (step == FirmwareManager::StepProgress) {
                if (value == 100)
                    doneAt = now;
                ++reports;
            }
            if (step == FirmwareManager::StepSuccess || step == FirmwareManager::StepFailure) {
                resultAt = now;
                result = static_cast<int>(step);
            }
            return fw::LRESULT{0};
        });
    }
    qint64 fileInfoAt = -1, doneAt = -1, resultAt = -1;
    int reports = 0;
    int result = 0;

private:
    const QElapsedTimer& clock_;
};

double Ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

double Median(std::vector<qint64> ns) {
    std::sort(ns.begin(), ns.end());
    return ns.empty() ? 0.0 : Ms(ns[ns.size() / 2]);
}

// One whole glimractl run, process start to exit, in ns; -1 when it failed.
qint64 RunCli(const QString& program, const QString& simDir, const QStringList& args) {
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GLIMRA_SIM_DIR"), simDir);
    cli.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    cli.start(program, args);
    if (!cli.waitForFinished(30000) || cli.exitStatus() != QProcess::NormalExit ||
        cli.exitCode() != 0) {
        std::fprintf(stderr, "glimractl %s failed: %s\n", qPrintable(args.join(' ')),
                     cli.readAllStandardError().constData());
        return -1;
    }
    return clock.nsecsElapsed();
}

// The median of runs whole glimractl runs against a goal (0: none); false when one failed.
bool TimeCli(const QString& program, const QString& simDir, const QStringList& args, int runs,
             double goalMs) {
    std::vector<qint64> times;
    for (int i = 0; i < runs; ++i) {
        const qint64 ns = RunCli(program, simDir, args);
        if (ns < 0)
            return false;
        times.push_back(ns);
    }
    std::printf("glimractl %s: median of %d %.1f ms, min %.1f, max %.1f",
                qPrintable(args.join(' ')), runs, Median(times),
                Ms(*std::min_element(times.begin(), times.end())),
                Ms(*std::max_element(times.begin(), times.end())));
    if (goalMs > 0)
        std::printf(" (goal: at most %.0f ms)", goalMs);
    std::printf("\n");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qint64 size = 64 * 1024;
    QString simPath = QStringLiteral(GLIMRA_BIN_DIR "/glimra-sim");
    QString cliPath = QStringLiteral(GLIMRA_BIN_DIR "/glimractl");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--size"))
            size = args[i + 1].toLongLong();
        else if (args[i] == QLatin1String("--sim"))
            simPath = args[i + 1];
        else if (args[i] == QLatin1String("--cli"))
            cliPath = args[i + 1];
    }

    QTemporaryDir dir;
    const QString simDir = dir.filePath(QStringLiteral("sim"));
    const QString flashed = dir.filePath(QStringLiteral("flashed.bin"));
    const QString imagePath = dir.filePath(QStringLiteral("image.bin"));
    QByteArray image(size, '\0');
    std::mt19937 random(64);
    for (char& b : image)
        b = static_cast<char>(random());
    {
        QFile file(imagePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != size) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(imagePath));
            return 1;
        }
    }

    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(simPath, {QStringLiteral("--dir"), simDir, QStringLiteral("--flash-out"), flashed});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000) ||
        !sim.readLine().startsWith("glimra-sim ready")) {
        std::fprintf(stderr, "glimra-sim did not start (%s)\n", qPrintable(simPath));
        return 1;
    }
    fw::HidSetBackends({std::make_shared<fw::VirtualHidBackend>(simDir.toStdString())});

    TrRequestWindow owner;
    UsbDeviceEntry table[1] = {{0x04D9, 0x8008, 0}};
    CommManager manager;
    manager.CreateUsbLink(&owner, table, 1);
    manager.RefreshDevices();
    if (!manager.Open(0)) {
        std::fprintf(stderr, "no controller in %s\n", qPrintable(simDir));
        return 1;
    }

    // The refresh: the layout and the version text, four exchanges.
    constexpr int kRefreshes = 20;
    std::vector<qint64> layoutTimes, refreshTimes;
    int layout = 1, version = 1;
    QElapsedTimer clock;
    for (int i = 0; i < kRefreshes; ++i) {
        clock.start();
        layout &= manager.GetProtocol()->ReadLayout();
        layoutTimes.push_back(clock.nsecsElapsed());
        version &= manager.GetProtocol()->ReadVersion();
        refreshTimes.push_back(clock.nsecsElapsed());
    }
    std::printf("refresh: layout %s, version %s; median of %d: layout %.1f ms, total %.1f ms, "
                "max %.1f ms (goal: at most 50 ms)\n",
                layout ? "ok" : "FAILED", version ? "ok" : "FAILED", kRefreshes,
                Median(layoutTimes), Median(refreshTimes),
                Ms(*std::max_element(refreshTimes.begin(), refreshTimes.end())));

    // The scan behind list and every connection, in this process.
    manager.Close();
    std::vector<qint64> scanTimes;
    for (int i = 0; i < kRefreshes; ++i) {
        clock.start();
        manager.RefreshDevices();
        scanTimes.push_back(clock.nsecsElapsed());
    }
    std::printf("scan: median of %d %.2f ms, %u controller(s)\n", kRefreshes, Median(scanTimes),
                manager.DeviceCount());

    // Whole command-line runs, each a process of its own; this link lets go of the controller
    // meanwhile. --version is the cost of starting the program at all.
    const bool cliOk = TimeCli(cliPath, simDir, {QStringLiteral("--version")}, 10, 0) &&
                       TimeCli(cliPath, simDir, {QStringLiteral("list")}, 10, 20) &&
                       TimeCli(cliPath, simDir, {QStringLiteral("status")}, 10, 150);
    if (!manager.Open(0)) {
        std::fprintf(stderr, "the controller did not open again\n");
        return 1;
    }

    Timeline timeline(clock);
    FirmwareManager task;
    task.Init(&timeline, &manager);
    clock.restart();
    task.RequestUpgradeMode();
    // The controller leaves the bus as it restarts: wait for it to go, then to come back.
    while (manager.Open(manager.CurrentIndex())) {
        manager.Close();
        if (clock.elapsed() > 30000) {
            std::fprintf(stderr, "the controller did not restart\n");
            return 1;
        }
        QThread::msleep(1);
    }
    while (!(manager.Open(manager.CurrentIndex()) && manager.IsConnected())) {
        if (clock.elapsed() > 30000) {
            std::fprintf(stderr, "the loader did not come back\n");
            return 1;
        }
        QThread::msleep(20);
    }
    const qint64 reconnectNs = clock.nsecsElapsed();

    clock.restart();
    task.Start(imagePath);
    task.Wait();
    const qint64 totalNs = clock.nsecsElapsed();

    const qint64 blocks = (size + 127) / 128;
    const qint64 blocksNs = timeline.doneAt - timeline.fileInfoAt;
    std::printf("firmware: %lld bytes, %lld blocks, result %s\n", static_cast<long long>(size),
                static_cast<long long>(blocks),
                timeline.result == FirmwareManager::StepSuccess ? "success" : "FAILED");
    std::printf("  restart into the loader and reconnect: %.1f ms\n", Ms(reconnectNs));
    std::printf("  start to result: %.1f ms (fixed waits 100 + 100 + 10 ms)\n",
                Ms(timeline.resultAt));
    std::printf("  blocks: %.1f ms, %.3f ms per block\n", Ms(blocksNs),
                Ms(blocksNs) / static_cast<double>(blocks));
    std::printf("  task total: %.1f ms (goal: under 2000 ms for 64 KiB)\n", Ms(totalNs));

    // The controller comes back running the image; the simulator wrote what it flashed.
    QElapsedTimer wait;
    wait.start();
    QByteArray written;
    while (wait.elapsed() < 5000) {
        QFile file(flashed);
        if (file.open(QIODevice::ReadOnly) && (written = file.readAll()).size() == size)
            break;
        QThread::msleep(20);
    }
    const bool same = written == image;
    std::printf("  flashed image %s the file\n", same ? "equals" : "DIFFERS FROM");

    manager.Close();
    sim.terminate();
    sim.waitForFinished(5000);
    return timeline.result == FirmwareManager::StepSuccess && same && layout && version && cliOk
               ? 0
               : 1;
}
