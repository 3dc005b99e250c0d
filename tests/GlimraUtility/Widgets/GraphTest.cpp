#include "Widgets/Graph.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor Ground(37, 40, 44);

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        graph.setGeometry(0, 0, 232, 80);
        graph.SetFont(7, 0xFF999999);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    }

    void FanSpeed() {
        graph.SetRange(500, 2600, 35.0f);
        graph.SetTitle(QStringLiteral("FAN SPEED"), QStringLiteral("RPM"));
    }
    void Temperature() {
        graph.SetRange(0, 100, 5.0f / 3.0f);
        graph.SetTitle(QStringLiteral("CPU TEMP"), QStringLiteral("C°"));
    }

    QImage Shown() { return graph.grab().toImage(); }

    // Whether any pixel of the rectangle differs from the ground.
    static bool Marked(const QImage& image, const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixelColor(x, y) != Ground)
                    return true;
        return false;
    }
    // The leftmost column in the rows 0-12 holding a pixel of roughly the colour; -1 for none.
    static int FirstColumnOf(const QImage& image, const QColor& colour) {
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < 13; ++y) {
                const QColor c = image.pixelColor(x, y);
                if (std::abs(c.red() - colour.red()) < 40 &&
                    std::abs(c.green() - colour.green()) < 40 &&
                    std::abs(c.blue() - colour.blue()) < 40)
                    return x;
            }
        return -1;
    }

    CGraph graph;
};

TEST_F(GraphTest, EmptyShowsHeaderGridAndBaseLineButNoCurve) {
    FanSpeed();
    const QImage shown = Shown();
    EXPECT_EQ(graph.Count(), 0);
    EXPECT_TRUE(graph.ValueText().isEmpty());
    EXPECT_EQ(shown.pixelColor(20, 50), Ground);
    EXPECT_TRUE(Marked(shown, QRect(0, 0, 60, 12)));    // the title
    EXPECT_TRUE(Marked(shown, QRect(128, 0, 100, 12))); // "MAX  /  MIN "
    EXPECT_FALSE(Marked(shown, QRect(10, 20, 20, 50))); // no fill, no curve between grid lines
    EXPECT_TRUE(Marked(shown, QRect(35, 40, 2, 1)));    // the grid line at x = 36
    EXPECT_EQ(shown.pixelColor(100, 76), QColor(0x48, 0x49, 0x4B)); // the base line
    EXPECT_EQ(FirstColumnOf(shown, QColor(0xEB, 0xE0, 0x04)), -1);  // no value
}

TEST_F(GraphTest, OneSampleShowsItsTextsButNeitherFillNorCurve) {
    Temperature();
    graph.AddValue(50);
    EXPECT_EQ(graph.Count(), 1);
    EXPECT_EQ(graph.ValueText(), QStringLiteral("50"));
    EXPECT_EQ(graph.MinimumText(), QStringLiteral("50"));
    EXPECT_EQ(graph.MaximumText(), QStringLiteral("50"));
    EXPECT_FLOAT_EQ(graph.PointY(0), 46.0f);
    const QImage shown = Shown();
    EXPECT_FALSE(Marked(shown, QRect(10, 20, 20, 50)));
    const int valueAt = FirstColumnOf(shown, QColor(0xEB, 0xE0, 0x04));
    EXPECT_GE(valueAt, 64);
    EXPECT_LE(valueAt, 66);
}

TEST_F(GraphTest, SamplesAreHeldToTheRange) {
    FanSpeed();
    graph.AddValue(3000);
    EXPECT_EQ(graph.ValueText(), QStringLiteral("2600"));
    EXPECT_FLOAT_EQ(graph.PointY(0), 16.0f);
    graph.AddValue(100);
    EXPECT_EQ(graph.ValueText(), QStringLiteral("500"));
    EXPECT_FLOAT_EQ(graph.PointY(0), 76.0f);
    EXPECT_FLOAT_EQ(graph.PointY(1), 16.0f);
    EXPECT_EQ(graph.MaximumText(), QStringLiteral("2600"));
    EXPECT_EQ(graph.MinimumText(), QStringLiteral("500"));
}

// A stored minimum of 0 counts as none, also when 0 was a real sample.
TEST_F(GraphTest, AMinimumOfZeroCountsAsUnset) {
    Temperature();
    graph.AddValue(0);
    EXPECT_EQ(graph.MinimumText(), QStringLiteral("0"));
    graph.AddValue(40);
    EXPECT_EQ(graph.MinimumText(), QStringLiteral("40"));
    EXPECT_EQ(graph.MaximumText(), QStringLiteral("40"));
    graph.AddValue(30);
    EXPECT_EQ(graph.MinimumText(), QStringLiteral("30"));
    EXPECT_EQ(graph.MaximumText(), QStringLiteral("40"));
}

TEST_F(GraphTest, TheOldestSampleLeavesAfterTheTwoHundredAndTwentySixth) {
    Temperature();
    // Sample i is i % 100, drawn 0.6 pixels higher per unit.
    const auto y = [](int i) { return 76.0f - static_cast<float>(i % 100) * 0.6f; };
    for (int i = 0; i < 226; ++i)
        graph.AddValue(i % 100);
    EXPECT_EQ(graph.Count(), 225);
    EXPECT_NEAR(graph.PointY(0), y(225), 1e-4);
    EXPECT_NEAR(graph.PointY(224), y(1), 1e-4); // sample 0 is gone
}

TEST_F(GraphTest, TheAreaUnderTheCurveIsFilledAndTheCurveDrawn) {
    Temperature();
    for (int i = 0; i < 100; ++i)
        graph.AddValue(50); // y = 46
    const QImage shown = Shown();
    const QColor fill = shown.pixelColor(20, 60);
    EXPECT_NE(fill, Ground);
    EXPECT_NEAR(fill.red(), 0x24, 6);
    EXPECT_NEAR(fill.green(), 0x32, 6);
    EXPECT_NEAR(fill.blue(), 0x38, 6);
    EXPECT_EQ(shown.pixelColor(20, 40), Ground); // above the curve
    const QColor curve = shown.pixelColor(20, 46);
    EXPECT_GT(curve.blue(), 150);
    EXPECT_GT(curve.green(), 140);
    EXPECT_EQ(shown.pixelColor(150, 60), Ground); // right of the oldest point (x = 103)
}

// On a dense target the graph is composed at its pixel ratio, not drawn at 1x and enlarged: the
// one-pixel grid line at x = 36 covers device columns 71 and 72 in full, and nothing left of
// them.
TEST_F(GraphTest, ADenseTargetIsDrawnAtItsPixelRatio) {
    FanSpeed();
    QImage dense(QSize(232, 80) * 2, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(2);
    graph.render(&dense);
    EXPECT_EQ(dense.pixelColor(71, 100), QColor(0x31, 0x33, 0x37));
    EXPECT_EQ(dense.pixelColor(72, 100), QColor(0x31, 0x33, 0x37));
    EXPECT_EQ(dense.pixelColor(70, 100), Ground);
}

TEST_F(GraphTest, ASampleBeforeAnyRangeStaysOnTheBaseLine) {
    graph.AddValue(7);
    EXPECT_FLOAT_EQ(graph.PointY(0), 76.0f);
    Shown();
}

} // namespace
