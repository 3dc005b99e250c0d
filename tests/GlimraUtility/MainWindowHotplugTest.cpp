#include "MainWindowFixture.h"

#include "Link/DeviceInterfaceIds.h"
#include "Framework/Hid/DeviceChange.h"

#include <QLabel>

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

} // namespace
