// The colour plate's images: "ON.png" (the plate lit, no swatch marked), the eight swatch
// images (the plate lit with that swatch marked) and "OFF.png". All share one size with the
// centre at (138.5, 138.5); the swatches fill the ring from radius 78 to 125 and the switch
// fills radius 48.5, where the plate's hit test looks for them.
#include "SkinArt.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace skin {

namespace {

constexpr int PlateSize = 277;
const QPointF Centre(138.5, 138.5);
constexpr qreal RingInner = 78;
constexpr qreal RingOuter = 125;
constexpr qreal SwitchRadius = 48.5;
constexpr qreal BezelRadius = 137;
constexpr qreal GapDegrees = 1.6; // half the gap between neighbouring swatches

enum class Power { On, Off };

// Qt counts angles counter-clockwise from three o'clock; swatch 1 sits at the upper left
// and the numbers run clockwise, swatch 8 at the left.
qreal SwatchAngle(int swatch) {
    return 180.0 - 45.0 * swatch;
}

QRectF Circle(qreal radius) {
    return {Centre.x() - radius, Centre.y() - radius, 2 * radius, 2 * radius};
}

QPainterPath Sector(int swatch, qreal inner, qreal outer, qreal halfSpan) {
    const qreal start = SwatchAngle(swatch) - halfSpan;
    QPainterPath path;
    path.arcMoveTo(Circle(outer), start);
    path.arcTo(Circle(outer), start, 2 * halfSpan);
    path.arcTo(Circle(inner), start + 2 * halfSpan, -2 * halfSpan);
    path.closeSubpath();
    return path;
}

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(
        a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
        a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QColor WithAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

void Bezel(QPainter& p) {
    // A soft drop shadow, then the plate's body lit from above.
    QRadialGradient shadow(Centre + QPointF(0, 2), BezelRadius + 1);
    shadow.setColorAt(0.9, QColor(0, 0, 0, 0x70));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(Centre + QPointF(0, 1.5), BezelRadius + 1, BezelRadius + 1);

    QLinearGradient body(0, Centre.y() - BezelRadius, 0, Centre.y() + BezelRadius);
    body.setColorAt(0, QColor(0x40, 0x44, 0x4C));
    body.setColorAt(1, QColor(0x1B, 0x1D, 0x21));
    p.setBrush(body);
    p.drawEllipse(Centre, BezelRadius - 1.5, BezelRadius - 1.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 0x22), 1));
    p.drawEllipse(Centre, BezelRadius - 2, BezelRadius - 2);

    // The trough the swatches sit in.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0F, 0x10, 0x13));
    p.drawEllipse(Centre, RingOuter + 3, RingOuter + 3);
}

// Lit: full colour; Receded: lit, but stepped back so that the marked swatch stands out;
// Unlit: the plate switched off.
enum class SwatchLook { Lit, Receded, Marked, Unlit };

void Swatch(QPainter& p, int swatch, SwatchLook look) {
    const QColor colour = SwatchColour(swatch);
    const QColor dark(0x2E, 0x30, 0x36);
    const Power power = look == SwatchLook::Unlit ? Power::Off : Power::On;
    const bool marked = look == SwatchLook::Marked;
    QColor base = colour;
    if (look == SwatchLook::Unlit)
        base = Mix(dark, colour, 0.22);
    else if (look == SwatchLook::Receded)
        base = Mix(dark, colour, 0.72);
    const QPainterPath sector = Sector(swatch, RingInner, RingOuter, 22.5 - GapDegrees);

    // Deeper towards the centre, full colour at the rim.
    QRadialGradient fill(Centre, RingOuter);
    fill.setColorAt(RingInner / RingOuter, Mix(base, QColor(0, 0, 0), 0.28));
    fill.setColorAt(0.86, base);
    fill.setColorAt(1, Mix(base, QColor(Qt::white), power == Power::On ? 0.18 : 0.04));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(sector);

    // A sheen from the top-left, the same on every swatch so the ring reads as one surface.
    QLinearGradient sheen(Centre.x() - RingOuter, Centre.y() - RingOuter, Centre.x() + 40,
                          Centre.y() + 40);
    sheen.setColorAt(0, QColor(0xFF, 0xFF, 0xFF, power == Power::On ? 0x38 : 0x14));
    sheen.setColorAt(1, QColor(0xFF, 0xFF, 0xFF, 0));
    p.setBrush(sheen);
    p.drawPath(sector);

    if (!marked)
        return;
    // The chosen swatch: a white frame on a dark one just inside its sector, so that it shows
    // on the white swatch too.
    const QPainterPath frame =
        Sector(swatch, RingInner + 2.5, RingOuter - 2.5, 22.5 - GapDegrees - 1.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x12, 0x13, 0x16, 0xD0), 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(frame);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(frame);
}

// The centre switch; the caption (ON or OFF) is drawn by the control across its middle, so
// the power sign sits above it.
void Switch(QPainter& p, Power power, const QColor& light) {
    // The gap between switch and ring.
    p.setPen(Qt::NoPen);
    QRadialGradient gap(Centre, RingInner);
    gap.setColorAt(SwitchRadius / RingInner, QColor(0x12, 0x13, 0x16));
    gap.setColorAt(1, QColor(0x22, 0x24, 0x29));
    p.setBrush(gap);
    p.drawEllipse(Centre, RingInner, RingInner);

    const bool on = power == Power::On;
    if (on) {
        QRadialGradient glow(Centre, SwitchRadius + 12);
        glow.setColorAt(SwitchRadius / (SwitchRadius + 12), WithAlpha(light, 0x70));
        glow.setColorAt(1, WithAlpha(light, 0));
        p.setBrush(glow);
        p.drawEllipse(Centre, SwitchRadius + 12, SwitchRadius + 12);
    }
    // The rim of the switch, then its face, convex and lit from above.
    p.setBrush(on ? light : QColor(0x4A, 0x4D, 0x54));
    p.drawEllipse(Centre, SwitchRadius, SwitchRadius);
    QLinearGradient face(0, Centre.y() - SwitchRadius, 0, Centre.y() + SwitchRadius);
    face.setColorAt(0, QColor(0x3C, 0x40, 0x48));
    face.setColorAt(1, QColor(0x1F, 0x21, 0x26));
    p.setBrush(face);
    p.drawEllipse(Centre, SwitchRadius - 2.5, SwitchRadius - 2.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 0x18), 1));
    p.drawEllipse(Centre, SwitchRadius - 3.5, SwitchRadius - 3.5);

    const QColor sign = on ? light : QColor(0x70, 0x74, 0x7B);
    const QPointF top(Centre.x(), Centre.y() - 23);
    p.setPen(QPen(sign, 2.2, Qt::SolidLine, Qt::RoundCap));
    // The arc opens at the top, where the stroke comes down into it.
    p.drawArc(QRectF(top.x() - 7, top.y() - 6, 14, 14), 125 * 16, 290 * 16);
    p.drawLine(QPointF(top.x(), top.y() - 7.5), QPointF(top.x(), top.y() + 0.5));
}

// marked: the swatch to mark, 0 for none.
void Plate(QPainter& p, Power power, int marked) {
    Bezel(p);
    for (int swatch = 1; swatch <= 8; ++swatch) {
        SwatchLook look = SwatchLook::Lit;
        if (power == Power::Off)
            look = SwatchLook::Unlit;
        else if (swatch == marked)
            look = SwatchLook::Marked;
        else if (marked != 0)
            look = SwatchLook::Receded;
        Swatch(p, swatch, look);
    }
    Switch(p, power, marked ? SwatchColour(marked) : palette::Accent);
}

} // namespace

bool WritePlate(const QString& folder) {
    static const char* const names[8] = {"RED",   "WHITE",  "CYAN",   "BLUE",
                                         "GREEN", "YELLOW", "ORANGE", "PURPLE"};
    const QString f = folder + QLatin1Char('/');
    const QSize size(PlateSize, PlateSize);
    bool ok = SaveBoth(f + "ON.png", size, [](QPainter& p) { Plate(p, Power::On, 0); });
    ok = SaveBoth(f + "OFF.png", size, [](QPainter& p) { Plate(p, Power::Off, 0); }) && ok;
    for (int swatch = 1; swatch <= 8; ++swatch)
        ok = SaveBoth(f + names[swatch - 1] + ".png", size,
                      [swatch](QPainter& p) { Plate(p, Power::On, swatch); }) &&
             ok;
    return ok;
}

} // namespace skin
