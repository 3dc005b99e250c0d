#include "FakeLogind.h"
#include "FirmwareDialogFixture.h"

#include <gtest/gtest.h>

namespace {

// The dialog against a logind of our own, on a private bus that stands in for the system bus.
class FirmwareInhibitorTest : public FirmwareDialogFixture {
protected:
    void SetUp() override {
        FirmwareDialogFixture::SetUp();
        if (!bus.Start())
            GTEST_SKIP() << "no dbus-daemon";
        hadAddress_ = qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS");
        saved_ = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().toUtf8());
        swapped_ = true;
    }
    void TearDown() override {
        if (swapped_ && hadAddress_)
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", saved_);
        else if (swapped_)
            qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        FirmwareDialogFixture::TearDown();
        bus.Stop();
    }

    PrivateBus bus;

private:
    QByteArray saved_;
    bool hadAddress_ = false;
    bool swapped_ = false;
};

// Held from the first block to the result, and let go however the transfer ends.
TEST_F(FirmwareInhibitorTest, SleepAndShutdownAreBlockedWhileBlocksAreWritten) {
    FakeLogindObject& logind = bus.RunLogind();
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "finished");
        Connect(Base());
        boxes.clear();
        ObservedFirmwareDlg dlg;
        dlg.Setup(manager.get(), WriteImage(Image(cancel ? 100 * 128 : 1000)));
        int heldAtBlocks = 0;
        int blocks = 0;
        dlg.onShown = [&](const ObservedFirmwareDlg::Shown& s) {
            if (s.msg != WM_FIRMWARE_NOTIFY || s.wParam != FirmwareManager::StepProgress)
                return;
            ++blocks;
            heldAtBlocks += dlg.Inhibitor().IsHeld() && logind.Held();
            if (cancel && blocks == 2)
                dlg.ClickCancelSoon();
        };
        bool heldAtResult = false;
        onBox = [&](const Box&) { heldAtResult = dlg.Inhibitor().IsHeld(); };
        dlg.DoModal();
        EXPECT_GE(blocks, 2);
        EXPECT_EQ(heldAtBlocks, blocks);
        EXPECT_EQ(boxes.size(), cancel ? 0u : 1u);
        EXPECT_FALSE(heldAtResult);
        EXPECT_FALSE(dlg.Inhibitor().IsHeld());
        EXPECT_TRUE(logind.Released());
        EXPECT_EQ(logind.Arguments().value(0), QStringLiteral("sleep:shutdown"));
        EXPECT_EQ(logind.Arguments().value(3), QStringLiteral("block"));
        manager.reset();
        simulator.reset();
    }
}

} // namespace
