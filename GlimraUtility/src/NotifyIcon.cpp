#include "NotifyIcon.h"

#include "Framework/Window.h"

#include <QCoreApplication>

namespace {
std::optional<bool> g_availableForTesting;
} // namespace

NotifyIcon& NotifyIcon::Instance() {
    static NotifyIcon icon;
    return icon;
}

NotifyIcon::NotifyIcon() = default;

NotifyIcon::~NotifyIcon() = default;

bool NotifyIcon::Available() {
    return g_availableForTesting ? *g_availableForTesting
                                 : QSystemTrayIcon::isSystemTrayAvailable();
}

void NotifyIcon::SetAvailableForTesting(std::optional<bool> available) {
    g_availableForTesting = available;
}

bool NotifyIcon::Add(fw::Window* window, unsigned id, unsigned callbackMessage, const QIcon& icon,
                     const QString& tip) {
    if (IsShown())
        return false;
    if (!tray_) {
        tray_ = new QSystemTrayIcon(QCoreApplication::instance());
        QObject::connect(tray_, &QSystemTrayIcon::activated, tray_,
                         [this](QSystemTrayIcon::ActivationReason reason) { OnActivated(reason); });
    }
    window_ = window;
    id_ = id;
    callbackMessage_ = callbackMessage;
    tray_->setIcon(icon);
    tray_->setToolTip(tip);
    tray_->show();
    return true;
}

bool NotifyIcon::Delete() {
    if (!IsShown())
        return false;
    tray_->hide();
    return true;
}

bool NotifyIcon::IsShown() const {
    return tray_ && tray_->isVisible();
}

void NotifyIcon::OnActivated(int reason) {
    fw::LPARAM mouse = 0;
    if (reason == QSystemTrayIcon::DoubleClick)
        mouse = WM_LBUTTONDBLCLK;
    else if (reason == QSystemTrayIcon::Context)
        mouse = WM_RBUTTONDOWN;
    else
        return;
    if (window_)
        fw::SendMessage(window_, callbackMessage_, id_, mouse);
}
