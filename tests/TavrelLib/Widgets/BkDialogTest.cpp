#include "Widgets/BkDialog.h"

#include "Framework/Resources.h"

#include "WidgetFixtures.h"

#include <QDialog>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr unsigned kTemplate = 129; // a dialog of the program's own resources

// Runs a check from inside its initialisation, where the window exists, then ends.
class ProbeBkDialog : public BkDialog {
public:
    using BkDialog::BkDialog;
    std::function<void(ProbeBkDialog&)> check;
    int moves = 0;

    // The client area's pixels as the dialog paints them (without its controls).
    QImage Paint() {
        QImage image(Widget()->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        Widget()->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return image;
    }
    QDialog* Window() const { return Widget(); }

protected:
    bool OnInitDialog() override {
        check(*this);
        EndDialog(fw::IDOK);
        return true;
    }
    void OnCommResult(int, Message*) override {}
    bool StartSystemMove() override {
        ++moves;
        return true;
    }
};

void RunInDialog(const std::function<void(ProbeBkDialog&)>& check) {
    ProbeBkDialog dialog(kTemplate);
    dialog.check = check;
    ASSERT_EQ(dialog.DoModal(), fw::IDOK);
}

TEST(BkDialogTest, TilesTheBitmapFromTheTopLeftAndClipsTheLastRowAndColumn) {
    const QImage tile = PositionImage(10, 10);
    struct Case {
        QSize client;
    } cases[] = {{QSize(25, 15)}, {QSize(7, 4)}, {QSize(10, 10)}, {QSize(31, 22)}};
    for (const Case& c : cases) {
        RunInDialog([&](ProbeBkDialog& dialog) {
            EXPECT_EQ(dialog.SetBackground(tile), 0);
            EXPECT_EQ(dialog.BackgroundWidth(), 10);
            dialog.Window()->setFixedSize(c.client);
            const QImage painted = dialog.Paint();
            // 25 x 15 takes six copies: x = 0, 10, 20 on rows y = 0 and 10.
            for (int y = 0; y < c.client.height(); ++y)
                for (int x = 0; x < c.client.width(); ++x)
                    ASSERT_EQ(painted.pixel(x, y), tile.pixel(x % 10, y % 10))
                        << c.client.width() << "x" << c.client.height() << " at " << x << "," << y;
        });
    }
}

TEST(BkDialogTest, BackgroundsAreReplacedAndRemoved) {
    RunInDialog([](ProbeBkDialog& dialog) {
        dialog.Window()->setFixedSize(20, 20);
        const QImage plain = dialog.Paint();
        dialog.SetBackground(SolidImage(4, 4, 0xFF112233));
        dialog.SetBackground(SolidImage(5, 5, 0xFF445566));
        EXPECT_EQ(dialog.BackgroundWidth(), 5);
        EXPECT_EQ(dialog.Paint().pixel(19, 19), 0xFF445566u);
        // A null bitmap, or a bitmap id the resources lack, removes the background.
        EXPECT_EQ(dialog.SetBackground(QImage()), 0);
        EXPECT_FALSE(dialog.HasBackground());
        EXPECT_EQ(dialog.BackgroundWidth(), 0);
        EXPECT_EQ(dialog.Paint(), plain);
        dialog.SetBackground(SolidImage(5, 5, 0xFF445566));
        dialog.SetBackground(4242u);
        EXPECT_FALSE(dialog.HasBackground());
#ifndef __SANITIZE_THREAD__
        // The program's own background bitmap. Qt converts images this large on its own worker
        // threads, whose hand-overs the race detector cannot see inside the uninstrumented
        // library, so this part stays out of that build.
        dialog.SetBackground(1000u);
        EXPECT_TRUE(dialog.HasBackground());
        EXPECT_EQ(dialog.Paint().pixel(3, 3), fw::Resources::LoadBitmap(1000).pixel(3, 3));
#endif
    });
}

TEST(BkDialogTest, DragMoveHandsTheMoveToTheWindowSystemOnlyWhenOn) {
    RunInDialog([](ProbeBkDialog& dialog) {
        QTest::mousePress(dialog.Window(), Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(dialog.Window(), Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(dialog.moves, 0);
        dialog.SetDragMove(true);
        QTest::mouseClick(dialog.Window(), Qt::RightButton, {}, QPoint(3, 3));
        EXPECT_EQ(dialog.moves, 0);
        QTest::mouseClick(dialog.Window(), Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(dialog.moves, 1);
    });
}

TEST(BkDialogTest, StaticTextsShowTheBackgroundAroundTheirText) {
    RunInDialog([](ProbeBkDialog& dialog) {
        for (QWidget* child : dialog.Window()->findChildren<QWidget*>())
            child->hide();
        auto* label = new QLabel(QStringLiteral("."), dialog.Window());
        label->setGeometry(0, 0, 40, 20);
        label->show();
        dialog.Window()->setFixedSize(40, 20);
        dialog.SetBackground(SolidImage(5, 5, 0xFF445566));
        QImage painted(40, 20, QImage::Format_ARGB32_Premultiplied);
        dialog.Window()->render(&painted);
        EXPECT_EQ(painted.pixel(30, 2), 0xFF445566u);
        EXPECT_EQ(painted.pixel(39, 19), 0xFF445566u);
    });
}

} // namespace
