// glimra-bench-window: the main window against glimra-sim, next to a bare Qt Widgets program
// that shows an 800 x 455 window. Prints, as medians of several starts: time from process
// start to the first paint of the connected window, and peak RSS (both also for the baseline);
// then the idle window's wake-ups over 60 s (context switches of all its threads); then the
// time from a click on a swatch to its frame's write, p50 and p99 over many clicks, each on an
// idle link.
//
// Usage: glimra-bench-window [--starts N] [--idle-seconds S] [--clicks N]
// The children run on the platform of QT_QPA_PLATFORM (offscreen when unset).

#include "App/CTavrelLibApp.h"
#include "Framework/DrawingKit.h"
#include "Framework/HardwareAccess.h"
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/VirtualHidBackend.h"
#include "GlimraUtilityApp.h"
#include "GlimraUtilityDlg.h"
#include "ProcStatus.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Voluntary and involuntary context switches of each thread of a process, by thread id.
std::map<QString, long> ContextSwitches(qint64 pid) {
    std::map<QString, long> counts;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString status = tasks.filePath(task) + QStringLiteral("/status");
        counts[task] = std::max(0L, ProcStatusKb(status, "voluntary_ctxt_switches:")) +
                       std::max(0L, ProcStatusKb(status, "nonvoluntary_ctxt_switches:"));
    }
    return counts;
}

// Switches between two samples, over the threads that lived through both.
long SwitchesBetween(const std::map<QString, long>& before, const std::map<QString, long>& after) {
    long total = 0;
    for (const auto& [tid, count] : after) {
        auto it = before.find(tid);
        if (it != before.end())
            total += count - it->second;
    }
    return total;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    if (v.empty())
        return 0;
    const auto index = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(index, v.size() - 1)];
}

// ---- children ----

// Prints the first paint's time, then the peak RSS a moment later, and ends.
class FirstPaintProbe : public QObject {
public:
    explicit FirstPaintProbe(std::function<bool(QObject*)> isTarget)
        : isTarget_(std::move(isTarget)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint && isTarget_(watched)) {
            done_ = true;
            std::printf("paint %lld\n", NowNs());
            std::fflush(stdout);
            QTimer::singleShot(500, [] {
                std::printf("rss %ld\n",
                            ProcStatusKb(QStringLiteral("/proc/self/status"), "VmHWM:"));
                std::fflush(stdout);
                if (qEnvironmentVariableIsSet("GLIMRA_BENCH_STAY"))
                    return;
                fw::Dialog::EndAllModal(fw::IDCANCEL);
                QApplication::quit();
            });
        }
        return false;
    }

private:
    std::function<bool(QObject*)> isTarget_;
    bool done_ = false;
};

int RunBaseline(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(800, 455);
    FirstPaintProbe probe([&](QObject* o) { return o == &window; });
    app.installEventFilter(&probe);
    window.show();
    return app.exec();
}

// The program's own start-up (settings, fonts, the window) in a program folder given on the
// command line, with its first paint once connected reported.
int RunWindow(int argc, char** argv, const QString& programFolder) {
    QApplication app(argc, argv);
    GlimraUtilityApp utility;
    utility.LoadSettingsFor(programFolder + QStringLiteral("/glimra-utility"));
    const std::uintptr_t drawing = fw::DrawingKit::Startup();
    fw::HardwareAccessInit();
    utility.RegisterFonts();
    const_cast<CAP_FontInstaller&>(utility.FontInstaller()).InstallFonts();

    GlimraUtilityDlg dlg;
    FirstPaintProbe probe(
        [&](QObject* o) { return dlg.Widget() && o == dlg.Widget() && dlg.IsConnected(); });
    app.installEventFilter(&probe);
    // The connection is made before the first paint can show it; ask for one after it too.
    QTimer connected;
    QObject::connect(&connected, &QTimer::timeout, [&] {
        if (dlg.IsConnected() && dlg.Widget()) {
            connected.stop();
            std::printf("connected %lld\n", NowNs());
            std::fflush(stdout);
            dlg.Widget()->update();
        }
    });
    connected.start(1);
    dlg.DoModal();
    utility.ExitInstance();
    fw::DrawingKit::Shutdown(drawing);
    return 0;
}

// Clicks swatches and times each click until its frame's first report has been written.
class WriteTimes : public fw::HidBackend {
public:
    explicit WriteTimes(std::string folder)
        : inner_(std::make_shared<fw::VirtualHidBackend>(std::move(folder))) {}
    std::vector<fw::HidInterfaceInfo> Enumerate() override { return inner_->Enumerate(); }
    std::unique_ptr<fw::HidConnection> Open(const fw::HidInterfaceInfo& info, fw::HidShare share,
                                            fw::HidError* error) override {
        auto inner = inner_->Open(info, share, error);
        return inner ? std::make_unique<Connection>(std::move(inner), *this) : nullptr;
    }
    std::unique_ptr<fw::HidWatcher> Watch(fw::HidWatcher::Callback callback) override {
        return inner_->Watch(std::move(callback));
    }
    long long lastColourWrite = 0;

private:
    class Connection : public fw::HidConnection {
    public:
        Connection(std::unique_ptr<fw::HidConnection> inner, WriteTimes& owner)
            : inner_(std::move(inner)), owner_(owner) {}
        fw::HidError Read(void* b, std::size_t s, unsigned t, std::size_t* r) override {
            return inner_->Read(b, s, t, r);
        }
        fw::HidError Write(const void* report, std::size_t size, unsigned timeoutMs) override {
            const fw::HidError result = inner_->Write(report, size, timeoutMs);
            const auto* bytes = static_cast<const std::uint8_t*>(report);
            if (size > 11 && bytes[3] == 0xFF && bytes[4] == 0xAA && bytes[11] == 0x04)
                owner_.lastColourWrite = NowNs();
            return result;
        }
        void Cancel() override { inner_->Cancel(); }
        fw::HidError Flush() override { return inner_->Flush(); }

    private:
        std::unique_ptr<fw::HidConnection> inner_;
        WriteTimes& owner_;
    };
    std::shared_ptr<fw::VirtualHidBackend> inner_;
};

constexpr int IdleLinkMs = 8;

int RunLatency(int argc, char** argv, const QString& programFolder, const QString& simDir,
               int clicks) {
    QApplication app(argc, argv);
    auto backend = std::make_shared<WriteTimes>(simDir.toStdString());
    fw::HidSetBackends({backend});
    CTavrelLibApp utility;
    utility.LoadSettingsFor(programFolder + QStringLiteral("/glimra-utility"));
    GlimraUtilityDlg dlg;
    QTimer::singleShot(0, [&] {
        QElapsedTimer wait;
        wait.start();
        while (!dlg.IsConnected() && wait.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::vector<double> us;
        for (int i = 0; i < clicks; ++i) {
            const int swatch = 1 + i % 8;
            const double angle = swatch * 45.0 * 3.14159265358979 / 180.0;
            const QPoint at(261 + static_cast<int>(138.5 - 100 * std::cos(angle)),
                            95 + static_cast<int>(138.5 - 100 * std::sin(angle)));
            QWidget* target = dlg.Widget()->childAt(at);
            const QPoint local = target->mapFrom(dlg.Widget(), at);
            backend->lastColourWrite = 0;
            const long long start = NowNs();
            QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, local);
            if (backend->lastColourWrite)
                us.push_back(static_cast<double>(backend->lastColourWrite - start) / 1000.0);
            // A user's clicks find the link idle: the simulator takes a report a millisecond,
            // so clicks back to back would time its queue, each write waiting for the last
            // click's reports to be taken.
            QTest::qWait(IdleLinkMs);
        }
        std::printf("clicks %zu p50 %.1f p99 %.1f max %.1f\n", us.size(), Percentile(us, 0.5),
                    Percentile(us, 0.99),
                    us.empty() ? 0.0 : *std::max_element(us.begin(), us.end()));
        std::fflush(stdout);
        dlg.EndDialog(fw::IDCANCEL);
    });
    dlg.DoModal();
    utility.ExitInstance();
    return 0;
}

// ---- the parent ----

struct StartFigures {
    double firstPaintMs = 0;
    long rssKb = 0;
};

bool ReadLine(QProcess& p, const char* key, QByteArray& value, int timeoutMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        while (p.canReadLine()) {
            const QByteArray line = p.readLine().trimmed();
            if (line.startsWith(key)) {
                value = line.mid(static_cast<qsizetype>(std::strlen(key)) + 1);
                return true;
            }
        }
        if (!p.waitForReadyRead(200) && p.state() != QProcess::Running)
            return false;
    }
    return false;
}

QProcessEnvironment ChildEnvironment(const QString& simDir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("GLIMRA_SIM_DIR"), simDir);
    env.insert(QStringLiteral("GLIMRA_AUTO_DISMISS"), QStringLiteral("1"));
    return env;
}

bool StartOnce(const QStringList& args, const QString& simDir, StartFigures& figures) {
    QProcess child;
    child.setProcessEnvironment(ChildEnvironment(simDir));
    const long long start = NowNs();
    child.start(QCoreApplication::applicationFilePath(), args);
    QByteArray paint;
    QByteArray rss;
    if (!ReadLine(child, "paint", paint) || !ReadLine(child, "rss", rss))
        return false;
    child.waitForFinished(10000);
    figures.firstPaintMs = static_cast<double>(paint.toLongLong() - start) / 1e6;
    figures.rssKb = rss.toLong();
    return true;
}

int RunParent(int starts, int idleSeconds, int clicks) {
    QTemporaryDir scratch;
    const QString program = scratch.path() + QStringLiteral("/program");
    const QString simDir = scratch.path() + QStringLiteral("/sim");
    QDir().mkpath(program + QStringLiteral("/lang"));
    QDir().mkpath(simDir);
    for (const char* code : {"en_US", "zh_CN"}) {
        const QString name = QStringLiteral("/lang/%1.rcc").arg(code);
        QFile::copy(QStringLiteral(GLIMRA_BIN_DIR) + name, program + name);
    }
    QFile::link(QStringLiteral(GLIMRA_BIN_DIR "/image"), program + QStringLiteral("/image"));
    QFile settings(program + QStringLiteral("/settings.ini"));
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[Settings]\nLanguage=en_US\n");
    settings.close();

    QProcess sim;
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(
        QStringLiteral(GLIMRA_BIN_DIR "/glimra-sim"),
        {QStringLiteral("--dir"), simDir, QStringLiteral("--reply-delay-ms"), QStringLiteral("5")});
    QByteArray ready;
    if (!ReadLine(sim, "glimra-sim ready", ready)) {
        std::fprintf(stderr, "glimra-sim did not start\n");
        return 1;
    }

    std::vector<double> basePaint, windowPaint, baseRss, windowRss;
    for (int i = 0; i < starts; ++i) {
        StartFigures base, window;
        if (!StartOnce({QStringLiteral("--child-baseline")}, simDir, base) ||
            !StartOnce({QStringLiteral("--child-window"), program}, simDir, window)) {
            std::fprintf(stderr, "a start did not report its first paint\n");
            return 1;
        }
        basePaint.push_back(base.firstPaintMs);
        windowPaint.push_back(window.firstPaintMs);
        baseRss.push_back(static_cast<double>(base.rssKb));
        windowRss.push_back(static_cast<double>(window.rssKb));
    }
    const double bp = Median(basePaint), wp = Median(windowPaint);
    const double br = Median(baseRss), wr = Median(windowRss);
    std::printf("starts: %d each, platform %s\n", starts,
                qPrintable(ChildEnvironment(simDir).value(QStringLiteral("QT_QPA_PLATFORM"))));
    std::printf("first paint      baseline %7.1f ms   window (connected) %7.1f ms   ratio %.2f\n",
                bp, wp, wp / bp);
    std::printf("peak RSS         baseline %7.0f kB   window             %7.0f kB   ratio %.2f\n",
                br, wr, wr / br);
    std::fflush(stdout);

    if (idleSeconds > 0) {
        QProcess child;
        QProcessEnvironment env = ChildEnvironment(simDir);
        env.insert(QStringLiteral("GLIMRA_BENCH_STAY"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child-window"), program});
        QByteArray rss;
        if (!ReadLine(child, "rss", rss)) {
            std::fprintf(stderr, "the idle window did not come up\n");
            return 1;
        }
        QThread::sleep(2);
        const auto before = ContextSwitches(child.processId());
        QThread::sleep(static_cast<unsigned long>(idleSeconds));
        const auto after = ContextSwitches(child.processId());
        std::printf("idle wake-ups    %ld context switches over %d s (%zu threads)\n",
                    SwitchesBetween(before, after), idleSeconds, after.size());
        std::fflush(stdout);
        ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
        child.waitForFinished(10000);
    }

    if (clicks > 0) {
        QProcess child;
        child.setProcessEnvironment(ChildEnvironment(simDir));
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child-latency"), program, simDir, QString::number(clicks)});
        QByteArray line;
        if (!ReadLine(child, "clicks", line, 120000)) {
            std::fprintf(stderr, "the click run did not report\n");
            return 1;
        }
        std::printf("click to wire    clicks %s (microseconds)\n", line.constData());
        child.waitForFinished(10000);
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("--child-baseline"))
        return RunBaseline(argc, argv);
    if (mode == QLatin1String("--child-window") && argc > 2)
        return RunWindow(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (mode == QLatin1String("--child-latency") && argc > 4)
        return RunLatency(argc, argv, QString::fromLocal8Bit(argv[2]),
                          QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]));

    int starts = 7, idleSeconds = 60, clicks = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--starts")
            starts = std::max(1, value);
        else if (option == "--idle-seconds")
            idleSeconds = std::max(0, value);
        else if (option == "--clicks")
            clicks = std::max(0, value);
    }
    QCoreApplication app(argc, argv);
    return RunParent(starts, idleSeconds, clicks);
}
