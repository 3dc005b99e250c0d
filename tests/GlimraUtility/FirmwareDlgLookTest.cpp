#include "CutTexts.h"
#include "FirmwareDialogFixture.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The dialog as it looks in each state, in both languages: the coloured title line with its
// white text, and the status line or the bar with its percentage. With GLIMRA_SCREENSHOT_DIR
// set, each state is also saved there as firmware-<state>-<language>.png.
class FirmwareDlgLookTest : public FirmwareDialogFixture,
                            public ::testing::WithParamInterface<bool> {
protected:
    struct Grab {
        QString state;
        QImage image;
        ObservedFirmwareDlg::Shown shown;
        QStringList cut; // texts on show that cannot be read whole
    };

    void Take(const ObservedFirmwareDlg& dlg, const QString& state) {
        grabs.push_back({state, dlg.Widget()->grab().toImage(), dlg.Now(), CutTexts(dlg.Widget())});
    }

    void SaveAll() const {
        const QString folder = qEnvironmentVariable("GLIMRA_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        for (const Grab& g : grabs)
            g.image.save(QStringLiteral("%1/firmware-%2-%3.png")
                             .arg(folder, g.state, GetParam() ? "zh_CN" : "en_US"));
    }

    // The title line's colour fills its corner, and its text is white (or nearly, where thin
    // strokes are smoothed into the background).
    static void ExpectTitleLine(const Grab& g, const ObservedFirmwareDlg& dlg) {
        const QRect title = dlg.DialogUnitsToPixels(QRect(0, 0, 136, 17));
        const qreal ratio = g.image.devicePixelRatio();
        const auto at = [&](int x, int y) {
            return g.image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
        };
        EXPECT_EQ(at(2, 2), QColor(151, 163, 211)) << g.state.toStdString();
        int white = 0;
        for (int y = title.top(); y < title.bottom(); ++y)
            for (int x = title.left(); x < title.right(); ++x)
                white += std::min({at(x, y).red(), at(x, y).green(), at(x, y).blue()}) >= 235;
        EXPECT_GT(white, 10) << g.state.toStdString();
    }

    std::vector<Grab> grabs;
};

TEST_P(FirmwareDlgLookTest, EachStateShowsItsLines) {
    if (GetParam())
        UseChinese();
    const QString size = GetParam() ? QStringLiteral("1000 字节") : QStringLiteral("1000 Byte");
    {
        // A restart long enough for several attempts to find the controller away.
        sim::SimConfig config = Base();
        config.rebootMs = 150;
        Connect(config);
        ObservedFirmwareDlg dlg;
        dlg.Setup(manager.get(), WriteImage(Image(1000), QStringLiteral("glimra-fw-2.1.bin")));
        dlg.onShown = [&](const ObservedFirmwareDlg::Shown& s) {
            if (s.msg == fw::WM_TIMER && s.statusVisible && grabs.empty())
                Take(dlg, QStringLiteral("reconnecting"));
            if (s.msg == WM_FIRMWARE_NOTIFY && s.percent == QStringLiteral("52%"))
                Take(dlg, QStringLiteral("transferring"));
        };
        onBox = [&](const Box&) { Take(dlg, QStringLiteral("done")); };
        dlg.DoModal();
        ASSERT_EQ(grabs.size(), 3u);
        for (const Grab& g : grabs)
            ExpectTitleLine(g, dlg);
    }
    EXPECT_TRUE(grabs[0].shown.statusVisible);
    EXPECT_FALSE(grabs[0].shown.progressVisible);
    EXPECT_TRUE(grabs[0].shown.fileName.isEmpty());
    EXPECT_FALSE(grabs[1].shown.statusVisible);
    EXPECT_TRUE(grabs[1].shown.progressVisible);
    EXPECT_EQ(grabs[1].shown.progress, 52);
    EXPECT_EQ(grabs[1].shown.fileSize, size);
    EXPECT_EQ(grabs[2].shown.progress, 100);

    manager.reset();
    simulator.reset();
    boxes.clear();
    sim::SimConfig config = Base();
    config.neverReturn = true;
    Connect(config);
    ObservedFirmwareDlg failing;
    failing.Setup(manager.get(), WriteImage(Image(1000)));
    onBox = [&](const Box&) { Take(failing, QStringLiteral("reconnect-failed")); };
    failing.DoModal();
    ASSERT_EQ(grabs.size(), 4u);
    ExpectTitleLine(grabs[3], failing);
    // Every text is whole in every state, with the program's fonts.
    for (const Grab& g : grabs)
        EXPECT_TRUE(g.cut.isEmpty())
            << g.state.toStdString() << ": " << g.cut.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(grabs[3].shown.statusVisible);
    EXPECT_EQ(grabs[3].shown.status, GetParam() ? QStringLiteral("重新连接失败！")
                                                : QStringLiteral("Reconnecting failed!"));
    SaveAll();
}

INSTANTIATE_TEST_SUITE_P(Languages, FirmwareDlgLookTest, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "zh_CN" : "en_US");
});

} // namespace
