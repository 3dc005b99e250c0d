#include "Widgets/MemDC.h"

#include <gtest/gtest.h>

namespace {

TEST(MemDCTest, DrawsOffScreenAndCopiesTheAreaAtTheEnd) {
    QImage target(20, 20, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    QPainter painter(&target);
    {
        MemDC memory(&painter, QRect(5, 5, 10, 10), false);
        EXPECT_EQ(memory.Surface().size(), QSize(10, 10));
        // Target coordinates; nothing reaches the target before the end.
        memory.fillRect(QRect(5, 5, 4, 4), Qt::red);
        memory.fillRect(QRect(0, 0, 20, 20).adjusted(12, 12, 0, 0), Qt::blue);
        EXPECT_EQ(target.pixel(6, 6), 0xFFFFFFFFu);
    }
    EXPECT_EQ(target.pixel(6, 6), 0xFFFF0000u);
    EXPECT_EQ(target.pixel(13, 13), 0xFF0000FFu);
    EXPECT_EQ(target.pixel(16, 16), 0xFFFFFFFFu); // outside the area
    EXPECT_EQ(qAlpha(target.pixel(10, 6)), 0);    // undrawn area pixels replace the target's
}

TEST(MemDCTest, AnEmptyAreaCoversTheClipBoxAndTheBackgroundCanBeCopied) {
    QImage target(20, 20, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::green);
    QPainter painter(&target);
    {
        MemDC whole(&painter, QRect(0, 0, 0, 0), true);
        EXPECT_EQ(whole.Area(), QRect(0, 0, 20, 20));
        EXPECT_EQ(whole.Surface().pixel(7, 7), 0xFF00FF00u);
    }
    EXPECT_EQ(target.pixel(7, 7), 0xFF00FF00u);
    painter.setClipRect(QRect(2, 3, 6, 4));
    MemDC clipped(&painter, QRect(), true);
    EXPECT_EQ(clipped.Area(), QRect(2, 3, 6, 4));
}

} // namespace
