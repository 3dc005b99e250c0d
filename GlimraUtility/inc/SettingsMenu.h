#pragma once

#include <QString>

#include <memory>

class QAction;
class QMenu;
class QPoint;
namespace fw {
class Window;
}

// The main window's settings menu: language, minimise-to-tray and the firmware update. Each
// item sends its command id to the window as WM_COMMAND. The tray shows it with "Open" and
// "Exit" at its end; the Setting button without them.
class SettingsMenu {
public:
    enum : int {
        ID_SIMPLE_CHINESE = 1066,
        ID_ENGLISH = 1068,
        ID_FIRMWARE_UPDATE = 1072,
        ID_MIN_TO_TRAY = 1082,
        ID_EXIT = 1090,
        ID_OPEN = 1092,
    };

    explicit SettingsMenu(fw::Window* window);
    ~SettingsMenu();
    SettingsMenu(const SettingsMenu&) = delete;
    SettingsMenu& operator=(const SettingsMenu&) = delete;

    // An empty menu in place of the current one (a language change starts from it).
    void CreateEmpty();
    // The items in the texts of the language in force.
    void Build(const QString& language, bool minToTray);

    void PrepareForTray();
    void PrepareForButton();
    void CheckItem(int command, bool checked);

    // Runs the menu at a global position until an item is chosen or it is dismissed.
    void Track(const QPoint& globalPos);

    QMenu* Menu() const { return menu_.get(); }
    // The item with that command id anywhere in the menu, or none.
    QAction* FindCommand(int command) const;

private:
    QAction* AddCommand(QMenu* menu, const QString& text, int command);

    fw::Window* window_;
    std::unique_ptr<QMenu> menu_;
};
