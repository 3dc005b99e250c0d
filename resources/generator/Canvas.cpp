#include "SkinArt.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

#include <cstdio>

namespace skin {

namespace {

QString LatinFamily;
QString ChineseFamily;

QString AddFont(const char* path, const char* fallback) {
    const int id = QFontDatabase::addApplicationFont(QString::fromLocal8Bit(path));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (!families.isEmpty())
        return families.first();
    std::fprintf(stderr, "glimra-resgen: %s not found, drawing with \"%s\"\n", path, fallback);
    return QString::fromLatin1(fallback);
}

QFont MakeFont(const QString& language, qreal pixelSize, QFont::Weight weight) {
    const bool chinese = language.startsWith(QLatin1String("zh"));
    QFont font(chinese ? ChineseFamily : LatinFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(chinese ? QFont::Normal : weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QString HighDensityPath(const QString& path) {
    return path.left(path.size() - 4) + QStringLiteral("@2x.png");
}

bool Save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "glimra-resgen: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

QColor SwatchColour(int swatch) {
    static const QColor colours[8] = {
        {0xFF, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}, {0x00, 0xFF, 0xFF}, {0x00, 0x00, 0xFF},
        {0x00, 0xFF, 0x00}, {0xFF, 0xBF, 0x00}, {0xFF, 0x3F, 0x00}, {0xFF, 0x00, 0xAF},
    };
    return swatch >= 1 && swatch <= 8 ? colours[swatch - 1] : QColor(Qt::black);
}

QImage Draw(QSize logical, qreal scale, const std::function<void(QPainter&)>& paint) {
    QImage image(logical * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    paint(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool SaveBoth(const QString& path, QSize logical, const std::function<void(QPainter&)>& paint) {
    const bool one = Save(Draw(logical, 1.0, paint), path);
    const bool two = Save(Draw(logical, 2.0, paint), HighDensityPath(path));
    return one && two;
}

bool SaveOne(const QString& path, QSize size, const std::function<void(QPainter&)>& paint) {
    return Save(Draw(size, 1.0, paint), path);
}

void LoadFonts() {
    LatinFamily = AddFont(GLIMRA_FONT_DIR "/LeagueSpartan-Bold.otf", "Sans Serif");
    ChineseFamily = AddFont(GLIMRA_CJK_FONT, "WenQuanYi Micro Hei");
}

QFont HeadingFont(const QString& language, qreal pixelSize) {
    QFont font = MakeFont(language, pixelSize, QFont::Bold);
    if (!language.startsWith(QLatin1String("zh")))
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    return font;
}

QFont LabelFont(const QString& language, qreal pixelSize) {
    QFont font = MakeFont(language, pixelSize, QFont::Bold);
    if (!language.startsWith(QLatin1String("zh")))
        font.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    return font;
}

} // namespace skin
