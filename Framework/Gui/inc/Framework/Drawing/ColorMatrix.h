#pragma once

#include <QImage>
#include <QRgb>

#include <array>

namespace fw {

// A 5 x 5 colour matrix: rows red, green, blue, alpha, translation. A pixel's channels, scaled to
// 0 … 1, form the row vector (r, g, b, a, 1) that multiplies the matrix from the left; results
// are clamped to 0 … 1.
struct ColorMatrix {
    std::array<std::array<float, 5>, 5> m{};

    static ColorMatrix Identity();
};

// One unpremultiplied ARGB value through the matrix.
QRgb ApplyColorMatrix(QRgb pixel, const ColorMatrix& matrix);

// A copy of the image with every pixel through the matrix (on unpremultiplied values); keeps the
// image's device pixel ratio. The result is premultiplied ARGB; a null image gives a null image.
QImage ApplyColorMatrix(const QImage& image, const ColorMatrix& matrix);

} // namespace fw
