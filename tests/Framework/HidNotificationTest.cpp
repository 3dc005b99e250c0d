#include "Framework/Hid/HidNotification.h"
#include "Framework/Hid/DeviceChange.h"
#include "Framework/Hid/RecordingHidBackend.h"
#include "Framework/Window.h"
#include "HidTestSupport.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <thread>

namespace {

class HidNotificationTest : public ::testing::Test {
protected:
    HidNotificationTest() {
        controller_ = fake_->Add(0x04D9, 0x8008, L"", 0);
        window_.OnMessage(fw::WM_DEVICECHANGE, [this](fw::WPARAM wParam, fw::LPARAM lParam) {
            const auto* header = reinterpret_cast<const fw::DevBroadcastHeader*>(lParam);
            if (header->deviceType == fw::DBT_DEVTYP_DEVICEINTERFACE)
                names_.push_back(static_cast<const fw::DevBroadcastDeviceInterface*>(header)->name);
            events_.push_back(wParam);
            onWindowThread_ = onWindowThread_ && QThread::currentThread() == window_.thread();
            return fw::LRESULT(0);
        });
    }

    std::shared_ptr<fw::RecordingHidBackend> fake_ = std::make_shared<fw::RecordingHidBackend>();
    HidBackendsScope scope_{{fake_}};
    std::size_t controller_ = 0;
    fw::Window window_;
    std::vector<std::wstring> names_;
    std::vector<fw::WPARAM> events_;
    bool onWindowThread_ = true;
};

TEST_F(HidNotificationTest, WatcherWaitsUntilTheWindowHasHandledTheChange) {
    fw::HidNotification* registration = fw::HidRegisterDeviceNotification(&window_);
    std::atomic<bool> returned{false};
    std::thread watcher([&] {
        fake_->Announce(fw::HidDeviceEvent::Removal, controller_);
        fake_->Announce(fw::HidDeviceEvent::Arrival, controller_);
        returned = true;
    });
    ASSERT_TRUE(DispatchUntil([&] { return returned.load(); }));
    watcher.join();
    fw::HidUnregisterDeviceNotification(registration);

    ASSERT_EQ(events_.size(), 2u) << "both handled before the watcher went on";
    EXPECT_EQ(events_[0], fw::DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(events_[1], fw::DBT_DEVICEARRIVAL);
    EXPECT_TRUE(onWindowThread_);
    // The main window reads the ids after the upper-case markers.
    const std::wstring& name = names_.at(0);
    EXPECT_EQ(name.substr(0, 31), L"\\\\?\\HID#VID_04D9&PID_8008&MI_00");
    EXPECT_NE(name.find(L"VID_04D9"), std::wstring::npos);
    EXPECT_NE(name.find(L"PID_8008"), std::wstring::npos);
}

TEST_F(HidNotificationTest, ChangeSeenOnTheWindowsThreadIsHandledAtOnce) {
    fw::HidNotification* registration = fw::HidRegisterDeviceNotification(&window_);
    fake_->Announce(fw::HidDeviceEvent::Arrival, controller_);
    EXPECT_EQ(events_.size(), 1u);
    fw::HidUnregisterDeviceNotification(registration);
}

TEST_F(HidNotificationTest, UnregisteringWhileADeliveryWaitsNeitherDeadlocksNorDelivers) {
    fw::HidNotification* registration = fw::HidRegisterDeviceNotification(&window_);
    std::thread watcher([&] { fake_->Announce(fw::HidDeviceEvent::Arrival, controller_); });
    // This thread dispatches nothing before unregistering, as a window being torn down.
    EXPECT_TRUE(fw::HidUnregisterDeviceNotification(registration));
    watcher.join();
    QCoreApplication::processEvents();
    EXPECT_TRUE(events_.empty());
}

TEST_F(HidNotificationTest, NoWindowNoRegistration) {
    EXPECT_EQ(fw::HidRegisterDeviceNotification(nullptr), nullptr);
    EXPECT_FALSE(fw::HidUnregisterDeviceNotification(nullptr));
}

} // namespace
