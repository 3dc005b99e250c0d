#include "Link/HidLayer.h"
#include "HidFakeFixture.h"

#include <cstring>
#include <string>

namespace {

constexpr std::uint16_t kVendor = 0x04D9;
constexpr std::uint16_t kProduct = 0x8008;

class HidLayerTest : public HidFakeFixture {
protected:
    HidLayerTest() : channel_(std::make_unique<HidChannel>()) {
        channel_->readTimeout = 1000;
        channel_->writeTimeout = 50;
        HidChannelInit(channel_.get());
    }
    ~HidLayerTest() override { HidClose(channel_.get()); }

    // Opens the one controller the test made.
    void OpenController(std::size_t index) {
        controller_ = index;
        ASSERT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "", 1), HID_SUCCESS);
    }

    std::vector<std::uint8_t> ReadBytes(unsigned length, HidResult expected) {
        std::vector<std::uint8_t> buffer(length, 0xAA);
        unsigned delivered = 12345;
        EXPECT_EQ(HidRead(channel_.get(), buffer.data(), length, &delivered), expected);
        buffer.resize(delivered);
        return buffer;
    }

    std::unique_ptr<HidChannel> channel_;
    std::size_t controller_ = 0;
};

// --- writing -------------------------------------------------------------------------------

struct WriteCase {
    unsigned length;
    std::vector<std::vector<std::uint8_t>> heads; // bytes 0..2 of each report sent
};

class HidWriteTest : public HidLayerTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(HidWriteTest, CutsDataInto61ByteChunksWithTheMoreFollowsByte) {
    OpenController(fake_->Add(kVendor, kProduct));
    const WriteCase& c = GetParam();
    const auto data = Bytes(c.length);
    ASSERT_EQ(HidWrite(channel_.get(), data.data(), static_cast<std::uint16_t>(c.length)),
              HID_SUCCESS);

    const auto written = fake_->Written(controller_);
    ASSERT_EQ(written.size(), c.heads.size());
    std::size_t offset = 0;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const Report& report = written[i];
        ASSERT_EQ(report.size(), 64u) << "whole output reports";
        EXPECT_EQ(Report(report.begin(), report.begin() + 3), c.heads[i]) << "report " << i;
        const std::size_t n = report[1];
        EXPECT_EQ(Report(report.begin() + 3, report.begin() + 3 + n),
                  Report(data.begin() + offset, data.begin() + offset + n));
        EXPECT_EQ(Report(report.begin() + 3 + n, report.end()), Report(61 - n, 0));
        offset += n;
    }
    EXPECT_EQ(offset, c.length);
    EXPECT_EQ(fake_->LastWriteTimeout(), c.length ? 50u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, HidWriteTest,
    ::testing::Values(WriteCase{0, {}}, WriteCase{1, {{0x3F, 1, 0}}},
                      WriteCase{61, {{0x3F, 61, 0}}}, WriteCase{62, {{0x3F, 61, 1}, {0x3F, 1, 0}}},
                      WriteCase{123, {{0x3F, 61, 1}, {0x3F, 61, 1}, {0x3F, 1, 0}}}),
    [](const auto& info) { return std::to_string(info.param.length); });

TEST_F(HidLayerTest, FirstFailedReportEndsTheWrite) {
    OpenController(fake_->Add(kVendor, kProduct));
    const auto data = Bytes(130);
    fake_->FailWrites(controller_, fw::HidError::Timeout);
    EXPECT_EQ(HidWrite(channel_.get(), data.data(), 130), HID_TIMEOUT);
    fake_->FailWrites(controller_, fw::HidError::Io);
    EXPECT_EQ(HidWrite(channel_.get(), data.data(), 130), HID_IO_ERROR);
    EXPECT_TRUE(fake_->Written(controller_).empty());
}

TEST_F(HidLayerTest, ClosedChannelNeitherReadsNorWrites) {
    const std::uint8_t byte = 1;
    EXPECT_EQ(HidWrite(channel_.get(), &byte, 1), HID_NOT_OPEN);
    EXPECT_EQ(HidWrite(channel_.get(), &byte, 0), HID_SUCCESS) << "nothing to send";
    ReadBytes(4, HID_NOT_OPEN);
}

// --- reading -------------------------------------------------------------------------------

TEST_F(HidLayerTest, ReadShorterThanTheReportKeepsTheRestForTheNextRead) {
    OpenController(fake_->Add(kVendor, kProduct));
    const auto data = Bytes(14);
    fake_->QueueInput(controller_, Input(data));

    EXPECT_EQ(ReadBytes(10, HID_SUCCESS), Report(data.begin(), data.begin() + 10));
    EXPECT_EQ(channel_->leftover, 4);
    // Served from what the report left, without another report.
    EXPECT_EQ(ReadBytes(3, HID_SUCCESS), Report(data.begin() + 10, data.begin() + 13));
    EXPECT_EQ(ReadBytes(1, HID_SUCCESS), Report(data.begin() + 13, data.end()));
    EXPECT_EQ(channel_->leftover, 0);
}

TEST_F(HidLayerTest, FlushDropsTheLeftoverAndTheReportsWaiting) {
    OpenController(fake_->Add(kVendor, kProduct));
    fake_->QueueInput(controller_, Input(Bytes(14)));
    fake_->QueueInput(controller_, Input(Bytes(5, 50)));
    ReadBytes(10, HID_SUCCESS);

    EXPECT_EQ(HidFlush(channel_.get()), HID_SUCCESS);
    EXPECT_EQ(channel_->leftover, 0);
    EXPECT_EQ(fake_->PendingInput(controller_), 0u);
    EXPECT_TRUE(ReadBytes(4, HID_TIMEOUT).empty());
}

TEST_F(HidLayerTest, FirstWaitTimingOutGivesNothing) {
    OpenController(fake_->Add(kVendor, kProduct));
    EXPECT_TRUE(ReadBytes(10, HID_TIMEOUT).empty());
    EXPECT_EQ(fake_->LastReadTimeout(), 1000u);
}

TEST_F(HidLayerTest, TimeOutAfterDataGivesWhatArrived) {
    OpenController(fake_->Add(kVendor, kProduct));
    fake_->QueueInput(controller_, Input(Bytes(5, 1)));
    fake_->QueueInput(controller_, Input(Bytes(6, 20)));
    fake_->QueueTimeout(controller_);
    fake_->QueueInput(controller_, Input(Bytes(3, 90))); // after the silence: not this read's

    Report expected = Bytes(5, 1);
    const auto second = Bytes(6, 20);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(ReadBytes(40, HID_SUCCESS), expected);
}

TEST_F(HidLayerTest, ReportsOfOtherIdsAreSkipped) {
    OpenController(fake_->Add(kVendor, kProduct));
    Report foreign = Input(Bytes(8, 100));
    foreign[0] = 0x01;
    fake_->QueueInput(controller_, foreign);
    fake_->QueueInput(controller_, Input(Bytes(4, 7)));
    fake_->QueueInput(controller_, foreign);
    EXPECT_EQ(ReadBytes(4, HID_SUCCESS), Bytes(4, 7));
    // A skipped report is no data: the wait after it times out as if nothing came.
    EXPECT_TRUE(ReadBytes(4, HID_TIMEOUT).empty());
}

struct CountCase {
    const char* name;
    std::size_t reportSize; // bytes the interface delivered
    int claimed;            // byte 1
    std::size_t taken;
};

class HidCountTest : public HidLayerTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(HidCountTest, CountBeyondTheReportIsCutToWhatItCarries) {
    OpenController(fake_->Add(kVendor, kProduct));
    const CountCase& c = GetParam();
    // Stale bytes in the buffer from an earlier, longer report must not pass for data.
    std::memset(channel_->readBuffer, 0x55, sizeof channel_->readBuffer);
    Report report = Input(Bytes(62, 1), c.claimed);
    report.resize(c.reportSize);
    fake_->QueueInput(controller_, report);

    // A report that carries nothing is no data: the wait after it times out.
    const auto got = ReadBytes(300, c.taken ? HID_SUCCESS : HID_TIMEOUT);
    EXPECT_EQ(got, Report(report.begin() + 2, report.begin() + 2 + c.taken));
}

INSTANTIATE_TEST_SUITE_P(Counts, HidCountTest,
                         ::testing::Values(CountCase{"Honest", 64, 20, 20},
                                           CountCase{"FullReport", 64, 62, 62},
                                           CountCase{"Oversized", 64, 255, 62},
                                           CountCase{"ShortReport", 10, 20, 8},
                                           CountCase{"IdAndCountOnly", 2, 9, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- finding and counting interfaces --------------------------------------------------------

TEST_F(HidLayerTest, MemberIndex128AndBeyondIsNeverSeen) {
    for (int i = 0; i < 127; ++i)
        fake_->Add(0x1234, 0x0001);
    const std::size_t at127 = fake_->Add(kVendor, kProduct, L"first");
    const std::size_t at128 = fake_->Add(kVendor, kProduct, L"second");
    wchar_t path[kHidPathLength];

    ASSERT_EQ(HidFindPath(kVendor, kProduct, 127, path), HID_SUCCESS);
    EXPECT_EQ(std::wstring(path), fake_->Info(at127).path);
    EXPECT_EQ(HidFindPath(kVendor, kProduct, 128, path), HID_FAILURE);
    EXPECT_EQ(HidFindPath(0x1234, 0x0001, 0, path), HID_SUCCESS);
    EXPECT_EQ(HidFindPath(0x1234, 0x0002, 0, path), HID_FAILURE) << "pattern must match";

    EXPECT_EQ(HidCountInterfaces(kVendor, kProduct, 1), 1u);
    DeviceSerial serials[kHidSerialRecords];
    EXPECT_EQ(HidCollectSerials(kVendor, kProduct, serials), 1u);
    EXPECT_STREQ(serials[0].text, "first");
    ASSERT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "second", 1), HID_NO_DEVICE);
    EXPECT_EQ(fake_->OpenConnections(at128), 0u);
}

TEST_F(HidLayerTest, PathThatWouldNotFitTheBufferIsTreatedAsAbsent) {
    fw::HidInterfaceInfo info;
    info.vendorId = kVendor;
    info.productId = kProduct;
    info.inputReportLength = info.outputReportLength = 64;
    info.path = L"\\\\?\\hid#vid_04d9&pid_8008#" + std::wstring(240, L'x') +
                L"#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    fake_->Add(info);
    wchar_t path[kHidPathLength];
    EXPECT_EQ(HidFindPath(kVendor, kProduct, 0, path), HID_FAILURE);
    EXPECT_EQ(HidCountInterfaces(kVendor, kProduct, 1), 0u);
}

TEST_F(HidLayerTest, CountingTakesHeldInterfacesButNotForbiddenOnes) {
    fake_->Add(kVendor, kProduct, L"", 0);
    const std::size_t held = fake_->Add(kVendor, kProduct, L"", 1);
    const std::size_t forbidden = fake_->Add(kVendor, kProduct, L"", 2);
    fake_->Add(0x1234, 0x0001);
    fake_->HoldExclusive(held);
    fake_->SetAccessDenied(forbidden, true);

    HidResetAccessDenied();
    EXPECT_EQ(HidCountInterfaces(kVendor, kProduct, 1), 2u);
    EXPECT_TRUE(HidMetAccessDenied());
    EXPECT_EQ(HidCountInterfaces(kVendor, kProduct, 2), 1u);
    EXPECT_EQ(HidCountInterfaces(kVendor, kProduct, 0), 0u);
    EXPECT_EQ(HidCountInterfaces(0x1111, 0x2222, 1), 0u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(fake_->OpenConnections(i), 0u) << "every probe closes its handle";
}

struct Iface {
    const wchar_t* serial;
    int interfaceNumber;
};

struct SerialCase {
    const char* name;
    std::vector<Iface> interfaces;
    unsigned devices;
    std::vector<std::string> records;
};

class HidCollectSerialsTest : public HidLayerTest,
                              public ::testing::WithParamInterface<SerialCase> {};

TEST_P(HidCollectSerialsTest, CountsDevicesBySerialOrByInterfaces) {
    const SerialCase& c = GetParam();
    for (const Iface& i : c.interfaces)
        fake_->Add(kVendor, kProduct, i.serial, i.interfaceNumber);
    DeviceSerial serials[kHidSerialRecords];
    EXPECT_EQ(HidCollectSerials(kVendor, kProduct, serials), c.devices);
    for (std::size_t i = 0; i < c.records.size(); ++i)
        EXPECT_EQ(std::string(serials[i].text), c.records[i]) << "record " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, HidCollectSerialsTest,
    ::testing::Values(
        SerialCase{"None", {}, 0, {}},
        SerialCase{"CompositeWithoutSerialIsOne", {{L"", 0}, {L"", 1}}, 1, {""}},
        SerialCase{"ThreeInterfacesWithoutSerialIsOne", {{L"", 0}, {L"", 1}, {L"", 2}}, 1, {""}},
        SerialCase{"TwoPlainDevicesWithoutSerial", {{L"", -1}, {L"", -1}}, 2, {"", ""}},
        SerialCase{"DistinctSerials", {{L"AX-1", -1}, {L"AX-2", -1}}, 2, {"AX-1", "AX-2"}},
        SerialCase{
            "SerialRepeatedByInterfacesCountsOnce", {{L"AX-1", 0}, {L"AX-1", 1}}, 1, {"AX-1"}},
        SerialCase{"SerialCutTo39",
                   {{L"0123456789012345678901234567890123456789XYZ", -1}},
                   1,
                   {"012345678901234567890123456789012345678"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidLayerTest, CollectingSkipsInterfacesHeldByAnotherOpener) {
    fake_->HoldExclusive(fake_->Add(kVendor, kProduct, L"AX-1"));
    fake_->Add(kVendor, kProduct, L"AX-2");
    DeviceSerial serials[kHidSerialRecords];
    EXPECT_EQ(HidCollectSerials(kVendor, kProduct, serials), 1u);
    EXPECT_STREQ(serials[0].text, "AX-2");
}

// --- opening --------------------------------------------------------------------------------

struct OrdinalCase {
    const char* wanted;
    HidResult result;
    int opened; // index of the interface opened, -1 for none
};

class HidOpenSerialTest : public HidLayerTest, public ::testing::WithParamInterface<OrdinalCase> {};

TEST_P(HidOpenSerialTest, OneCharacterSerialPicksByOrdinalAmongEmptySerials) {
    fake_->Add(kVendor, kProduct, L"AX-1", 0);
    fake_->Add(kVendor, kProduct, L"", 1);
    fake_->Add(kVendor, kProduct, L"", 2);
    const OrdinalCase& c = GetParam();
    EXPECT_EQ(HidOpen(channel_.get(), kVendor, kProduct, c.wanted, 3), c.result);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fake_->OpenConnections(i), i == c.opened ? 1u : 0u) << "interface " << i;
    EXPECT_EQ(channel_->open, c.opened >= 0 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Wanted, HidOpenSerialTest,
    ::testing::Values(OrdinalCase{"0", HID_SUCCESS, 1},
                      OrdinalCase{"x", HID_SUCCESS, 1}, // not a digit: 0
                      OrdinalCase{"1", HID_NO_DEVICE, -1}, OrdinalCase{"", HID_SUCCESS, 1},
                      OrdinalCase{"AX-1", HID_SUCCESS, 0}, OrdinalCase{"AX-9", HID_NO_DEVICE, -1}),
    [](const auto& info) {
        return std::string(*info.param.wanted ? info.param.wanted : "empty") == "AX-1"
                   ? std::string("Serial")
               : std::string(info.param.wanted) == "AX-9"
                   ? std::string("UnknownSerial")
                   : "Char_" + std::string(*info.param.wanted ? info.param.wanted : "empty");
    });

TEST_F(HidLayerTest, SingleInterfaceIsTriedExclusiveThenShared) {
    const std::size_t controller = fake_->Add(kVendor, kProduct);
    fake_->HoldShared(controller); // another program has it open, sharing
    ASSERT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "", 1), HID_SUCCESS);
    const auto attempts = fake_->OpenAttempts();
    ASSERT_EQ(attempts.size(), 2u);
    EXPECT_EQ(attempts[0].share, fw::HidShare::Exclusive);
    EXPECT_EQ(attempts[0].result, fw::HidError::SharingViolation);
    EXPECT_EQ(attempts[1].share, fw::HidShare::Shared);
    EXPECT_EQ(attempts[1].result, fw::HidError::None);
    EXPECT_EQ(channel_->open, 1);
    EXPECT_EQ(channel_->inputReportLength, 64);
    EXPECT_EQ(channel_->outputReportLength, 64);
}

TEST_F(HidLayerTest, InterfaceHeldExclusivelyStopsTheSearchWithResult3) {
    const std::size_t held = fake_->Add(kVendor, kProduct);
    fake_->Add(kVendor, kProduct);
    fake_->HoldExclusive(held);
    EXPECT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "", 1), HID_ALREADY_OPEN);
    EXPECT_EQ(channel_->open, 0);
    EXPECT_EQ(fake_->OpenConnections(1), 0u) << "the next interface is not tried";
    const auto attempts = fake_->OpenAttempts();
    ASSERT_EQ(attempts.size(), 2u);
    EXPECT_EQ(attempts[1].share, fw::HidShare::Shared);
}

TEST_F(HidLayerTest, SeveralInterfacesAreOpenedShared) {
    fake_->Add(kVendor, kProduct, L"", 0);
    fake_->Add(kVendor, kProduct, L"", 1);
    ASSERT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "", 2), HID_SUCCESS);
    ASSERT_EQ(fake_->OpenAttempts().size(), 1u);
    EXPECT_EQ(fake_->OpenAttempts()[0].share, fw::HidShare::Shared);
}

TEST_F(HidLayerTest, OpenOnAnOpenChannelKeepsItsHandle) {
    OpenController(fake_->Add(kVendor, kProduct));
    const fw::HidHandle handle = channel_->handle;
    EXPECT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "", 1), HID_ALREADY_OPEN);
    EXPECT_EQ(channel_->handle, handle);
    EXPECT_EQ(fake_->OpenConnections(controller_), 1u);
}

TEST_F(HidLayerTest, InterfaceOfOtherIdsBehindAPathIsClosedAgain) {
    const std::size_t other = fake_->Add(0x1234, 0x0001);
    fw::HidError error = fw::HidError::Io;
    EXPECT_EQ(HidOpenPath(fake_->Info(other).path.c_str(), kVendor, kProduct, &error, 0),
              fw::kInvalidHidHandle);
    EXPECT_EQ(fake_->OpenConnections(other), 0u);
}

TEST_F(HidLayerTest, ForbiddenInterfaceIsReportedApartFromAbsent) {
    const std::size_t forbidden = fake_->Add(kVendor, kProduct);
    fake_->SetAccessDenied(forbidden, true);
    HidResetAccessDenied();
    EXPECT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "", 1), HID_NO_DEVICE);
    EXPECT_TRUE(HidMetAccessDenied());

    fake_->SetAccessDenied(forbidden, false);
    fake_->SetPresent(forbidden, false);
    HidResetAccessDenied();
    EXPECT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "", 1), HID_NO_DEVICE);
    EXPECT_FALSE(HidMetAccessDenied());
}

// --- closing and flushing -------------------------------------------------------------------

TEST_F(HidLayerTest, CloseResults) {
    EXPECT_EQ(HidClose(channel_.get()), HID_NOT_OPEN);
    OpenController(fake_->Add(kVendor, kProduct));
    EXPECT_EQ(HidClose(channel_.get()), HID_SUCCESS);
    EXPECT_EQ(channel_->handle, fw::kInvalidHidHandle);
    EXPECT_EQ(channel_->open, 0);
    EXPECT_EQ(fake_->OpenConnections(controller_), 0u);
    EXPECT_EQ(HidClose(channel_.get()), HID_NOT_OPEN);

    channel_->open = 1; // open flag without a handle
    channel_->handle = 0;
    EXPECT_EQ(HidClose(channel_.get()), HID_INVALID_HANDLE);
}

TEST_F(HidLayerTest, FlushWithoutAHandleIsInvalidHandle) {
    channel_->leftover = 9;
    EXPECT_EQ(HidFlush(channel_.get()), HID_INVALID_HANDLE);
    EXPECT_EQ(channel_->leftover, 0);
}

} // namespace
