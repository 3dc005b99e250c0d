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
        // As the eye reads the window: title bar, brightness, plate, modes, Default.
        const QStringList expected = {
            "Settings",    "Minimize",    "Close",        "Decrease",      "Increase",
            "Red",         "White",       "Cyan",         "Blue",          "Green",
            "Yellow",      "Orange",      "Purple",       "Lights on/off", "Static Mode",
            "Strobe Mode", "Breath Mode", "Gradual Mode", "Static Cycle",  "Breath Cycle",
            "Default"};
        // The walk may start anywhere in the ring; compare it from "Settings" on.
        QStringList names = Names(walk);
        const qsizetype start = names.indexOf(QStringLiteral("Settings"));
        ASSERT_GE(start, 0) << names.join(", ").toStdString();
        names = names.mid(start) + names.mid(0, start);
        EXPECT_EQ(names, expected) << names.join(", ").toStdString();
        // Swatches and modes are choices of a group, the plate's centre a switch.
        for (const auto& [name, role] : walk) {
            const qsizetype at = expected.indexOf(name);
            const QAccessible::Role want = at >= 5 && at <= 12    ? QAccessible::RadioButton
                                           : at == 13             ? QAccessible::CheckBox
                                           : at >= 14 && at <= 19 ? QAccessible::RadioButton
                                                                  : QAccessible::Button;
            EXPECT_EQ(role, want) << name.toStdString();
        }

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

// What a screen reader finds in the window: which mode and swatch are selected (checked, each
// within its named group), the brightness level as a value, the version's text, and only the
// controls on show. Pressing a choice does what a click does.
TEST_F(MainWindowAccessTest, ScreenReadersSeeTheSelectedChoicesAndTheLevel) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(dlg.Widget());
        const auto children = [&] {
            QList<QAccessibleInterface*> list;
            for (int i = 0; i < window->childCount(); ++i)
                list << window->child(i);
            return list;
        };
        const auto of = [](QWidget* widget) {
            return QAccessible::queryAccessibleInterface(widget);
        };
        const auto checkedModes = [&] {
            std::vector<int> checked;
            for (int i = 0; i < 6; ++i)
                if (of(dlg.ModeButton(i))->state().checked)
                    checked.push_back(i);
            return checked;
        };
        const auto checkedSwatches = [&](QAccessibleInterface* group) {
            std::vector<QString> checked;
            for (int i = 0; i < group->childCount(); ++i)
                if (group->child(i)->state().checked)
                    checked.push_back(group->child(i)->text(QAccessible::Name));
            return checked;
        };

        // The simulator starts in Static mode on red at level 8.
        QAccessibleInterface* modes = of(dlg.ModeButton(0))->parent();
        ASSERT_TRUE(modes);
        EXPECT_EQ(modes->role(), QAccessible::Grouping);
        EXPECT_EQ(modes->text(QAccessible::Name), QStringLiteral("Lighting mode"));
        EXPECT_EQ(modes->childCount(), 6);
        EXPECT_EQ(modes->parent(), window);
        EXPECT_TRUE(children().contains(modes));
        EXPECT_EQ(checkedModes(), std::vector<int>{0});
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(of(dlg.ModeButton(i))->state().checkable);
        QAccessibleInterface* swatches = nullptr;
        for (QAccessibleInterface* child : children())
            if (child->text(QAccessible::Name) == QStringLiteral("Color"))
                swatches = child;
        ASSERT_TRUE(swatches);
        EXPECT_EQ(swatches->childCount(), 8);
        EXPECT_EQ(checkedSwatches(swatches), std::vector<QString>{"Red"});
        EXPECT_TRUE(of(dlg.ColorPlate())->state().checked);

        QAccessibleInterface* level = of(dlg.BrightnessPicture());
        ASSERT_TRUE(level->valueInterface());
        EXPECT_EQ(level->valueInterface()->currentValue().toInt(), 8);
        EXPECT_EQ(level->valueInterface()->maximumValue().toInt(), 8);
        ClickAt(dlg, DecreasePoint());
        EXPECT_EQ(level->valueInterface()->currentValue().toInt(), 7);
        EXPECT_EQ(level->text(QAccessible::Name), QStringLiteral("Brightness level 7 of 8"));

        EXPECT_EQ(of(dlg.VersionLabel())->text(QAccessible::Name), QStringLiteral("V 1.0.2"));
        // Connected: the not-found label is hidden and the graphs lie below the window.
        EXPECT_TRUE(children().contains(of(dlg.VersionLabel())));
        EXPECT_FALSE(children().contains(of(dlg.NotFoundLabel())));
        EXPECT_FALSE(children().contains(of(dlg.FanSpeedGraph())));

        // Pressing Breath and then Cyan: their frames go out and the checks move.
        std::size_t from = TraceSize();
        of(dlg.ModeButton(2))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        ASSERT_TRUE(WaitForFrames(from, 1));
        EXPECT_EQ(Frames(from).front().cmd, 0x08);
        EXPECT_EQ(checkedModes(), std::vector<int>{2});
        EXPECT_EQ(dlg.Lighting().View().modeIndex, 2);
        QAccessibleInterface* cyan = swatches->child(2);
        ASSERT_EQ(cyan->role(), QAccessible::RadioButton);
        from = TraceSize();
        cyan->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        ASSERT_TRUE(WaitForFrames(from, 1));
        EXPECT_EQ(Frames(from).front().cmd, 0x04);
        EXPECT_EQ(checkedSwatches(swatches), std::vector<QString>{"Cyan"});

        // Without the controller the not-found label is there to read, the version is not.
        simulator->Unplug();
        ASSERT_TRUE(DispatchUntil([&] { return !dlg.IsConnected(); }));
        EXPECT_TRUE(children().contains(of(dlg.NotFoundLabel())));
        EXPECT_FALSE(children().contains(of(dlg.VersionLabel())));
        EXPECT_EQ(level->valueInterface()->currentValue().toInt(), 0);
        EXPECT_TRUE(of(dlg.DefaultButton())->state().disabled);
        EXPECT_FALSE(of(dlg.DefaultButton())
                         ->actionInterface()
                         ->actionNames()
                         .contains(QAccessibleActionInterface::pressAction()));
    });
}

} // namespace
