#include "SimFixture.h"

#include <chrono>

using simtest::Bytes;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

} // namespace

// Only lower bounds are checked: pacing promises that reports are no closer than the interval,
// which no scheduling delay can break.
TEST_F(SimFixture, RepliesLeaveOneReportPerInterval) {
    sim::SimConfig config = Base();
    config.reportIntervalUs = 20000;
    Run(config);
    auto client = Connect();
    const Clock::time_point sent = Clock::now();
    ASSERT_TRUE(client->SendFrame(0x01, {0x10})); // 181 bytes: three reports
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(client->ReadReport(2000));
        EXPECT_GE(MsSince(sent), 20.0 * (k + 1)) << "report " << k;
    }
}

TEST_F(SimFixture, OutputReportsAreTakenOnePerIntervalAndReplyDelayAdds) {
    sim::SimConfig config = Base();
    config.reportIntervalUs = 20000;
    config.replyDelayMs = 30;
    Run(config);
    auto client = Connect();
    Bytes payload(150, 0x00);
    payload[0] = 0x01; // a version length query padded to three output reports
    const Clock::time_point sent = Clock::now();
    ASSERT_TRUE(client->SendFrame(0x01, payload));
    Bytes reply = client->ReadData(15);
    // Third report taken at >= 40 ms, then the delay, then one interval for the first report.
    EXPECT_GE(MsSince(sent), 40.0 + 30.0 + 20.0);
    EXPECT_EQ(reply, simtest::Frame(0x01, {0x05, 0x00}));
}
