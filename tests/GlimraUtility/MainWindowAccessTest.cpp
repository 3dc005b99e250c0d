#include "MainWindowFixture.h"

#include "SettingsMenu.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>

namespace {

class MainWindowAccessTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        StartApp();
        RunSim();
    }

    // Name and role as assistive technology gets them, for the widget that has the focus
    // after each Tab from the window's first control, until the walk comes round.
    static std::vector<std::pair<QString, QAccessible::Role>> TabWalk(QWidget* window) {
        std::vector<std::pair<QString, QAccessible::Role>> walk;
        QWidget* first = nullptr;
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                            Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            if (!focus || focus == first)
                break;
            if (!first)
                first = focus;
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(focus);
            walk.emplace_back(access->text(QAccessible::Name), access->role());
        }
        return walk;
    }

    static QStringList Names(const std::vector<std::pair<QString, QAccessible::Role>>& walk) {
        QStringList names;
        for (const auto& [name, role] : walk)
            names << name;
        return names;
    }
};

TEST_F(MainWindowAccessTest, TabReachesEveryControlByNameAndSpacePressesIt) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        QWidget* window = dlg.Widget();
        window->activateWindow();
        const auto walk = TabWalk(window);
        const QStringList expected = {
            "Settings",    "Minimize",      "Close",        "Red",          "White",
            "Cyan",        "Blue",          "Green",        "Yellow",       "Orange",
            "Purple",      "Lights on/off", "Decrease",     "Increase",     "Static Mode",
            "Strobe Mode", "Breath Mode",   "Gradual Mode", "Static Cycle", "Breath Cycle",
            "Default"};
        // The walk may start anywhere in the ring; compare it from "Settings" on.
        QStringList names = Names(walk);
        const qsizetype start = names.indexOf(QStringLiteral("Settings"));
        ASSERT_GE(start, 0) << names.join(", ").toStdString();
        names = names.mid(start) + names.mid(0, start);
        EXPECT_EQ(names, expected) << names.join(", ").toStdString();
        for (const auto& [name, role] : walk)
            EXPECT_EQ(role, QAccessible::Button) << name.toStdString();

        // Space on the focused Decrease sends the colour one level down, on Cyan the swatch.
        auto focusOn = [&](const QString& name) {
            for (int i = 0; i < 40; ++i) {
                QWidget* focus = QApplication::focusWidget();
                if (focus && focus->accessibleName() == name)
                    return focus;
                QTest::keyClick(focus ? focus : window, Qt::Key_Tab);
            }
            return static_cast<QWidget*>(nullptr);
        };
        for (const char* name : {"Decrease", "Cyan"}) {
            QWidget* control = focusOn(QLatin1String(name));
            ASSERT_TRUE(control) << name;
            const std::size_t from = TraceSize();
            QTest::keyClick(control, Qt::Key_Space);
            ASSERT_TRUE(WaitForFrames(from, 1)) << name;
            EXPECT_EQ(Frames(from).front().cmd, 0x04) << name;
        }
        EXPECT_EQ(dlg.BrightnessBitmapId(), 1050);
        EXPECT_EQ(dlg.Lighting().View().swatch, 3);

        // The names follow the language.
        dlg.Settings().FindCommand(SettingsMenu::ID_SIMPLE_CHINESE)->trigger();
        EXPECT_EQ(dlg.IncreaseButton()->accessibleName(), QStringLiteral("增加亮度"));
        EXPECT_EQ(dlg.ModeButton(1)->accessibleName(), QStringLiteral("频闪模式"));
        EXPECT_TRUE(Names(TabWalk(window)).contains(QStringLiteral("紫色")));
        EXPECT_EQ(dlg.BrightnessPicture()->accessibleName(), QStringLiteral("亮度等级 7/8"));
    });
}

} // namespace
