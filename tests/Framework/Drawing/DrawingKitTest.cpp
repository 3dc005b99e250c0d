#include "Framework/Drawing/Brushes.h"
#include "Framework/Drawing/ColorMatrix.h"
#include "Framework/Drawing/Curves.h"
#include "Framework/Drawing/Fonts.h"
#include "Framework/Drawing/Images.h"
#include "Framework/Drawing/Surface.h"
#include "Framework/Drawing/Text.h"

#include "TempFolder.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QImage Canvas(int w, int h, QRgb fill = 0xFFFFFFFF) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgba(fill));
    return image;
}

// Bounding box of the pixels that differ from the fill.
QRect InkBox(const QImage& image, QRgb fill = 0xFFFFFFFF) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != fill)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool Near(QRgb a, QRgb b, int tolerance = 2) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance &&
           std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

TEST(ColorMatrixTest, MapsChannelsThroughTheRowsAndClamps) {
    fw::ColorMatrix scaleAndLift = fw::ColorMatrix::Identity();
    for (int i = 0; i < 3; ++i) {
        scaleAndLift.m[i][i] = 1.5f;
        scaleAndLift.m[4][i] = 0.1f;
    }
    fw::ColorMatrix mixToGrey{};
    for (int c = 0; c < 3; ++c) {
        mixToGrey.m[0][c] = 0.3f;
        mixToGrey.m[1][c] = 0.59f;
        mixToGrey.m[2][c] = 0.11f;
    }
    mixToGrey.m[3][3] = 1.0f;
    mixToGrey.m[4][4] = 1.0f;

    struct Case {
        const fw::ColorMatrix& matrix;
        QRgb in;
        QRgb out;
    } cases[] = {
        {fw::ColorMatrix::Identity(), qRgba(12, 34, 56, 78), qRgba(12, 34, 56, 78)},
        // 100 * 1.5 + 25.5 = 175.5, 200 * 1.5 + 25.5 clamps, 0 + 25.5; alpha stays.
        {scaleAndLift, qRgba(100, 200, 0, 128), qRgba(176, 255, 26, 128)},
        {mixToGrey, qRgba(255, 0, 0, 255), qRgba(77, 77, 77, 255)},
        {mixToGrey, qRgba(0, 255, 0, 40), qRgba(150, 150, 150, 40)},
        {mixToGrey, qRgba(0, 0, 255, 0), qRgba(28, 28, 28, 0)},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near(fw::ApplyColorMatrix(c.in, c.matrix), c.out, 1))
            << std::hex << c.in << " -> " << fw::ApplyColorMatrix(c.in, c.matrix);
}

TEST(ColorMatrixTest, ImagesWorkOnUnpremultipliedValuesAndKeepTheirRatio) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(200, 100, 50, 128));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0));
    image.setDevicePixelRatio(2.0);
    const QImage same = fw::ApplyColorMatrix(image, fw::ColorMatrix::Identity());
    EXPECT_EQ(same.devicePixelRatio(), 2.0);
    // The result is premultiplied; unpremultiplied it gives the input back.
    const QRgb back = qUnpremultiply(same.pixel(0, 0));
    EXPECT_TRUE(Near(back, qRgba(200, 100, 50, 128), 2)) << std::hex << back;
    EXPECT_EQ(qAlpha(same.pixel(1, 0)), 0);
    EXPECT_TRUE(fw::ApplyColorMatrix(QImage(), fw::ColorMatrix::Identity()).isNull());
}

TEST(ImagesTest, LoadsAnyDecodableFileAndRefusesTheRest) {
    TempFolder folder;
    QImage red = Canvas(3, 2, 0xFFFF0000);
    ASSERT_TRUE(red.save(folder.File("red.png")));
    ASSERT_TRUE(red.save(folder.File("red.bmp")));
    folder.Write("broken.png", "not an image");
    for (const char* name : {"red.png", "red.bmp"}) {
        const QImage loaded = fw::LoadImageFile(folder.File(name));
        ASSERT_FALSE(loaded.isNull()) << name;
        EXPECT_EQ(loaded.size(), QSize(3, 2));
        EXPECT_EQ(loaded.pixel(2, 1), 0xFFFF0000u);
    }
    EXPECT_TRUE(fw::LoadImageFile(folder.File("broken.png")).isNull());
    EXPECT_TRUE(fw::LoadImageFile(folder.File("missing.png")).isNull());
    EXPECT_TRUE(fw::LoadImageFile(QString()).isNull());
}

TEST(ImagesTest, MatrixDrawTakesTheSourceRectangleUnscaled) {
    QImage source = Canvas(4, 4, 0xFF0000FF);
    source.setPixel(3, 3, 0xFFFF0000);
    QImage target = Canvas(4, 4);
    QPainter painter(&target);
    // Only the top-left 2 x 2 of the source, into a 2 x 2 box at (1, 1).
    fw::DrawImage(painter, source, QRectF(1, 1, 2, 2), QRectF(0, 0, 2, 2),
                  fw::ColorMatrix::Identity());
    painter.end();
    EXPECT_EQ(InkBox(target), QRect(1, 1, 2, 2));
    EXPECT_EQ(target.pixel(2, 2), 0xFF0000FFu);
}

TEST(CurvesTest, CardinalSplineUsesTheScaledNeighbourChords) {
    const QVector<QPointF> points{{0, 0}, {10, 10}, {20, 0}};
    const QPainterPath path = fw::CardinalSpline(points);
    // moveTo, then two cubics of three elements each.
    ASSERT_EQ(path.elementCount(), 7);
    auto at = [&](int i) { return QPointF(path.elementAt(i).x, path.elementAt(i).y); };
    EXPECT_EQ(at(0), QPointF(0, 0));
    // Tension 0.5 gives tangents of 0.15 of the chord: at the ends the chord to the neighbour,
    // inside the chord between the two neighbours.
    EXPECT_EQ(at(1), QPointF(1.5, 1.5));
    EXPECT_EQ(at(2), QPointF(7, 10));
    EXPECT_EQ(at(3), QPointF(10, 10));
    EXPECT_EQ(at(4), QPointF(13, 10));
    EXPECT_EQ(at(5), QPointF(18.5, 1.5));
    EXPECT_EQ(at(6), QPointF(20, 0));

    const QPainterPath straight = fw::CardinalSpline(points, 0.0);
    EXPECT_EQ(QPointF(straight.elementAt(1).x, straight.elementAt(1).y), QPointF(0, 0));
    EXPECT_TRUE(fw::CardinalSpline({{1, 1}}).isEmpty());
    EXPECT_TRUE(fw::CardinalSpline({}).isEmpty());
}

TEST(CurvesTest, CurveOfOnePointDrawsNothing) {
    QImage target = Canvas(10, 10);
    QPainter painter(&target);
    fw::DrawCurve(painter, fw::MakePen(0xFF000000, 2), {{5, 5}});
    fw::FillPolygon(painter, fw::SolidBrush(0xFF000000), {{1, 1}, {8, 8}});
    painter.end();
    EXPECT_TRUE(InkBox(target).isNull());
}

TEST(CurvesTest, AlternateFillLeavesTheOverlapOfAPentagramEmpty) {
    QImage target = Canvas(100, 100);
    QPainter painter(&target);
    // A five-pointed star drawn in one stroke: its centre is covered twice.
    const QVector<QPointF> star{{50, 5}, {79, 95}, {5, 40}, {95, 40}, {21, 95}};
    fw::FillPolygon(painter, fw::SolidBrush(0xFF000000), star);
    painter.end();
    EXPECT_EQ(target.pixel(50, 55), 0xFFFFFFFFu); // centre
    EXPECT_EQ(target.pixel(50, 20), 0xFF000000u); // top point
    EXPECT_EQ(target.pixel(20, 43), 0xFF000000u); // left point
}

TEST(BrushesTest, GradientRunsLeftToRightAndRepeatsAsTiles) {
    QImage target = Canvas(40, 2);
    QPainter painter(&target);
    painter.fillRect(QRect(0, 0, 40, 2),
                     fw::HorizontalGradientBrush(QRectF(0, 0, 20, 2), 0xFF000000, 0xFFC8C8C8));
    painter.end();
    EXPECT_LT(qRed(target.pixel(0, 0)), 10);
    EXPECT_GT(qRed(target.pixel(19, 0)), 185);
    EXPECT_LT(qRed(target.pixel(5, 0)), qRed(target.pixel(15, 0)));
    for (int x = 0; x < 20; ++x)
        EXPECT_TRUE(Near(target.pixel(x, 1), target.pixel(x + 20, 1), 3)) << x;
}

TEST(BrushesTest, PensHaveFlatEnds) {
    const QPen pen = fw::MakePen(0x80102030, 2);
    EXPECT_EQ(pen.color().rgba(), 0x80102030u);
    EXPECT_EQ(pen.widthF(), 2.0);
    QImage target = Canvas(20, 5);
    QPainter painter(&target);
    fw::DrawLine(painter, fw::MakePen(0xFF000000, 2), QPointF(5, 2), QPointF(15, 2));
    painter.end();
    EXPECT_EQ(InkBox(target), QRect(5, 1, 10, 2));
}

TEST(FontsTest, BoldFontsByFamilyFallBackToSansSerif) {
    EXPECT_FALSE(fw::IsFontFamilyAvailable(QStringLiteral("No Such Family 2b9f")));
    const QFont fallback =
        fw::BoldFont(QStringLiteral("No Such Family 2b9f"), 16, fw::FontUnit::Pixel);
    EXPECT_TRUE(fallback.bold());
    EXPECT_EQ(fallback.pixelSize(), 16);
    EXPECT_EQ(fallback.styleHint(), QFont::SansSerif);
    EXPECT_FALSE(QFontInfo(fallback).family().isEmpty());

    const QFont points = fw::BoldFont(QFontInfo(fallback).family(), 7, fw::FontUnit::Point);
    EXPECT_TRUE(points.bold());
    EXPECT_EQ(points.pointSizeF(), 7.0);
    EXPECT_EQ(points.family(), QFontInfo(fallback).family());
}

// A family that only a substitution names is drawn with the face it is mapped to, not with the
// fallback; a substitution to a face nobody has still falls back.
TEST(FontsTest, ASubstitutedFamilyDrawsWithTheFaceItIsMappedTo) {
    const QString face = QFontInfo(fw::BoldFont(QString(), 16, fw::FontUnit::Pixel)).family();
    // A family other than the fallback's, named plainly (not "Family [Foundry]").
    QStringList other =
        QFontDatabase::families().filter(QRegularExpression(QStringLiteral("^[^[]+$")));
    other.removeAll(face);
    ASSERT_FALSE(other.isEmpty());
    const QString mapped = other.contains(QStringLiteral("League Spartan"))
                               ? QStringLiteral("League Spartan")
                               : other.front();
    QFont::insertSubstitution(QStringLiteral("Mapped Family 5d21"), mapped);
    QFont::insertSubstitution(QStringLiteral("Unmapped Family 5d21"),
                              QStringLiteral("No Such Family 2b9f"));
    EXPECT_TRUE(fw::IsFontFamilyAvailable(QStringLiteral("Mapped Family 5d21")));
    EXPECT_FALSE(fw::IsFontFamilyAvailable(QStringLiteral("Unmapped Family 5d21")));
    EXPECT_EQ(QFontInfo(fw::BoldFont(QStringLiteral("Mapped Family 5d21"), 7, fw::FontUnit::Point))
                  .family(),
              mapped);
    EXPECT_EQ(
        fw::BoldFont(QStringLiteral("Unmapped Family 5d21"), 7, fw::FontUnit::Point).styleHint(),
        QFont::SansSerif);
    QFont::removeSubstitutions(QStringLiteral("Mapped Family 5d21"));
    QFont::removeSubstitutions(QStringLiteral("Unmapped Family 5d21"));
}

TEST(TextTest, CentredTextSitsInTheMiddleOfItsBox) {
    const QFont font = fw::BoldFont(QString(), 16, fw::FontUnit::Pixel);
    QImage target = Canvas(120, 60);
    QPainter painter(&target);
    fw::DrawStringCentered(painter, QStringLiteral("MODE"), font, fw::SolidBrush(0xFF000000),
                           QRectF(20, 10, 80, 40));
    painter.end();
    const QRect ink = InkBox(target);
    ASSERT_FALSE(ink.isNull());
    EXPECT_NEAR(ink.center().x(), 60, 2);
    EXPECT_NEAR(ink.center().y(), 30, 3);
}

TEST(TextTest, TextAtAPointStartsThereAndMeasuresItsLine) {
    const QFont font = fw::BoldFont(QString(), 7, fw::FontUnit::Point);
    EXPECT_EQ(fw::MeasureString(QString(), font), QSizeF(0, 0));
    const QSizeF size = fw::MeasureString(QStringLiteral("2600"), font);
    EXPECT_GT(size.width(), 5);
    EXPECT_GT(size.height(), 5);
    EXPECT_LT(fw::MeasureString(QStringLiteral("26"), font).width(), size.width());

    QImage target = Canvas(80, 30);
    QPainter painter(&target);
    fw::DrawStringAt(painter, QStringLiteral("2600"), font, fw::SolidBrush(0xFF000000),
                     QPointF(10, 5));
    painter.end();
    const QRect ink = InkBox(target);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.left(), 10);
    EXPECT_GE(ink.top(), 5);
    EXPECT_LE(ink.right(), 10 + size.width() + 1);
    EXPECT_LE(ink.bottom(), 5 + size.height() + 1);
}

TEST(SurfaceTest, SurfacesAreLogicalSizeAtTheirRatioAndCopyOverTheTarget) {
    const QImage dense = fw::CreateSurface(QSize(25, 15), 2.0);
    EXPECT_EQ(dense.size(), QSize(50, 30));
    EXPECT_EQ(dense.devicePixelRatio(), 2.0);
    EXPECT_TRUE(fw::CreateSurface(QSize(0, 15), 1.0).isNull());

    QImage surface = fw::CreateSurface(QSize(4, 4), 1.0);
    surface.setPixel(1, 1, 0xFF00FF00);
    QImage target = Canvas(10, 10, 0xFF0000FF);
    QPainter painter(&target);
    fw::CopySurface(painter, QPointF(3, 3), surface);
    painter.end();
    // A copy: the surface's transparent pixels replace the target's too.
    EXPECT_EQ(target.pixel(4, 4), 0xFF00FF00u);
    EXPECT_EQ(qAlpha(target.pixel(3, 3)), 0);
    EXPECT_EQ(target.pixel(7, 7), 0xFF0000FFu);
    EXPECT_EQ(target.pixel(2, 2), 0xFF0000FFu);
    EXPECT_EQ(fw::LogicalBounds(dense), QRect(0, 0, 25, 15));
}

} // namespace
