#include "FirmwareFixture.h"

#include <gtest/gtest.h>

namespace {

using FirmwareEndToEndTest = FirmwareFixture;

// The whole update as the dialog drives it: restart into the loader, reconnect, transfer on
// the worker, the controller comes back running the new image.
TEST_F(FirmwareEndToEndTest, TheSimulatorIsFlashedWithTheFileFromAWorkerThread) {
    Connect(Base());
    const std::size_t size = 20 * 128 + 77;
    const Bytes image = Image(size);
    const QString path = WriteImage(image, QStringLiteral("glimra-fw.bin"));

    ObservedFirmwareManager task;
    EnterLoader(task);
    const std::size_t start = simulator->Trace().size();
    const std::size_t requestsBefore = window.RequestThreads().size();
    task.Start(path);
    task.Wait();
    EXPECT_FALSE(task.IsRunning());
    EXPECT_EQ(task.Step(), FirmwareManager::StepFinished);

    ASSERT_TRUE(simulator->WaitForState(
        0, [](const sim::SimState& s) { return s.flashCount == 1; }, 5000));
    EXPECT_EQ(simulator->State().flashed, image);

    // Begin, the blocks in order, then leave; nothing else.
    std::vector<int> expected = {CmdBeginUpgrade};
    expected.insert(expected.end(), 21, CmdUpgradeBlock);
    expected.push_back(CmdLeaveUpgradeMode);
    EXPECT_EQ(FrameCommands(start), expected);

    std::size_t offset = 0;
    for (const sim::TraceEvent& frame : Events("frame", start)) {
        if (frame.cmd != CmdUpgradeBlock)
            continue;
        const std::size_t n = std::min<std::size_t>(128, size - offset);
        ASSERT_EQ(frame.payload.size(), n + 2);
        EXPECT_TRUE(std::equal(frame.payload.begin(), frame.payload.begin() + n,
                               image.begin() + static_cast<long>(offset)));
        const std::uint16_t crc = BitwiseCrc(image.data() + offset, n);
        EXPECT_EQ(frame.payload[n], crc >> 8) << "block at " << offset;
        EXPECT_EQ(frame.payload[n + 1], crc & 0xFF) << "block at " << offset;
        offset += n;
    }
    EXPECT_EQ(offset, size);
    const std::vector<sim::TraceEvent> blocks = Events("block", start);
    ASSERT_EQ(blocks.size(), 21u);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].index, static_cast<int>(i));
        EXPECT_EQ(blocks[i].size, i < 20 ? 128 : 77);
        EXPECT_TRUE(blocks[i].crcOk) << i;
    }
    for (const sim::TraceEvent& frame : Events("frame", start))
        if (frame.cmd == CmdBeginUpgrade || frame.cmd == CmdLeaveUpgradeMode) {
            EXPECT_EQ(frame.payload, (Bytes{0x10}));
        }

    // The worker did the work; every request and notification ran on this thread.
    EXPECT_NE(task.workerThread, std::thread::id());
    EXPECT_NE(task.workerThread, std::this_thread::get_id());
    const std::vector<std::thread::id> threads = window.RequestThreads();
    ASSERT_GT(threads.size(), requestsBefore);
    for (std::size_t i = requestsBefore; i < threads.size(); ++i)
        EXPECT_EQ(threads[i], std::this_thread::get_id());
    ASSERT_FALSE(recorder.notes.empty());
    for (const NotifyRecorder::Note& note : recorder.notes)
        EXPECT_EQ(note.thread, std::this_thread::get_id());

    ASSERT_EQ(recorder.notes.front().step, FirmwareManager::StepFileInfo);
    EXPECT_EQ(recorder.notes.front().name, QStringLiteral("glimra-fw.bin"));
    EXPECT_EQ(recorder.notes.front().size, QStringLiteral("2637"));
    EXPECT_EQ(recorder.Results(), (std::vector<int>{FirmwareManager::StepSuccess}));
}

// The restart command goes out only to a connected controller and closes the link.
TEST_F(FirmwareEndToEndTest, RequestUpgradeModeSendsTheRestartOnlyWhenConnected) {
    Connect(Base());
    FirmwareManager task;
    task.Init(&recorder, manager.get());
    manager->Close();
    task.RequestUpgradeMode();
    // Nothing went out: the controller is still running its application.
    EXPECT_TRUE(FrameCommands().empty());

    ASSERT_EQ(manager->Open(0), 1);
    task.RequestUpgradeMode();
    EXPECT_EQ(manager->IsConnected(), 0);
    ASSERT_TRUE(simulator->WaitForEvent("mode", 0, 5000));
    EXPECT_EQ(FrameCommands(), (std::vector<int>{CmdEnterUpgradeMode}));
    EXPECT_EQ(Events("frame").front().payload, (Bytes{0x10}));
}

} // namespace
