#include "Link/TavrelUsbDev.h"
#include "Framework/Hid/DeviceChange.h"
#include "HidFakeFixture.h"
#include "Protocol/CommMessages.h"

#include <algorithm>
#include <functional>
#include <thread>

namespace {

constexpr std::uint16_t kVendor = 0x04D9;
constexpr std::uint16_t kProduct = 0x8008;

class TavrelUsbDevTest : public HidFakeFixture {
protected:
    TavrelUsbDevTest() : link_(std::make_unique<TavrelUsbDev>()) {}

    void UseTable(fw::Window* window = nullptr) { link_->SetDeviceTable(window, table_, 1); }

    UsbDeviceEntry table_[2] = {{kVendor, kProduct, 0}, {0x1234, 0x0001, 0}};
    std::unique_ptr<TavrelUsbDev> link_;
};

TEST_F(TavrelUsbDevTest, WriteThenReadTheAnswerWithTheLinksTimeOuts) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    const auto answer = Bytes(14, 0x40);
    fake_->SetResponder(controller,
                        [&](const Report&) { return std::vector<Report>{Input(answer)}; });
    UseTable();
    ASSERT_EQ(link_->Scan(), 1);
    EXPECT_EQ(table_[0].present, 1);
    ASSERT_EQ(link_->Open(0), 1);

    const auto frame = Bytes(18, 0xA0);
    EXPECT_EQ(link_->Write(frame.data(), 18), 1);
    ASSERT_EQ(fake_->Written(controller).size(), 1u);
    EXPECT_EQ(fake_->LastWriteTimeout(), 50u);

    std::vector<std::uint8_t> buffer(10);
    ASSERT_EQ(link_->Read(buffer.data(), 10), 10);
    EXPECT_EQ(buffer, Report(answer.begin(), answer.begin() + 10));
    EXPECT_EQ(fake_->LastReadTimeout(), 1000u);
    // The 4 bytes the read didn't take went with its flush.
    EXPECT_EQ(link_->Read(buffer.data(), 4), 0);
}

// The output reports of a frame, built by hand: 0x3F, count, more-follows, 61 data bytes.
std::vector<Report> OutputReports(const std::vector<std::uint8_t>& frame) {
    std::vector<Report> reports;
    for (std::size_t offset = 0; offset < frame.size(); offset += 61) {
        const std::size_t n = std::min<std::size_t>(61, frame.size() - offset);
        Report report(64, 0);
        report[0] = 0x3F;
        report[1] = static_cast<std::uint8_t>(n);
        report[2] = offset + n < frame.size() ? 1 : 0;
        std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(offset), n, report.begin() + 3);
        reports.push_back(report);
    }
    return reports;
}

// Stale input is gone before the request leaves; the answer, there the moment the last report
// is written, is still there for the read.
TEST_F(TavrelUsbDevTest, WriteFlushesFirstSoAnImmediateAnswerIsRead) {
    using Op = fw::RecordingHidBackend::Operation;
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    const auto answer = Bytes(20, 0x80);
    fake_->SetResponder(controller, [&](const Report& written) {
        return written[2] == 0 ? std::vector<Report>{Input(answer)} : std::vector<Report>{};
    });
    UseTable();
    link_->Scan();
    ASSERT_EQ(link_->Open(0), 1);
    fake_->QueueInput(controller, Input(Bytes(5, 0xE0))); // stale, never asked for

    const auto frame = Bytes(130, 0x10);
    ASSERT_EQ(link_->Write(frame.data(), 130), 1);
    EXPECT_EQ(fake_->PendingInput(controller), 1u) << "the answer, and only the answer";

    std::vector<std::uint8_t> buffer(20);
    ASSERT_EQ(link_->Read(buffer.data(), 20), 20);
    EXPECT_EQ(buffer, answer);

    const auto ops = fake_->Operations(controller);
    const auto reports = OutputReports(frame);
    ASSERT_EQ(ops.size(), 6u);
    EXPECT_EQ(ops[0].kind, Op::Flush);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(ops[1 + i].kind, Op::Write) << i;
        EXPECT_EQ(ops[1 + i].report, reports[i]) << "report " << i << " byte for byte";
    }
    EXPECT_EQ(ops[4].kind, Op::Read);
    EXPECT_EQ(ops[4].report, Input(answer));
    EXPECT_EQ(ops[5].kind, Op::Flush) << "a read still ends with one";
}

TEST_F(TavrelUsbDevTest, ReadsEndWithAFlushAndWritesStartWithOne) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    UseTable();
    link_->Scan();
    ASSERT_EQ(link_->Open(0), 1);
    fake_->QueueInput(controller, Input(Bytes(3)));
    fake_->QueueInput(controller, Input(Bytes(3))); // arrived, never asked for

    std::vector<std::uint8_t> buffer(3);
    EXPECT_EQ(link_->Read(buffer.data(), 3), 3);
    EXPECT_EQ(fake_->PendingInput(controller), 0u);
    fake_->QueueInput(controller, Input(Bytes(3)));
    EXPECT_EQ(link_->Write(buffer.data(), 3), 1);
    EXPECT_EQ(fake_->PendingInput(controller), 0u);
    EXPECT_EQ(fake_->Flushes(controller), 2u);
    // A write of nothing still empties the queue: the read after it hears only fresh input.
    fake_->QueueInput(controller, Input(Bytes(3)));
    EXPECT_EQ(link_->Write(buffer.data(), 0), 1);
    EXPECT_EQ(fake_->PendingInput(controller), 0u);
}

TEST_F(TavrelUsbDevTest, FailedReadOrWriteReturns0) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    UseTable();
    link_->Scan();
    ASSERT_EQ(link_->Open(0), 1);
    std::vector<std::uint8_t> buffer(8);
    EXPECT_EQ(link_->Read(buffer.data(), 8), 0) << "time-out";
    fake_->FailWrites(controller, fw::HidError::Io);
    EXPECT_EQ(link_->Write(buffer.data(), 8), 0);
}

TEST_F(TavrelUsbDevTest, DisconnectedLinkSendsNothingAndReadsNothing) {
    fake_->Add(kVendor, kProduct);
    UseTable();
    std::vector<std::uint8_t> buffer(8);
    EXPECT_EQ(link_->IsOpen(), 0);
    EXPECT_EQ(link_->Write(buffer.data(), 8), 1);
    EXPECT_EQ(link_->Read(buffer.data(), 8), 0);
    EXPECT_TRUE(fake_->Written(0).empty());
}

// However many interfaces there are and whichever member holds the controller, a scan lists
// them once for the whole table and an open once for counting and opening.
TEST_F(TavrelUsbDevTest, ScanAndOpenEachListTheInterfacesOnce) {
    for (int i = 0; i < 5; ++i)
        fake_->Add(0x1234, 0x0002);
    fake_->Add(kVendor, kProduct, L"", 0);
    const std::size_t second = fake_->Add(kVendor, kProduct, L"", 1);
    link_->SetDeviceTable(nullptr, table_, 2);

    std::size_t before = fake_->Enumerations();
    EXPECT_EQ(link_->Scan(), 1);
    EXPECT_EQ(fake_->Enumerations() - before, 1u);
    EXPECT_EQ(table_[0].present, 1);
    EXPECT_EQ(table_[1].present, 0);

    before = fake_->Enumerations();
    ASSERT_EQ(link_->Open(0), 1);
    EXPECT_EQ(fake_->Enumerations() - before, 1u);
    // Two interfaces: opened shared, the first one whose serial matches.
    EXPECT_EQ(fake_->OpenConnections(5), 1u);
    EXPECT_EQ(fake_->OpenConnections(second), 0u);
    EXPECT_EQ(fake_->OpenAttempts().back().share, fw::HidShare::Shared);
}

TEST_F(TavrelUsbDevTest, OpenBeyondTheTableStaysDisconnected) {
    fake_->Add(kVendor, kProduct);
    UseTable();
    link_->Scan();
    const std::size_t scanned = fake_->OpenAttempts().size();
    EXPECT_EQ(link_->Open(1), 0);
    EXPECT_EQ(link_->Open(7), 0);
    EXPECT_EQ(link_->IsOpen(), 0);
    EXPECT_EQ(fake_->OpenAttempts().size(), scanned) << "nothing was even tried";
}

TEST_F(TavrelUsbDevTest, OpenPicksTheFirstPresentEntryFromTheIndexOn) {
    const std::size_t other = fake_->Add(0x1234, 0x0001);
    link_->SetDeviceTable(nullptr, table_, 2);
    EXPECT_EQ(link_->Scan(), 1);
    EXPECT_EQ(table_[0].present, 0);
    EXPECT_EQ(table_[1].present, 1);
    EXPECT_EQ(link_->Open(0), 1);
    EXPECT_EQ(fake_->OpenConnections(other), 1u);
}

TEST_F(TavrelUsbDevTest, SerialFoundByScanSelectsTheController) {
    fake_->Add(kVendor, kProduct, L"AX-1");
    const std::size_t second = fake_->Add(kVendor, kProduct, L"AX-2");
    UseTable();
    ASSERT_EQ(link_->Scan(), 1);
    EXPECT_STREQ(link_->Serial(0).text, "AX-1");
    EXPECT_STREQ(link_->Serial(1).text, "AX-2");
    // Table index 0 asks for record 0; the first controller is held, so the search stops there
    // and the link reports connected without a channel.
    fake_->HoldExclusive(0);
    EXPECT_EQ(link_->Open(0), 1);
    EXPECT_EQ(fake_->OpenConnections(second), 0u);
}

TEST_F(TavrelUsbDevTest, HeldInterfaceLeavesTheLinkConnectedWithoutAChannel) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    UseTable();
    ASSERT_EQ(link_->Scan(), 1);
    fake_->HoldExclusive(controller);

    EXPECT_EQ(link_->Open(0), 1);
    EXPECT_EQ(link_->IsOpen(), 1);
    std::vector<std::uint8_t> buffer(8);
    EXPECT_EQ(link_->Read(buffer.data(), 8), 0);
    EXPECT_EQ(link_->Write(buffer.data(), 8), 0);
    EXPECT_TRUE(fake_->Written(controller).empty());
    // Closing a channel that never opened changes nothing, the flag included.
    link_->Close();
    EXPECT_EQ(link_->IsOpen(), 1);

    fake_->Release(controller);
    EXPECT_EQ(link_->Open(0), 1);
    EXPECT_EQ(link_->Write(buffer.data(), 8), 1);
    EXPECT_EQ(fake_->Written(controller).size(), 1u);
    link_->Close();
    EXPECT_EQ(link_->IsOpen(), 0);
}

TEST_F(TavrelUsbDevTest, OpenTwiceKeepsTheChannel) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    UseTable();
    link_->Scan();
    ASSERT_EQ(link_->Open(0), 1);
    EXPECT_EQ(link_->Open(0), 1);
    EXPECT_EQ(fake_->OpenConnections(controller), 1u);
    link_.reset(); // destruction closes
    EXPECT_EQ(fake_->OpenConnections(controller), 0u);
}

TEST_F(TavrelUsbDevTest, PermissionDeniedIsKnownAfterScanAndOpen) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    fake_->SetAccessDenied(controller, true);
    UseTable();
    EXPECT_EQ(link_->Scan(), 0);
    EXPECT_TRUE(link_->PermissionDenied());
    EXPECT_EQ(link_->Open(0), 0);
    EXPECT_TRUE(link_->PermissionDenied());

    fake_->SetAccessDenied(controller, false);
    EXPECT_EQ(link_->Scan(), 1);
    EXPECT_FALSE(link_->PermissionDenied());
    fake_->SetPresent(controller, false);
    EXPECT_EQ(link_->Scan(), 0);
    EXPECT_FALSE(link_->PermissionDenied()) << "absent is not forbidden";
}

// Write keeps its fire-and-forget results; LastWriteFailed tells whether the frame went out.
TEST_F(TavrelUsbDevTest, LastWriteFailedFollowsEveryWrite) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    UseTable();
    const auto frame = Bytes(130); // three output reports
    EXPECT_FALSE(link_->LastWriteFailed()) << "nothing written yet";

    EXPECT_EQ(link_->Write(frame.data(), 130), 1) << "not connected: reported as sent";
    EXPECT_TRUE(link_->LastWriteFailed());

    link_->Scan();
    ASSERT_EQ(link_->Open(0), 1);
    EXPECT_EQ(link_->Write(frame.data(), 130), 1);
    EXPECT_FALSE(link_->LastWriteFailed());
    EXPECT_EQ(fake_->Written(controller).size(), 3u);

    struct Case {
        const char* name;
        std::function<void()> breakIt;
        std::function<void()> mendIt;
    };
    // Each failure also drops the channel as lost, so mending means opening it again.
    auto reopen = [&] {
        link_->Close();
        link_->Scan();
        ASSERT_EQ(link_->Open(0), 1);
    };
    const Case cases[] = {
        {"I/O error", [&] { fake_->FailWrites(controller, fw::HidError::Io); },
         [&] {
             fake_->FailWrites(controller, fw::HidError::None);
             reopen();
         }},
        {"write time-out", [&] { fake_->FailWrites(controller, fw::HidError::Timeout); },
         [&] {
             fake_->FailWrites(controller, fw::HidError::None);
             reopen();
         }},
        {"device gone", [&] { fake_->SetPresent(controller, false); },
         [&] {
             fake_->SetPresent(controller, true);
             reopen();
         }},
    };
    for (const Case& c : cases) {
        c.breakIt();
        EXPECT_EQ(link_->Write(frame.data(), 130), 0) << c.name;
        EXPECT_TRUE(link_->LastWriteFailed()) << c.name;
        EXPECT_TRUE(link_->LastWriteFailed()) << c.name << ": asking doesn't reset it";
        c.mendIt();
        EXPECT_EQ(link_->Write(frame.data(), 130), 1) << c.name;
        EXPECT_FALSE(link_->LastWriteFailed()) << c.name << ": the next good write clears it";
    }

    // Connected without a channel (another program holds the interface): nothing delivered.
    link_->Close();
    fake_->HoldExclusive(controller);
    ASSERT_EQ(link_->Open(0), 1);
    EXPECT_EQ(link_->Write(frame.data(), 130), 0);
    EXPECT_TRUE(link_->LastWriteFailed());
}

TEST_F(TavrelUsbDevTest, TableWindowHearsArrivalsUntilTheLinkIsGone) {
    const std::size_t controller = fake_->Add(kVendor, kProduct, L"", 0);
    fw::Window window;
    std::vector<std::wstring> names;
    window.OnMessage(fw::WM_DEVICECHANGE, [&](fw::WPARAM wParam, fw::LPARAM lParam) {
        const auto* header = reinterpret_cast<const fw::DevBroadcastHeader*>(lParam);
        if (wParam == fw::DBT_DEVICEARRIVAL && header->deviceType == fw::DBT_DEVTYP_DEVICEINTERFACE)
            names.push_back(static_cast<const fw::DevBroadcastDeviceInterface*>(header)->name);
        return fw::LRESULT(0);
    });
    UseTable(&window);

    std::atomic<bool> done{false};
    std::thread watcher([&] {
        fake_->Announce(fw::HidDeviceEvent::Arrival, controller);
        done = true;
    });
    ASSERT_TRUE(DispatchUntil([&] { return done.load(); }));
    watcher.join();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(names[0].find(L"VID_04D9&PID_8008"), std::wstring::npos);

    link_.reset(); // unregisters
    fake_->Announce(fw::HidDeviceEvent::Arrival, controller);
    EXPECT_EQ(names.size(), 1u);
}

// A controller that stops answering without a removal: the channel is closed at the first
// failure, the owner hears of it once, and the next open reaches whatever is there now. A
// silent read is no such failure: the loader answers no queries.
TEST_F(TavrelUsbDevTest, AFailingChannelIsDroppedAndItsOwnerToldOnce) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    fw::Window window;
    int lost = 0;
    window.OnMessage(WM_COMM_LOST, [&](fw::WPARAM, fw::LPARAM) {
        ++lost;
        return fw::LRESULT(0);
    });
    UseTable(&window);
    link_->Scan();
    ASSERT_EQ(link_->Open(0), 1);
    std::vector<std::uint8_t> buffer(8);

    EXPECT_EQ(link_->Read(buffer.data(), 8), 0) << "time-out";
    EXPECT_FALSE(link_->ChannelLost());
    EXPECT_EQ(link_->IsOpen(), 1);

    struct Case {
        const char* name;
        std::function<void()> breakIt;
        std::function<int()> meet;
    } cases[] = {
        {"write I/O error", [&] { fake_->FailWrites(controller, fw::HidError::Io); },
         [&] { return link_->Write(buffer.data(), 8); }},
        {"write time-out", [&] { fake_->FailWrites(controller, fw::HidError::Timeout); },
         [&] { return link_->Write(buffer.data(), 8); }},
        {"vanished under a read", [&] { fake_->SetPresent(controller, false); },
         [&] { return link_->Read(buffer.data(), 8); }},
    };
    for (const Case& c : cases) {
        lost = 0;
        c.breakIt();
        EXPECT_EQ(c.meet(), 0) << c.name;
        EXPECT_EQ(link_->IsOpen(), 0) << c.name;
        EXPECT_TRUE(link_->ChannelLost()) << c.name;
        EXPECT_EQ(link_->Write(buffer.data(), 8), 1) << c.name << ": no channel, nothing sent";
        ASSERT_TRUE(DispatchUntil([&] { return lost > 0; })) << c.name;
        DispatchUntil([] { return false; }, 20);
        EXPECT_EQ(lost, 1) << c.name;

        fake_->FailWrites(controller, fw::HidError::None);
        fake_->SetPresent(controller, true);
        link_->Scan();
        ASSERT_EQ(link_->Open(0), 1) << c.name;
        EXPECT_FALSE(link_->ChannelLost()) << c.name;
        EXPECT_EQ(fake_->OpenConnections(controller), 1u) << c.name;
    }
    link_.reset(); // unregisters while the window it notifies still stands
}

} // namespace
