#pragma once

#include "App/CTavrelLibApp.h"
#include "DispatchUntil.h"
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/VirtualHidBackend.h"
#include "GlimraUtilityDlg.h"
#include "NotifyIcon.h"
#include "Sim/Simulator.h"
#include "TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The virtual backend, with the moment each frame left this process noted: the simulator's
// trace stamps a frame when its thread gets to it, which a loaded machine can delay.
class WriteClockBackend : public fw::HidBackend {
public:
    struct Sent {
        std::chrono::steady_clock::time_point at;
        int cmd;
    };

    explicit WriteClockBackend(std::string folder)
        : inner_(std::make_shared<fw::VirtualHidBackend>(std::move(folder))) {}

    std::vector<fw::HidInterfaceInfo> Enumerate() override { return inner_->Enumerate(); }
    std::unique_ptr<fw::HidConnection> Open(const fw::HidInterfaceInfo& info, fw::HidShare share,
                                            fw::HidError* error) override {
        auto inner = inner_->Open(info, share, error);
        if (!inner)
            return inner;
        return std::make_unique<Connection>(std::move(inner), *this);
    }
    std::unique_ptr<fw::HidWatcher> Watch(fw::HidWatcher::Callback callback) override {
        return inner_->Watch(std::move(callback));
    }

    // Commands in the order they were written, from index from on.
    std::vector<Sent> SentFrom(std::size_t from) const {
        std::lock_guard lock(mutex_);
        return from < sent_.size()
                   ? std::vector<Sent>(sent_.begin() + static_cast<long>(from), sent_.end())
                   : std::vector<Sent>{};
    }
    std::size_t SentCount() const {
        std::lock_guard lock(mutex_);
        return sent_.size();
    }

private:
    class Connection : public fw::HidConnection {
    public:
        Connection(std::unique_ptr<fw::HidConnection> inner, WriteClockBackend& owner)
            : inner_(std::move(inner)), owner_(owner) {}
        fw::HidError Read(void* buffer, std::size_t size, unsigned timeoutMs,
                          std::size_t* received) override {
            return inner_->Read(buffer, size, timeoutMs, received);
        }
        fw::HidError Write(const void* report, std::size_t size, unsigned timeoutMs) override {
            const auto* bytes = static_cast<const std::uint8_t*>(report);
            // The first report of a frame: id, length, more-follows, then FF AA ... command.
            if (size > 11 && bytes[3] == 0xFF && bytes[4] == 0xAA) {
                std::lock_guard lock(owner_.mutex_);
                owner_.sent_.push_back({std::chrono::steady_clock::now(), bytes[11]});
            }
            return inner_->Write(report, size, timeoutMs);
        }
        void Cancel() override { inner_->Cancel(); }
        fw::HidError Flush() override { return inner_->Flush(); }

    private:
        std::unique_ptr<fw::HidConnection> inner_;
        WriteClockBackend& owner_;
    };

    std::shared_ptr<fw::VirtualHidBackend> inner_;
    mutable std::mutex mutex_;
    std::vector<Sent> sent_;
};

inline double MsBetween(const WriteClockBackend::Sent& a, const WriteClockBackend::Sent& b) {
    return std::chrono::duration<double, std::milli>(b.at - a.at).count();
}

// The main window as a user starts it, in a program folder of the test's own (the built
// language packs and skin images beside it), against an in-process simulator in a folder that
// only this test's HID access sees. The window runs modally; the test body runs inside its
// modal loop.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        previousBackends_ = fw::HidBackends();
        QDir().mkpath(SimFolder());
        qputenv("GLIMRA_SIM_DIR", SimFolder().toLocal8Bit());
        writeClock = std::make_shared<WriteClockBackend>(SimFolder().toStdString());
        fw::HidSetBackends({writeClock});

        QDir().mkpath(program.File("lang"));
        for (const char* code : {"en_US", "zh_CN"}) {
            const QString name = QStringLiteral("lang/%1.rcc").arg(code);
            QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/") + name, program.File(name));
        }
        QFile::link(QStringLiteral(GLIMRA_BIN_DIR "/image"), program.File("image"));
        NotifyIcon::SetAvailableForTesting(false);
    }

    void TearDown() override {
        if (simulator)
            simulator->Stop();
        NotifyIcon::Instance().Delete();
        NotifyIcon::SetAvailableForTesting(std::nullopt);
        app.ExitInstance();
        fw::HidSetBackends(previousBackends_);
        qunsetenv("GLIMRA_SIM_DIR");
    }

    QString SimFolder() const { return dir.Path() + QStringLiteral("sim"); }

    // Settings as the program folder holds them when the window starts.
    void StartApp(const QByteArray& settings = "[Settings]\nLanguage=en_US\n") {
        program.Write("settings.ini", settings);
        app.LoadSettingsFor(program.File("glimra-utility"));
    }

    sim::Simulator& RunSim() {
        sim::SimConfig c;
        c.dir = SimFolder().toStdString();
        c.replyDelayMs = 0;
        simulator = std::make_unique<sim::Simulator>(std::move(c));
        EXPECT_TRUE(simulator->Start()) << simulator->LastError();
        return *simulator;
    }

    // Runs the window; body gets it once its modal loop runs, and the window ends after body
    // unless body ended it. The DoModal result.
    int WithWindow(const std::function<void(GlimraUtilityDlg&)>& body) {
        GlimraUtilityDlg dlg;
        QTimer::singleShot(0, [&] {
            body(dlg);
            if (dlg.Widget() && dlg.Widget()->isVisible())
                dlg.EndDialog(fw::IDCANCEL);
        });
        return dlg.DoModal();
    }

    // Until the first connection attempt has been applied, whatever its outcome.
    static bool WaitForConnectionChange(GlimraUtilityDlg& dlg) {
        return DispatchUntil(
            [&] { return !dlg.IsTimerPending(GlimraUtilityDlg::TIMER_CONNECTION); }, 10000);
    }
    static bool WaitConnected(GlimraUtilityDlg& dlg) {
        return DispatchUntil(
            [&] {
                return dlg.IsConnected() && !dlg.IsTimerPending(GlimraUtilityDlg::TIMER_CONNECTION);
            },
            10000);
    }

    // The frames the controller received, from trace index `from` on.
    std::vector<sim::TraceEvent> Frames(std::size_t from = 0) const {
        std::vector<sim::TraceEvent> frames;
        const auto trace = simulator->Trace();
        for (std::size_t i = from; i < trace.size(); ++i) {
            if (trace[i].event == "frame")
                frames.push_back(trace[i]);
        }
        return frames;
    }
    std::size_t TraceSize() const { return simulator->Trace().size(); }
    // Dispatches until at least n frames arrived after trace index from.
    bool WaitForFrames(std::size_t from, std::size_t n, int timeoutMs = 5000) const {
        return DispatchUntil([&] { return Frames(from).size() >= n; }, timeoutMs);
    }

    // A left click at a point of the window, delivered to whatever control lies there.
    static void ClickAt(GlimraUtilityDlg& dlg, QPoint windowPos,
                        Qt::MouseButton button = Qt::LeftButton) {
        QWidget* window = dlg.Widget();
        QWidget* target = window->childAt(windowPos);
        if (!target)
            target = window;
        QTest::mouseClick(target, button, Qt::NoModifier, target->mapFrom(window, windowPos));
    }

    // Positions of the skin, in window pixels.
    static QPoint PlatePoint(double px, double py) {
        return QPoint(261 + static_cast<int>(px), 95 + static_cast<int>(py));
    }
    // The middle of swatch n's sector on the plate's ring.
    static QPoint SwatchPoint(int swatch);
    static QPoint SwitchPoint() { return PlatePoint(138.5, 138.5); }
    static QPoint ModePoint(int index) { return QPoint(591 + 12, 117 + 35 * index + 8); }
    static QPoint IncreasePoint() { return QPoint(182 + 8, 343 + 8); }
    static QPoint DecreasePoint() { return QPoint(115 + 8, 343 + 8); }
    static QPoint DefaultPoint() { return QPoint(591 + 12, 377 + 8); }
    static QPoint SettingPoint() { return QPoint(738 + 8, 1 + 8); }
    static QPoint MinPoint() { return QPoint(759 + 8, 1 + 8); }
    static QPoint ClosePoint() { return QPoint(780 + 8, 1 + 8); }

    TempFolder dir;
    TempFolder program;
    CTavrelLibApp app;
    std::unique_ptr<sim::Simulator> simulator;
    std::shared_ptr<WriteClockBackend> writeClock;

private:
    std::vector<std::shared_ptr<fw::HidBackend>> previousBackends_;
};

inline QPoint MainWindowFixture::SwatchPoint(int swatch) {
    // Swatch n's sector is centred on 45n degrees from the left, turning upwards; the ring
    // runs from 78 to 125 pixels from the centre.
    const double angle = swatch * 45.0 * 3.14159265358979 / 180.0;
    return PlatePoint(138.5 - 100 * std::cos(angle), 138.5 - 100 * std::sin(angle));
}
