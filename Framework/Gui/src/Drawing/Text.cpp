#include "Framework/Drawing/Text.h"

#include <QFontMetricsF>
#include <QPainter>

namespace fw {

namespace {
void DrawIn(QPainter& painter, const QString& text, const QFont& font, const QBrush& brush,
            const QRectF& box, int flags) {
    if (text.isEmpty())
        return;
    painter.save();
    painter.setFont(font);
    painter.setPen(QPen(brush, 0));
    painter.drawText(box, flags | Qt::TextDontClip | Qt::TextSingleLine, text);
    painter.restore();
}
} // namespace

void DrawStringCentered(QPainter& painter, const QString& text, const QFont& font,
                        const QBrush& brush, const QRectF& layout) {
    DrawIn(painter, text, font, brush, layout, Qt::AlignCenter);
}

void DrawStringAt(QPainter& painter, const QString& text, const QFont& font, const QBrush& brush,
                  const QPointF& origin) {
    DrawIn(painter, text, font, brush, QRectF(origin, MeasureString(text, font)),
           Qt::AlignLeft | Qt::AlignTop);
}

QSizeF MeasureString(const QString& text, const QFont& font) {
    if (text.isEmpty())
        return {0, 0};
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

} // namespace fw
