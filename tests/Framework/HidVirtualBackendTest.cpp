#include "Framework/Hid/VirtualHidBackend.h"
#include "Framework/Hid/DeviceChange.h"
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/HidNotification.h"
#include "Framework/Window.h"
#include "HidSocketPeer.h"
#include "HidTestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>
#include <sys/file.h>

namespace {

const std::wstring kClassTail = L"#{4d1e55b2-f16f-11cf-88cb-001111000030}";

class VirtualHidBackendTest : public ::testing::Test {
protected:
    std::string Folder() const { return dir_.path().toStdString(); }

    QTemporaryDir dir_;
    fw::VirtualHidBackend backend_{dir_.path().toStdString()};
};

TEST_F(VirtualHidBackendTest, ListsListeningSocketsWithTheirDescriptors) {
    HidSocketPeer second(Folder(), "sim-9-0-1", 1, "");
    HidSocketPeer first(Folder(), "Sim-9-0-0", 0, "S/N 1");
    HidSocketPeer stale(Folder(), "sim-8-0-0"); // its simulator died: socket file, no listener
    second.Plug();
    first.Plug();
    stale.BindOnly();

    const auto found = backend_.Enumerate();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].path, L"\\\\?\\hid#vid_04d9&pid_8008&mi_00#sim&sim-9-0-0" + kClassTail);
    EXPECT_EQ(found[0].serial, L"S/N 1");
    EXPECT_EQ(found[0].inputReportLength, 64);
    EXPECT_EQ(found[0].outputReportLength, 64);
    EXPECT_EQ(found[1].path, L"\\\\?\\hid#vid_04d9&pid_8008&mi_01#sim&sim-9-0-1" + kClassTail);
    EXPECT_EQ(found[1].path[26], L'm');
}

TEST_F(VirtualHidBackendTest, NonCompositeInterfaceHasNoInterfaceMarker) {
    HidSocketPeer peer(Folder(), "sim-1-0-0");
    peer.Plug();
    const auto found = backend_.Enumerate();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, L"\\\\?\\hid#vid_04d9&pid_8008#sim&sim-1-0-0" + kClassTail);
    EXPECT_EQ(found[0].path[26], L's');
}

TEST_F(VirtualHidBackendTest, OnePacketIsOneReportEachWay) {
    HidSocketPeer peer(Folder(), "sim-1-0-0");
    peer.Plug();
    fw::HidError error = fw::HidError::Io;
    auto connection = backend_.Open(backend_.Enumerate().at(0), fw::HidShare::Exclusive, &error);
    ASSERT_TRUE(connection);

    std::vector<std::uint8_t> out(64, 0);
    out[0] = 0x3F;
    out[1] = 3;
    ASSERT_EQ(connection->Write(out.data(), out.size(), 50), fw::HidError::None);
    std::vector<std::uint8_t> in(64, 0xCC);
    std::size_t received = 0;
    ASSERT_EQ(connection->Read(in.data(), in.size(), 1000, &received), fw::HidError::None);
    EXPECT_EQ(received, 64u);
    EXPECT_EQ(in[1], 4);

    // Nothing more was sent: the next wait times out; a gone peer is an I/O error.
    EXPECT_EQ(connection->Read(in.data(), in.size(), 20, &received), fw::HidError::Timeout);
    peer.Unplug();
    EXPECT_EQ(connection->Read(in.data(), in.size(), 1000, &received), fw::HidError::Io);
}

TEST_F(VirtualHidBackendTest, FlushDiscardsAnswersWaiting) {
    HidSocketPeer peer(Folder(), "sim-1-0-0");
    peer.Plug();
    fw::HidError error = fw::HidError::Io;
    auto connection = backend_.Open(backend_.Enumerate().at(0), fw::HidShare::Shared, &error);
    ASSERT_TRUE(connection);
    std::vector<std::uint8_t> out(64, 0x3F);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(connection->Write(out.data(), out.size(), 50), fw::HidError::None);
    ASSERT_TRUE(DispatchUntil([&] { return peer.Answered() == 3; }));
    EXPECT_EQ(connection->Flush(), fw::HidError::None);
    std::size_t received = 0;
    EXPECT_EQ(connection->Read(out.data(), out.size(), 20, &received), fw::HidError::Timeout);
}

TEST_F(VirtualHidBackendTest, LockFileStandsForShareModes) {
    HidSocketPeer peer(Folder(), "sim-1-0-0");
    peer.Plug();
    const auto info = backend_.Enumerate().at(0);
    fw::HidError error = fw::HidError::None;
    {
        // The simulator's --hold-exclusive: it holds the lock itself.
        const int held = open(peer.File(".lock").c_str(), O_RDONLY);
        ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
        EXPECT_FALSE(backend_.Open(info, fw::HidShare::Shared, &error));
        EXPECT_EQ(error, fw::HidError::SharingViolation);
        close(held);
    }
    auto shared = backend_.Open(info, fw::HidShare::Shared, &error);
    ASSERT_TRUE(shared);
    EXPECT_FALSE(backend_.Open(info, fw::HidShare::Exclusive, &error));
    EXPECT_EQ(error, fw::HidError::SharingViolation);
    EXPECT_TRUE(backend_.Open(info, fw::HidShare::Shared, &error));
}

TEST(VirtualHidFolderTest, EnvironmentChoosesTheFolder) {
    const char* saved = std::getenv("GLIMRA_SIM_DIR");
    const std::string keep = saved ? saved : "";
    setenv("GLIMRA_SIM_DIR", "/tmp/somewhere-else", 1);
    EXPECT_EQ(fw::VirtualHidBackend::DefaultFolder(), "/tmp/somewhere-else");
    unsetenv("GLIMRA_SIM_DIR");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        EXPECT_EQ(fw::VirtualHidBackend::DefaultFolder(), std::string(runtime) + "/glimra-sim");
    else
        EXPECT_EQ(fw::VirtualHidBackend::DefaultFolder(),
                  "/tmp/glimra-sim-" + std::to_string(getuid()));
    if (saved)
        setenv("GLIMRA_SIM_DIR", keep.c_str(), 1);
}

// What a window saw of the device changes.
struct SeenChange {
    fw::WPARAM event;
    std::uint32_t deviceType;
    std::wstring name;
    bool onWindowThread;
};

TEST_F(VirtualHidBackendTest, WindowSeesSocketsComeAndGoOnItsOwnThread) {
    // Watch a folder that doesn't exist yet: the watcher makes it.
    const std::string folder = Folder() + "/runtime";
    HidBackendsScope scope({std::make_shared<fw::VirtualHidBackend>(folder)});
    fw::Window window;
    std::vector<SeenChange> seen;
    window.OnMessage(fw::WM_DEVICECHANGE, [&](fw::WPARAM wParam, fw::LPARAM lParam) {
        const auto* header = reinterpret_cast<const fw::DevBroadcastHeader*>(lParam);
        const auto* change = static_cast<const fw::DevBroadcastDeviceInterface*>(header);
        seen.push_back({wParam, header->deviceType, change->name,
                        QThread::currentThread() == window.thread()});
        return fw::LRESULT(0);
    });
    fw::HidNotification* registration = fw::HidRegisterDeviceNotification(&window);
    ASSERT_NE(registration, nullptr);

    {
        HidSocketPeer peer(folder, "sim-5-0-1", 1);
        peer.Plug();
        ASSERT_TRUE(DispatchUntil([&] { return seen.size() == 1; }));
        peer.Unplug();
        ASSERT_TRUE(DispatchUntil([&] { return seen.size() == 2; }));
    }
    EXPECT_TRUE(fw::HidUnregisterDeviceNotification(registration));

    const std::wstring name = L"\\\\?\\HID#VID_04D9&PID_8008&MI_01#SIM&SIM-5-0-1" + kClassTail;
    EXPECT_EQ(seen[0].event, fw::DBT_DEVICEARRIVAL);
    EXPECT_EQ(seen[1].event, fw::DBT_DEVICEREMOVECOMPLETE);
    for (const SeenChange& change : seen) {
        EXPECT_EQ(change.deviceType, fw::DBT_DEVTYP_DEVICEINTERFACE);
        EXPECT_EQ(change.name, name);
        EXPECT_TRUE(change.onWindowThread);
    }
}

} // namespace
