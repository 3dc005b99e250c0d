// Draws the bitmaps and the icon of one language's resource set, so the repository keeps
// their source rather than opaque images.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTextStream>

#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "PNG");
}

QImage Background(const QString& language) {
    QImage image(800, 455, QImage::Format_ARGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 455);
    gradient.setColorAt(0, QColor(0x2A, 0x2D, 0x34));
    gradient.setColorAt(1, QColor(0x14, 0x15, 0x19));
    p.fillRect(image.rect(), gradient);
    p.setPen(QColor(0x58, 0x58, 0x5A));
    p.drawLine(0, 30, 800, 30);
    p.setPen(QColor(0xD0, 0xD0, 0xD0));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(12, 0, 300, 30), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("GLIMRA UTILITY  ") + language);
    return image;
}

// A column of eight dots, the lowest `lit` of them white and the rest grey.
QImage BrightnessPicture(int lit) {
    QImage image(17, 186, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int dot = 0; dot < 8; ++dot) {
        const int fromBottom = dot;
        const int y = 186 - 12 - fromBottom * 23;
        p.setBrush(fromBottom < lit ? QColor(Qt::white) : QColor(0x5A, 0x5A, 0x5A));
        p.drawEllipse(QPointF(8.5, y + 3.5), 6.5, 6.5);
    }
    return image;
}

QImage Icon() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QConicalGradient ring(32, 32, 90);
    ring.setColorAt(0.0, Qt::red);
    ring.setColorAt(0.33, Qt::green);
    ring.setColorAt(0.66, Qt::blue);
    ring.setColorAt(1.0, Qt::red);
    p.setBrush(ring);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(32, 32), 30, 30);
    p.setBrush(QColor(0x20, 0x22, 0x28));
    p.drawEllipse(QPointF(32, 32), 18, 18);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: glimra-resgen <language> <output folder>\n");
        return 2;
    }
    const QString language = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    bool ok = Save(Background(language), out + "/bitmap/1000.png");
    for (int level = 0; level <= 8; ++level)
        ok = Save(BrightnessPicture(level),
                  out + QStringLiteral("/bitmap/%1.png").arg(1043 + level)) &&
             ok;
    ok = Save(Icon(), out + "/icon/128.png") && ok;
    return ok ? 0 : 1;
}
