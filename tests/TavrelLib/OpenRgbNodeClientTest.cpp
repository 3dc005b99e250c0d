// End to end with a client nobody here wrote: the npm registry's openrgb-sdk, installed by
// scripts/install-deps.sh into tests/openrgb-client.
#ifdef GLIMRA_HAVE_SIMULATOR

#include "OpenRgbServerFixture.h"
#include "Protocol/CommandCodes.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

using Frames = std::vector<std::pair<int, std::vector<std::uint8_t>>>;

TEST_F(OpenRgbServerFixture, TheNpmClientListsSelectsModesByNameAndSetsBlue) {
    const QString folder = QDir(GLIMRA_TEST_DATA_DIR "/../openrgb-client").absolutePath();
    ASSERT_TRUE(QFile::exists(folder + "/node_modules/openrgb-sdk/package.json"))
        << "run scripts/install-deps.sh to install the client into " << folder.toStdString();

    // Static, red at full brightness, on: the client's changes are then exactly three frames.
    holder->ClickMode(0);
    holder->ClickSwatch(1);
    holder->StepToLevel(8);
    if (!holder->View().on)
        holder->ClickSwitch();
    ASSERT_TRUE(manager->GetProtocol()->ReadVersion());
    const std::size_t mark = simulator->Trace().size();

    QProcess node;
    node.setWorkingDirectory(folder);
    node.start(QStringLiteral("node"), {folder + "/client.js", QString::number(server->Port())});
    ASSERT_TRUE(node.waitForStarted()) << node.errorString().toStdString();
    ASSERT_TRUE(DispatchUntil([&] { return node.state() == QProcess::NotRunning; }, 30000));
    const QByteArray errors = node.readAllStandardError();
    ASSERT_EQ(node.exitCode(), 0) << errors.toStdString();

    const QJsonObject out = QJsonDocument::fromJson(node.readAllStandardOutput()).object();
    EXPECT_EQ(out["count"].toInt(), 1);
    EXPECT_EQ(out["protocol"].toInt(), 4);
    EXPECT_EQ(out["name"].toString(), "Glimra Lighting Controller");
    EXPECT_EQ(out["vendor"].toString(), "Glimra");
    EXPECT_EQ(out["modes"].toArray().size(), 7);
    EXPECT_EQ(out["modes"].toArray().last().toString(), "Off");
    EXPECT_EQ(out["leds"].toInt(), 1);
    EXPECT_EQ(out["afterBreathing"].toString(), "Breathing");
    EXPECT_EQ(out["afterStatic"].toString(), "Static");
    const QJsonObject blue = out["afterBlue"].toObject();
    EXPECT_EQ(blue["mode"].toString(), "Static");
    for (const char* key : {"colour", "modeColour"}) {
        const QJsonObject c = blue[key].toObject();
        EXPECT_EQ(c["red"].toInt() + c["green"].toInt(), 0) << key;
        EXPECT_EQ(c["blue"].toInt(), 255) << key;
    }

    ASSERT_TRUE(manager->GetProtocol()->ReadVersion());
    EXPECT_EQ(FramesSince(mark), (Frames{{CmdSetEffect, {0, 1, 0x07, 0x0D, 0x00, 0xA4, 0, 0, 1}},
                                         {CmdSetEffect, {0, 0, 0, 0, 0, 0, 0, 0, 1}},
                                         {CmdSetColor, {0, 0, 0, 0xFF, 1}}}));
    EXPECT_EQ(holder->View().swatch, 4);
    EXPECT_EQ(holder->View().level, 8u);
    EXPECT_EQ(holder->View().modeIndex, 0);
}

} // namespace

#endif
