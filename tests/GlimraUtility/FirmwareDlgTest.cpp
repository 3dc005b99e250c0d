#include "FirmwareDialogFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using FirmwareDlgTest = FirmwareDialogFixture;

struct LanguageCase {
    bool chinese;
    const char* size;
    const char* success;
    const char* notice;
};

class FirmwareDlgLanguageTest : public FirmwareDialogFixture,
                                public ::testing::WithParamInterface<LanguageCase> {};

// The whole update through the dialog: restart, reconnect, the transfer with its file lines and
// percentages, the result, and the controller running the new image.
TEST_P(FirmwareDlgLanguageTest, AThousandByteImageIsFlashedWithItsProgressAndResult) {
    const LanguageCase& c = GetParam();
    if (c.chinese)
        UseChinese();
    Connect(Base());
    const Bytes image = Image(1000);
    const QString path = WriteImage(image, QStringLiteral("lights-2.bin"));

    ObservedFirmwareDlg dlg;
    dlg.Setup(manager.get(), path);
    ObservedFirmwareDlg::Shown atResult{};
    onBox = [&](const Box&) { atResult = dlg.Now(); };
    EXPECT_EQ(dlg.DoModal(), fw::IDCANCEL);
    EXPECT_FALSE(dlg.Task().IsRunning());
    EXPECT_EQ(dlg.Task().Step(), FirmwareManager::StepFinished);

    EXPECT_EQ(dlg.Percentages(),
              (std::vector<QString>{"0%", "13%", "26%", "39%", "52%", "64%", "77%", "100%"}));
    // The bar appears at the tick that finds the controller, before the transfer reports: it
    // starts empty beside "0%".
    const auto appeared = std::find_if(dlg.shown.begin(), dlg.shown.end(),
                                       [](const auto& s) { return s.progressVisible; });
    ASSERT_NE(appeared, dlg.shown.end());
    EXPECT_EQ(appeared->msg, fw::WM_TIMER);
    EXPECT_EQ(appeared->percent, QStringLiteral("0%"));
    EXPECT_EQ(appeared->progress, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString::fromUtf8(c.success));
    EXPECT_EQ(boxes[0].caption, QString::fromUtf8(c.notice));
    EXPECT_EQ(boxes[0].style, fw::MB_OK);
    // What the dialog showed while its result was up: the file lines and a full bar.
    EXPECT_EQ(atResult.fileName, QStringLiteral("lights-2.bin"));
    EXPECT_EQ(atResult.fileSize, QString::fromUtf8(c.size));
    EXPECT_EQ(atResult.progress, 100);
    EXPECT_TRUE(atResult.progressVisible);
    EXPECT_FALSE(atResult.statusVisible);
    EXPECT_FALSE(dlg.Inhibitor().IsHeld());

    ASSERT_TRUE(simulator->WaitForState(
        0, [](const sim::SimState& s) { return s.flashCount == 1; }, 5000));
    EXPECT_EQ(simulator->State().flashed, image);
    std::vector<int> expected = {CmdEnterUpgradeMode, CmdBeginUpgrade};
    expected.insert(expected.end(), 8, CmdUpgradeBlock);
    expected.push_back(CmdLeaveUpgradeMode);
    EXPECT_EQ(FrameCommands(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, FirmwareDlgLanguageTest,
    ::testing::Values(LanguageCase{false, "1000 Byte", "Update successful!", "Notice"},
                      LanguageCase{true, "1000 字节", "更新成功！", "提示"}),
    [](const auto& info) { return std::string(info.param.chinese ? "zh_CN" : "en_US"); });

TEST_F(FirmwareDlgTest, ALoaderThatRejectsABlockGivesUpdateFailed) {
    sim::SimConfig config = Base();
    config.rejectBlock = 2;
    Connect(config);
    ObservedFirmwareDlg dlg;
    dlg.Setup(manager.get(), WriteImage(Image(1000)));
    dlg.DoModal();
    EXPECT_FALSE(dlg.Task().IsRunning());
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{QStringLiteral("Update failed!")}));
    EXPECT_EQ(dlg.Percentages(), (std::vector<QString>{"0%", "13%"}));
    EXPECT_EQ(CountFrames(CmdUpgradeBlock), 3);
    EXPECT_EQ(CountFrames(CmdLeaveUpgradeMode), 0);
    EXPECT_FALSE(dlg.Inhibitor().IsHeld());
}

// A file that can't be opened fails before the loader hears of a transfer.
TEST_F(FirmwareDlgTest, AnUnreadableImageGivesUpdateFailedBeforeAnythingIsSent) {
    Connect(Base());
    ObservedFirmwareDlg dlg;
    dlg.Setup(manager.get(), dir.File("gone.bin"));
    dlg.DoModal();
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{QStringLiteral("Update failed!")}));
    EXPECT_EQ(FrameCommands(), (std::vector<int>{CmdEnterUpgradeMode}));
}

// The status line counts the attempts down; after the thirtieth, the dialog gives up.
TEST_F(FirmwareDlgTest, AControllerThatNeverComesBackFailsAfterThirtyAttempts) {
    sim::SimConfig config = Base();
    config.neverReturn = true;
    Connect(config);
    ObservedFirmwareDlg dlg;
    dlg.Setup(manager.get(), WriteImage(Image(300)));
    QString statusAtOpen;
    QTimer::singleShot(0, [&] { statusAtOpen = dlg.Now().status; });
    ObservedFirmwareDlg::Shown atBox{};
    onBox = [&](const Box&) { atBox = dlg.Now(); };
    dlg.DoModal();

    EXPECT_EQ(statusAtOpen, QStringLiteral("Reboot device into upgrade mode..."));
    ASSERT_EQ(dlg.shown.size(), 31u);
    for (std::size_t i = 0; i < 30; ++i) {
        EXPECT_EQ(dlg.shown[i].status, QStringLiteral("Reconnecting device...")) << i;
        EXPECT_TRUE(dlg.shown[i].statusVisible);
        EXPECT_FALSE(dlg.shown[i].progressVisible);
    }
    EXPECT_EQ(atBox.status, QStringLiteral("Reconnecting failed!"));
    EXPECT_TRUE(atBox.statusVisible);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Reconnecting failed!"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Notice"));
    EXPECT_EQ(FrameCommands(), (std::vector<int>{CmdEnterUpgradeMode}));
    EXPECT_EQ(dlg.Task().Step(), FirmwareManager::StepFileInfo); // never started
}

// Cancel stops the attempts at once; a controller that was not connected got no restart.
TEST_F(FirmwareDlgTest, CancelWhileReconnectingClosesAtOnceWithoutATransfer) {
    for (const bool connected : {true, false}) {
        SCOPED_TRACE(connected ? "connected" : "not connected");
        sim::SimConfig config = Base();
        config.neverReturn = true;
        Connect(config);
        if (!connected) {
            manager->Close();
            simulator->Unplug();
        }
        ObservedFirmwareDlg dlg;
        dlg.Setup(manager.get(), WriteImage(Image(1000)));
        dlg.onShown = [&](const ObservedFirmwareDlg::Shown&) {
            if (dlg.shown.size() == 2)
                dlg.ClickCancelSoon();
        };
        EXPECT_EQ(dlg.DoModal(), fw::IDCANCEL);
        // No attempt after the click, no result, nothing sent but the restart.
        EXPECT_EQ(dlg.shown.size(), 2u);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(FrameCommands(),
                  connected ? std::vector<int>{CmdEnterUpgradeMode} : std::vector<int>{});
        EXPECT_EQ(dlg.Task().Step(), FirmwareManager::StepCancelled);
        manager.reset();
        simulator.reset();
    }
}

TEST_F(FirmwareDlgTest, CancelWhileTransferringClosesAfterTheCurrentBlockWithoutAResult) {
    Connect(Base());
    const std::size_t blocks = 200;
    ObservedFirmwareDlg dlg;
    dlg.Setup(manager.get(), WriteImage(Image(blocks * 128)));
    dlg.onShown = [&](const ObservedFirmwareDlg::Shown& s) {
        if (s.msg == WM_FIRMWARE_NOTIFY && s.wParam == FirmwareManager::StepProgress &&
            dlg.Percentages().size() == 3)
            dlg.ClickCancelSoon();
    };
    dlg.DoModal();
    // Cancel returned only after the worker had ended.
    EXPECT_FALSE(dlg.Task().IsRunning());
    EXPECT_EQ(dlg.Task().Step(), FirmwareManager::StepFinished);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(CountFrames(CmdLeaveUpgradeMode), 0);
    const int sent = CountFrames(CmdUpgradeBlock);
    // The worker noticed the cancel between blocks: at most the block in flight went
    // unreported, and the transfer stopped long before its end.
    const int reported = static_cast<int>(dlg.Percentages().size());
    EXPECT_GE(reported, 3);
    EXPECT_TRUE(sent == reported || sent == reported + 1) << sent << " " << reported;
    EXPECT_LT(sent, static_cast<int>(blocks));
    EXPECT_FALSE(dlg.Inhibitor().IsHeld());
    EXPECT_EQ(simulator->State().flashCount, 0);
}

} // namespace
