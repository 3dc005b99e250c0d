#include "Framework/Drawing/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace fw {

bool IsFontFamilyAvailable(const QString& family) {
    return !family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

QFont BoldFont(const QString& family, qreal size, FontUnit unit) {
    QFont font;
    if (IsFontFamilyAvailable(family)) {
        font.setFamily(family);
    } else {
        font.setFamily(QStringLiteral("Sans Serif"));
        font.setStyleHint(QFont::SansSerif);
    }
    font.setBold(true);
    if (unit == FontUnit::Pixel)
        font.setPixelSize(qMax(1, qRound(size)));
    else
        font.setPointSizeF(size > 0 ? size : 1.0);
    return font;
}

} // namespace fw
