#include "NotifyIcon.h"

#include "Framework/App.h"
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
        tray_ = new QSystemTrayIcon(fw::App::ApplicationScope());
        QObject::connect(tray_, &QSystemTrayIcon::activated, tray_,
                         [this](QSystemTrayIcon::ActivationReason reason) { OnActivated(reason); });
        // Panels tell nobody when they go, so a shown icon looks for its area now and then.
        areaCheck_ = new QTimer(tray_);
        areaCheck_->setInterval(AreaCheckIntervalMs);
        QObject::connect(areaCheck_, &QTimer::timeout, tray_, [this] { CheckArea(); });
    }
    window_ = window;
    id_ = id;
    callbackMessage_ = callbackMessage;
    tray_->setIcon(icon);
    tray_->setToolTip(tip);
    tray_->show();
    areaCheck_->start();
    return true;
}

bool NotifyIcon::Delete() {
    if (!IsShown())
        return false;
    areaCheck_->stop();
    tray_->hide();
    return true;
}

bool NotifyIcon::IsShown() const {
    return tray_ && tray_->isVisible();
}

void NotifyIcon::CheckArea() {
    if (!IsShown() || Available())
        return;
    Delete();
    if (window_)
        fw::SendMessage(window_, callbackMessage_, id_, AREA_GONE);
}

void NotifyIcon::OnActivated(int reason) {
    fw::LPARAM mouse = 0;
    if (reason == QSystemTrayIcon::Trigger)
        mouse = WM_LBUTTONUP;
    else if (reason == QSystemTrayIcon::DoubleClick)
        mouse = WM_LBUTTONDBLCLK;
    else if (reason == QSystemTrayIcon::Context)
        mouse = WM_RBUTTONDOWN;
    else
        return;
    if (window_)
        fw::SendMessage(window_, callbackMessage_, id_, mouse);
}
