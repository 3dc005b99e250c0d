#pragma once

#include <QBrush>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace fw {

// Draws the text centred horizontally and vertically in the layout box (it may overflow it).
void DrawStringCentered(QPainter& painter, const QString& text, const QFont& font,
                        const QBrush& brush, const QRectF& layout);

// Draws the text with the top-left corner of its line box at origin.
void DrawStringAt(QPainter& painter, const QString& text, const QFont& font, const QBrush& brush,
                  const QPointF& origin);

// The size of the text's line box; an empty text measures (0, 0).
QSizeF MeasureString(const QString& text, const QFont& font);

} // namespace fw
