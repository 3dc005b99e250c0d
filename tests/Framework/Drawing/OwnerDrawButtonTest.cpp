#include "Framework/Drawing/OwnerDrawButton.h"

#include "DispatchUntil.h"

#include <QAccessible>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the control messages in the order they arrive, and paints itself green.
class ProbeButton : public fw::OwnerDrawButton {
public:
    using fw::OwnerDrawButton::OwnerDrawButton;
    std::vector<std::string> log;

protected:
    void OnCtlColor(QPainter&) override { log.push_back("ctlcolor"); }
    void DrawItem(QPainter& painter) override {
        log.push_back("draw");
        painter.fillRect(rect(), QColor(0, 200, 0));
    }
    void OnLButtonDown(QMouseEvent* e) override {
        log.push_back("down");
        fw::OwnerDrawButton::OnLButtonDown(e);
    }
    void OnLButtonUp(QMouseEvent* e) override {
        log.push_back("up");
        fw::OwnerDrawButton::OnLButtonUp(e);
    }
    void OnMouseMove(QMouseEvent* e) override {
        TrackMouseEvent(1);
        fw::OwnerDrawButton::OnMouseMove(e);
    }
    void OnMouseHover() override { log.push_back("hover"); }
    void OnMouseLeave() override { log.push_back("leave"); }
};

struct OwnerDrawButtonTest : ::testing::Test {
    QWidget window;
    ProbeButton* button = new ProbeButton(&window);
    ProbeButton* other = new ProbeButton(&window);
    int clicks = 0;

    void SetUp() override {
        window.resize(100, 60);
        button->setGeometry(10, 10, 30, 20);
        other->setGeometry(60, 10, 30, 20);
        QObject::connect(button, &QAbstractButton::clicked, [this] { ++clicks; });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        button->log.clear();
    }
    std::vector<std::string> Take() { return std::exchange(button->log, {}); }
};

TEST_F(OwnerDrawButtonTest, PaintsThroughTheControlColourStepFirst) {
    button->repaint();
    EXPECT_EQ(Take(), (std::vector<std::string>{"ctlcolor", "draw"}));
    EXPECT_EQ(window.grab().toImage().pixel(15, 15), QColor(0, 200, 0).rgb());
}

TEST_F(OwnerDrawButtonTest, DoubleClickArrivesAsASecondPress) {
    // Through the window, as the window system delivers it: press, release, press, release
    // within the double-click time, which arrives as press, release, double click, release.
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(15, 15));
    std::vector<std::string> presses;
    for (const std::string& m : Take())
        if (m == "down" || m == "up")
            presses.push_back(m);
    EXPECT_EQ(presses, (std::vector<std::string>{"down", "up", "down", "up"}));
    EXPECT_EQ(clicks, 2);
}

TEST_F(OwnerDrawButtonTest, ReleaseOutsideReachesTheButtonButIsNoClick) {
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(70, 40));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(70, 40));
    const auto log = Take();
    EXPECT_NE(std::find(log.begin(), log.end(), "up"), log.end());
    EXPECT_EQ(clicks, 0);
}

TEST_F(OwnerDrawButtonTest, HoverAfterTrackingAndLeaveOnExit) {
    QTest::mouseMove(&window, QPoint(2, 2));
    QTest::mouseMove(button, QPoint(5, 5));
    ASSERT_TRUE(DispatchUntil(
        [&] { return std::count(button->log.begin(), button->log.end(), "hover") == 1; }));
    QTest::mouseMove(&window, QPoint(50, 50));
    ASSERT_TRUE(DispatchUntil(
        [&] { return std::count(button->log.begin(), button->log.end(), "leave") == 1; }));
}

TEST_F(OwnerDrawButtonTest, TabFocusSpaceAndAccessibility) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(other, Qt::Key_Tab);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_TRUE(button->ShowsFocusFrame());
    // The frame is drawn over the owner's pixels only while the keyboard focus is there.
    EXPECT_NE(button->grab().toImage().pixel(1, 1), QColor(0, 200, 0).rgb());
    QTest::keyClick(button, Qt::Key_Tab);
    EXPECT_TRUE(other->hasFocus());
    EXPECT_FALSE(button->ShowsFocusFrame());
    const QImage plain = button->grab().toImage();
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            ASSERT_EQ(plain.pixel(x, y), QColor(0, 200, 0).rgb()) << x << "," << y;

    button->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(button->ShowsFocusFrame());
    Take();
    QTest::keyClick(button, Qt::Key_Space);
    const auto log = Take();
    EXPECT_NE(std::find(log.begin(), log.end(), "down"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "up"), log.end());
    EXPECT_EQ(clicks, 1);

    button->setAccessibleName(QStringLiteral("Close"));
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), QAccessible::Button);
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Close"));
}

} // namespace
