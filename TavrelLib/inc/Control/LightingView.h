#pragma once

#include <QString>

// What the main window's lighting controls show, as the lighting actions leave them. The window
// copies it into its controls after each action; the command-line tool reports it.
struct LightingView {
    // Bitmap resources of the brightness picture: 1043 + level for levels 1-8, else 1043.
    static constexpr int NoLevelBitmap = 1043;

    // EnableLightingControls: the mode group, the Default button and the colour plate's window.
    bool controlsEnabled = false;
    // Increase and Decrease.
    bool brightnessEnabled = false;
    // Swatch picks on the colour plate.
    bool colourEnabled = true;

    int swatch = 0;     // selected swatch on the plate, 1-8 (0: none yet)
    bool on = false;    // the plate's centre switch
    unsigned level = 0; // brightness level shown
    int modeIndex = 0;  // selected mode button; no button for an index outside 0-5
    bool versionShown = false;
    QString version;     // the controller's version text, up to its first zero byte
    QString versionText; // the version label: "V " + version

    int BrightnessBitmap() const {
        return level >= 1 && level <= 8 ? NoLevelBitmap + static_cast<int>(level) : NoLevelBitmap;
    }
};
