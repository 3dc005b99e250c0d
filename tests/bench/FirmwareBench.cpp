// Times a firmware update and a refresh through the virtual HID backend against glimra-sim at
// its default report pacing. Not a test: it prints what it measured.
//   glimra-bench-firmware [--size BYTES] [--sim PATH-TO-glimra-sim]
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

#include <cstdio>
#include <random>

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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qint64 size = 64 * 1024;
    QString simPath = QStringLiteral(GLIMRA_BIN_DIR "/glimra-sim");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--size"))
            size = args[i + 1].toLongLong();
        else if (args[i] == QLatin1String("--sim"))
            simPath = args[i + 1];
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

    QElapsedTimer clock;
    clock.start();
    const int layout = manager.GetProtocol()->ReadLayout();
    const qint64 layoutNs = clock.nsecsElapsed();
    const int version = manager.GetProtocol()->ReadVersion();
    const qint64 refreshNs = clock.nsecsElapsed();
    std::printf("refresh: layout %s %.1f ms, version %s %.1f ms, total %.1f ms "
                "(floor: four 500 ms waits)\n",
                layout ? "ok" : "FAILED", Ms(layoutNs), version ? "ok" : "FAILED",
                Ms(refreshNs - layoutNs), Ms(refreshNs));

    Timeline timeline(clock);
    FirmwareManager task;
    task.Init(&timeline, &manager);
    clock.restart();
    task.RequestUpgradeMode();
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
    std::printf("  blocks: %.1f ms, %.3f ms per block (goal: under 4000 ms)\n", Ms(blocksNs),
                Ms(blocksNs) / static_cast<double>(blocks));
    std::printf("  task total: %.1f ms\n", Ms(totalNs));

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
    return timeline.result == FirmwareManager::StepSuccess && same && layout && version ? 0 : 1;
}
