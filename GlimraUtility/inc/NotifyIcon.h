#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

#include <optional>

namespace fw {
class Window;
}

// The program's one notification-area icon. Its activations reach the window that added it as
// the icon's callback message: wParam the icon id, lParam WM_LBUTTONUP for a single click (the
// only activation StatusNotifierItem panels send), WM_LBUTTONDBLCLK for a double click and
// WM_RBUTTONDOWN for the context request. When the notification area goes away while the icon
// is shown (the panel quit or crashed), the icon is deleted and the window gets AREA_GONE, so
// it can show itself again. Otherwise the icon stays until deleted, also after the window has
// gone, as the platform's record does.
class NotifyIcon {
public:
    enum : unsigned {
        WM_LBUTTONUP = 0x202,
        WM_LBUTTONDBLCLK = 0x203,
        WM_RBUTTONDOWN = 0x204,
        AREA_GONE = 0x8000
    };
    // How often a shown icon checks that its notification area is still there.
    static constexpr int AreaCheckIntervalMs = 1000;

    static NotifyIcon& Instance();

    // False when the icon is already shown: a second add leaves the one icon as it is.
    bool Add(fw::Window* window, unsigned id, unsigned callbackMessage, const QIcon& icon,
             const QString& tip);
    bool Delete();
    bool IsShown() const;

    // Whether the desktop has a notification area at all (GNOME without an extension has none).
    static bool Available();
    // Tests decide the answer themselves; nullopt asks the desktop again.
    static void SetAvailableForTesting(std::optional<bool> available);

    QSystemTrayIcon* TrayIcon() const { return tray_; }

private:
    NotifyIcon();
    ~NotifyIcon();
    void OnActivated(int reason);
    void CheckArea();

    // Owned by the application object, which destroys it before Qt's widget machinery goes.
    QPointer<QSystemTrayIcon> tray_;
    QPointer<QTimer> areaCheck_;
    QPointer<fw::Window> window_;
    unsigned id_ = 0;
    unsigned callbackMessage_ = 0;
};
