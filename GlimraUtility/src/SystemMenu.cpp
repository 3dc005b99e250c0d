#include "SystemMenu.h"

#include "Framework/Window.h"

#include <QAction>
#include <QMenu>

SystemMenu::SystemMenu(fw::Window* window) : window_(window), menu_(std::make_unique<QMenu>()) {}

SystemMenu::~SystemMenu() = default;

void SystemMenu::AddCommand(const QString& text, unsigned command) {
    QAction* action = menu_->addAction(text);
    action->setData(command);
    QObject::connect(action, &QAction::triggered, action,
                     [this, command] { fw::SendMessage(window_, fw::WM_SYSCOMMAND, command, 0); });
}

void SystemMenu::Build(const QString& language, const QString& aboutText) {
    menu_->clear();
    const bool chinese = language == QLatin1String("zh_CN");
    // The desktop's own wording for these two; the program's string table has none.
    AddCommand(chinese ? QStringLiteral("最小化(&N)") : QStringLiteral("Mi&nimize"), SC_MINIMIZE);
    AddCommand(chinese ? QStringLiteral("关闭(&C)") : QStringLiteral("&Close"), SC_CLOSE);
    if (!aboutText.isEmpty()) {
        menu_->addSeparator();
        AddCommand(aboutText, IDM_ABOUTBOX);
    }
}

void SystemMenu::Track(const QPoint& globalPos) {
    menu_->exec(globalPos);
}
