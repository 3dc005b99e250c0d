// Bitmaps 1043 to 1051: the brightness picture, a column of eight dots on a transparent
// 17 x 186 ground, the lowest `lit` of them lit.
#include "SkinArt.h"

#include <QRadialGradient>

namespace skin {

void PaintBrightness(QPainter& p, int lit) {
    constexpr qreal CentreX = 8.5;
    constexpr qreal TopDot = 9.0;
    constexpr qreal Pitch = 24.0;
    p.setPen(Qt::NoPen);
    for (int fromBottom = 0; fromBottom < 8; ++fromBottom) {
        const QPointF c(CentreX, TopDot + (7 - fromBottom) * Pitch);
        if (fromBottom < lit) {
            QRadialGradient halo(c, 8.5);
            halo.setColorAt(0.45, QColor(palette::AccentBright.red(), palette::AccentBright.green(),
                                         palette::AccentBright.blue(), 0x90));
            halo.setColorAt(1, QColor(palette::Accent.red(), palette::Accent.green(),
                                      palette::Accent.blue(), 0));
            p.setBrush(halo);
            p.drawEllipse(c, 8.5, 8.5);
            QRadialGradient core(c - QPointF(1.2, 1.2), 5.5);
            core.setColorAt(0, Qt::white);
            core.setColorAt(1, QColor(0xE4, 0xF8, 0xFB));
            p.setBrush(core);
            p.drawEllipse(c, 4.8, 4.8);
        } else {
            p.setBrush(QColor(0x0E, 0x0F, 0x12));
            p.drawEllipse(c, 4.8, 4.8);
            p.setBrush(QColor(0x4A, 0x4D, 0x54));
            p.drawEllipse(c + QPointF(0, 0.5), 4.0, 4.0);
        }
    }
}

} // namespace skin
