// Fuzz target: an OpenRGB SDK client's bytes, whole and cut in two, through one connection's
// packet reader, request parsing and device control, with a holder that only keeps its view.
#include "Control/LightingHolder.h"
#include "OpenRgb/OpenRgbConnection.h"
#include "OpenRgb/OpenRgbDeviceModel.h"
#include "Protocol/ControllerProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class ViewHolder : public LightingHolder {
public:
    ViewHolder() {
        view_.controlsEnabled = view_.brightnessEnabled = view_.colourEnabled = true;
        view_.swatch = 1;
        view_.level = 8;
    }
    bool IsConnected() const override { return true; }
    bool IsBusy() const override { return false; }
    const LightingView& View() const override { return view_; }
    int Refresh() override { return 1; }
    const ControllerProtocol* Protocol() const override { return &protocol_; }
    bool LastWriteFailed() const override { return false; }
    void ClickSwatch(int swatch) override {
        if (swatch < 1 || swatch > 8 || !view_.colourEnabled)
            std::abort();
        view_.swatch = swatch;
    }
    void ClickSwitch() override { view_.on = !view_.on; }
    void ClickPlus() override {
        if (view_.level < 8)
            ++view_.level;
    }
    void ClickMinus() override {
        if (view_.level > 1)
            --view_.level;
    }
    void ClickMode(int index) override {
        if (index < 0 || index > 5)
            std::abort();
        view_.modeIndex = index;
        view_.colourEnabled = view_.brightnessEnabled = index <= 2;
    }
    void ClickRecover() override { std::abort(); }
    void ClickDefault(std::function<void(bool)>) override { std::abort(); }
    void Activate() override {}

private:
    LightingView view_;
    ControllerProtocol protocol_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ViewHolder holder;
    {
        OpenRgbConnection whole(holder);
        QByteArray output;
        whole.Feed(bytes, output);
    }
    {
        // The same stream in two pieces must not read past either.
        OpenRgbConnection split(holder);
        QByteArray output;
        const qsizetype cut = size ? static_cast<qsizetype>(data[0] % size) : 0;
        if (split.Feed(bytes.first(cut), output))
            split.Feed(bytes.sliced(cut), output);
    }
    for (quint32 version = 0; version <= 4; ++version)
        OpenRgbDeviceModel::ParseModeRequest(bytes, version);
    OpenRgbDeviceModel::ParseLedColours(bytes, true);
    OpenRgbDeviceModel::ParseLedColours(bytes, false);
    OpenRgbDeviceModel::ParseSingleLed(bytes);
    return 0;
}
