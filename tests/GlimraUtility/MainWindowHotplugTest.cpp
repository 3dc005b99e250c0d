#include "MainWindowFixture.h"

#include "Framework/Hid/DeviceChange.h"
#include "Link/DeviceInterfaceIds.h"

#include <QLabel>
#include <QProcess>

#include <csignal>

namespace {

class MainWindowHotplugTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        StartApp();
    }

    static void ExpectLightingControls(GlimraUtilityDlg& dlg, bool enabled) {
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(dlg.ModeButton(i)->isEnabled(), enabled) << i;
        EXPECT_EQ(dlg.IncreaseButton()->isEnabled(), enabled);
        EXPECT_EQ(dlg.DecreaseButton()->isEnabled(), enabled);
        EXPECT_EQ(dlg.DefaultButton()->isEnabled(), enabled);
        EXPECT_EQ(dlg.ColorPlate()->isEnabled(), enabled);
        EXPECT_EQ(dlg.VersionLabel()->isVisible(), enabled);
        EXPECT_EQ(dlg.NotFoundLabel()->isVisible(), !enabled);
    }
};

TEST(DeviceInterfaceIdsTest, MarkersAreCaseSensitiveAndDigitsAreNot) {
    struct Case {
        const wchar_t* name;
        unsigned vendor;
        unsigned product;
    } cases[] = {
        {L"\\\\?\\HID#VID_04D9&PID_8008&MI_00#7&1a2b#{4d1e55b2-f16f-11cf-88cb-001111000030}",
         0x04D9, 0x8008},
        {L"\\\\?\\HID#VID_04d9&PID_8008#x", 0x04D9, 0x8008},
        // Lower-case markers are not found: three characters are skipped instead, leaving
        // "\\hid#..." (no digit) and then "d#vid..." (0xD).
        {L"\\\\?\\hid#vid_04d9&pid_8008#x", 0x0, 0xD},
        // Reading stops at the first character that is no digit.
        {L"VID_4D9&PID_8008", 0x4D9, 0x8008},
        {L"VID_04D9", 0x04D9, 0x9},
        {L"", 0, 0},
    };
    for (const Case& c : cases) {
        const DeviceInterfaceIds ids = DeviceInterfaceIds::FromName(c.name);
        EXPECT_EQ(ids.vendorId, c.vendor) << QString::fromWCharArray(c.name).toStdString();
        EXPECT_EQ(ids.productId, c.product) << QString::fromWCharArray(c.name).toStdString();
    }
}

// The window shows first and connects after: its first paint is done before the first frame
// is written.
TEST_F(MainWindowHotplugTest, TheFirstConnectionFollowsTheFirstPaint) {
    RunSim();
    GlimraUtilityDlg dlg;
    struct PaintClock : QObject {
        GlimraUtilityDlg* dlg = nullptr;
        std::optional<std::chrono::steady_clock::time_point> first;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (!first && event->type() == QEvent::Paint && dlg->Widget() &&
                watched == dlg->Widget())
                first = std::chrono::steady_clock::now();
            return false;
        }
    } clock;
    clock.dlg = &dlg;
    qApp->installEventFilter(&clock);
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(WaitConnected(dlg));
        dlg.EndDialog(fw::IDCANCEL);
    });
    dlg.DoModal();
    qApp->removeEventFilter(&clock);
    const auto sent = writeClock->SentFrom(0);
    ASSERT_FALSE(sent.empty());
    ASSERT_TRUE(clock.first.has_value());
    EXPECT_LT(*clock.first, sent.front().at);
}

TEST_F(MainWindowHotplugTest, OnlyTheControllersInterfaceStartsAConnectionChange) {
    struct Case {
        fw::WPARAM event;
        std::uint32_t type;
        const wchar_t* name;
        bool starts;
    } cases[] = {
        {fw::DBT_DEVICEARRIVAL, fw::DBT_DEVTYP_DEVICEINTERFACE, L"\\\\?\\HID#VID_04D9&PID_8008#1",
         true},
        {fw::DBT_DEVICEREMOVECOMPLETE, fw::DBT_DEVTYP_DEVICEINTERFACE,
         L"\\\\?\\HID#VID_04d9&PID_8008#1", true},
        {fw::DBT_DEVICEARRIVAL, fw::DBT_DEVTYP_DEVICEINTERFACE, L"\\\\?\\hid#vid_04d9&pid_8008#1",
         false},
        {fw::DBT_DEVICEARRIVAL, fw::DBT_DEVTYP_DEVICEINTERFACE, L"\\\\?\\HID#VID_04D9&PID_8009#1",
         false},
        {fw::DBT_DEVICEARRIVAL, 3, L"\\\\?\\HID#VID_04D9&PID_8008#1", false},
        {0x8001, fw::DBT_DEVTYP_DEVICEINTERFACE, L"\\\\?\\HID#VID_04D9&PID_8008#1", false},
    };
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        for (const Case& c : cases) {
            fw::DevBroadcastDeviceInterface broadcast;
            broadcast.deviceType = c.type;
            broadcast.name = c.name;
            const fw::LRESULT result = fw::SendMessage(&dlg, fw::WM_DEVICECHANGE, c.event,
                                                       reinterpret_cast<fw::LPARAM>(&broadcast));
            EXPECT_EQ(result, 0);
            EXPECT_EQ(dlg.IsTimerPending(GlimraUtilityDlg::TIMER_CONNECTION), c.starts)
                << QString::fromWCharArray(c.name).toStdString();
            dlg.KillTimer(GlimraUtilityDlg::TIMER_CONNECTION);
        }
    });
}

TEST_F(MainWindowHotplugTest, PluggingInFillsTheControlsAndUnpluggingDisablesThem) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        // No controller at start: the label and nothing to click.
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        EXPECT_FALSE(dlg.IsConnected());
        ExpectLightingControls(dlg, false);
        EXPECT_EQ(dlg.NotFoundLabel()->text(), QStringLiteral("Device not found!"));

        RunSim();
        ASSERT_TRUE(WaitConnected(dlg));
        ExpectLightingControls(dlg, true);
        EXPECT_EQ(dlg.VersionLabel()->text(), QStringLiteral("V 1.0.2"));

        // Yellow at level 4 in Breath mode, then out and in again.
        for (int i = 0; i < 4; ++i)
            ClickAt(dlg, DecreasePoint());
        ClickAt(dlg, SwatchPoint(6));
        ClickAt(dlg, ModePoint(2));
        ASSERT_TRUE(DispatchUntil([&] { return simulator->State().handles[0].mode == 1; }));

        simulator->Unplug();
        ASSERT_TRUE(DispatchUntil([&] { return !dlg.IsConnected(); }));
        ExpectLightingControls(dlg, false);
        // No controller, no level: the column shows no lit dot until the controller is back.
        EXPECT_EQ(dlg.BrightnessBitmapId(), LightingView::NoLevelBitmap);

        simulator->Plug();
        ASSERT_TRUE(WaitConnected(dlg));
        ExpectLightingControls(dlg, true);
        const LightingView& view = dlg.Lighting().View();
        EXPECT_EQ(view.swatch, 6);
        EXPECT_EQ(view.modeIndex, 2);
        EXPECT_EQ(dlg.BrightnessBitmapId(), 1047);
        EXPECT_EQ(dlg.ModeButton(2)->GetState(), 1);
        EXPECT_EQ(dlg.ModeButton(0)->GetState(), 0);
        EXPECT_EQ(dlg.ColorPlate()->SelectedIndex(), 6);
    });
}

// Frames of one controller of the in-process simulator, from trace index from on.
std::size_t FramesOf(const sim::Simulator& simulator, int device, std::size_t from = 0) {
    std::size_t n = 0;
    const auto trace = simulator.Trace();
    for (std::size_t i = from; i < trace.size(); ++i)
        n += trace[i].event == "frame" && trace[i].device == device ? 1 : 0;
    return n;
}

TEST_F(MainWindowHotplugTest, AControllerThatVanishesWithoutARemovalIsLostAndANewOneConnects) {
    // glimra-sim as a process, killed so that nothing announces its end: its socket stays.
    QProcess doomed;
    doomed.setProcessChannelMode(QProcess::MergedChannels);
    doomed.start(QStringLiteral(GLIMRA_BIN_DIR "/glimra-sim"),
                 {"--dir", SimFolder(), "--reply-delay-ms", "0"});
    ASSERT_TRUE(doomed.waitForStarted(5000));
    ASSERT_TRUE(DispatchUntil([&] {
        doomed.waitForReadyRead(10);
        return doomed.peek(4096).contains("glimra-sim ready");
    }));
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        ExpectLightingControls(dlg, true);

        ::kill(static_cast<pid_t>(doomed.processId()), SIGKILL);
        ASSERT_TRUE(doomed.waitForFinished(5000));
        // The next click meets the dead channel: the window shows the loss at once.
        ClickAt(dlg, SwatchPoint(3));
        ASSERT_TRUE(DispatchUntil([&] {
            return !dlg.IsConnected() && !dlg.IsTimerPending(GlimraUtilityDlg::TIMER_CONNECTION);
        }));
        EXPECT_TRUE(dlg.Comm().ChannelLost());
        ExpectLightingControls(dlg, false);
        EXPECT_EQ(dlg.NotFoundLabel()->text(), QStringLiteral("Device not found!"));

        // Another controller arrives and is the one the window now drives.
        RunSim();
        ASSERT_TRUE(WaitConnected(dlg));
        ExpectLightingControls(dlg, true);
        const std::size_t from = TraceSize();
        ClickAt(dlg, SwatchPoint(2));
        ASSERT_TRUE(WaitForFrames(from, 1));
        EXPECT_EQ(Frames(from)[0].cmd, 0x04);
    });
}

TEST_F(MainWindowHotplugTest, RemovingTheControllerInUseConnectsTheOneThatRemains) {
    sim::SimConfig config;
    config.dir = SimFolder().toStdString();
    config.replyDelayMs = 0;
    config.count = 2;
    config.serials = {"GLIMRA-A", "GLIMRA-B"};
    simulator = std::make_unique<sim::Simulator>(std::move(config));
    ASSERT_TRUE(simulator->Start()) << simulator->LastError();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        const int inUse = FramesOf(*simulator, 0) > 0 ? 0 : 1;
        ASSERT_GT(FramesOf(*simulator, inUse), 0u);
        const int other = 1 - inUse;
        const std::size_t from = TraceSize();

        simulator->Unplug(inUse);
        // The window reads the one that is left, and a click reaches it.
        ASSERT_TRUE(DispatchUntil([&] { return FramesOf(*simulator, other, from) >= 4; }));
        ASSERT_TRUE(WaitConnected(dlg));
        ExpectLightingControls(dlg, true);
        const std::size_t before = FramesOf(*simulator, other);
        ClickAt(dlg, SwatchPoint(5));
        EXPECT_TRUE(DispatchUntil([&] { return FramesOf(*simulator, other) > before; }));
    });
}

} // namespace
