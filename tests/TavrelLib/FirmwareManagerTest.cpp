#include "FirmwareFixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct ProgressCase {
    const char* name;
    std::size_t size;
    std::vector<int> progress;
    int blocks;
};

class FirmwareProgressTest : public FirmwareFixture,
                             public ::testing::WithParamInterface<ProgressCase> {};

// Each report belongs to the start of the block just acknowledged; the end always says 100.
TEST_P(FirmwareProgressTest, ReportsThePercentagesAndSucceeds) {
    const ProgressCase& c = GetParam();
    Connect(Base());
    const Bytes image = Image(c.size);
    FirmwareManager task;
    EnterLoader(task);
    const std::size_t start = simulator->Trace().size();
    task.Start(WriteImage(image));
    task.Wait();

    ASSERT_FALSE(recorder.notes.empty());
    EXPECT_EQ(recorder.notes.front().step, FirmwareManager::StepFileInfo);
    EXPECT_EQ(recorder.notes.front().size, QString::number(c.size));
    EXPECT_EQ(recorder.Progress(), c.progress);
    EXPECT_EQ(recorder.Results(), (std::vector<int>{FirmwareManager::StepSuccess}));
    EXPECT_EQ(static_cast<int>(Events("block", start).size()), c.blocks);
    ASSERT_TRUE(simulator->WaitForState(
        0, [](const sim::SimState& s) { return s.flashCount == 1; }, 5000));
    EXPECT_EQ(simulator->State().flashed, image);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FirmwareProgressTest,
    ::testing::Values(ProgressCase{"Empty", 0, {100}, 0}, ProgressCase{"Fifty", 50, {100}, 1},
                      ProgressCase{"OneBlock", 128, {0, 100}, 1},
                      ProgressCase{"TwoBlocks", 256, {0, 43, 100}, 2},
                      ProgressCase{"Thousand", 1000, {0, 13, 26, 39, 52, 64, 77, 100}, 8}),
    [](const ::testing::TestParamInfo<ProgressCase>& info) { return info.param.name; });

using FirmwareManagerTest = FirmwareFixture;

TEST_F(FirmwareManagerTest, ALoaderThatRejectsTheThirdBlockEndsTheTransferThere) {
    sim::SimConfig config = Base();
    config.rejectBlock = 2;
    Connect(config);
    FirmwareManager task;
    EnterLoader(task);
    const std::size_t start = simulator->Trace().size();
    task.Start(WriteImage(Image(1000)));
    task.Wait();

    EXPECT_EQ(recorder.Progress(), (std::vector<int>{0, 13}));
    EXPECT_EQ(recorder.Results(), (std::vector<int>{FirmwareManager::StepFailure}));
    EXPECT_EQ(Events("block", start).size(), 3u);
    EXPECT_EQ(FrameCommands(start), (std::vector<int>{CmdBeginUpgrade, CmdUpgradeBlock,
                                                      CmdUpgradeBlock, CmdUpgradeBlock}));
    // The controller stays in its loader.
    EXPECT_EQ(simulator->State().mode, sim::SimMode::Loader);
    EXPECT_EQ(simulator->State().flashCount, 0);
}

TEST_F(FirmwareManagerTest, NotConnectedWhenTheTransferIsToBeginSendsNothing) {
    Connect(Base());
    FirmwareManager task;
    task.Init(&recorder, manager.get());
    manager->Close();
    task.Start(WriteImage(Image(300)));
    task.Wait();
    EXPECT_EQ(recorder.Results(), (std::vector<int>{FirmwareManager::StepFailure}));
    EXPECT_EQ(recorder.notes.size(), 1u);
    EXPECT_TRUE(FrameCommands().empty());
}

struct UnreadableCase {
    const char* name;
    QString (*path)(const TempFolder&);
};

class FirmwareUnreadableTest : public FirmwareFixture,
                               public ::testing::WithParamInterface<UnreadableCase> {};

// A file that can't be opened fails the update before the loader hears anything.
TEST_P(FirmwareUnreadableTest, FailsWithNothingSent) {
    Connect(Base());
    FirmwareManager task;
    EnterLoader(task);
    const std::size_t start = simulator->Trace().size();
    task.Start(GetParam().path(dir));
    task.Wait();
    EXPECT_EQ(recorder.Results(), (std::vector<int>{FirmwareManager::StepFailure}));
    EXPECT_EQ(recorder.notes.size(), 1u);
    EXPECT_TRUE(FrameCommands(start).empty());
    EXPECT_EQ(task.Step(), FirmwareManager::StepFinished);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FirmwareUnreadableTest,
    ::testing::Values(UnreadableCase{"Missing",
                                     [](const TempFolder& d) { return d.File("no-such.bin"); }},
                      UnreadableCase{"Folder", [](const TempFolder& d) { return d.Path(); }},
                      UnreadableCase{"NoPath", [](const TempFolder&) { return QString(); }}),
    [](const ::testing::TestParamInfo<UnreadableCase>& info) { return info.param.name; });

// A file that ends before its length said (cut while the transfer runs) fails at the block
// that can't be read in full, and that block is not sent with stale bytes.
TEST_F(FirmwareManagerTest, AFileCutShortDuringTheTransferFailsInsteadOfSendingGarbage) {
    Connect(Base());
    const QString path = WriteImage(Image(1000));
    recorder.onNote = [&](const NotifyRecorder::Note& note) {
        if (note.step == FirmwareManager::StepProgress && note.value == 0) {
            QFile file(path);
            ASSERT_TRUE(file.resize(200));
        }
    };
    FirmwareManager task;
    EnterLoader(task);
    const std::size_t start = simulator->Trace().size();
    task.Start(path);
    task.Wait();
    EXPECT_EQ(recorder.Progress(), (std::vector<int>{0}));
    EXPECT_EQ(recorder.Results(), (std::vector<int>{FirmwareManager::StepFailure}));
    EXPECT_EQ(FrameCommands(start), (std::vector<int>{CmdBeginUpgrade, CmdUpgradeBlock}));
}

TEST_F(FirmwareManagerTest, CancelBeforeStartReturnsAtOnce) {
    Connect(Base());
    FirmwareManager task;
    task.Init(&recorder, manager.get());
    QElapsedTimer timer;
    timer.start();
    task.Cancel();
    EXPECT_LT(timer.elapsed(), 100);
    EXPECT_EQ(task.Step(), FirmwareManager::StepCancelled);
    // Cancelled, the restart is not sent either.
    task.RequestUpgradeMode();
    EXPECT_EQ(manager->IsConnected(), 1);
    EXPECT_TRUE(recorder.notes.empty());
    EXPECT_TRUE(FrameCommands().empty());
}

// Cancel from the window's event loop, as the dialog's Cancel button does, during the
// transfer: the block in flight is finished, then nothing more, and no result.
TEST_F(FirmwareManagerTest, CancelDuringTheTransferStopsAfterTheBlockInFlight) {
    Connect(Base());
    FirmwareManager task;
    EnterLoader(task);
    const std::size_t start = simulator->Trace().size();
    QEventLoop loop;
    std::size_t progressAtCancel = 0;
    std::size_t notesAtCancel = 0;
    bool cancelled = false;
    recorder.onNote = [&](const NotifyRecorder::Note& note) {
        if (note.step == FirmwareManager::StepProgress && note.value >= 13 && !cancelled) {
            cancelled = true;
            QTimer::singleShot(0, [&] {
                progressAtCancel = recorder.Progress().size();
                notesAtCancel = recorder.notes.size();
                task.Cancel();
                loop.quit();
            });
        }
    };
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    task.Start(WriteImage(Image(1000)));
    loop.exec();
    ASSERT_TRUE(cancelled);
    EXPECT_FALSE(task.IsRunning());
    EXPECT_TRUE(recorder.Results().empty());
    const std::size_t blocks = Events("block", start).size();
    EXPECT_LE(blocks, progressAtCancel + 1);
    EXPECT_LT(blocks, 8u);
    for (int code : FrameCommands(start))
        EXPECT_NE(code, CmdLeaveUpgradeMode);
    // The last notification may carry step 0: the dialog ignores it.
    for (std::size_t i = notesAtCancel; i < recorder.notes.size(); ++i)
        EXPECT_EQ(recorder.notes[i].step, FirmwareManager::StepCancelled);
}

} // namespace
