#include "Protocol/CommManager.h"
#include "Link/TavrelUsbDev.h"
#include "SimLinkFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

TEST(CommManagerBareTest, EverythingIsANoOpBeforeTheLinkExists) {
    CommManager manager;
    EXPECT_EQ(manager.IsConnected(), 0);
    EXPECT_EQ(manager.GetProtocol(), nullptr);
    EXPECT_EQ(manager.CurrentIndex(), -1);
    manager.RefreshDevices();
    EXPECT_EQ(manager.DeviceCount(), 0u);
    EXPECT_EQ(manager.Open(0), 0);
    EXPECT_EQ(manager.CurrentIndex(), -1);
    manager.Close();
    EXPECT_EQ(manager.IsConnected(), 0);
    EXPECT_EQ(manager.UsbLink(), nullptr);
    EXPECT_FALSE(manager.LastWriteFailed());
}

using CommManagerTest = SimLinkFixture;

TEST_F(CommManagerTest, CreateUsbLinkAttachesTheProtocolToLinkAndOwner) {
    CommManager& m = CreateManager();
    ASSERT_NE(m.GetProtocol(), nullptr);
    EXPECT_EQ(m.GetProtocol()->Link(), m.UsbLink());
    EXPECT_EQ(m.GetProtocol()->Owner(), &window);
    EXPECT_NE(window.Executor(), nullptr);
    EXPECT_EQ(m.LinkKind(), CommManager::LinkUsbHid);
    EXPECT_EQ(m.IsConnected(), 0); // the link starts disconnected
}

TEST_F(CommManagerTest, OpenZeroAfterAnEmptyScanStillAsksTheLink) {
    CommManager& m = CreateManager();
    m.RefreshDevices();
    EXPECT_EQ(m.DeviceCount(), 0u);
    EXPECT_EQ(table[0].present, 0);
    EXPECT_EQ(m.Open(0), 0);
    EXPECT_EQ(m.CurrentIndex(), 0);

    // The controller appears without a new scan: index 0 still reaches it.
    RunSim(Base());
    EXPECT_EQ(m.Open(0), 1);
    EXPECT_EQ(m.IsConnected(), 1);
}

TEST_F(CommManagerTest, OpenBeyondTheCountIsRefusedAndAtTheCountFindsNothing) {
    RunSim(Base());
    CommManager& m = CreateManager();
    m.RefreshDevices();
    EXPECT_EQ(m.DeviceCount(), 1u);
    EXPECT_EQ(table[0].present, 1);

    EXPECT_EQ(m.Open(2), 0);
    EXPECT_EQ(m.CurrentIndex(), -1);
    EXPECT_EQ(m.IsConnected(), 0);

    EXPECT_EQ(m.Open(1), 0);
    EXPECT_EQ(m.CurrentIndex(), 1);
    EXPECT_EQ(m.IsConnected(), 0);

    EXPECT_EQ(m.Open(0), 1);
    EXPECT_EQ(m.CurrentIndex(), 0);
    EXPECT_EQ(m.IsConnected(), 1);
    // CurrentIndex of -1 (nothing opened yet, as a dialog may ask) is refused like any other.
    EXPECT_EQ(m.Open(-1), 0);
    EXPECT_EQ(m.CurrentIndex(), 0);
}

TEST_F(CommManagerTest, CloseDisconnectsAndCloseOnAClosedLinkStaysClosed) {
    RunSim(Base());
    CommManager& m = CreateManager();
    m.Close();
    EXPECT_EQ(m.IsConnected(), 0);
    m.RefreshDevices();
    ASSERT_EQ(m.Open(0), 1);
    m.Close();
    EXPECT_EQ(m.IsConnected(), 0);
    m.Close();
    EXPECT_EQ(m.IsConnected(), 0);
    // And it opens again afterwards.
    EXPECT_EQ(m.Open(m.CurrentIndex()), 1);
}

TEST_F(CommManagerTest, RefreshFillsTheModelAndTheVersionText) {
    sim::SimConfig config = Base();
    config.leds = 12;
    config.handles = 3;
    config.version = "2.4.1-sim";
    RunSim(config);
    CommManager& m = CreateManager();
    m.RefreshDevices();
    ASSERT_EQ(m.Open(0), 1);

    ControllerProtocol* protocol = m.GetProtocol();
    ASSERT_EQ(protocol->ReadLayout(), 1);
    ASSERT_EQ(protocol->ReadVersion(), 1);
    const LightingModel& model = protocol->Model();
    EXPECT_EQ(model.LedCount(), 12);
    EXPECT_EQ(model.HandleCount(), 3);
    EXPECT_EQ(model.VersionText(), "2.4.1-sim");

    const sim::SimState state = simulator->State();
    ASSERT_EQ(state.leds.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        const LedRecord* led = model.LedRecordAt(i);
        ASSERT_NE(led, nullptr);
        EXPECT_EQ(led->red, state.leds[static_cast<std::size_t>(i)].red) << i;
        EXPECT_EQ(led->green, state.leds[static_cast<std::size_t>(i)].green) << i;
        EXPECT_EQ(led->blue, state.leds[static_cast<std::size_t>(i)].blue) << i;
    }
    for (int h = 0; h < 3; ++h) {
        EXPECT_EQ(model.GetMode(static_cast<std::uint8_t>(h)),
                  state.handles[static_cast<std::size_t>(h)].mode);
    }
}

TEST_F(CommManagerTest, AWriteToAControllerThatVanishedAfterTheRefreshIsKnownToHaveFailed) {
    RunSim(Base());
    CommManager& m = CreateManager();
    EXPECT_FALSE(m.LastWriteFailed());
    m.RefreshDevices();
    ASSERT_EQ(m.Open(0), 1);
    ControllerProtocol* protocol = m.GetProtocol();
    ASSERT_EQ(protocol->ReadLayout(), 1);
    EXPECT_EQ(protocol->SetEnable(0, 1), 1);
    EXPECT_FALSE(m.LastWriteFailed());

    simulator->Stop();
    EXPECT_EQ(protocol->SetEnable(0, 0), 1) << "the setting commands stay fire-and-forget";
    EXPECT_TRUE(m.LastWriteFailed());
    EXPECT_EQ(m.LastWriteFailed(), m.UsbLink()->LastWriteFailed());
}

TEST_F(CommManagerTest, AWorkerAsksWhileTheWindowThreadOpensAndCloses) {
    RunSim(Base());
    CommManager& m = CreateManager();
    m.RefreshDevices();
    std::atomic<bool> stop{false};
    std::atomic<int> seenConnected{0};
    std::thread worker([&] {
        while (!stop.load()) {
            if (m.IsConnected())
                ++seenConnected;
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(m.Open(0), 1);
        m.Close();
    }
    EXPECT_EQ(m.Open(0), 1);
    ASSERT_TRUE(DispatchUntil([&] { return seenConnected.load() > 0; }, 5000));
    stop = true;
    worker.join();
    EXPECT_EQ(m.IsConnected(), 1);
}

} // namespace
