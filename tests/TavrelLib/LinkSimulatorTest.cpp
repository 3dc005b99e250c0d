// The link against the simulated controller through the simulator's backend: what a user
// without the hardware runs.
#ifdef GLIMRA_HAVE_SIMULATOR

#include "Framework/Hid/DeviceChange.h"
#include "Framework/Hid/VirtualHidBackend.h"
#include "HidFakeFixture.h"
#include "Link/TavrelUsbDev.h"
#include "Protocol/CommandCodes.h"
#include "Protocol/Packet.h"
#include "Sim/Simulator.h"

#include <QTemporaryDir>

#include <cwchar>

namespace {

// The main window's reading of a notification name: the four characters after the first
// "VID_" (or after the first three characters when there is none) as hexadecimal, then the
// same with "PID_" on what is left.
std::uint16_t IdAfter(std::wstring& rest, const wchar_t* marker) {
    const std::size_t at = rest.find(marker);
    rest.erase(0, at == std::wstring::npos ? 3 : at + 4);
    const std::wstring digits = rest.substr(0, 4);
    return static_cast<std::uint16_t>(std::wcstoul(digits.c_str(), nullptr, 16));
}

struct Change {
    fw::WPARAM event;
    std::uint16_t vendor;
    std::uint16_t product;
};

class LinkSimulatorTest : public ::testing::Test {
protected:
    LinkSimulatorTest() : previous_(fw::HidBackends()) {
        sim::SimConfig config;
        config.dir = dir_.path().toStdString() + "/sim";
        config.stemPrefix = "e2e";
        config.replyDelayMs = 0; // answers at once: the link must not lose them
        simulator_ = std::make_unique<sim::Simulator>(config);
        fw::HidSetBackends({std::make_shared<fw::VirtualHidBackend>(config.dir)});

        window_.OnMessage(fw::WM_DEVICECHANGE, [this](fw::WPARAM wParam, fw::LPARAM lParam) {
            const auto* header = reinterpret_cast<const fw::DevBroadcastHeader*>(lParam);
            if (header->deviceType != fw::DBT_DEVTYP_DEVICEINTERFACE)
                return fw::LRESULT(0);
            std::wstring rest = static_cast<const fw::DevBroadcastDeviceInterface*>(header)->name;
            const std::uint16_t vendor = IdAfter(rest, L"VID_");
            const std::uint16_t product = IdAfter(rest, L"PID_");
            changes_.push_back({wParam, vendor, product});
            return fw::LRESULT(0);
        });
    }
    ~LinkSimulatorTest() override {
        link_.reset();
        simulator_.reset();
        fw::HidSetBackends(previous_);
    }

    // One query through the link: the reply frame's payload, empty when none came.
    std::vector<std::uint8_t> Query(std::uint8_t selector, unsigned payloadLength) {
        Packet request;
        request.Clear();
        const std::uint8_t* frame = request.Encode(CmdQuery, &selector, 1, 0);
        EXPECT_EQ(link_->Write(frame, request.Length()), 1);
        std::vector<std::uint8_t> bytes(Packet::Overhead + payloadLength);
        const int n = link_->Read(bytes.data(), static_cast<unsigned>(bytes.size()));
        Packet reply;
        reply.Clear();
        if (n <= 0 || !reply.Decode(bytes.data(), static_cast<unsigned>(n)))
            return {};
        return std::vector<std::uint8_t>(reply.Data(), reply.Data() + reply.Length());
    }

    QTemporaryDir dir_;
    std::vector<std::shared_ptr<fw::HidBackend>> previous_;
    std::unique_ptr<sim::Simulator> simulator_;
    fw::Window window_;
    std::vector<Change> changes_;
    UsbDeviceEntry table_[1] = {{0x04D9, 0x8008, 0}};
    std::unique_ptr<TavrelUsbDev> link_ = std::make_unique<TavrelUsbDev>();
};

TEST_F(LinkSimulatorTest, ExchangesFramesAndHearsUnplugAndPlug) {
    ASSERT_TRUE(simulator_->Start()) << simulator_->LastError();
    link_->SetDeviceTable(&window_, table_, 1);
    ASSERT_EQ(link_->Scan(), 1);
    ASSERT_EQ(link_->Open(0), 1);

    // Version length: two bytes, little-endian, of "1.0.2".
    EXPECT_EQ(Query(QueryVersionLength, 2), (std::vector<std::uint8_t>{5, 0}));
    const auto text = Query(QueryVersionText, 5);
    EXPECT_EQ(std::string(text.begin(), text.end()), "1.0.2");
    const auto trace = simulator_->Trace();
    std::vector<std::vector<std::uint8_t>> queries;
    for (const sim::TraceEvent& e : trace) {
        if (e.event == "frame" && e.cmd == CmdQuery)
            queries.push_back(e.payload);
    }
    EXPECT_EQ(queries,
              (std::vector<std::vector<std::uint8_t>>{{QueryVersionLength}, {QueryVersionText}}));

    simulator_->Unplug();
    ASSERT_TRUE(DispatchUntil([&] { return changes_.size() >= 1; }));
    std::vector<std::uint8_t> buffer(16);
    EXPECT_EQ(link_->Read(buffer.data(), 16), 0) << "the device is gone";
    link_->Close();
    EXPECT_EQ(link_->IsOpen(), 0);

    simulator_->Plug();
    ASSERT_TRUE(DispatchUntil([&] { return changes_.size() >= 2; }));
    ASSERT_EQ(changes_.size(), 2u);
    EXPECT_EQ(changes_[0].event, fw::DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(changes_[1].event, fw::DBT_DEVICEARRIVAL);
    for (const Change& c : changes_) {
        EXPECT_EQ(c.vendor, 0x04D9);
        EXPECT_EQ(c.product, 0x8008);
    }

    // What the main window does on arrival: scan, open, talk.
    ASSERT_EQ(link_->Scan(), 1);
    ASSERT_EQ(link_->Open(0), 1);
    EXPECT_EQ(Query(QueryVersionLength, 2), (std::vector<std::uint8_t>{5, 0}));
}

TEST_F(LinkSimulatorTest, CompositeDeviceWithoutSerialIsOneController) {
    simulator_.reset();
    sim::SimConfig config;
    config.dir = dir_.path().toStdString() + "/sim";
    config.stemPrefix = "e2e";
    config.interfaces = 2;
    config.replyDelayMs = 0;
    simulator_ = std::make_unique<sim::Simulator>(config);
    ASSERT_TRUE(simulator_->Start()) << simulator_->LastError();
    link_->SetDeviceTable(nullptr, table_, 1);
    EXPECT_EQ(HidCollectSerials(0x04D9, 0x8008, std::make_unique<DeviceSerial[]>(6).get()), 1u);
    ASSERT_EQ(link_->Scan(), 1);
    ASSERT_EQ(link_->Open(0), 1);
    EXPECT_EQ(Query(QueryVersionLength, 2), (std::vector<std::uint8_t>{5, 0}));
}

TEST_F(LinkSimulatorTest, SecondOpenerMeetsTheHeldInterface) {
    simulator_.reset();
    sim::SimConfig config;
    config.dir = dir_.path().toStdString() + "/sim";
    config.holdExclusive = true;
    simulator_ = std::make_unique<sim::Simulator>(config);
    ASSERT_TRUE(simulator_->Start()) << simulator_->LastError();
    link_->SetDeviceTable(nullptr, table_, 1);
    // Held: collecting can't read its serial, so nothing is counted present; opening finds the
    // sharing violation and reports connected without a channel.
    EXPECT_EQ(link_->Scan(), 0);
    EXPECT_EQ(link_->Open(0), 1);
    std::vector<std::uint8_t> buffer(16);
    EXPECT_EQ(link_->Write(buffer.data(), 16), 0);
}

} // namespace

#endif
