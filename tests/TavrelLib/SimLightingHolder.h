#pragma once

#include "Control/LightingActions.h"
#include "Control/LightingHolder.h"
#include "Protocol/CommManager.h"

// A holder as the window or the service would be one: the lighting actions over a connection
// manager, each click the action the window's control runs.
class SimLightingHolder : public LightingHolder {
public:
    explicit SimLightingHolder(CommManager& manager)
        : manager_(manager), protocol_(manager.GetProtocol()), actions_(protocol_, nullptr) {}

    // Scan, open and read back, as the window's connection timer does.
    bool Connect() {
        manager_.RefreshDevices();
        manager_.Open(0);
        connected_ = manager_.IsConnected() && actions_.RefreshFromController();
        return connected_;
    }
    void Disconnect() {
        manager_.Close();
        actions_.EnableLightingControls(false);
        connected_ = false;
    }

    bool IsConnected() const override { return connected_; }
    bool IsBusy() const override { return busy; }
    const LightingView& View() const override { return actions_.View(); }
    int Refresh() override { return actions_.RefreshFromController(); }
    const ControllerProtocol* Protocol() const override { return connected_ ? protocol_ : nullptr; }
    bool LastWriteFailed() const override { return manager_.LastWriteFailed(); }

    void ClickSwatch(int swatch) override { actions_.SelectSwatch(swatch); }
    void ClickSwitch() override { actions_.ToggleEnable(!actions_.View().on); }
    void ClickPlus() override { actions_.StepBrightness(true); }
    void ClickMinus() override { actions_.StepBrightness(false); }
    void ClickMode(int index) override { actions_.SelectMode(index); }
    void ClickRecover() override { protocol_->LeaveUpgradeMode(); }
    void ClickDefault(std::function<void(bool answered)> done) override {
        done(actions_.RunDefaultSequence() != 0);
    }
    void Activate() override {}

    bool busy = false;

private:
    CommManager& manager_;
    ControllerProtocol* protocol_;
    LightingActions actions_;
    bool connected_ = false;
};
