// Bitmap 1000: the main window's 800 x 455 background. The section titles and the six mode
// names are part of the picture, so each language pack carries its own.
#include "SkinArt.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>

namespace skin {

namespace {

struct Texts {
    QString brightness;
    QString modes;
    QStringList modeNames; // in the order of the mode buttons
};

Texts TextsFor(const QString& language) {
    if (language.startsWith(QLatin1String("zh")))
        return {QStringLiteral("亮度"),
                QStringLiteral("灯光模式"),
                {QStringLiteral("静态"), QStringLiteral("闪烁"), QStringLiteral("呼吸"),
                 QStringLiteral("渐变"), QStringLiteral("静态循环"), QStringLiteral("呼吸循环")}};
    return {QStringLiteral("BRIGHTNESS"),
            QStringLiteral("LIGHTING MODE"),
            {QStringLiteral("STATIC"), QStringLiteral("STROBE"), QStringLiteral("BREATH"),
             QStringLiteral("GRADUAL"), QStringLiteral("STATIC CYCLE"),
             QStringLiteral("BREATH CYCLE")}};
}

// Where the window's controls sit, in window pixels.
constexpr int TitleBarHeight = 24;
constexpr int ModeButtonX = 591;
constexpr int ModeButtonTop = 117;
constexpr int ModeButtonPitch = 35;
constexpr int ModeButtonSize = 24;
const QPointF PlateCentre(261 + 138.5, 95 + 138.5);
const QRectF BrightnessPanel(88, 50, 148, 364);
const QRectF ModePanel(575, 50, 210, 364);

void Panel(QPainter& p, const QRectF& r) {
    p.setPen(QPen(palette::PanelBorder, 1));
    p.setBrush(palette::PanelFill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

// A section title with a short accent bar under its first letters.
void Heading(QPainter& p, const QString& text, const QString& language, const QRectF& box,
             Qt::Alignment align) {
    p.setFont(HeadingFont(language, 13));
    p.setPen(palette::Heading);
    QRectF bounds;
    p.drawText(box, align | Qt::AlignVCenter, text, &bounds);
    const qreal barX = (align & Qt::AlignHCenter) ? box.center().x() - 12 : bounds.left();
    p.setPen(Qt::NoPen);
    p.setBrush(palette::Accent);
    p.drawRoundedRect(QRectF(barX, box.bottom() + 4, 24, 2.5), 1.25, 1.25);
}

void TitleBar(QPainter& p) {
    QLinearGradient bar(0, 0, 0, TitleBarHeight);
    bar.setColorAt(0, palette::TitleBar.lighter(115));
    bar.setColorAt(1, palette::TitleBar);
    p.fillRect(QRectF(0, 0, 800, TitleBarHeight), bar);
    p.fillRect(QRectF(0, TitleBarHeight - 1, 800, 1), QColor(0xFF, 0xFF, 0xFF, 0x10));

    // The word mark, centred: a small ring of the eight swatch colours, then the name.
    QFont font = HeadingFont(QStringLiteral("en_US"), 12);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(font);
    const QString name = QStringLiteral("GLIMRA UTILITY");
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(name);
    const qreal markX = 400 - (textWidth + 18) / 2;
    const QPointF ring(markX + 6, TitleBarHeight / 2.0);
    for (int s = 1; s <= 8; ++s) {
        p.setPen(QPen(SwatchColour(s), 2.2, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(QRectF(ring.x() - 5, ring.y() - 5, 10, 10), (180 - 45 * s) * 16 + 40,
                  45 * 16 - 80);
    }
    p.setPen(palette::Label);
    p.drawText(QRectF(markX + 18, 0, textWidth + 10, TitleBarHeight),
               Qt::AlignLeft | Qt::AlignVCenter, name);
}

} // namespace

void PaintBackground(QPainter& p, const QString& language) {
    const Texts texts = TextsFor(language);

    QLinearGradient base(0, 0, 0, 455);
    base.setColorAt(0, palette::WindowTop);
    base.setColorAt(1, palette::WindowBottom);
    p.fillRect(QRectF(0, 0, 800, 455), base);

    // A soft light behind the colour plate and a faint groove around it.
    QRadialGradient glow(PlateCentre, 190);
    glow.setColorAt(0, QColor(0x4A, 0x52, 0x5E, 0x70));
    glow.setColorAt(1, QColor(0x4A, 0x52, 0x5E, 0));
    p.fillRect(QRectF(0, TitleBarHeight, 800, 455 - TitleBarHeight), glow);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 0x50), 3));
    p.drawEllipse(PlateCentre, 150, 150);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 0x12), 1));
    p.drawEllipse(PlateCentre, 152, 152);

    TitleBar(p);

    // Brightness: the dot column and the two buttons sit in this panel.
    Panel(p, BrightnessPanel);
    Heading(p, texts.brightness, language, QRectF(BrightnessPanel.left(), 66, 148, 20),
            Qt::AlignHCenter);
    // The track the dots sit on.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 0x40));
    p.drawRoundedRect(QRectF(151, 124, 21, 202), 10.5, 10.5);

    // Lighting mode: the title, then each mode's name just right of its button.
    Panel(p, ModePanel);
    Heading(p, texts.modes, language, QRectF(ModeButtonX, 66, 180, 20), Qt::AlignLeft);
    p.setFont(LabelFont(language, 13));
    for (int i = 0; i < texts.modeNames.size(); ++i) {
        const qreal top = ModeButtonTop + i * ModeButtonPitch;
        if (i > 0)
            p.fillRect(QRectF(ModeButtonX, top - 6, 178, 1), QColor(0xFF, 0xFF, 0xFF, 0x0C));
        p.setPen(palette::Label);
        p.drawText(QRectF(ModeButtonX + ModeButtonSize + 12, top, 150, ModeButtonSize),
                   Qt::AlignLeft | Qt::AlignVCenter, texts.modeNames[i]);
    }
}

} // namespace skin
