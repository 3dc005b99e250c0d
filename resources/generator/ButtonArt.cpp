// The button skins of the image folder: the title bar's Close, Min and Setting, the
// brightness Plus and Minus, the lighting-mode selector and the Default button. The button
// draws its caption itself, so DEFAULT carries none.
#include "SkinArt.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace skin {

namespace {

constexpr QSize TitleButtonSize(20, 20);
constexpr QSize RoundButtonSize(27, 27);
constexpr QSize ModeSize(24, 24);
constexpr QSize DefaultSize(178, 32);

enum class Look { Normal, Hover };

void TitleButtonGround(QPainter& p, Look look, const QColor& hoverFill) {
    if (look != Look::Hover)
        return;
    p.setPen(Qt::NoPen);
    p.setBrush(hoverFill);
    p.drawRoundedRect(QRectF(1, 2, 18, 17), 4, 4);
}

QPen GlyphPen(Look look) {
    return QPen(look == Look::Hover ? QColor(Qt::white) : palette::Glyph, 1.6, Qt::SolidLine,
                Qt::RoundCap, Qt::RoundJoin);
}

void Close(QPainter& p, Look look) {
    TitleButtonGround(p, look, palette::Close);
    p.setPen(GlyphPen(look));
    p.drawLine(QPointF(6.5, 7), QPointF(13.5, 14));
    p.drawLine(QPointF(13.5, 7), QPointF(6.5, 14));
}

void Min(QPainter& p, Look look) {
    TitleButtonGround(p, look, QColor(0xFF, 0xFF, 0xFF, 0x24));
    p.setPen(GlyphPen(look));
    p.drawLine(QPointF(6, 10.5), QPointF(14, 10.5));
}

void Setting(QPainter& p, Look look) {
    TitleButtonGround(p, look, QColor(0xFF, 0xFF, 0xFF, 0x24));
    // A gear: eight teeth around a ring.
    const QPointF c(10, 10.5);
    QPainterPath gear;
    for (int i = 0; i < 16; ++i) {
        const qreal r = (i % 2 == 0) ? 6.6 : 4.9;
        const qreal a0 = (i * 22.5 - 7.5) * M_PI / 180;
        const qreal a1 = (i * 22.5 + 7.5) * M_PI / 180;
        const QPointF p0(c.x() + r * std::cos(a0), c.y() + r * std::sin(a0));
        const QPointF p1(c.x() + r * std::cos(a1), c.y() + r * std::sin(a1));
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 2.2, 2.2);
    p.setPen(Qt::NoPen);
    p.setBrush(look == Look::Hover ? QColor(Qt::white) : palette::Glyph);
    p.drawPath(gear.subtracted(hole));
}

// Plus and Minus: a round button in the accent colour, brighter on hover. The colour is what
// the button's grey matrix takes away when it is disabled, so the two looks differ at a glance.
void Round(QPainter& p, Look look, bool plus) {
    const bool hover = look == Look::Hover;
    const QPointF c(13.5, 13.5);
    QLinearGradient fill(0, 1, 0, 26);
    fill.setColorAt(0, hover ? QColor(0x2C, 0x55, 0x5E) : QColor(0x23, 0x43, 0x4A));
    fill.setColorAt(1, hover ? QColor(0x1E, 0x3B, 0x42) : QColor(0x18, 0x2C, 0x31));
    p.setPen(QPen(hover ? palette::AccentBright : palette::Accent, 1.5));
    p.setBrush(fill);
    p.drawEllipse(c, 12, 12);
    p.setPen(
        QPen(hover ? QColor(Qt::white) : palette::AccentBright, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - 5, c.y()), QPointF(c.x() + 5, c.y()));
    if (plus)
        p.drawLine(QPointF(c.x(), c.y() - 5), QPointF(c.x(), c.y() + 5));
}

enum class Mode { Normal, Hover, Selected, SelectedHover, Disabled };

// The lighting-mode selector: a round socket whose centre lights in the accent colour when
// the mode is the chosen one.
void ModeButton(QPainter& p, Mode mode) {
    const QPointF c(12, 12);
    const bool selected = mode == Mode::Selected || mode == Mode::SelectedHover;
    const bool hover = mode == Mode::Hover || mode == Mode::SelectedHover;
    QColor ring = palette::ControlEdge;
    if (mode == Mode::Disabled)
        ring = QColor(0x4A, 0x4C, 0x52);
    else if (selected)
        ring = hover ? palette::AccentBright : palette::Accent;
    else if (hover)
        ring = QColor(0x9A, 0x9F, 0xA8);

    if (selected) {
        QRadialGradient halo(c, 12);
        halo.setColorAt(0.6, QColor(palette::Accent.red(), palette::Accent.green(),
                                    palette::Accent.blue(), hover ? 0x70 : 0x48));
        halo.setColorAt(
            1, QColor(palette::Accent.red(), palette::Accent.green(), palette::Accent.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(c, 12, 12);
    }
    // A disabled socket is drawn with a broken ring, so it reads as unavailable at a glance.
    QPen ringPen(ring, 1.6);
    if (mode == Mode::Disabled) {
        ringPen.setDashPattern({1.6, 1.4});
        ringPen.setCapStyle(Qt::FlatCap);
    }
    p.setPen(ringPen);
    p.setBrush(mode == Mode::Disabled
                   ? QColor(0x1E, 0x1F, 0x23)
                   : (hover ? QColor(0x30, 0x33, 0x3A) : QColor(0x20, 0x22, 0x27)));
    p.drawEllipse(c, 8.5, 8.5);
    if (selected) {
        QRadialGradient dot(c - QPointF(1, 1), 5);
        dot.setColorAt(0, hover ? QColor(Qt::white) : palette::AccentBright);
        dot.setColorAt(1, palette::Accent);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(c, 4.5, 4.5);
    } else if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x6B, 0x70, 0x78));
        p.drawEllipse(c, 3, 3);
    }
}

// Default: a light pill tinted with the accent, so that the button's dark grey caption reads
// well on it and the grey disabled look is plainly another.
void DefaultButton(QPainter& p, Look look) {
    const bool hover = look == Look::Hover;
    const QRectF r(0.5, 0.5, DefaultSize.width() - 1, DefaultSize.height() - 1);
    QLinearGradient fill(0, 0, 0, DefaultSize.height());
    fill.setColorAt(0, hover ? QColor(0xE4, 0xF9, 0xFB) : QColor(0xC6, 0xEE, 0xF3));
    fill.setColorAt(1, hover ? QColor(0xA6, 0xE4, 0xEC) : QColor(0x86, 0xD2, 0xDD));
    p.setPen(QPen(hover ? palette::AccentBright : palette::Accent, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    // A highlight along the top edge.
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 0x90), 1));
    p.drawLine(QPointF(16, 1.5), QPointF(DefaultSize.width() - 16, 1.5));
}

} // namespace

bool WriteButtons(const QString& folder) {
    const QString f = folder + QLatin1Char('/');
    bool ok = true;
    const auto pair = [&](const QString& name, QSize size, const auto& paint) {
        ok = SaveBoth(f + name + ".png", size, [&](QPainter& p) { paint(p, Look::Normal); }) && ok;
        ok = SaveBoth(f + name + "_HOVER.png", size, [&](QPainter& p) { paint(p, Look::Hover); }) &&
             ok;
    };
    pair(QStringLiteral("CLOSE_WIN"), TitleButtonSize, Close);
    pair(QStringLiteral("MIN"), TitleButtonSize, Min);
    pair(QStringLiteral("SETTING"), TitleButtonSize, Setting);
    pair(QStringLiteral("PLUS"), RoundButtonSize, [](QPainter& p, Look l) { Round(p, l, true); });
    pair(QStringLiteral("MINUS"), RoundButtonSize, [](QPainter& p, Look l) { Round(p, l, false); });
    pair(QStringLiteral("DEFAULT"), DefaultSize, DefaultButton);

    const struct {
        const char* suffix;
        Mode mode;
    } modes[] = {{"", Mode::Normal},
                 {"_HOVER", Mode::Hover},
                 {"_DISABLE", Mode::Disabled},
                 {"_SELECTED", Mode::Selected},
                 {"_SELECTED_HOVER", Mode::SelectedHover}};
    for (const auto& m : modes)
        ok = SaveBoth(f + "MODE" + m.suffix + ".png", ModeSize,
                      [&](QPainter& p) { ModeButton(p, m.mode); }) &&
             ok;
    return ok;
}

} // namespace skin
