#pragma once

#include "Model/ColourConversion.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

class LightingHolder;

// What the controller shows, in the terms of the OpenRGB device we offer.
struct OpenRgbDeviceState {
    bool on = false;
    int modeIndex = 0; // the window's mode index
    int swatch = 0;    // 1-8, 0 when none is marked yet
    unsigned level = 0;
    RgbColour led{0, 0, 0}; // the colour the controller holds for the LEDs
    QByteArray version;
};

// A mode as a client sends it back in UPDATEMODE or SAVEMODE.
struct OpenRgbModeRequest {
    qint32 index = 0;
    std::optional<RgbColour> colour;   // the first of the mode's colours, if it sent any
    std::optional<quint32> brightness; // protocol 3 and later
};

// Our controller as one OpenRGB device: one zone with one LED, the window's six modes by
// OpenRGB's common names and an "Off" mode. Colours sent by clients go to the nearest swatch;
// their value (largest channel) picks the brightness level.
class OpenRgbDeviceModel {
public:
    static constexpr int ModeCount = 7;
    static constexpr int OffMode = 6;
    static constexpr unsigned MinLevel = 1;
    static constexpr unsigned MaxLevel = 8;

    static const char* ModeName(int mode);
    // The window's mode index for one of our modes, -1 for Off.
    static int WindowModeIndex(int mode);
    static bool ModeHasColour(int mode);

    // Off when the lights are off; a mode the window does not know is shown as Static.
    static int ActiveMode(const OpenRgbDeviceState& state);

    static OpenRgbDeviceState StateOf(const LightingHolder& holder);

    // The Device Data block (with its size field) encoded for a protocol version.
    static QByteArray DeviceData(const OpenRgbDeviceState& state, quint32 version);

    // The payload of UPDATEMODE / SAVEMODE; nothing when it is malformed.
    static std::optional<OpenRgbModeRequest> ParseModeRequest(QByteArrayView payload,
                                                              quint32 version);
    // The colours of UPDATELEDS (zone -1) or UPDATEZONELEDS; nothing when malformed or when they
    // name a zone or more LEDs than the device has. An empty list gives an empty optional colour.
    static std::optional<std::optional<RgbColour>> ParseLedColours(QByteArrayView payload,
                                                                   bool zoneUpdate);
    // UPDATESINGLELED: nothing when malformed or for an LED the device does not have.
    static std::optional<RgbColour> ParseSingleLed(QByteArrayView payload);
    // RESIZEZONE: whether it names our zone.
    static bool ParseResizeZone(QByteArrayView payload);

    // The swatch nearest to the colour brought to full brightness; black has none (0).
    static int NearestSwatch(RgbColour colour);
    // The level that the colour's value stands for, 1-8; 0 for black.
    static unsigned LevelForValue(RgbColour colour);
};
