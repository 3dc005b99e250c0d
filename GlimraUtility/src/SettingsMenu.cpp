#include "SettingsMenu.h"

#include "App/LoadText.h"
#include "Framework/Window.h"

#include <QAction>
#include <QMenu>

#include <functional>

SettingsMenu::SettingsMenu(fw::Window* window) : window_(window) {
    CreateEmpty();
}

SettingsMenu::~SettingsMenu() = default;

void SettingsMenu::CreateEmpty() {
    menu_ = std::make_unique<QMenu>();
    menu_->setAccessibleName(QStringLiteral("Settings"));
}

QAction* SettingsMenu::AddCommand(QMenu* menu, const QString& text, int command) {
    QAction* action = menu->addAction(text);
    action->setData(command);
    QObject::connect(action, &QAction::triggered, action, [this, command] {
        fw::SendMessage(window_, fw::WM_COMMAND, static_cast<fw::WPARAM>(command), 0);
    });
    return action;
}

void SettingsMenu::Build(const QString& language, bool minToTray) {
    QMenu* languages = menu_->addMenu(LoadText(1064));
    QAction* english = AddCommand(languages, LoadText(ID_ENGLISH), ID_ENGLISH);
    QAction* chinese = AddCommand(languages, LoadText(ID_SIMPLE_CHINESE), ID_SIMPLE_CHINESE);
    english->setCheckable(true);
    chinese->setCheckable(true);
    english->setChecked(language == QLatin1String("en_US"));
    chinese->setChecked(language == QLatin1String("zh_CN"));

    QAction* tray = AddCommand(menu_.get(), LoadText(ID_MIN_TO_TRAY), ID_MIN_TO_TRAY);
    tray->setCheckable(true);
    tray->setChecked(minToTray);

    QMenu* advanced = menu_->addMenu(LoadText(1070));
    AddCommand(advanced, LoadText(ID_FIRMWARE_UPDATE), ID_FIRMWARE_UPDATE);
}

void SettingsMenu::PrepareForTray() {
    if (FindCommand(ID_EXIT))
        return;
    AddCommand(menu_.get(), LoadText(ID_OPEN), ID_OPEN);
    AddCommand(menu_.get(), LoadText(ID_EXIT), ID_EXIT);
}

void SettingsMenu::PrepareForButton() {
    if (!FindCommand(ID_EXIT))
        return;
    for (int command : {ID_OPEN, ID_EXIT}) {
        if (QAction* action = FindCommand(command)) {
            menu_->removeAction(action);
            delete action;
        }
    }
}

void SettingsMenu::CheckItem(int command, bool checked) {
    if (QAction* action = FindCommand(command))
        action->setChecked(checked);
}

void SettingsMenu::Track(const QPoint& globalPos) {
    menu_->exec(globalPos);
}

QAction* SettingsMenu::FindCommand(int command) const {
    // Depth first through the submenus, as a lookup by command id does.
    std::function<QAction*(QMenu*)> find = [&](QMenu* menu) -> QAction* {
        for (QAction* action : menu->actions()) {
            if (QMenu* sub = action->menu()) {
                if (QAction* found = find(sub))
                    return found;
            } else if (action->data().isValid() && action->data().toInt() == command) {
                return action;
            }
        }
        return nullptr;
    };
    return find(menu_.get());
}
