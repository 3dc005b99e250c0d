#include "GlimraUtilityDlg.h"

#include "AboutDlg.h"
#include "Access/SkinAccessibility.h"
#include "App/CTavrelLibApp.h"
#include "App/LoadText.h"
#include "App/LogFile.h"
#include "Bus/UtilityBus.h"
#include "FirmwareUpdateCommand.h"
#include "Framework/FileException.h"
#include "Framework/Hid/DeviceChange.h"
#include "Framework/Resources.h"
#include "Link/ControllerDeviceChange.h"
#include "NotifyIcon.h"
#include "OpenRgb/OpenRgbServer.h"
#include "Protocol/CommMessages.h"
#include "SettingsMenu.h"
#include "SystemMenu.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPropertyAnimation>
#include <QWidget>

#include <utility>

namespace {
constexpr int kFadeOutMs = 1500;
} // namespace

GlimraUtilityDlg::GlimraUtilityDlg(fw::Dialog* parent)
    : BkDialog(IDD, parent), appIcon_(fw::Resources::LoadIcon(128)) {
    InstallSkinAccessibility();
    BindControls();

    OnMessage(fw::WM_COMMAND, [this](fw::WPARAM wParam, fw::LPARAM) { return OnCommand(wParam); });
    OnMessage(fw::WM_SYSCOMMAND, [this](fw::WPARAM wParam, fw::LPARAM lParam) {
        return OnSysCommand(wParam, lParam);
    });
    OnMessage(fw::WM_TIMER, [this](fw::WPARAM id, fw::LPARAM) { return OnTimer(id); });
    OnMessage(fw::WM_DEVICECHANGE,
              [this](fw::WPARAM event, fw::LPARAM data) { return OnDeviceChange(event, data); });
    OnMessage(WM_COMM_LOST, [this](fw::WPARAM, fw::LPARAM) { return OnConnectionLost(); });
    OnMessage(WM_NOTIFY_ICON,
              [this](fw::WPARAM id, fw::LPARAM mouse) { return OnNotifyIcon(id, mouse); });
    OnMessage(WM_FAN_SPEED, [this](fw::WPARAM value, fw::LPARAM) {
        return OnGraphValue(fanSpeedGraph_, lastFanSpeed_, value);
    });
    OnMessage(WM_GPU_TEMPERATURE, [this](fw::WPARAM value, fw::LPARAM) {
        return OnGraphValue(gpuTemperatureGraph_, lastGpuTemperature_, value);
    });
    OnMessage(WM_CPU_TEMPERATURE, [this](fw::WPARAM value, fw::LPARAM) {
        return OnGraphValue(cpuTemperatureGraph_, lastCpuTemperature_, value);
    });
}

GlimraUtilityDlg::~GlimraUtilityDlg() {
    // The link goes first, so no request or notification reaches a window being taken apart.
    commManager_.Close();
    ReleaseAccessibleGroups();
}

bool GlimraUtilityDlg::OnInitDialog() {
    BkDialog::OnInitDialog();
    QWidget* window = Widget();

    // The frameless window starts centred at the template's size; the skin needs 800 x 455 with
    // the same top-left corner, and font sizes follow the template's height.
    scale_ = window->height() / 600.0;
    const QPoint corner = window->pos();
    window->setFixedSize(800, 455);
    window->move(corner);
    SetDragMove(true);

    window->setWindowTitle(QStringLiteral("GlimraUtility"));
    window->setWindowIcon(appIcon_);
    if (CTavrelLibApp* app = CTavrelLibApp::Current())
        app->ReadSettingInt(QStringLiteral("Settings"), QStringLiteral("MinToTray"), minToTray_, 0);

    lightnessListener_.dlg = this;
    buttonListener_.dlg = this;
    modeListener_.dlg = this;
    colorListener_.dlg = this;

    deviceTable_ = std::make_unique<UsbDeviceEntry>(UsbDeviceEntry{0x04D9, 0x8008, 0});
    commManager_.CreateUsbLink(this, deviceTable_.get(), 1);
    protocol_ = commManager_.GetProtocol();
    LogFile& log = LogFile::GetInstance();
    lighting_ = std::make_unique<LightingActions>(protocol_, &log);

    systemMenu_ = std::make_unique<SystemMenu>(this);
    settingsMenu_ = std::make_unique<SettingsMenu>(this);
    if (!fw::RunReportingFileErrors([this] { LayOutControls(); })) {
        // The message has been shown; a window without its plate can do nothing, so it ends
        // rather than stay up half-built.
        EndDialog(RESULT_SKIN_FAILED);
        return false;
    }
    // Before the first connection: a running service lets go of the controller for us here.
    bus_ = std::make_unique<UtilityBus>(*this, this, UtilityBus::Claim::Take);
    StartOpenRgbServer();

    connectionEvent_ = EVENT_CONNECT;
    SetTimer(TIMER_CONNECTION, FirstConnectionFallbackMs);
    return true;
}

bool GlimraUtilityDlg::IsBusy() const {
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != Widget();
}

bool GlimraUtilityDlg::IsPlateEnabled() const {
    const LightingView& view = lighting_->View();
    return view.controlsEnabled && view.colourEnabled;
}

bool GlimraUtilityDlg::IsBrightnessEnabled() const {
    const LightingView& view = lighting_->View();
    return view.controlsEnabled && view.brightnessEnabled;
}

// ---- commands ----

fw::LRESULT GlimraUtilityDlg::OnCommand(fw::WPARAM wParam) {
    switch (static_cast<int>(wParam & 0xFFFF)) {
    case fw::IDOK:
        OnOK();
        break;
    case fw::IDCANCEL:
        OnCancel();
        break;
    case ID_FIRMWARE_UPDATE:
        RunFirmwareUpdateCommand(this, &commManager_);
        break;
    case ID_RECOVER:
        CommandRecover();
        break;
    case ID_MIN_TO_TRAY:
        OnMinimizeToTray();
        break;
    case ID_SIMPLE_CHINESE:
        OnLanguage(0);
        break;
    case ID_ENGLISH:
        OnLanguage(1);
        break;
    case ID_OPEN:
        OnOpen();
        break;
    case ID_EXIT:
        OnExit();
        break;
    case ID_HELP_MENU:
    case ID_HELP:
        OnHelp();
        break;
    default:
        break;
    }
    return 0;
}

void GlimraUtilityDlg::CommandRecover() {
    protocol_->LeaveUpgradeMode();
}

void GlimraUtilityDlg::OnMinimizeToTray() {
    minToTray_ = minToTray_ ? 0 : 1;
    settingsMenu_->CheckItem(ID_MIN_TO_TRAY, minToTray_ != 0);
    if (CTavrelLibApp* app = CTavrelLibApp::Current())
        app->WriteSettingString(QStringLiteral("Settings"), QStringLiteral("MinToTray"),
                                minToTray_ ? QStringLiteral("1") : QStringLiteral("0"));
}

void GlimraUtilityDlg::OnLanguage(int packIndex) {
    if (CTavrelLibApp* app = CTavrelLibApp::Current())
        app->LoadLanguagePack(packIndex);
    settingsMenu_->CreateEmpty();
    ApplyTexts();
}

void GlimraUtilityDlg::OnOpen() {
    Widget()->showNormal();
}

void GlimraUtilityDlg::ShowFromTray() {
    QWidget* window = Widget();
    if (!window)
        return;
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void GlimraUtilityDlg::OnHelp() {
    CAboutDlg about(this);
    about.DoModal();
}

void GlimraUtilityDlg::OnExit() {
    if (exiting_)
        return;
    exiting_ = true;
    deviceTable_.reset();
    commManager_.Close();
    ostrel_.stop = 1;
    FadeOutAndHide();
    EndDialog(fw::IDCANCEL);
}

void GlimraUtilityDlg::FadeOutAndHide() {
    QWidget* window = Widget();
    if (!window || !window->isVisible())
        return;
    // Only X11 blends a window into the desktop; elsewhere (Wayland, no display) it just goes.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        window->hide();
        return;
    }
    QPropertyAnimation fade(window, "windowOpacity");
    fade.setDuration(kFadeOutMs);
    fade.setStartValue(1.0);
    fade.setEndValue(0.0);
    QEventLoop loop;
    QObject::connect(&fade, &QPropertyAnimation::finished, &loop, &QEventLoop::quit);
    fade.start();
    // The window takes no more input while it fades, as with a blocking animation.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    window->hide();
}

// ---- system menu and the notification area ----

fw::LRESULT GlimraUtilityDlg::OnSysCommand(fw::WPARAM wParam, fw::LPARAM) {
    if ((wParam & 0xFFF0) == SystemMenu::IDM_ABOUTBOX) {
        OnHelp();
        return 0;
    }
    if (wParam == SystemMenu::SC_MINIMIZE) {
        // Hidden rather than minimised: on Wayland a program cannot bring a minimised window
        // back. Without a notification area the icon could never be clicked, so minimise then.
        if (minToTray_ && NotifyIcon::Available()) {
            NotifyIcon::Instance().Add(this, NOTIFY_ICON_ID, WM_NOTIFY_ICON, appIcon_,
                                       QStringLiteral("GlimraUtility"));
            Widget()->hide();
        } else {
            Widget()->showMinimized();
        }
        return 0;
    }
    if ((wParam & 0xFFF0) == SystemMenu::SC_CLOSE) {
        // Closing the dialog is its Cancel.
        OnCommand(fw::IDCANCEL);
        return 0;
    }
    return 0;
}

fw::LRESULT GlimraUtilityDlg::OnNotifyIcon(fw::WPARAM id, fw::LPARAM mouse) {
    if (id != NOTIFY_ICON_ID)
        return 1;
    // Panels that speak StatusNotifierItem send a single click only; a panel that went away
    // leaves no other way to the window.
    if (mouse == NotifyIcon::WM_LBUTTONDBLCLK || mouse == NotifyIcon::WM_LBUTTONUP ||
        mouse == NotifyIcon::AREA_GONE) {
        ShowFromTray();
        NotifyIcon::Instance().Delete();
    } else if (mouse == NotifyIcon::WM_RBUTTONDOWN) {
        const QPoint at = QCursor::pos();
        Widget()->activateWindow();
        settingsMenu_->PrepareForTray();
        settingsMenu_->Track(at);
    }
    return 0;
}

void GlimraUtilityDlg::ShowSettingsMenuUnderButton() {
    settingsMenu_->PrepareForButton();
    const QRect button(setting_->mapToGlobal(QPoint(0, 0)), setting_->size());
    // Right-aligned at the button's left edge + 20, just below it.
    QMenu* menu = settingsMenu_->Menu();
    const int x = button.left() + 20 - menu->sizeHint().width();
    settingsMenu_->Track(QPoint(x, button.bottom() + 1));
}

void GlimraUtilityDlg::ShowSystemMenu(const QPoint& globalPos) {
    systemMenu_->Track(globalPos);
}

bool GlimraUtilityDlg::OnWidgetEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            OnCommand(ID_HELP);
            return true;
        }
        if (key->key() == Qt::Key_Space && (key->modifiers() & Qt::AltModifier)) {
            ShowSystemMenu(Widget()->mapToGlobal(QPoint(0, 0)));
            return true;
        }
        // Enter ends the dialog as its OK, as Escape ends it as its Cancel.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier)) {
            OnCommand(fw::IDOK);
            return true;
        }
        break;
    }
    case QEvent::WindowStateChange:
        // A minimise from outside (the window manager, a taskbar) follows the Min button's rule.
        if (Widget()->isMinimized() && minToTray_ && NotifyIcon::Available())
            fw::PostMessage(this, fw::WM_SYSCOMMAND, SystemMenu::SC_MINIMIZE, 0);
        break;
    case QEvent::ContextMenu: {
        auto* menu = static_cast<QContextMenuEvent*>(event);
        QWidget* child = Widget()->childAt(menu->pos());
        // The background, and the pictures and labels painted on it.
        if (!child || qobject_cast<QLabel*>(child)) {
            ShowSystemMenu(menu->globalPos());
            return true;
        }
        break;
    }
    case QEvent::Paint:
        if (std::exchange(awaitingFirstPaint_, false)) {
            // The window is on the screen once this paint is flushed: connect right after it.
            const bool handled = BkDialog::OnWidgetEvent(event);
            if (IsTimerPending(TIMER_CONNECTION))
                SetTimer(TIMER_CONNECTION, 0);
            return handled;
        }
        break;
    default:
        break;
    }
    return BkDialog::OnWidgetEvent(event);
}

// ---- connection ----

fw::LRESULT GlimraUtilityDlg::OnTimer(fw::WPARAM id) {
    // Every timer is one-shot.
    KillTimer(id);
    switch (id) {
    case TIMER_CONNECTION:
        if (connectionEvent_ != EVENT_CONNECT) {
            commManager_.Close();
            EnableLightingControls(false);
        }
        // After a removal too: the controller that went may not be the only one.
        commManager_.RefreshDevices();
        commManager_.Open(0);
        RefreshFromController();
        connected_ = commManager_.IsConnected();
        notFound_->setVisible(connected_ == 0);
        if (connected_ && lighting_->View().controlsEnabled)
            rescanAfterLoss_ = false;
        break;
    case TIMER_DEFAULT_RESTORE:
        lighting_->DefaultRestore();
        SetTimer(TIMER_DEFAULT_ELEMENTS, LightingActions::DefaultElementsDelayMs);
        break;
    case TIMER_DEFAULT_ELEMENTS:
        lighting_->DefaultAddAllLeds();
        SetTimer(TIMER_DEFAULT_REFRESH, LightingActions::DefaultRefreshDelayMs);
        break;
    case TIMER_DEFAULT_REFRESH: {
        RefreshFromController();
        // A click on Default meanwhile restarted the sequence: its callers wait for that one.
        if (IsTimerPending(TIMER_DEFAULT_RESTORE) || IsTimerPending(TIMER_DEFAULT_ELEMENTS))
            break;
        const bool answered = lighting_->View().controlsEnabled;
        for (auto& done : std::exchange(defaultDone_, {}))
            done(answered);
        break;
    }
    default:
        break;
    }
    return 0;
}

fw::LRESULT GlimraUtilityDlg::OnDeviceChange(fw::WPARAM event, fw::LPARAM data) {
    if (!deviceTable_)
        return 0;
    const ControllerChange change = ControllerDeviceChange(event, data, *deviceTable_);
    if (change == ControllerChange::None)
        return 0;
    connectionEvent_ = change == ControllerChange::Arrived ? EVENT_CONNECT : EVENT_DISCONNECT;
    rescanAfterLoss_ = false;
    // A burst of changes ends in one timer with the last of them.
    SetTimer(TIMER_CONNECTION, 0);
    return 0;
}

fw::LRESULT GlimraUtilityDlg::OnConnectionLost() {
    // The link has closed the failed channel already; show it as a removal would.
    commManager_.Close();
    EnableLightingControls(false);
    connected_ = commManager_.IsConnected();
    notFound_->setVisible(connected_ == 0);
    if (connected_ || rescanAfterLoss_)
        return 0;
    // Another controller may be there, or the same one under a new channel.
    rescanAfterLoss_ = true;
    connectionEvent_ = EVENT_CONNECT;
    SetTimer(TIMER_CONNECTION, 0);
    return 0;
}

fw::LRESULT GlimraUtilityDlg::OnGraphValue(CGraph* graph, int& last, fw::WPARAM value) {
    last = static_cast<int>(value);
    if (graph) {
        graph->AddValue(last);
        graph->update();
    }
    return 0;
}

// ---- listeners ----

void GlimraUtilityDlg::OnButtonClickListener::onClick(BaseButton* button) {
    dlg->OnButtonClick(button);
}

void GlimraUtilityDlg::OnButtonClick(BaseButton* button) {
    if (button == min_)
        fw::PostMessage(this, fw::WM_SYSCOMMAND, SystemMenu::SC_MINIMIZE, 0);
    else if (button == setting_)
        ShowSettingsMenuUnderButton();
    else if (button == default_)
        SetTimer(TIMER_DEFAULT_RESTORE, 0);
    else if (button == close_)
        OnExit();
}

void GlimraUtilityDlg::OnLightnessButtonClickListener::onClick(BaseButton* button) {
    dlg->StepBrightness(button == dlg->increase_);
}

void GlimraUtilityDlg::OnModeButtonClickListener::onGroupButtonClick(Button*, int index, bool) {
    dlg->SelectMode(index);
}

void GlimraUtilityDlg::OnColorSelectListener::onColorClick(int swatch) {
    dlg->SelectSwatch(swatch);
}

void GlimraUtilityDlg::OnColorSelectListener::onSwitchClick(bool on) {
    dlg->ToggleEnable(on);
}
