#include "FirmwareFixture.h"
#include "Protocol/ControllerProtocol.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

constexpr std::uint8_t MarkerSelector = 0x7E;

class FirmwareCancelStressTest : public FirmwareFixture {
protected:
    // Back to a controller in its loader, whatever the last round left behind.
    void IntoLoader(FirmwareManager& task) {
        ASSERT_TRUE(simulator->WaitForState(
            0, [](const sim::SimState& s) { return s.plugged; }, 5000));
        if (simulator->State().mode == sim::SimMode::Loader) {
            task.Init(&recorder, manager.get());
            return;
        }
        manager->Close();
        ASSERT_TRUE(DispatchUntil([&] { return manager->Open(0) == 1; }, 5000));
        EnterLoader(task);
    }

    // Every frame sent so far has been seen by the simulator: a marker behind them arrives,
    // or the controller left its loader on the way and can't see it.
    void Settle(std::size_t from) {
        const std::uint8_t selector = MarkerSelector;
        manager->GetProtocol()->Send(CmdQuery, &selector, 1);
        ASSERT_TRUE(simulator->WaitForTrace(
            [from](const std::vector<sim::TraceEvent>& trace) {
                for (std::size_t i = from; i < trace.size(); ++i) {
                    const sim::TraceEvent& e = trace[i];
                    if (e.event == "unplug" ||
                        (e.event == "frame" && e.cmd == CmdQuery &&
                         e.payload == std::vector<std::uint8_t>{MarkerSelector}))
                        return true;
                }
                return false;
            },
            5000));
    }
};

// Cancels at random moments (before the loader answers, between and during blocks, after the
// end) and checks each time that the worker ends, Cancel returns, and a result comes only
// for a transfer that had really finished.
TEST_F(FirmwareCancelStressTest, CancellingAtAnyMomentEndsTheWorkerWithNoResult) {
    Connect(Base());
    constexpr std::size_t Blocks = 40;
    const QString path = WriteImage(Image(Blocks * 128));
    std::mt19937 random(20261210); // fixed: a failing round can be replayed
    QElapsedTimer total;
    total.start();
    int rounds = 0;
    for (; rounds < 16 && total.elapsed() < 45000; ++rounds) {
        SCOPED_TRACE("round " + std::to_string(rounds));
        recorder.notes.clear();
        recorder.onNote = nullptr;
        FirmwareManager task;
        IntoLoader(task);
        if (HasFatalFailure())
            return;
        const std::size_t start = simulator->Trace().size();

        QEventLoop loop;
        std::size_t progressAtCancel = 0;
        bool endReportedBeforeCancel = false;
        qint64 cancelMs = -1;
        bool armed = false;
        auto cancel = [&] {
            const std::vector<int> progress = recorder.Progress();
            progressAtCancel = progress.size();
            endReportedBeforeCancel =
                std::find(progress.begin(), progress.end(), 100) != progress.end();
            QElapsedTimer timer;
            timer.start();
            task.Cancel();
            cancelMs = timer.elapsed();
            loop.quit();
        };
        auto arm = [&](int delayMs) {
            if (armed)
                return;
            armed = true;
            QTimer::singleShot(delayMs, &loop, cancel);
        };
        if (rounds % 2 == 0) {
            // After a given progress report, or after the result when there are fewer.
            const std::size_t after = random() % (Blocks + 3);
            const int delay = static_cast<int>(random() % 3);
            recorder.onNote = [&, after, delay](const NotifyRecorder::Note& note) {
                if ((note.step == FirmwareManager::StepProgress &&
                     recorder.Progress().size() > after) ||
                    note.step == FirmwareManager::StepSuccess)
                    arm(delay);
            };
        } else {
            arm(static_cast<int>(random() % 700));
        }
        QTimer::singleShot(20000, &loop, &QEventLoop::quit); // guard only
        task.Start(path);
        loop.exec();

        ASSERT_GE(cancelMs, 0) << "the cancel never ran";
        EXPECT_LT(cancelMs, 5000);
        EXPECT_FALSE(task.IsRunning());
        Settle(start);

        const std::size_t blocks = Events("block", start).size();
        const std::vector<int> codes = FrameCommands(start);
        const bool left = std::find(codes.begin(), codes.end(), CmdLeaveUpgradeMode) != codes.end();
        const std::vector<int> results = recorder.Results();
        // At most the block that was in flight follows the last report seen.
        EXPECT_LE(blocks, progressAtCancel + 1);
        if (!endReportedBeforeCancel) {
            EXPECT_TRUE(results.empty());
            EXPECT_FALSE(left);
        }
        if (!results.empty()) {
            EXPECT_EQ(results, (std::vector<int>{FirmwareManager::StepSuccess}));
            EXPECT_TRUE(left);
        }
        if (left) {
            EXPECT_EQ(blocks, Blocks);
        }
    }
    EXPECT_GE(rounds, 4);
}

} // namespace
