#pragma once

#include <QString>

#include <memory>

class QMenu;
class QPoint;
namespace fw {
class Window;
}

// The window's own system menu. Window managers do not let a program add to their window menu,
// and the main window has no frame, so it offers this one: Minimize, Close and, when its text
// exists, the About item. Each item sends WM_SYSCOMMAND with its id to the window.
class SystemMenu {
public:
    enum : unsigned { SC_MINIMIZE = 0xF020, SC_CLOSE = 0xF060, IDM_ABOUTBOX = 0x0010 };

    explicit SystemMenu(fw::Window* window);
    ~SystemMenu();
    SystemMenu(const SystemMenu&) = delete;
    SystemMenu& operator=(const SystemMenu&) = delete;

    // Minimize and Close in the language in force, then a separator and the About item with
    // aboutText unless it is empty.
    void Build(const QString& language, const QString& aboutText);
    void Track(const QPoint& globalPos);

    QMenu* Menu() const { return menu_.get(); }

private:
    void AddCommand(const QString& text, unsigned command);

    fw::Window* window_;
    std::unique_ptr<QMenu> menu_;
};
