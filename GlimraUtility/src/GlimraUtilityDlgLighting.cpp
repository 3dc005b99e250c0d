#include "GlimraUtilityDlg.h"

#include "Control/LightingModeTable.h"
#include "Framework/Resources.h"
#include "KeyboardProxy.h"
#include "Widgets/BrightnessPicture.h"

#include <QLabel>

// Each entry point lets LightingActions do the work, then tells the controls what changed in
// the order the actions touch them: the plate paints according to the call that came last.

void GlimraUtilityDlg::RefreshFromController() {
    const int ok = lighting_->RefreshFromController();
    ShowEnabledControls();
    if (!ok)
        return;
    const LightingView& view = lighting_->View();
    version_->setText(view.versionText);
    colorPlate_->SetSelectedIndex(view.swatch);
    ShowSelectedSwatch();
    colorPlate_->SetOn(view.on);
    ShowBrightnessLevel();
    modeGroup_.SelectIndex(view.modeIndex);
    increase_->SetEnabled(view.brightnessEnabled);
    decrease_->SetEnabled(view.brightnessEnabled);
    colorPlate_->SetEnabled(view.colourEnabled);
}

void GlimraUtilityDlg::EnableLightingControls(bool enable) {
    lighting_->EnableLightingControls(enable);
    ShowEnabledControls();
}

void GlimraUtilityDlg::ShowEnabledControls() {
    const LightingView& view = lighting_->View();
    const bool enable = view.controlsEnabled;
    increase_->SetEnabled(enable);
    decrease_->SetEnabled(enable);
    default_->SetEnabled(enable);
    modeGroup_.EnableAll(enable);
    colorPlate_->SetOn(enable);
    colorPlate_->setEnabled(enable);
    version_->setVisible(view.versionShown);
    for (QWidget* proxy : swatchProxies_) {
        if (proxy)
            proxy->setEnabled(enable);
    }
    // Without a controller there is no level to show; a lit column would claim one. The next
    // refresh shows the controller's level again.
    if (!enable)
        ShowBrightnessBitmap(LightingView::NoLevelBitmap);
}

void GlimraUtilityDlg::SelectSwatch(int swatch) {
    lighting_->SelectSwatch(swatch);
    ShowSelectedSwatch();
}

void GlimraUtilityDlg::ShowSelectedSwatch() {
    for (std::size_t i = 0; i < swatchProxies_.size(); ++i) {
        if (swatchProxies_[i])
            swatchProxies_[i]->setChecked(colorPlate_->SelectedIndex() == static_cast<int>(i) + 1);
    }
}

void GlimraUtilityDlg::ToggleEnable(bool on) {
    lighting_->ToggleEnable(on);
}

void GlimraUtilityDlg::StepBrightness(bool up) {
    if (lighting_->StepBrightness(up))
        ShowBrightnessLevel();
}

void GlimraUtilityDlg::ShowBrightnessLevel() {
    ShowBrightnessBitmap(lighting_->View().BrightnessBitmap());
}

void GlimraUtilityDlg::ShowBrightnessBitmap(int bitmapId) {
    brightnessBitmapId_ = bitmapId;
    brightness_->SetLevel(bitmapId - LightingView::NoLevelBitmap);
    brightness_->setAlignment(Qt::AlignCenter);
    brightness_->setPixmap(
        QPixmap::fromImage(fw::Resources::LoadBitmap(static_cast<unsigned>(brightnessBitmapId_))));
    brightness_->setGeometry(145, 90, 34, 270);
    brightness_->show();
    ApplyAccessibleNames();
}

void GlimraUtilityDlg::SelectMode(int modeIndex) {
    lighting_->SelectMode(modeIndex);
    const LightingView& view = lighting_->View();
    increase_->SetEnabled(view.brightnessEnabled);
    decrease_->SetEnabled(view.brightnessEnabled);
    colorPlate_->SetEnabled(view.colourEnabled);
}

// ---- what a click does, for callers other than the mouse ----

void GlimraUtilityDlg::ClickSwatch(int swatch) {
    // A ring click on a plate that refuses picks is a miss.
    if (!IsPlateEnabled() || swatch < 1 || swatch > 8)
        return;
    colorPlate_->SetOn(true);
    colorPlate_->SetSelectedIndex(swatch);
    SelectSwatch(swatch);
}

void GlimraUtilityDlg::ClickSwitch() {
    // The centre answers also when swatches are refused, but not on a disabled plate.
    if (!lighting_->View().controlsEnabled)
        return;
    const bool on = !lighting_->View().on;
    colorPlate_->SetOn(on);
    ToggleEnable(on);
}

void GlimraUtilityDlg::ClickPlus() {
    if (IsBrightnessEnabled())
        StepBrightness(true);
}

void GlimraUtilityDlg::ClickMinus() {
    if (IsBrightnessEnabled())
        StepBrightness(false);
}

void GlimraUtilityDlg::ClickMode(int index) {
    if (!lighting_->View().controlsEnabled || index < 0 || index >= LightingModeTable::ModeCount)
        return;
    modeGroup_.SelectIndex(index);
    SelectMode(index);
}

void GlimraUtilityDlg::ClickDefault(std::function<void(bool answered)> done) {
    if (!lighting_->View().controlsEnabled) {
        done(false);
        return;
    }
    defaultDone_.push_back(std::move(done));
    SetTimer(TIMER_DEFAULT_RESTORE, 0);
}
