#pragma once

#include <QtGlobal>

// Numbers of OpenRGB's SDK network protocol that this server speaks (versions 0 to 4).
struct OpenRgbProtocol {
    // The highest version we speak; a client takes the lower of this and its own.
    static constexpr quint32 ServerVersion = 4;
    static constexpr quint16 DefaultPort = 6742;

    static constexpr int HeaderSize = 16;
    // No request we answer comes near this; anything larger is hostile or broken.
    static constexpr quint32 MaxPayloadSize = 4096;

    enum PacketId : quint32 {
        RequestControllerCount = 0,
        RequestControllerData = 1,
        RequestProtocolVersion = 40,
        SetClientName = 50,
        DeviceListUpdated = 100,
        RequestProfileList = 150,
        SaveProfile = 151,
        LoadProfile = 152,
        DeleteProfile = 153,
        RequestPluginList = 200,
        ResizeZone = 1000,
        UpdateLeds = 1050,
        UpdateZoneLeds = 1051,
        UpdateSingleLed = 1052,
        SetCustomMode = 1100,
        UpdateMode = 1101,
        SaveMode = 1102,
    };

    // Mode flags.
    static constexpr quint32 HasBrightness = 1u << 4;
    static constexpr quint32 HasModeSpecificColour = 1u << 6;
    static constexpr quint32 AutomaticSave = 1u << 9;

    // Colour modes.
    static constexpr quint32 ColourModeNone = 0;
    static constexpr quint32 ColourModeSpecific = 2;

    static constexpr qint32 DeviceTypeLight = 11;
    static constexpr qint32 ZoneTypeSingle = 0;
};
