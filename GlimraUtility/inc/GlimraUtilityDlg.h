#pragma once

#include "Control/LightingActions.h"
#include "Control/LightingHolder.h"
#include "Link/UsbDeviceEntry.h"
#include "Ostrel.h"
#include "Protocol/CommManager.h"
#include "Widgets/BkDialog.h"
#include "Widgets/BrightnessPicture.h"
#include "Widgets/Button.h"
#include "Widgets/ColorPlate.h"
#include "Widgets/Graph.h"
#include "Widgets/GroupButton.h"
#include "Widgets/OnClickListener.h"
#include "Widgets/OnColorPlateClickListener.h"
#include "Widgets/OnGroupButtonClickListener.h"

#include <QIcon>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class AccessibleGroup;
class KeyboardProxy;
class SettingsMenu;
class SystemMenu;
class OpenRgbServer;
class UtilityBus;

// The main window, created from dialog template 103: the lighting controls over the skinned
// background, the connection to the controller and its hotplug, the settings and system menus
// and the notification-area icon. Every lighting action goes through LightingActions; the
// window copies what it shows into the controls. While it runs it is the user's one holder of
// the controller, and the session bus drives it as the clicks would.
class GlimraUtilityDlg : public BkDialog, public LightingHolder {
    Q_OBJECT
public:
    enum { IDD = 103 };
    // Messages of the window beyond the framework's: graph values in wParam, and the
    // notification-area icon's callback.
    enum : unsigned {
        WM_FAN_SPEED = fw::WM_USER + 2,
        WM_GPU_TEMPERATURE = fw::WM_USER + 3,
        WM_CPU_TEMPERATURE = fw::WM_USER + 4,
        WM_NOTIFY_ICON = fw::WM_USER + 5,
    };
    // Commands and control ids.
    enum : int {
        IDC_BREATH_MODE = 1001,
        IDC_STROBE_MODE = 1002,
        IDC_INCREASE = 1004,
        IDC_DECREASE = 1005,
        IDC_MIN = 1006,
        IDC_SETTING = 1007,
        IDC_DEFAULT = 1008,
        IDC_COLOR_PLATE = 1009,
        IDC_CLOSE = 1010,
        IDC_STATIC_MODE = 1011,
        IDC_GRADUAL_MODE = 1012,
        IDC_STATIC_CYCLE = 1013,
        IDC_BREATH_CYCLE = 1014,
        IDC_FAN_SPEED_GRAPH = 1016,
        IDC_GPU_TEMPERATURE_GRAPH = 1017,
        IDC_CPU_TEMPERATURE_GRAPH = 1018,
        IDC_BRIGHTNESS = 1019,
        IDC_VERSION = 1020,
        IDC_NOT_FOUND = 1021,
        ID_SIMPLE_CHINESE = 1066,
        ID_ENGLISH = 1068,
        ID_FIRMWARE_UPDATE = 1072,
        ID_RECOVER = 1074,
        ID_MIN_TO_TRAY = 1082,
        ID_HELP_MENU = 1088,
        ID_EXIT = 1090,
        ID_OPEN = 1092,
        ID_HELP = 57670,
    };
    enum : unsigned { NOTIFY_ICON_ID = 128 };
    enum : int { OpenRgbDefaultPort = 6742 };
    // Timers: 0 applies a connection change; 1, 2 and 3 are the Default sequence's steps.
    enum : unsigned {
        TIMER_CONNECTION = 0,
        TIMER_DEFAULT_RESTORE = 1,
        TIMER_DEFAULT_ELEMENTS = 2,
        TIMER_DEFAULT_REFRESH = 3
    };
    // The first connection waits for the first paint, so the window shows before the four
    // exchanges run; a window that is not painted by then connects after this long anyway.
    enum : int { FirstConnectionFallbackMs = 200 };
    // DoModal's result when the skin could not be laid out (after its message).
    enum : int { RESULT_SKIN_FAILED = 100 };
    // What timer 0 is to do.
    enum : int { EVENT_NONE = 0, EVENT_CONNECT = 2, EVENT_DISCONNECT = 3 };

    explicit GlimraUtilityDlg(fw::Dialog* parent = nullptr);
    ~GlimraUtilityDlg() override;

    // What a click on each control does, for callers that are not the mouse (the session bus,
    // the keyboard). Window thread only.
    void ClickSwatch(int swatch) override;
    void ClickSwitch() override;
    void ClickPlus() override;
    void ClickMinus() override;
    void ClickMode(int index) override;
    void ClickRecover() override { CommandRecover(); }
    void ClickDefault(std::function<void(bool answered)> done) override;
    void ClickDefault() {
        ClickDefault([](bool) {});
    }
    void CommandRecover();
    void ShowFromTray();
    void Activate() override { ShowFromTray(); }
    bool IsConnected() const override { return connected_ != 0; }
    // Another of the program's dialogs is open over the window.
    bool IsBusy() const override;
    const LightingView& View() const override { return lighting_->View(); }
    const ControllerProtocol* Protocol() const override { return protocol_; }
    bool LastWriteFailed() const override { return commManager_.LastWriteFailed(); }
    LightingActions& Lighting() { return *lighting_; }
    CommManager& Comm() { return commManager_; }
    bool IsPlateEnabled() const;
    bool IsBrightnessEnabled() const;
    // Reads everything back and shows it, as the last step of Default does; 1 when the
    // controller answered.
    int Refresh() override;

    // The controls, for the accessibility layer and the tests.
    Button* ModeButton(int index) const { return modeButtons_[static_cast<std::size_t>(index)]; }
    Button* IncreaseButton() const { return increase_; }
    Button* DecreaseButton() const { return decrease_; }
    Button* CloseButton() const { return close_; }
    Button* MinButton() const { return min_; }
    Button* SettingButton() const { return setting_; }
    Button* DefaultButton() const { return default_; }
    CColorPlate* ColorPlate() const { return colorPlate_; }
    CGraph* FanSpeedGraph() const { return fanSpeedGraph_; }
    CGraph* GpuTemperatureGraph() const { return gpuTemperatureGraph_; }
    CGraph* CpuTemperatureGraph() const { return cpuTemperatureGraph_; }
    QLabel* VersionLabel() const { return version_; }
    QLabel* NotFoundLabel() const { return notFound_; }
    CBrightnessPicture* BrightnessPicture() const { return brightness_; }
    // Bitmap resource the brightness picture shows.
    int BrightnessBitmapId() const { return brightnessBitmapId_; }
    SettingsMenu& Settings() const { return *settingsMenu_; }
    SystemMenu& SysMenu() const { return *systemMenu_; }
    bool MinimizeToTray() const { return minToTray_ != 0; }
    int LastFanSpeed() const { return lastFanSpeed_; }
    int LastGpuTemperature() const { return lastGpuTemperature_; }
    int LastCpuTemperature() const { return lastCpuTemperature_; }
    // Font sizes are divided by this: the resource-sized client height over 600.
    double Scale() const { return scale_; }

    // The listeners the controls report to; each only points back at the window.
    class OnLightnessButtonClickListener : public OnClickListener {
    public:
        void onClick(BaseButton* button) override;
        GlimraUtilityDlg* dlg = nullptr;
    };
    class OnButtonClickListener : public OnClickListener {
    public:
        void onClick(BaseButton* button) override;
        GlimraUtilityDlg* dlg = nullptr;
    };
    class OnModeButtonClickListener : public OnGroupButtonClickListener {
    public:
        void onGroupButtonClick(Button* button, int index, bool selected) override;
        GlimraUtilityDlg* dlg = nullptr;
    };
    class OnColorSelectListener : public OnColorPlateClickListener {
    public:
        void onColorClick(int swatch) override;
        void onSwitchClick(bool on) override;
        GlimraUtilityDlg* dlg = nullptr;
    };

protected:
    bool OnInitDialog() override;
    // The outcome of single link requests is not looked at.
    void OnCommResult(int, Message*) override {}
    bool OnWidgetEvent(QEvent* event) override;

private:
    void BindControls();
    // A missing plate image ends it with the file error (reported by the dispatch), skipping
    // the rest of the layout and of the initialisation.
    void LayOutControls();
    void ApplyTexts();
    void ApplyAccessibleNames();
    void SetUpKeyboard();
    // The lighting modes and the swatches as named groups for assistive technology.
    void SetUpAccessibleGroups();
    void ReleaseAccessibleGroups();
    // The swatch stand-ins tell which swatch the plate shows selected.
    void ShowSelectedSwatch();
    void PlaceControl(QWidget* control, int x, int y);
    void SetUpButton(Button* button, const QString& skin, OnClickListener* listener);
    void StartOpenRgbServer();

    // Lighting entry points: each delegates to LightingActions and copies its view into the
    // controls in the order the actions touch them.
    void RefreshFromController();
    void SelectSwatch(int swatch);
    void ToggleEnable(bool on);
    void StepBrightness(bool up);
    void SelectMode(int modeIndex);
    void EnableLightingControls(bool enable);
    void ShowEnabledControls();
    void ShowBrightnessLevel();
    void ShowBrightnessBitmap(int bitmapId);

    fw::LRESULT OnCommand(fw::WPARAM wParam);
    fw::LRESULT OnSysCommand(fw::WPARAM wParam, fw::LPARAM lParam);
    fw::LRESULT OnTimer(fw::WPARAM id);
    fw::LRESULT OnDeviceChange(fw::WPARAM event, fw::LPARAM data);
    fw::LRESULT OnConnectionLost();
    fw::LRESULT OnNotifyIcon(fw::WPARAM id, fw::LPARAM mouse);
    fw::LRESULT OnGraphValue(CGraph* graph, int& last, fw::WPARAM value);

    void OnButtonClick(BaseButton* button);
    void ShowSettingsMenuUnderButton();
    void ShowSystemMenu(const QPoint& globalPos);
    void OnMinimizeToTray();
    void OnLanguage(int packIndex);
    void OnOpen();
    void OnExit();
    void OnHelp();
    void FadeOutAndHide();

    // Members in the order the window builds them.
    GroupButton modeGroup_;
    std::array<Button*, 6> modeButtons_{}; // in mode-index order
    Button* increase_ = nullptr;
    Button* decrease_ = nullptr;
    Button* close_ = nullptr;
    Button* min_ = nullptr;
    Button* setting_ = nullptr;
    Button* default_ = nullptr;
    CColorPlate* colorPlate_ = nullptr;
    QLabel* version_ = nullptr;
    CGraph* fanSpeedGraph_ = nullptr;
    CGraph* gpuTemperatureGraph_ = nullptr;
    CGraph* cpuTemperatureGraph_ = nullptr;
    QLabel* notFound_ = nullptr;
    CBrightnessPicture* brightness_ = nullptr;
    std::unique_ptr<SettingsMenu> settingsMenu_;
    std::unique_ptr<SystemMenu> systemMenu_;
    // Holds no threads here; Exit raises its stop flag all the same.
    Ostrel ostrel_;
    std::uint8_t currentHandle_ = 0;
    OnLightnessButtonClickListener lightnessListener_;
    OnButtonClickListener buttonListener_;
    OnModeButtonClickListener modeListener_;
    OnColorSelectListener colorListener_;
    int lastFanSpeed_ = 0;
    int lastGpuTemperature_ = 0;
    int lastCpuTemperature_ = 0;
    int minToTray_ = 0;
    int connected_ = 0;
    int connectionEvent_ = EVENT_NONE;
    // Set while the scan that follows a lost channel runs, so that a controller that fails
    // again as soon as it is opened waits for the next arrival instead of being retried
    // without end.
    bool rescanAfterLoss_ = false;
    std::unique_ptr<UsbDeviceEntry> deviceTable_;
    ControllerProtocol* protocol_ = nullptr;
    std::unique_ptr<LightingActions> lighting_;
    QIcon appIcon_;
    double scale_ = 1.0;
    int brightnessBitmapId_ = 0;
    bool exiting_ = false;
    bool awaitingFirstPaint_ = true;
    // Keyboard and screen-reader stand-ins for the swatches (the plate itself is the switch).
    std::array<KeyboardProxy*, 8> swatchProxies_{};
    // Told when the Default sequence that was asked for has run (its timer 3).
    std::vector<std::function<void(bool)>> defaultDone_;
    // Owned by the accessibility registry, released with the window's widget.
    AccessibleGroup* modeAccessGroup_ = nullptr;
    AccessibleGroup* swatchAccessGroup_ = nullptr;
    std::unique_ptr<UtilityBus> bus_;
    // After the bus object, so its port is closed before the name goes back to a service.
    std::unique_ptr<OpenRgbServer> openRgb_;
    // Declared last, so it goes first: the link closes before anything it reports to.
    CommManager commManager_;
};
