#include "StandInSkin.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {
struct Look {
    const char* file;
    QSize size;
    QColor fill;
    QColor mark;
};

void Draw(const QString& folder, const Look& look, int scale) {
    QImage image(look.size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    QPainterPath body;
    body.addRoundedRect(QRectF(QPointF(0.5, 0.5), QSizeF(look.size) - QSizeF(1, 1)), 5, 5);
    painter.fillPath(body, look.fill);
    painter.setPen(QPen(look.mark, 1));
    painter.drawPath(body);
    // A small diagonal that shows sharpness at scale 2.
    painter.drawLine(QPointF(4, look.size.height() - 4), QPointF(look.size.height() - 4, 4));
    painter.end();
    const QString name = QString::fromLatin1(look.file);
    image.save(folder + name + (scale == 1 ? QString() : QStringLiteral("@2x")) +
               QStringLiteral(".png"));
}
} // namespace

void DrawStandInSkin(const QString& folder) {
    QDir().mkpath(folder);
    const QSize small(22, 22), wide(120, 34), mode(26, 26);
    const Look looks[] = {
        {"CLOSE_WIN", small, QColor(60, 60, 66), QColor(220, 80, 80)},
        {"CLOSE_WIN_HOVER", small, QColor(200, 60, 60), QColor(255, 255, 255)},
        {"MIN", small, QColor(60, 60, 66), QColor(200, 200, 200)},
        {"MIN_HOVER", small, QColor(90, 90, 100), QColor(255, 255, 255)},
        {"SETTING", small, QColor(60, 60, 66), QColor(200, 200, 200)},
        {"SETTING_HOVER", small, QColor(90, 90, 100), QColor(255, 255, 255)},
        {"PLUS", small, QColor(50, 90, 140), QColor(230, 230, 230)},
        {"PLUS_HOVER", small, QColor(70, 120, 180), QColor(255, 255, 255)},
        {"MINUS", small, QColor(50, 90, 140), QColor(230, 230, 230)},
        {"MINUS_HOVER", small, QColor(70, 120, 180), QColor(255, 255, 255)},
        {"DEFAULT", wide, QColor(210, 210, 214), QColor(90, 90, 90)},
        {"DEFAULT_HOVER", wide, QColor(235, 235, 240), QColor(60, 60, 60)},
        {"MODE", mode, QColor(70, 70, 76), QColor(150, 150, 150)},
        {"MODE_HOVER", mode, QColor(95, 95, 104), QColor(200, 200, 200)},
        {"MODE_DISABLE", mode, QColor(50, 50, 50), QColor(90, 90, 90)},
        {"MODE_SELECTED", mode, QColor(30, 170, 200), QColor(255, 255, 255)},
        {"MODE_SELECTED_HOVER", mode, QColor(60, 200, 230), QColor(255, 255, 255)},
    };
    for (const Look& look : looks) {
        Draw(folder, look, 1);
        Draw(folder, look, 2);
    }
}
