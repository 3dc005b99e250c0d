#include "Framework/Drawing/ColorMatrix.h"

#include <algorithm>
#include <cmath>

namespace fw {

ColorMatrix ColorMatrix::Identity() {
    ColorMatrix identity;
    for (int i = 0; i < 5; ++i)
        identity.m[i][i] = 1.0f;
    return identity;
}

namespace {
int ToChannel(float value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}
} // namespace

QRgb ApplyColorMatrix(QRgb pixel, const ColorMatrix& matrix) {
    const float in[5] = {qRed(pixel) / 255.0f, qGreen(pixel) / 255.0f, qBlue(pixel) / 255.0f,
                         qAlpha(pixel) / 255.0f, 1.0f};
    float out[4];
    for (int column = 0; column < 4; ++column) {
        float sum = 0.0f;
        for (int row = 0; row < 5; ++row)
            sum += in[row] * matrix.m[row][column];
        out[column] = sum;
    }
    return qRgba(ToChannel(out[0]), ToChannel(out[1]), ToChannel(out[2]), ToChannel(out[3]));
}

QImage ApplyColorMatrix(const QImage& image, const ColorMatrix& matrix) {
    if (image.isNull())
        return {};
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = ApplyColorMatrix(line[x], matrix);
    }
    result = result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(image.devicePixelRatio());
    return result;
}

} // namespace fw
