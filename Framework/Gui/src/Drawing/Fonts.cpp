#include "Framework/Drawing/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace fw {

bool IsFontFamilyAvailable(const QString& family) {
    if (family.isEmpty())
        return false;
    const QStringList families = QFontDatabase::families();
    if (families.contains(family, Qt::CaseInsensitive))
        return true;
    // A family the program maps to faces it carries (a substitution) is never listed itself,
    // yet a font asking for it draws with those faces.
    const QStringList substitutes = QFont::substitutes(family);
    for (const QString& substitute : substitutes) {
        if (families.contains(substitute, Qt::CaseInsensitive))
            return true;
    }
    return false;
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
