#include "GlimraUtilityApp.h"
#include "TempFolder.h"
#include "Widgets/AP_FontInstaller.h"

#include "Framework/Drawing/Fonts.h"
#include "Framework/ResourcePack.h"
#include "Framework/Resources.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Every installer here writes to a fonts folder of the test's own.
class FontInstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_DATA_HOME");
        hadData_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.Path().chopped(1).toLocal8Bit());
    }
    void TearDown() override {
        fw::Resources::SetSource(QString());
        if (hadData_)
            qputenv("XDG_DATA_HOME", saved_);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    QString Fonts() const { return data.File("fonts/"); }
    QStringList Written() const {
        return QDir(Fonts()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    }

    // The family a font's run of text is actually drawn with, glyph fallback included.
    static QStringList DrawnFamilies(const QFont& font, const QString& text) {
        QTextLayout layout(text, font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        QStringList families;
        // Lower case: a face added from a file may report its family in either.
        for (const QGlyphRun& run : layout.glyphRuns())
            families << run.rawFont().familyName().toLower();
        return families;
    }

    TempFolder data;

private:
    QByteArray saved_;
    bool hadData_ = false;
};

// The start-up's fifteen registrations: two records, the first registration of each name.
TEST_F(FontInstallerTest, TheStartUpsRegistrationsLeaveTwoRecordsInTheUsersFontsFolder) {
    GlimraUtilityApp app;
    app.RegisterFonts();
    const auto& fonts = app.FontInstaller().Fonts();
    EXPECT_EQ(app.FontInstaller().FontsFolder(), Fonts());
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0]->name, QStringLiteral("Camelot MF"));
    EXPECT_EQ(fonts[0]->resourceId, 1042);
    EXPECT_EQ(fonts[0]->path, Fonts() + QStringLiteral("Camelot MF.ttf"));
    EXPECT_EQ(fonts[1]->name, QStringLiteral("Gotham-Black"));
    EXPECT_EQ(fonts[1]->resourceId, 1028);
    EXPECT_EQ(fonts[1]->path, Fonts() + QStringLiteral("Gotham-Black.ttf"));
    for (const auto& font : fonts) {
        EXPECT_EQ(font->resourceType, QStringLiteral("FONTS"));
        EXPECT_FALSE(font->present);
        EXPECT_FALSE(font->installed);
    }
}

// Each file is named after its registration and holds that resource's bytes; the captions'
// family then draws with the program's faces, and a misspelt one with the generic sans.
TEST_F(FontInstallerTest, InstallingWritesEachResourceUnderItsRegisteredName) {
    CAP_FontInstaller installer;
    installer.AddFont(QStringLiteral("Camelot MF"), 1042, QStringLiteral("FONTS"))
        .AddFont(QStringLiteral("Gotham-Black"), 1028, QStringLiteral("FONTS"));
    EXPECT_TRUE(installer.InstallFonts());
    EXPECT_EQ(Written(), (QStringList{"Camelot MF.ttf", "Gotham-Black.ttf"}));
    EXPECT_EQ(data.Read("fonts/Camelot MF.ttf"), fw::Resources::LoadRaw("FONTS", 1042));
    EXPECT_EQ(data.Read("fonts/Gotham-Black.ttf"), fw::Resources::LoadRaw("FONTS", 1028));
    EXPECT_FALSE(data.Read("fonts/Camelot MF.ttf").isEmpty());
    for (const auto& font : installer.Fonts())
        EXPECT_TRUE(font->installed) << font->name.toStdString();
    // Installed once: a second call adds nothing and says so.
    EXPECT_FALSE(installer.InstallFonts());

    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Gotham"))).family(),
              QStringLiteral("League Spartan"));
    // The widgets ask for it through the drawing kit, which must not take it for unknown.
    EXPECT_EQ(QFontInfo(fw::BoldFont(QStringLiteral("Gotham"), 7, fw::FontUnit::Point)).family(),
              QStringLiteral("League Spartan"));
    QFont sans;
    sans.setStyleHint(QFont::SansSerif);
    sans.setFamily(QStringLiteral("Sans Serif"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Gothma"))).family(), QFontInfo(sans).family());
    // Chinese captions in the caption family show in a Simplified Chinese face.
    EXPECT_EQ(DrawnFamilies(QFont(QStringLiteral("Gotham")), QStringLiteral("默认")),
              QStringList{QStringLiteral("wenquanyi micro hei")});
    EXPECT_EQ(DrawnFamilies(QFont(QStringLiteral("Gotham")), QStringLiteral("DEFAULT")),
              QStringList{QStringLiteral("league spartan")});
}

// Other programs may have the font files mapped: a start that finds the same bytes leaves the
// file alone, and one that finds other bytes puts a new file in its place instead of rewriting
// the one that is there.
TEST_F(FontInstallerTest, FontFilesAreReplacedWholeAndOnlyWhenTheyDiffer) {
    const auto install = [] {
        CAP_FontInstaller installer;
        installer.AddFont(QStringLiteral("Gotham-Black"), 1028, QStringLiteral("FONTS"));
        installer.InstallFonts();
        return installer.Fonts()[0]->installed;
    };
    const auto identity = [&] {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(Fonts() + "Gotham-Black.ttf").constData(), &st), 0);
        return std::pair{st.st_ino, st.st_mtim.tv_nsec + st.st_mtim.tv_sec * 1000000000LL};
    };
    const QByteArray font = fw::Resources::LoadRaw("FONTS", 1028);
    ASSERT_TRUE(install());
    const auto first = identity();
    ASSERT_TRUE(install());
    EXPECT_EQ(identity(), first);

    // Another version of the file, kept open as a program that maps it would.
    data.Write(QStringLiteral("fonts/Gotham-Black.ttf"), "an older face");
    QFile held(Fonts() + "Gotham-Black.ttf");
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    const auto older = identity();
    ASSERT_TRUE(install());
    EXPECT_NE(identity().first, older.first);
    EXPECT_EQ(data.Read("fonts/Gotham-Black.ttf"), font);
    EXPECT_EQ(held.readAll(), QByteArray("an older face"));
    EXPECT_EQ(Written(), QStringList{"Gotham-Black.ttf"});
}

// The presence test is an exact family match; a present family is neither written nor added.
TEST_F(FontInstallerTest, AFamilyTheSystemHasIsNotWritten) {
    CAP_FontInstaller installer;
    installer.AddFont(QStringLiteral("League Spartan"), 1027, QStringLiteral("FONTS"))
        .AddFont(QStringLiteral("league spartan"), 1042, QStringLiteral("FONTS"));
    ASSERT_EQ(installer.Fonts().size(), 2u);
    EXPECT_TRUE(installer.Fonts()[0]->present);
    EXPECT_FALSE(installer.Fonts()[1]->present);
    EXPECT_FALSE(installer.InstallFonts());
    EXPECT_FALSE(installer.Fonts()[0]->installed);
    EXPECT_TRUE(installer.Fonts()[1]->installed);
    EXPECT_EQ(Written(), QStringList{"league spartan.ttf"});
}

// Where the fonts cannot come from or go to, nothing is written and nothing is reported.
TEST_F(FontInstallerTest, APackWithoutFontsOrAnUnwritableFolderWritesNothing) {
    {
        fw::ResourcePack pack;
        ASSERT_TRUE(pack.Load(QStringLiteral(GLIMRA_TEST_PACK_DIR "/pack-without-main.rcc")));
        fw::Resources::SetSource(fw::ResourcePack::Root());
        CAP_FontInstaller installer;
        installer.AddFont(QStringLiteral("Gotham-Black"), 1028, QStringLiteral("FONTS"));
        EXPECT_FALSE(installer.InstallFonts());
        EXPECT_FALSE(installer.Fonts()[0]->installed);
        fw::Resources::SetSource(QString());
    }
    EXPECT_TRUE(Written().isEmpty());

    // The data folder is a file, so no fonts folder can be made under it.
    data.Write(QStringLiteral("plain"), "x");
    qputenv("XDG_DATA_HOME", data.File("plain").toLocal8Bit());
    CAP_FontInstaller installer;
    installer.AddFont(QStringLiteral("Gotham-Black"), 1028, QStringLiteral("FONTS"));
    EXPECT_FALSE(installer.InstallFonts());
    EXPECT_FALSE(installer.Fonts()[0]->installed);
}

} // namespace
