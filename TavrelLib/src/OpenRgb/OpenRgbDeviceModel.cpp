#include "OpenRgb/OpenRgbDeviceModel.h"

#include "Control/LightingHolder.h"
#include "Control/LightingModeTable.h"
#include "Control/SwatchTable.h"
#include "Model/LightingModel.h"
#include "OpenRgb/OpenRgbPacket.h"
#include "OpenRgb/OpenRgbProtocol.h"
#include "Protocol/ControllerProtocol.h"

#include <algorithm>

namespace {

struct ModeInfo {
    const char* name;
    int windowIndex; // -1: Off
};

// OpenRGB's common names, in the window's order, then Off.
constexpr ModeInfo kModes[OpenRgbDeviceModel::ModeCount] = {
    {"Static", 0},       {"Flashing", 1},     {"Breathing", 2}, {"Spectrum Cycle", 3},
    {"Static Cycle", 4}, {"Breath Cycle", 5}, {"Off", -1},
};

// Home Assistant builds its device key from these: they never change.
constexpr char kName[] = "Glimra Lighting Controller";
constexpr char kVendor[] = "Glimra";
constexpr char kDescription[] = "Glimra USB HID RGB lighting controller";
constexpr char kSerial[] = "";
constexpr char kLocation[] = "HID: 04D9:8008";

// The largest channel.
unsigned ValueOf(RgbColour c) {
    return std::max({c.red, c.green, c.blue});
}

void WriteMode(OpenRgbWriter& out, const OpenRgbDeviceState& state, int mode, quint32 version) {
    const bool colour = OpenRgbDeviceModel::ModeHasColour(mode);
    out.String(kModes[mode].name);
    out.I32(mode);
    out.U32(OpenRgbProtocol::AutomaticSave |
            (colour ? OpenRgbProtocol::HasBrightness | OpenRgbProtocol::HasModeSpecificColour : 0));
    out.U32(0); // speed min
    out.U32(0); // speed max
    if (version >= 3) {
        out.U32(colour ? OpenRgbDeviceModel::MinLevel : 0);
        out.U32(colour ? OpenRgbDeviceModel::MaxLevel : 0);
    }
    out.U32(colour ? 1 : 0); // colours min
    out.U32(colour ? 1 : 0); // colours max
    out.U32(0);              // speed
    if (version >= 3) {
        out.U32(colour ? std::clamp(state.level, OpenRgbDeviceModel::MinLevel,
                                    OpenRgbDeviceModel::MaxLevel)
                       : 0);
    }
    out.U32(0); // direction
    out.U32(colour ? OpenRgbProtocol::ColourModeSpecific : OpenRgbProtocol::ColourModeNone);
    if (colour) {
        out.U16(1);
        RgbColour swatch = SwatchTable::SwatchColour(state.swatch);
        if (state.swatch < 1 || state.swatch > SwatchTable::SwatchCount)
            swatch = SwatchTable::NormaliseColour(state.led);
        out.Colour(swatch);
    } else {
        out.U16(0);
    }
}

} // namespace

const char* OpenRgbDeviceModel::ModeName(int mode) {
    return mode >= 0 && mode < ModeCount ? kModes[mode].name : "";
}

int OpenRgbDeviceModel::WindowModeIndex(int mode) {
    return mode >= 0 && mode < ModeCount ? kModes[mode].windowIndex : -1;
}

bool OpenRgbDeviceModel::ModeHasColour(int mode) {
    const int index = WindowModeIndex(mode);
    return index >= 0 && LightingModeTable::AcceptsColour(index);
}

int OpenRgbDeviceModel::ActiveMode(const OpenRgbDeviceState& state) {
    if (!state.on)
        return OffMode;
    if (state.modeIndex >= 0 && state.modeIndex < LightingModeTable::ModeCount)
        return state.modeIndex;
    return 0;
}

OpenRgbDeviceState OpenRgbDeviceModel::StateOf(const LightingHolder& holder) {
    const LightingView& view = holder.View();
    OpenRgbDeviceState state;
    state.modeIndex = view.modeIndex;
    state.swatch = view.swatch;
    state.level = view.level;
    state.version = view.version.toLatin1();
    // The model holds what was last sent to the controller; the view's switch can run ahead
    // of it (a swatch pick marks the plate on without switching the controller on).
    if (const ControllerProtocol* protocol = holder.Protocol()) {
        const LightingModel& model = protocol->Model();
        state.on = model.GetEnable(0) != 0;
        model.GetLedColour(0, state.led.red, state.led.green, state.led.blue);
    }
    return state;
}

QByteArray OpenRgbDeviceModel::DeviceData(const OpenRgbDeviceState& state, quint32 version) {
    OpenRgbWriter out;
    const qsizetype block = out.BeginBlock();
    out.I32(OpenRgbProtocol::DeviceTypeLight);
    out.String(kName);
    if (version >= 1)
        out.String(kVendor);
    out.String(kDescription);
    out.String(state.version);
    out.String(kSerial);
    out.String(kLocation);

    out.U16(ModeCount);
    out.I32(ActiveMode(state));
    for (int mode = 0; mode < ModeCount; ++mode)
        WriteMode(out, state, mode, version);

    out.U16(1);
    out.String("Lighting");
    out.I32(OpenRgbProtocol::ZoneTypeSingle);
    out.U32(1); // LEDs min
    out.U32(1); // LEDs max
    out.U32(1); // LEDs
    out.U16(0); // no matrix
    if (version >= 4)
        out.U16(0); // no segments

    out.U16(1);
    out.String("LED");
    out.U32(0);

    out.U16(1);
    out.Colour(state.on ? state.led : RgbColour{0, 0, 0});
    out.EndBlock(block);
    return out.Bytes();
}

std::optional<OpenRgbModeRequest> OpenRgbDeviceModel::ParseModeRequest(QByteArrayView payload,
                                                                       quint32 version) {
    OpenRgbReader head(payload);
    const quint32 size = head.U32();
    if (!head.Ok() || size < 8 || size > static_cast<quint32>(payload.size()))
        return std::nullopt;
    OpenRgbReader in(payload.first(size).sliced(4));
    OpenRgbModeRequest request;
    request.index = in.I32();
    in.String(); // name
    in.I32();    // value
    in.U32();    // flags
    in.U32();    // speed min
    in.U32();    // speed max
    if (version >= 3) {
        in.U32(); // brightness min
        in.U32(); // brightness max
    }
    in.U32(); // colours min
    in.U32(); // colours max
    in.U32(); // speed
    if (version >= 3)
        request.brightness = in.U32();
    in.U32(); // direction
    in.U32(); // colour mode
    const quint16 colours = in.U16();
    for (quint16 i = 0; i < colours && in.Ok(); ++i) {
        const RgbColour colour = in.Colour();
        if (i == 0)
            request.colour = colour;
    }
    if (!in.Ok() || request.index < 0 || request.index >= ModeCount)
        return std::nullopt;
    return request;
}

std::optional<std::optional<RgbColour>> OpenRgbDeviceModel::ParseLedColours(QByteArrayView payload,
                                                                            bool zoneUpdate) {
    OpenRgbReader in(payload);
    const quint32 size = in.U32();
    // Older clients counted the block 4 bytes short; OpenRGB takes that up to protocol 4.
    const auto total = static_cast<quint32>(payload.size());
    if (!in.Ok() || (size != total && size + 4 != total))
        return std::nullopt;
    if (zoneUpdate && in.U32() != 0)
        return std::nullopt;
    const quint16 count = in.U16();
    if (!in.Ok() || count > 1)
        return std::nullopt;
    std::optional<RgbColour> colour;
    if (count == 1)
        colour = in.Colour();
    if (!in.Ok())
        return std::nullopt;
    return colour;
}

std::optional<RgbColour> OpenRgbDeviceModel::ParseSingleLed(QByteArrayView payload) {
    OpenRgbReader in(payload);
    const qint32 led = in.I32();
    const RgbColour colour = in.Colour();
    if (!in.Ok() || led != 0)
        return std::nullopt;
    return colour;
}

bool OpenRgbDeviceModel::ParseResizeZone(QByteArrayView payload) {
    OpenRgbReader in(payload);
    const qint32 zone = in.I32();
    in.I32(); // size: our zone has one LED for good
    return in.Ok() && zone == 0;
}

int OpenRgbDeviceModel::NearestSwatch(RgbColour colour) {
    const unsigned value = ValueOf(colour);
    if (value == 0)
        return 0;
    const auto full = [value](std::uint8_t channel) {
        return static_cast<int>((channel * 255u + value / 2) / value);
    };
    const int r = full(colour.red), g = full(colour.green), b = full(colour.blue);
    int best = 1;
    int bestDistance = -1;
    for (int swatch = 1; swatch <= SwatchTable::SwatchCount; ++swatch) {
        const RgbColour s = SwatchTable::SwatchColour(swatch);
        const int distance =
            (r - s.red) * (r - s.red) + (g - s.green) * (g - s.green) + (b - s.blue) * (b - s.blue);
        if (bestDistance < 0 || distance < bestDistance) {
            best = swatch;
            bestDistance = distance;
        }
    }
    return best;
}

unsigned OpenRgbDeviceModel::LevelForValue(RgbColour colour) {
    const unsigned value = ValueOf(colour);
    if (value == 0)
        return 0;
    return std::clamp((value * MaxLevel + 127) / 255, MinLevel, MaxLevel);
}
