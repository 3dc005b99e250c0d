#include "MainWindowFixture.h"

#include "Framework/ProfileFile.h"
#include "SettingsMenu.h"
#include "SystemMenu.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {

// What a popup menu offered when it came up: the texts of its top-level items, in order.
struct ShownMenu {
    QStringList texts;
    QList<QAction*> actions;
};

class MainWindowMenuTest : public MainWindowFixture {
protected:
    void SetUp() override { MainWindowFixture::SetUp(); }

    // Runs trigger, which shows a popup menu and waits in it; the menu is read and then either
    // closed or, with choose set, the item of that text is triggered.
    static ShownMenu ReadPopupShownBy(const std::function<void()>& trigger,
                                      const QString& choose = QString()) {
        ShownMenu shown;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions()) {
                shown.texts << action->text();
                shown.actions << action;
            }
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                if (!choose.isEmpty() && action->text() == choose)
                    chosen = action;
            }
            menu->close();
            if (chosen)
                chosen->trigger();
        });
        trigger();
        return shown;
    }

    QString StoredSetting(const char* key) const {
        return fw::ProfileFile(program.File("settings.ini"))
            .ReadString(QStringLiteral("Settings"), QLatin1String(key), QStringLiteral("-"));
    }
};

TEST_F(MainWindowMenuTest, TheTrayShowsTheMenuWithOpenAndExitAndTheSettingButtonWithout) {
    StartApp();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        const QStringList base = {"Language Select", "Minimize To Tray", "Advanced Settings"};
        EXPECT_EQ(ReadPopupShownBy([&] { ClickAt(dlg, SettingPoint()); }).texts, base);

        const ShownMenu tray = ReadPopupShownBy([&] {
            fw::SendMessage(&dlg, GlimraUtilityDlg::WM_NOTIFY_ICON,
                            GlimraUtilityDlg::NOTIFY_ICON_ID, NotifyIcon::WM_RBUTTONDOWN);
        });
        EXPECT_EQ(tray.texts, base + QStringList({"Open", "Exit"}));
        // Shown again from the tray, it does not grow.
        EXPECT_EQ(ReadPopupShownBy([&] {
                      fw::SendMessage(&dlg, GlimraUtilityDlg::WM_NOTIFY_ICON,
                                      GlimraUtilityDlg::NOTIFY_ICON_ID, NotifyIcon::WM_RBUTTONDOWN);
                  }).texts.size(),
                  5);
        EXPECT_EQ(ReadPopupShownBy([&] { ClickAt(dlg, SettingPoint()); }).texts, base);

        // Another icon's callback is not ours.
        EXPECT_EQ(fw::SendMessage(&dlg, GlimraUtilityDlg::WM_NOTIFY_ICON, 129,
                                  NotifyIcon::WM_RBUTTONDOWN),
                  1);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

        // The submenus and their commands.
        QAction* english = dlg.Settings().FindCommand(SettingsMenu::ID_ENGLISH);
        QAction* chinese = dlg.Settings().FindCommand(SettingsMenu::ID_SIMPLE_CHINESE);
        ASSERT_TRUE(english && chinese);
        EXPECT_TRUE(english->isChecked());
        EXPECT_FALSE(chinese->isChecked());
        ASSERT_TRUE(dlg.Settings().FindCommand(SettingsMenu::ID_FIRMWARE_UPDATE));
    });
}

TEST_F(MainWindowMenuTest, MinimizeToTrayIsStoredAndTheTrayIconBringsTheWindowBack) {
    StartApp();
    NotifyIcon::SetAvailableForTesting(true);
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        QWidget* window = dlg.Widget();
        EXPECT_FALSE(dlg.MinimizeToTray());
        dlg.Settings().FindCommand(SettingsMenu::ID_MIN_TO_TRAY)->trigger();
        EXPECT_TRUE(dlg.MinimizeToTray());
        EXPECT_TRUE(dlg.Settings().FindCommand(SettingsMenu::ID_MIN_TO_TRAY)->isChecked());
        EXPECT_EQ(StoredSetting("MinToTray"), QStringLiteral("1"));

        // Min hides the window and adds the icon.
        ClickAt(dlg, MinPoint());
        ASSERT_TRUE(DispatchUntil([&] { return !window->isVisible(); }));
        EXPECT_FALSE(window->isMinimized());
        ASSERT_TRUE(NotifyIcon::Instance().IsShown());
        QSystemTrayIcon* icon = NotifyIcon::Instance().TrayIcon();
        EXPECT_EQ(icon->toolTip(), QStringLiteral("GlimraUtility"));

        // Open shows the window and leaves the icon; going to the tray again adds no second.
        fw::SendMessage(&dlg, fw::WM_COMMAND, GlimraUtilityDlg::ID_OPEN, 0);
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(NotifyIcon::Instance().IsShown());
        ClickAt(dlg, MinPoint());
        ASSERT_TRUE(DispatchUntil([&] { return !window->isVisible(); }));
        EXPECT_EQ(NotifyIcon::Instance().TrayIcon(), icon);
        EXPECT_TRUE(icon->isVisible());

        // A double click on the icon restores the window and removes the icon.
        emit icon->activated(QSystemTrayIcon::DoubleClick);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(NotifyIcon::Instance().IsShown());

        // A minimise from outside (the window manager) goes to the tray too, and a single
        // click, all that a StatusNotifierItem panel sends, brings the window back.
        window->setWindowState(Qt::WindowMinimized);
        ASSERT_TRUE(DispatchUntil([&] { return !window->isVisible(); }));
        EXPECT_TRUE(NotifyIcon::Instance().IsShown());
        emit icon->activated(QSystemTrayIcon::Trigger);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isMinimized());
        EXPECT_FALSE(NotifyIcon::Instance().IsShown());

        // A notification area that goes away gives the window back at its next check.
        ClickAt(dlg, MinPoint());
        ASSERT_TRUE(DispatchUntil([&] { return !window->isVisible(); }));
        NotifyIcon::SetAvailableForTesting(false);
        ASSERT_TRUE(DispatchUntil([&] { return window->isVisible(); }));
        EXPECT_FALSE(NotifyIcon::Instance().IsShown());
        NotifyIcon::SetAvailableForTesting(true);

        dlg.Settings().FindCommand(SettingsMenu::ID_MIN_TO_TRAY)->trigger();
        EXPECT_EQ(StoredSetting("MinToTray"), QStringLiteral("0"));
    });
}

TEST_F(MainWindowMenuTest, WithoutANotificationAreaMinimizeToTrayMinimizesNormally) {
    StartApp("[Settings]\nLanguage=en_US\nMinToTray=1\n");
    NotifyIcon::SetAvailableForTesting(false);
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        EXPECT_TRUE(dlg.MinimizeToTray());
        ClickAt(dlg, MinPoint());
        ASSERT_TRUE(DispatchUntil([&] { return dlg.Widget()->isMinimized(); }));
        EXPECT_TRUE(dlg.Widget()->isVisible());
        EXPECT_FALSE(NotifyIcon::Instance().IsShown());
        dlg.ShowFromTray();
        EXPECT_FALSE(dlg.Widget()->isMinimized());
    });
}

TEST_F(MainWindowMenuTest, ALanguageSwitchChangesTextsMenuAndBackgroundAtOnce) {
    StartApp();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        QWidget* window = dlg.Widget();
        const QImage englishLook = window->grab().toImage();
        const qint64 brightness = dlg.BrightnessPicture()->pixmap().cacheKey();
        EXPECT_EQ(dlg.NotFoundLabel()->text(), QStringLiteral("Device not found!"));

        dlg.Settings().FindCommand(SettingsMenu::ID_SIMPLE_CHINESE)->trigger();
        EXPECT_EQ(StoredSetting("Language"), QStringLiteral("zh_CN"));
        EXPECT_EQ(dlg.NotFoundLabel()->text(), QStringLiteral("未找到设备！"));
        EXPECT_TRUE(dlg.Settings().FindCommand(SettingsMenu::ID_SIMPLE_CHINESE)->isChecked());
        EXPECT_FALSE(dlg.Settings().FindCommand(SettingsMenu::ID_ENGLISH)->isChecked());
        EXPECT_EQ(ReadPopupShownBy([&] { ClickAt(dlg, SettingPoint()); }).texts,
                  (QStringList{"语言选择", "最小化到托盘", "高级设置"}));
        // The background carries the section titles in the pack's language.
        EXPECT_NE(window->grab().toImage(), englishLook);
        // The brightness picture keeps its bitmap until the next level change.
        EXPECT_EQ(dlg.BrightnessPicture()->pixmap().cacheKey(), brightness);

        dlg.Settings().FindCommand(SettingsMenu::ID_ENGLISH)->trigger();
        EXPECT_EQ(StoredSetting("Language"), QStringLiteral("en_US"));
        EXPECT_EQ(dlg.NotFoundLabel()->text(), QStringLiteral("Device not found!"));
    });
}

TEST_F(MainWindowMenuTest, TheSystemMenuComesWithAltSpaceAndOnTheBackground) {
    StartApp();
    const QStringList items = {"Mi&nimize", "&Close", "", "About GlimraUtility(&A)..."};
    const int result = WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        QWidget* window = dlg.Widget();
        EXPECT_EQ(ReadPopupShownBy([&] {
                      QTest::keyClick(window, Qt::Key_Space, Qt::AltModifier);
                  }).texts,
                  items);
        // A right click on the background, not on a control.
        EXPECT_EQ(ReadPopupShownBy([&] {
                      QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(40, 420),
                                              window->mapToGlobal(QPoint(40, 420)));
                      QApplication::sendEvent(window, &event);
                  }).texts,
                  items);
        // Close from it ends the window as its Cancel.
        ReadPopupShownBy([&] { QTest::keyClick(window, Qt::Key_Space, Qt::AltModifier); },
                         QStringLiteral("&Close"));
        EXPECT_FALSE(window->isVisible());
    });
    EXPECT_EQ(result, fw::IDCANCEL);
}

TEST_F(MainWindowMenuTest, F1AndTheAboutItemShowTheHelpDialog) {
    StartApp();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        QWidget* window = dlg.Widget();
        // The help dialog runs modally over the window: note it, then close it.
        auto helpShownBy = [&](const std::function<void()>& trigger) {
            QString title;
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (modal && modal != window && !QApplication::activePopupWidget()) {
                    watch.stop();
                    title = modal->windowTitle();
                    modal->close();
                }
            });
            watch.start(10);
            trigger();
            return title;
        };
        const QString f1 = helpShownBy([&] { QTest::keyClick(window, Qt::Key_F1); });
        EXPECT_FALSE(f1.isEmpty());
        EXPECT_EQ(helpShownBy([&] {
                      ReadPopupShownBy(
                          [&] { QTest::keyClick(window, Qt::Key_Space, Qt::AltModifier); },
                          QStringLiteral("About GlimraUtility(&A)..."));
                  }),
                  f1);
        EXPECT_TRUE(window->isVisible());
    });
}

TEST_F(MainWindowMenuTest, EscapeAndEnterEndTheWindowAtOnceAndCloseRunsExit) {
    StartApp();
    struct Case {
        std::function<void(GlimraUtilityDlg&)> act;
        int result;
    } cases[] = {
        {[](GlimraUtilityDlg& dlg) { QTest::keyClick(dlg.Widget(), Qt::Key_Escape); },
         fw::IDCANCEL},
        {[](GlimraUtilityDlg& dlg) { QTest::keyClick(dlg.Widget(), Qt::Key_Return); }, fw::IDOK},
        {[](GlimraUtilityDlg& dlg) { ClickAt(dlg, ClosePoint()); }, fw::IDCANCEL},
    };
    RunSim();
    for (const Case& c : cases) {
        bool hiddenAtOnce = false;
        bool linkClosed = false;
        const int result = WithWindow([&](GlimraUtilityDlg& dlg) {
            ASSERT_TRUE(WaitConnected(dlg));
            c.act(dlg);
            hiddenAtOnce = !dlg.Widget()->isVisible();
            linkClosed = !dlg.Comm().IsConnected();
        });
        EXPECT_EQ(result, c.result);
        EXPECT_TRUE(hiddenAtOnce);
        // Exit closes the link itself; Escape and Enter leave that to the window's end.
        EXPECT_EQ(linkClosed, &c == &cases[2]);
    }
}

} // namespace
