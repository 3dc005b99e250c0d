#pragma once

#include <QFont>
#include <QString>

namespace fw {

// Units a font size can be given in.
enum class FontUnit { Pixel, Point };

// Whether the font database knows the family (installed, or added by the program), or the
// family is substituted by one it knows.
bool IsFontFamilyAvailable(const QString& family);

// A bold font of the family at the size; a family that is not available falls back to the
// generic sans-serif family.
QFont BoldFont(const QString& family, qreal size, FontUnit unit);

} // namespace fw
