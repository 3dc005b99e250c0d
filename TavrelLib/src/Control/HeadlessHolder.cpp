#include "Control/HeadlessHolder.h"

#include "Control/LightingModeTable.h"
#include "Link/ControllerDeviceChange.h"
#include "Link/ControllerHeldElsewhere.h"
#include "Protocol/CommMessages.h"

#include <utility>

namespace {

// The manager is made before the actions that borrow its protocol.
ControllerProtocol* MadeLink(CommManager& manager, TrRequestSide* owner, UsbDeviceEntry* table) {
    manager.CreateUsbLink(owner, table, 1);
    return manager.GetProtocol();
}

} // namespace

HeadlessHolder::HeadlessHolder(QObject* parent)
    : TrRequestWindow(parent), lighting_(MadeLink(manager_, this, table_), nullptr) {
    OnMessage(fw::WM_TIMER, [this](fw::WPARAM id, fw::LPARAM) { return OnTimer(id); });
    OnMessage(fw::WM_DEVICECHANGE,
              [this](fw::WPARAM event, fw::LPARAM data) { return OnDeviceChange(event, data); });
    OnMessage(WM_COMM_LOST, [this](fw::WPARAM, fw::LPARAM) { return OnConnectionLost(); });
}

HeadlessHolder::~HeadlessHolder() {
    // The link goes first, so no request or notification reaches a holder being taken apart.
    manager_.Close();
}

void HeadlessHolder::Connect() {
    released_ = false;
    KillTimer(TimerConnection);
    retriesLeft_ = RetryCount;
    if (!TryConnect(true))
        SetTimer(TimerRetry, RetryMs);
}

bool HeadlessHolder::TryConnect(bool sayAbsent) {
    manager_.RefreshDevices();
    // A window that just let go may still be closing it: opening it now would give a link
    // that never answers.
    if (manager_.DeviceCount() > 0 &&
        ControllerHeldElsewhere(*manager_.UsbLink(), VendorId, ProductId))
        return false;
    manager_.Open(0);
    connected_ = manager_.IsConnected() != 0;
    const bool answered = connected_ && lighting_.RefreshFromController() != 0;
    if (!connected_)
        lighting_.EnableLightingControls(false);
    if (answered)
        rescanAfterLoss_ = false;
    if (connected_ || sayAbsent)
        emit ConnectionChanged(connected_, answered);
    return true;
}

void HeadlessHolder::Disconnect() {
    const bool was = connected_;
    manager_.Close();
    lighting_.EnableLightingControls(false);
    connected_ = false;
    if (was)
        emit ConnectionChanged(false, false);
}

void HeadlessHolder::Release() {
    released_ = true;
    for (unsigned timer : {TimerConnection, TimerRetry})
        KillTimer(timer);
    Disconnect();
}

int HeadlessHolder::Refresh() {
    if (!connected_)
        return 0;
    return lighting_.RefreshFromController() ? 1 : 0;
}

fw::LRESULT HeadlessHolder::OnDeviceChange(fw::WPARAM event, fw::LPARAM data) {
    if (released_)
        return 0;
    const ControllerChange change = ControllerDeviceChange(event, data, table_[0]);
    if (change == ControllerChange::None)
        return 0;
    arrival_ = change == ControllerChange::Arrived;
    rescanAfterLoss_ = false;
    // A burst of changes ends in one timer with the last of them.
    SetTimer(TimerConnection, 0);
    return 0;
}

fw::LRESULT HeadlessHolder::OnTimer(fw::WPARAM id) {
    // Every timer is one-shot.
    KillTimer(id);
    switch (id) {
    case TimerConnection:
        if (released_)
            break;
        if (!arrival_)
            Disconnect();
        // After a removal too: the controller that went may not be the only one.
        KillTimer(TimerRetry);
        retriesLeft_ = RetryCount;
        if (!TryConnect(arrival_))
            SetTimer(TimerRetry, RetryMs);
        break;
    case TimerRetry:
        if (released_)
            break;
        if (!TryConnect(true) && --retriesLeft_ > 0)
            SetTimer(TimerRetry, RetryMs);
        break;
    case TimerDefaultRestore:
        lighting_.DefaultRestore();
        SetTimer(TimerDefaultElements, LightingActions::DefaultElementsDelayMs);
        break;
    case TimerDefaultElements:
        lighting_.DefaultAddAllLeds();
        SetTimer(TimerDefaultRefresh, LightingActions::DefaultRefreshDelayMs);
        break;
    case TimerDefaultRefresh: {
        const bool answered = lighting_.DefaultReadBack() != 0;
        if (IsTimerPending(TimerDefaultRestore) || IsTimerPending(TimerDefaultElements))
            break;
        for (auto& done : std::exchange(defaultDone_, {}))
            done(answered);
        break;
    }
    default:
        break;
    }
    return 0;
}

fw::LRESULT HeadlessHolder::OnConnectionLost() {
    // The link has closed the failed channel already; let it go as a removal would.
    if (released_)
        return 0;
    Disconnect();
    if (rescanAfterLoss_)
        return 0;
    // The same controller under a new channel, or another one, may be there; one rescan per
    // loss, so a controller that fails at once waits for the next arrival.
    rescanAfterLoss_ = true;
    arrival_ = true;
    SetTimer(TimerConnection, 0);
    return 0;
}

// ---- the clicks, each refused where the window's control would be disabled ----

void HeadlessHolder::ClickSwatch(int swatch) {
    const LightingView& view = lighting_.View();
    if (view.controlsEnabled && view.colourEnabled && swatch >= 1 && swatch <= 8)
        lighting_.SelectSwatch(swatch);
}

void HeadlessHolder::ClickSwitch() {
    if (lighting_.View().controlsEnabled)
        lighting_.ToggleEnable(!lighting_.View().on);
}

void HeadlessHolder::ClickPlus() {
    const LightingView& view = lighting_.View();
    if (view.controlsEnabled && view.brightnessEnabled)
        lighting_.StepBrightness(true);
}

void HeadlessHolder::ClickMinus() {
    const LightingView& view = lighting_.View();
    if (view.controlsEnabled && view.brightnessEnabled)
        lighting_.StepBrightness(false);
}

void HeadlessHolder::ClickMode(int index) {
    if (lighting_.View().controlsEnabled && index >= 0 && index < LightingModeTable::ModeCount)
        lighting_.SelectMode(index);
}

void HeadlessHolder::ClickRecover() {
    if (connected_)
        lighting_.Protocol()->LeaveUpgradeMode();
}

void HeadlessHolder::ClickDefault(std::function<void(bool answered)> done) {
    if (!lighting_.View().controlsEnabled) {
        done(false);
        return;
    }
    defaultDone_.push_back(std::move(done));
    SetTimer(TimerDefaultRestore, 0);
}
