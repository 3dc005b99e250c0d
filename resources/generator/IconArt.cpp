// Icon 128: the colour plate in miniature, a ring of the eight swatch colours around a dark
// centre with the power sign.
#include "SkinArt.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>

namespace skin {

void PaintIcon(QPainter& p, int size) {
    const qreal s = size / 64.0;
    p.save();
    p.scale(s, s);
    const QPointF c(32, 32);

    QLinearGradient bezel(0, 2, 0, 62);
    bezel.setColorAt(0, QColor(0x3A, 0x3E, 0x46));
    bezel.setColorAt(1, QColor(0x18, 0x19, 0x1D));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawEllipse(c, 31, 31);

    // Eight sectors, red at the upper left as on the plate.
    for (int swatch = 1; swatch <= 8; ++swatch) {
        const qreal centreAngle =
            180 - 45 * swatch; // Qt's angles: counter-clockwise from 3 o'clock
        QPainterPath sector;
        sector.arcMoveTo(QRectF(c.x() - 28, c.y() - 28, 56, 56), centreAngle - 20);
        sector.arcTo(QRectF(c.x() - 28, c.y() - 28, 56, 56), centreAngle - 20, 40);
        sector.arcTo(QRectF(c.x() - 17, c.y() - 17, 34, 34), centreAngle + 20, -40);
        sector.closeSubpath();
        p.setBrush(SwatchColour(swatch));
        p.drawPath(sector);
    }

    p.setBrush(QColor(0x1C, 0x1E, 0x22));
    p.drawEllipse(c, 14, 14);
    // At least 1.25 pixels wide, so the sign still reads in a 16-pixel panel icon.
    QPen power(palette::Accent, std::max<qreal>(3, 1.25 / s), Qt::SolidLine, Qt::RoundCap);
    p.setPen(power);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 7, c.y() - 6, 14, 14), 120 * 16, 300 * 16);
    p.drawLine(QPointF(c.x(), c.y() - 8), QPointF(c.x(), c.y() - 1));
    p.restore();
}

} // namespace skin
