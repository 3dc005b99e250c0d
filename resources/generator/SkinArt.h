#pragma once

// The skin's drawings. Every picture is drawn in logical pixels onto a canvas of `scale`
// physical pixels per logical pixel, so one drawing gives both the 1x file and its "@2x"
// companion for dense screens.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>

namespace skin {

// One palette for the whole skin: charcoal surfaces, light grey text, one cyan accent (the
// colour the graphs draw their curves in).
namespace palette {
inline const QColor WindowTop{0x2B, 0x2E, 0x35};
inline const QColor WindowBottom{0x17, 0x18, 0x1C};
inline const QColor TitleBar{0x15, 0x16, 0x1A};
inline const QColor PanelFill{0xFF, 0xFF, 0xFF, 0x09};
inline const QColor PanelBorder{0xFF, 0xFF, 0xFF, 0x16};
inline const QColor Heading{0xE6, 0xE8, 0xEB};
inline const QColor Label{0xB9, 0xBD, 0xC4};
inline const QColor Muted{0x6B, 0x6F, 0x77};
inline const QColor Glyph{0xA9, 0xAD, 0xB4};
inline const QColor Accent{0x21, 0xBA, 0xCC};
inline const QColor AccentBright{0x5C, 0xDD, 0xEC};
inline const QColor ControlFill{0x2A, 0x2D, 0x33};
inline const QColor ControlEdge{0x60, 0x64, 0x6C};
inline const QColor Close{0xE5, 0x48, 0x4D};
} // namespace palette

// The eight swatches in plate order: red, white, cyan, blue, green, yellow, orange, purple.
QColor SwatchColour(int swatch);

// A transparent canvas of the logical size at the given scale; paint draws in logical pixels.
QImage Draw(QSize logical, qreal scale, const std::function<void(QPainter&)>& paint);

// Writes the picture as path (scale 1) and as path with "@2x" before ".png" (scale 2).
bool SaveBoth(const QString& path, QSize logical, const std::function<void(QPainter&)>& paint);
// Writes the picture once, at scale 1.
bool SaveOne(const QString& path, QSize size, const std::function<void(QPainter&)>& paint);

// Fonts by role. Latin text uses the program's own League Spartan faces; Chinese text uses
// WenQuanYi Micro Hei, so the packs carry real glyphs whatever the build machine's defaults.
void LoadFonts();
QFont HeadingFont(const QString& language, qreal pixelSize);
QFont LabelFont(const QString& language, qreal pixelSize);

// Pictures. `language` is a pack's code ("en_US", "zh_CN").
void PaintBackground(QPainter& p, const QString& language);
void PaintBrightness(QPainter& p, int lit);
void PaintIcon(QPainter& p, int size);

// Skin images in the program's image folder, each name with its "@2x" companion.
bool WriteButtons(const QString& folder);
bool WritePlate(const QString& folder);

} // namespace skin
