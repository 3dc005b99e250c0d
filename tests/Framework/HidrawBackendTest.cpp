#include "Framework/Hid/HidrawBackend.h"
#include "Framework/Hid/HidAccess.h"
#include "HidTestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The controller's report descriptor: report 0x3F, 63 data bytes each way.
const std::vector<std::uint8_t> kControllerDescriptor = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x3F, 0x75, 0x08, 0x95,
    0x3F, 0x09, 0x01, 0x81, 0x02, 0x95, 0x3F, 0x09, 0x01, 0x91, 0x02, 0xC0};

enum class Node { File, Fifo, None };

// A sysfs tree as the kernel lays it out for hidraw, with symlinks where sysfs has them,
// and a /dev beside it.
class FakeSysfs {
public:
    FakeSysfs() {
        fs::create_directories(Sys() / "class/hidraw");
        fs::create_directories(Dev());
    }
    fs::path Sys() const { return fs::path(dir_.path().toStdString()) / "sys"; }
    fs::path Dev() const { return fs::path(dir_.path().toStdString()) / "dev"; }
    std::string Root() const { return dir_.path().toStdString(); }

    struct Usb {
        std::string device = "1-1"; // empty: not on USB
        int interfaceNumber = 0;
        int interfaces = 1;
    };

    void AddNode(const std::string& node, const std::string& hidId, const std::string& uniq,
                 Usb usb, Node kind = Node::File,
                 const std::vector<std::uint8_t>& descriptor = kControllerDescriptor) {
        fs::path parent = Sys() / "devices/pci0000:00/usb1";
        if (!usb.device.empty()) {
            parent /= usb.device;
            fs::create_directories(parent);
            Write(parent / "bNumInterfaces", " " + std::to_string(usb.interfaces) + "\n");
            char name[64];
            std::snprintf(name, sizeof name, "%s:1.%d", usb.device.c_str(), usb.interfaceNumber);
            parent /= name;
            fs::create_directories(parent);
            char number[8];
            std::snprintf(number, sizeof number, "%02x\n", usb.interfaceNumber);
            Write(parent / "bInterfaceNumber", number);
        } else {
            parent = Sys() / "devices/platform/i2c-1";
        }
        const fs::path hid = parent / (hidId.substr(0, 14) + "." + node);
        fs::create_directories(hid / "hidraw" / node);
        Write(hid / "uevent", "DRIVER=hid-generic\nHID_ID=" + hidId +
                                  "\nHID_NAME=Test\nHID_UNIQ=" + uniq + "\nMODALIAS=hid:x\n");
        std::ofstream(hid / "report_descriptor", std::ios::binary)
            .write(reinterpret_cast<const char*>(descriptor.data()),
                   static_cast<std::streamsize>(descriptor.size()));
        fs::create_directory_symlink("../..", hid / "hidraw" / node / "device");
        fs::create_directory_symlink(fs::relative(hid / "hidraw" / node, Sys() / "class/hidraw"),
                                     Sys() / "class/hidraw" / node);
        if (kind == Node::File)
            Write(Dev() / node, "");
        else if (kind == Node::Fifo)
            mkfifo((Dev() / node).c_str(), 0666);
    }

    fw::HidrawBackend Backend() const { return fw::HidrawBackend(Sys().string(), Dev().string()); }

private:
    static void Write(const fs::path& file, const std::string& text) {
        std::ofstream(file) << text;
    }
    QTemporaryDir dir_;
};

const std::wstring kClassTail = L"#{4d1e55b2-f16f-11cf-88cb-001111000030}";

TEST(HidrawBackendTest, EnumeratesTheTreeInNodeOrderWithIdsSerialsInterfacesAndLengths) {
    FakeSysfs tree;
    tree.AddNode("hidraw10", "0003:000004D9:00008008", "", {"1-2", 1, 2});
    tree.AddNode("hidraw2", "0003:000004D9:00008008", "", {"1-2", 0, 2});
    tree.AddNode("hidraw3", "0003:000004D9:00008008", "SN-7", {"1-3", 0, 1});
    tree.AddNode("hidraw4", "0018:0000046D:0000C52B", "", {"", 0, 0}, Node::File,
                 {0x75, 0x08, 0x95, 0x07, 0x81, 0x02});
    // A node whose uevent has no HID_ID is not a HID interface we can name.
    fs::create_directories(tree.Sys() / "class/hidraw/hidraw9");

    const auto found = tree.Backend().Enumerate();
    ASSERT_EQ(found.size(), 4u);

    EXPECT_EQ(found[0].path, L"\\\\?\\hid#vid_04d9&pid_8008&mi_00#raw&hidraw2" + kClassTail);
    EXPECT_EQ(found[0].interfaceNumber, 0);
    EXPECT_EQ(found[0].path[26], L'm'); // where the link looks for an interface marker
    EXPECT_EQ(found[0].node, (tree.Dev() / "hidraw2").string());
    EXPECT_EQ(found[0].inputReportLength, 64);
    EXPECT_EQ(found[0].outputReportLength, 64);

    EXPECT_EQ(found[1].path, L"\\\\?\\hid#vid_04d9&pid_8008#raw&hidraw3" + kClassTail);
    EXPECT_EQ(found[1].interfaceNumber, -1) << "one interface: not composite";
    EXPECT_NE(found[1].path[26], L'm');
    EXPECT_EQ(found[1].serial, L"SN-7");

    EXPECT_EQ(found[2].vendorId, 0x046D);
    EXPECT_EQ(found[2].productId, 0xC52B);
    EXPECT_EQ(found[2].interfaceNumber, -1) << "not on USB";
    EXPECT_EQ(found[2].inputReportLength, 7);
    EXPECT_EQ(found[2].outputReportLength, 0);

    EXPECT_EQ(found[3].path, L"\\\\?\\hid#vid_04d9&pid_8008&mi_01#raw&hidraw10" + kClassTail);
    EXPECT_EQ(found[3].serial, L"");
}

TEST(HidrawBackendTest, MissingTreeEnumeratesNothing) {
    EXPECT_TRUE(fw::HidrawBackend("/nonexistent/sys", "/nonexistent/dev").Enumerate().empty());
}

TEST(HidrawBackendTest, LocksStandForShareModes) {
    FakeSysfs tree;
    tree.AddNode("hidraw0", "0003:000004D9:00008008", "", {});
    fw::HidrawBackend backend = tree.Backend();
    const fw::HidInterfaceInfo info = backend.Enumerate().at(0);
    fw::HidError error = fw::HidError::Io;

    auto shared1 = backend.Open(info, fw::HidShare::Shared, &error);
    ASSERT_TRUE(shared1);
    EXPECT_EQ(error, fw::HidError::None);
    auto shared2 = backend.Open(info, fw::HidShare::Shared, &error);
    EXPECT_TRUE(shared2) << "shared openers share";
    EXPECT_FALSE(backend.Open(info, fw::HidShare::Exclusive, &error));
    EXPECT_EQ(error, fw::HidError::SharingViolation);

    shared1.reset();
    shared2.reset();
    auto exclusive = backend.Open(info, fw::HidShare::Exclusive, &error);
    ASSERT_TRUE(exclusive);
    EXPECT_FALSE(backend.Open(info, fw::HidShare::Shared, &error));
    EXPECT_EQ(error, fw::HidError::SharingViolation);
    exclusive.reset();
    EXPECT_TRUE(backend.Open(info, fw::HidShare::Exclusive, &error)) << "closing releases";
}

// Opens the tree's hidraw0 as an unprivileged user would (root passes any mode bits).
fw::HidError OpenAsUser(const FakeSysfs& tree) {
    auto attempt = [&] {
        fw::HidrawBackend backend = tree.Backend();
        auto found = backend.Enumerate();
        if (found.empty())
            return fw::HidError::Io;
        fw::HidError error = fw::HidError::Io;
        backend.Open(found[0], fw::HidShare::Shared, &error);
        return error;
    };
    if (geteuid() != 0)
        return attempt();
    // The answer comes back through a pipe: a sanitizer may own the child's exit status.
    int answer[2];
    if (pipe(answer) != 0)
        return fw::HidError::Io;
    const pid_t child = fork();
    if (child == 0) {
        close(answer[0]);
        int result = -1;
        if (setgid(65534) == 0 && setuid(65534) == 0)
            result = static_cast<int>(attempt());
        [[maybe_unused]] ssize_t n = write(answer[1], &result, sizeof result);
        _exit(0);
    }
    close(answer[1]);
    int result = -1;
    const bool got = read(answer[0], &result, sizeof result) == sizeof result;
    close(answer[0]);
    waitpid(child, nullptr, 0);
    return got && result >= 0 ? static_cast<fw::HidError>(result) : fw::HidError::Io;
}

TEST(HidrawBackendTest, PermissionDeniedIsToldApartFromAbsent) {
    struct Case {
        mode_t mode;
        bool node;
        fw::HidError expected;
    };
    const Case cases[] = {
        {0666, true, fw::HidError::None},
        {0600, true, fw::HidError::AccessDenied},
        {0666, false, fw::HidError::NotFound},
    };
    for (const Case& c : cases) {
        FakeSysfs tree;
        chmod(tree.Root().c_str(), 0755); // the folder itself is open to everyone
        tree.AddNode("hidraw0", "0003:000004D9:00008008", "", {}, c.node ? Node::File : Node::None);
        if (c.node)
            chmod((tree.Dev() / "hidraw0").c_str(), c.mode);
        EXPECT_EQ(OpenAsUser(tree), c.expected)
            << "mode " << std::oct << c.mode << " node " << c.node;
    }
}

TEST(HidrawBackendTest, PathOpenThroughTheFrameworkReportsWhyItFailed) {
    FakeSysfs tree;
    tree.AddNode("hidraw0", "0003:000004D9:00008008", "ABC", {"1-1", 0, 1});
    HidBackendsScope scope({std::make_shared<fw::HidrawBackend>(tree.Backend())});

    const auto all = fw::HidEnumerateInterfaces();
    ASSERT_EQ(all.size(), 1u);
    // Paths are matched without regard to case, as the platform does.
    std::wstring upper = all[0].path;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    fw::HidError error = fw::HidError::Io;
    const fw::HidHandle handle = fw::HidOpenInterface(upper, fw::HidShare::Exclusive, &error);
    ASSERT_NE(handle, fw::kInvalidHidHandle);
    EXPECT_NE(handle, 0);

    std::uint16_t vendor = 0, product = 0, input = 0, output = 0;
    std::wstring serial;
    EXPECT_TRUE(fw::HidGetAttributes(handle, &vendor, &product));
    EXPECT_EQ(vendor, 0x04D9);
    EXPECT_EQ(product, 0x8008);
    EXPECT_TRUE(fw::HidGetSerialNumber(handle, &serial));
    EXPECT_EQ(serial, L"ABC");
    EXPECT_TRUE(fw::HidGetReportLengths(handle, &input, &output));
    EXPECT_EQ(input, 64);

    EXPECT_EQ(fw::HidOpenInterface(all[0].path, fw::HidShare::Shared, &error),
              fw::kInvalidHidHandle);
    EXPECT_EQ(error, fw::HidError::SharingViolation);
    EXPECT_EQ(fw::HidLastError(), fw::HidError::SharingViolation);

    EXPECT_EQ(fw::HidCloseInterface(handle), fw::HidError::None);
    EXPECT_EQ(fw::HidCloseInterface(handle), fw::HidError::InvalidHandle);
    EXPECT_FALSE(fw::HidGetAttributes(handle, &vendor, &product));
    EXPECT_EQ(fw::HidFlushInput(fw::kInvalidHidHandle), fw::HidError::InvalidHandle);

    EXPECT_EQ(fw::HidOpenInterface(L"\\\\?\\hid#vid_04d9&pid_8008#raw&hidraw7" + kClassTail,
                                   fw::HidShare::Shared, &error),
              fw::kInvalidHidHandle);
    EXPECT_EQ(error, fw::HidError::NotFound);
}

TEST(HidrawBackendTest, HotplugMonitorStartsAndJoinsOnTheRealTreeOnly) {
    FakeSysfs tree;
    auto ignore = [](fw::HidDeviceEvent, const std::wstring&) {};
    EXPECT_EQ(tree.Backend().Watch(ignore), nullptr) << "nobody announces a fake tree's changes";
    // Where netlink is available a monitor thread runs; destruction must stop and join it.
    fw::HidrawBackend real("/sys", "/dev");
    auto watcher = real.Watch(ignore);
    watcher.reset();
}

// A FIFO node hands back what is written to it: reads, writes, time-outs and flushes run the
// real poll() paths.
class HidrawLoopbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.AddNode("hidraw0", "0003:000004D9:00008008", "", {}, Node::Fifo);
        fw::HidError error = fw::HidError::Io;
        connection_ = backend_.Open(backend_.Enumerate().at(0), fw::HidShare::Exclusive, &error);
        ASSERT_TRUE(connection_);
    }

    static std::vector<std::uint8_t> Report(std::uint8_t n) {
        std::vector<std::uint8_t> report(64, 0xEE);
        report[0] = 0x3F;
        report[1] = n;
        return report;
    }

    FakeSysfs tree_;
    fw::HidrawBackend backend_ = tree_.Backend();
    std::unique_ptr<fw::HidConnection> connection_;
};

TEST_F(HidrawLoopbackTest, ReportWrittenComesBackWhole) {
    const auto report = Report(5);
    ASSERT_EQ(connection_->Write(report.data(), report.size(), 50), fw::HidError::None);
    std::vector<std::uint8_t> in(64);
    std::size_t received = 0;
    ASSERT_EQ(connection_->Read(in.data(), in.size(), 1000, &received), fw::HidError::None);
    EXPECT_EQ(received, 64u);
    EXPECT_EQ(in, report);
}

TEST_F(HidrawLoopbackTest, ReadWithNothingWaitingTimesOutAfterItsTime) {
    std::vector<std::uint8_t> in(64);
    std::size_t received = 7;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(connection_->Read(in.data(), in.size(), 60, &received), fw::HidError::Timeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(55));
    EXPECT_EQ(received, 0u);
}

TEST_F(HidrawLoopbackTest, FlushDiscardsEveryReportWaiting) {
    for (std::uint8_t n : {1, 2, 3}) {
        const auto report = Report(n);
        ASSERT_EQ(connection_->Write(report.data(), report.size(), 50), fw::HidError::None);
    }
    EXPECT_EQ(connection_->Flush(), fw::HidError::None);
    std::vector<std::uint8_t> in(64);
    std::size_t received = 0;
    EXPECT_EQ(connection_->Read(in.data(), in.size(), 20, &received), fw::HidError::Timeout);
}

TEST_F(HidrawLoopbackTest, CancelEndsAReadWaitingOnAnotherThread) {
    std::atomic<bool> done{false};
    fw::HidError result = fw::HidError::None;
    std::thread reader([&] {
        std::vector<std::uint8_t> in(64);
        std::size_t received = 0;
        result = connection_->Read(in.data(), in.size(), 10000, &received);
        done = true;
    });
    // Cancel affects only a read that is waiting, so repeat until it has taken effect.
    const auto start = std::chrono::steady_clock::now();
    while (!done && std::chrono::steady_clock::now() - start < std::chrono::seconds(8)) {
        connection_->Cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    EXPECT_EQ(result, fw::HidError::Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
}

} // namespace
