#include "Framework/Resources.h"
#include "Framework/ResourcePack.h"

#include <gtest/gtest.h>

namespace {

const QString kLang = QStringLiteral(GLIMRA_BIN_DIR "/lang/");

class ResourcesTest : public ::testing::Test {
protected:
    void TearDown() override {
        fw::Resources::SetSource(QString());
        pack.Release();
    }
    fw::ResourcePack pack;
};

TEST_F(ResourcesTest, TheProgramsOwnResourcesServeWhenNoPackIsLoaded) {
    EXPECT_EQ(fw::Resources::LoadString(1062), QString("Device not found!"));
    EXPECT_EQ(fw::Resources::LoadString(102), QString::fromUtf8("关于 GlimraUtility(&A)..."));
    EXPECT_TRUE(fw::Resources::LoadString(9999).isEmpty());
    EXPECT_EQ(fw::Resources::LoadBitmap(1000).size(), QSize(800, 455));
    for (unsigned id = 1043; id <= 1051; ++id)
        EXPECT_EQ(fw::Resources::LoadBitmap(id).size(), QSize(17, 186)) << id;
    EXPECT_FALSE(fw::Resources::LoadIcon(128).isNull());
    for (unsigned id = 1027; id <= 1042; ++id)
        EXPECT_FALSE(fw::Resources::LoadRaw("FONTS", id).isEmpty()) << id;
    for (unsigned id : {100u, 103u, 129u})
        EXPECT_TRUE(fw::Resources::LoadDialog(id)) << id;
}

TEST_F(ResourcesTest, APackServesAloneWhileLoadedAndSwitchesAtRunTime) {
    ASSERT_TRUE(pack.Load(kLang + "zh_CN.rcc"));
    fw::Resources::SetSource(fw::ResourcePack::Root());
    EXPECT_EQ(fw::Resources::LoadDialog(129)->controls[0].text, QString::fromUtf8("固件更新"));
    EXPECT_EQ(fw::Resources::LoadDialog(100)->caption, QString::fromUtf8("帮助"));
    EXPECT_EQ(fw::Resources::LoadString(1063), QString::fromUtf8("未找到设备！"));

    fw::Resources::SetSource(QString());
    ASSERT_TRUE(pack.Load(kLang + "en_US.rcc"));
    fw::Resources::SetSource(fw::ResourcePack::Root());
    EXPECT_EQ(fw::Resources::LoadDialog(100)->caption, QString("Help"));

    // A failed load leaves nothing loaded; lookups fall back to the program.
    fw::Resources::SetSource(QString());
    EXPECT_FALSE(pack.Load(kLang + "xx_XX.rcc"));
    EXPECT_FALSE(pack.IsLoaded());
    EXPECT_EQ(fw::Resources::LoadString(1062), QString("Device not found!"));
}

TEST_F(ResourcesTest, BothPacksCarryEveryResourceTheWindowsLookUp) {
    for (const char* code : {"en_US", "zh_CN"}) {
        fw::Resources::SetSource(QString());
        ASSERT_TRUE(pack.Load(kLang + code + ".rcc")) << code;
        fw::Resources::SetSource(fw::ResourcePack::Root());
        for (unsigned id : {100u, 103u, 129u})
            EXPECT_TRUE(fw::Resources::LoadDialog(id)) << code << " dialog " << id;
        for (unsigned id : {101u, 102u})
            EXPECT_FALSE(fw::Resources::LoadString(id).isEmpty()) << code << " string " << id;
        for (unsigned id = 1052; id <= 1107; ++id)
            EXPECT_FALSE(fw::Resources::LoadString(id).isEmpty()) << code << " string " << id;
        EXPECT_FALSE(fw::Resources::LoadBitmap(1000).isNull()) << code;
        for (unsigned id = 1043; id <= 1051; ++id)
            EXPECT_FALSE(fw::Resources::LoadBitmap(id).isNull()) << code << " bitmap " << id;
        EXPECT_FALSE(fw::Resources::LoadIcon(128).isNull()) << code;
        EXPECT_FALSE(fw::Resources::LoadRaw("FONTS", 1042).isEmpty()) << code;
    }
}

} // namespace
