#pragma once

#include "TempFolder.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cstdlib>

// An opaque picture whose every pixel tells its position: red from x, green from y.
inline QImage PositionImage(int w, int h, int blue = 200) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(20 + 7 * x, 30 + 9 * y, blue));
    return image;
}

inline QImage SolidImage(int w, int h, QRgb argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(argb));
    return image;
}

// Writes the image as name (a PNG) into the folder; the file's path.
inline QString WritePng(const TempFolder& folder, const QString& name, const QImage& image) {
    const QString path = folder.File(name);
    image.save(path, "PNG");
    return path;
}

inline bool NearRgb(QRgb a, QRgb b, int tolerance = 1) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// A parent whose own pixels tell their position too (in a different blue from the pictures), so
// a button's background snapshot can be told apart from its images.
class PatternParent : public QWidget {
public:
    PatternParent() { resize(80, 60); }
    static QRgb At(int x, int y) { return qRgb((5 * x) % 256, (11 * y) % 256, 40); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QImage pattern(size(), QImage::Format_RGB32);
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                pattern.setPixel(x, y, At(x, y));
        painter.drawImage(0, 0, pattern);
    }
};
