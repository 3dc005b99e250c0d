#include "Widgets/BkDialog.h"
#include "Widgets/Button.h"

#include "WidgetFixtures.h"

#include <QAccessible>
#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr unsigned kMainTemplate = 103;
constexpr int kClose = 1010;
constexpr int kStaticMode = 1011;

// The main window's template with two of its buttons built as skinned buttons.
class SkinnedProbe : public BkDialog {
public:
    SkinnedProbe() : BkDialog(kMainTemplate) {
        SubclassButton(kClose, &close);
        SubclassButton(kStaticMode, &mode);
        OnMessage(fw::WM_COMMAND, [this](fw::WPARAM wParam, fw::LPARAM) {
            commands.push_back(static_cast<int>(wParam & 0xFFFF));
            return fw::LRESULT(0);
        });
    }
    Button* close = nullptr;
    Button* mode = nullptr;
    std::vector<int> commands;
    std::function<void(SkinnedProbe&)> check;
    QDialog* Window() const { return Widget(); }

protected:
    bool OnInitDialog() override {
        check(*this);
        EndDialog(fw::IDOK);
        return true;
    }
    void OnCommResult(int, Message*) override {}
};

TEST(BaseDialogTest, SubclassedButtonsCarryTheirIdNameAndCommand) {
    TempFolder folder;
    QImage withHole = SolidImage(16, 16, 0xFF336699);
    withHole.setPixel(0, 0, qRgba(0, 0, 0, 0));
    const QString image = WritePng(folder, "B.png", withHole);
    SkinnedProbe dialog;
    dialog.check = [&](SkinnedProbe& d) {
        ASSERT_NE(d.close, nullptr);
        ASSERT_NE(d.mode, nullptr);
        EXPECT_EQ(d.GetDlgItem(kClose), d.close);
        EXPECT_EQ(d.close->GetDlgCtrlID(), kClose);
        EXPECT_EQ(d.close->accessibleName(), QStringLiteral("Close"));
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(d.mode);
        ASSERT_NE(access, nullptr);
        EXPECT_EQ(access->role(), QAccessible::Button);
        EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Static Mode"));

        d.close->SetImages(image, QString());
        d.close->move(780, 1);
        EXPECT_EQ(d.close->geometry(), QRect(780, 1, 16, 16));
        // The dialog's tiled background shows through the picture's transparent pixel.
        d.SetBackground(SolidImage(8, 8, 0xFF204060));
        const QImage look = d.close->grab().toImage();
        EXPECT_EQ(look.pixel(0, 0), 0xFF204060u);
        EXPECT_EQ(look.pixel(5, 5), 0xFF336699u);
        QTest::mouseClick(d.close, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseClick(d.mode, Qt::LeftButton, {}, QPoint(2, 2));
        // Released outside: no command.
        QTest::mousePress(d.close, Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseRelease(d.close, Qt::LeftButton, {}, QPoint(40, 40));
        EXPECT_EQ(d.commands, (std::vector<int>{kClose, kStaticMode}));
    };
    EXPECT_EQ(dialog.DoModal(), fw::IDOK);
}

} // namespace
