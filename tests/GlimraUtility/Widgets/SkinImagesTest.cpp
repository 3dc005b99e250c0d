// The skin the build draws: every file the windows name, its "@2x" companion, and the colour
// plate's art lined up with the plate's hit test.
#include "Widgets/ColorPlate.h"

#include <QImage>
#include <QResource>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QString ImageFolder() {
    return QStringLiteral(GLIMRA_BIN_DIR "/image/");
}

QImage Skin(const QString& name) {
    return QImage(ImageFolder() + name + QStringLiteral(".png"));
}

const char* const kSwatchFiles[8] = {"RED",   "WHITE",  "CYAN",   "BLUE",
                                     "GREEN", "YELLOW", "ORANGE", "PURPLE"};

TEST(SkinImagesTest, EveryLookHasItsDoubleSizeCompanionAndItsSetSharesOneSize) {
    const QStringList sets[] = {
        {"CLOSE_WIN", "CLOSE_WIN_HOVER"},
        {"MIN", "MIN_HOVER"},
        {"SETTING", "SETTING_HOVER"},
        {"PLUS", "PLUS_HOVER"},
        {"MINUS", "MINUS_HOVER"},
        {"DEFAULT", "DEFAULT_HOVER"},
        {"MODE", "MODE_HOVER", "MODE_DISABLE", "MODE_SELECTED", "MODE_SELECTED_HOVER"},
        {"ON", "OFF", "RED", "WHITE", "CYAN", "BLUE", "GREEN", "YELLOW", "ORANGE", "PURPLE"},
    };
    for (const QStringList& set : sets) {
        const QSize size = Skin(set.first()).size();
        for (const QString& name : set) {
            SCOPED_TRACE(name.toStdString());
            const QImage image = Skin(name);
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), size);
            EXPECT_EQ(Skin(name + QStringLiteral("@2x")).size(), 2 * size);
        }
    }
    EXPECT_EQ(Skin(QStringLiteral("ON")).size(), QSize(277, 277));
}

// The pixel of the plate image at a radius and hit-test angle (degrees from the left of the
// centre, clockwise on screen).
QColor PlatePixel(const QImage& plate, double radius, double degrees) {
    const double a = degrees * M_PI / 180.0;
    return plate.pixelColor(static_cast<int>(CColorPlate::CentreX - radius * std::cos(a)),
                            static_cast<int>(CColorPlate::CentreY - radius * std::sin(a)));
}

// Whether the pixel has the swatch's hue: its channels, relative to its brightest, near the
// swatch colour's.
bool HasHueOf(const QColor& pixel, const QColor& swatch) {
    const double top = std::max({pixel.red(), pixel.green(), pixel.blue(), 1});
    const double p[3] = {pixel.red() / top, pixel.green() / top, pixel.blue() / top};
    const double s[3] = {swatch.redF(), swatch.greenF(), swatch.blueF()};
    for (int i = 0; i < 3; ++i)
        if (std::abs(p[i] - s[i]) > 0.35)
            return false;
    return top > 120;
}

bool IsDark(const QColor& c) {
    return c.red() < 70 && c.green() < 70 && c.blue() < 70;
}

// Where the hit test finds a swatch, the art shows it; where it finds nothing, the art is dark.
TEST(SkinImagesTest, ThePlateArtSitsWhereTheHitTestLooks) {
    const QColor colours[8] = {{255, 0, 0}, {255, 255, 255}, {0, 255, 255}, {0, 0, 255},
                               {0, 255, 0}, {255, 191, 0},   {255, 63, 0},  {255, 0, 175}};
    const QImage on = Skin(QStringLiteral("ON"));
    for (int swatch = 1; swatch <= 8; ++swatch) {
        SCOPED_TRACE(swatch);
        const double middle = 45.0 * swatch;
        EXPECT_EQ(CColorPlate::SwatchAtAngle(middle == 360 ? 0 : middle), swatch);
        for (double radius : {CColorPlate::RingInner + 2, 101.5, CColorPlate::RingOuter - 2})
            EXPECT_TRUE(HasHueOf(PlatePixel(on, radius, middle), colours[swatch - 1])) << radius;
        EXPECT_TRUE(IsDark(PlatePixel(on, CColorPlate::RingInner - 4, middle)));
        EXPECT_TRUE(IsDark(PlatePixel(on, CColorPlate::RingOuter + 2, middle)));
        EXPECT_FALSE(IsDark(PlatePixel(on, CColorPlate::SwitchRadius - 1.5, middle)));
    }
}

TEST(SkinImagesTest, EachSwatchImageMarksItsOwnSwatch) {
    const QImage on = Skin(QStringLiteral("ON"));
    for (int swatch = 1; swatch <= 8; ++swatch) {
        SCOPED_TRACE(swatch);
        const QImage marked = Skin(QString::fromLatin1(kSwatchFiles[swatch - 1]));
        // The frame just inside the sector's inner edge, at the middle of the sector.
        const double middle = 45.0 * swatch;
        const QColor frame = PlatePixel(marked, CColorPlate::RingInner + 2.5, middle);
        EXPECT_GT(std::min({frame.red(), frame.green(), frame.blue()}), 200);
        // The neighbour steps back from its plain lit look.
        const double other = 45.0 * (swatch % 8 + 1);
        EXPECT_NE(PlatePixel(marked, 101.5, other), PlatePixel(on, 101.5, other));
    }
}

// The language packs carry the background and the nine brightness pictures at both sizes.
class PackBitmapsTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        path_ = QStringLiteral(GLIMRA_BIN_DIR "/lang/%1.rcc").arg(GetParam());
        root_ = QStringLiteral("/skintest_%1").arg(GetParam());
        ASSERT_TRUE(QResource::registerResource(path_, root_));
    }
    void TearDown() override { QResource::unregisterResource(path_, root_); }
    QImage Bitmap(const QString& name) const {
        return QImage(QStringLiteral(":%1/bitmap/%2.png").arg(root_, name));
    }

    QString path_;
    QString root_;
};

TEST_P(PackBitmapsTest, BackgroundAndBrightnessPictures) {
    EXPECT_EQ(Bitmap("1000").size(), QSize(800, 455));
    EXPECT_EQ(Bitmap("1000@2x").size(), QSize(1600, 910));
    for (int level = 0; level <= 8; ++level) {
        SCOPED_TRACE(level);
        const QImage dots = Bitmap(QString::number(1043 + level));
        ASSERT_EQ(dots.size(), QSize(17, 186));
        EXPECT_EQ(Bitmap(QStringLiteral("%1@2x").arg(1043 + level)).size(), QSize(34, 372));
        // Dot j counts from the bottom; the lowest `level` are lit (white).
        for (int j = 0; j < 8; ++j) {
            const QColor c = dots.pixelColor(8, 9 + 24 * (7 - j));
            EXPECT_EQ(c.red() > 200 && c.green() > 200 && c.blue() > 200, j < level) << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Packs, PackBitmapsTest, ::testing::Values("en_US", "zh_CN"));

TEST(SkinImagesTest, EachPackNamesTheModesInItsOwnLanguage) {
    QImage backgrounds[2];
    const char* codes[2] = {"en_US", "zh_CN"};
    for (int i = 0; i < 2; ++i) {
        const QString path = QStringLiteral(GLIMRA_BIN_DIR "/lang/%1.rcc").arg(codes[i]);
        ASSERT_TRUE(QResource::registerResource(path, "/skinlang"));
        backgrounds[i] = QImage(QStringLiteral(":/skinlang/bitmap/1000.png"));
        QResource::unregisterResource(path, "/skinlang");
    }
    // The mode names right of the mode buttons, and the section titles, differ; the plate's
    // surroundings are the same.
    const QRect names(625, 117, 150, 200);
    EXPECT_NE(backgrounds[0].copy(names), backgrounds[1].copy(names));
    const QRect plate(261, 95, 277, 277);
    EXPECT_EQ(backgrounds[0].copy(plate), backgrounds[1].copy(plate));
}

} // namespace
