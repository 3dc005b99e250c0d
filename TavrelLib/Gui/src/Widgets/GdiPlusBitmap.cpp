#include "Widgets/GdiPlusBitmap.h"

#include "Framework/RegularFile.h"

#include <QFileInfo>

namespace {
// "dir/name.png" -> "dir/name@2x.png"
QString HighDensityPath(const QString& path) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    if (suffix.isEmpty())
        return path + QStringLiteral("@2x");
    return path.left(path.size() - suffix.size() - 1) + QStringLiteral("@2x.") + suffix;
}
} // namespace

bool GdiPlusBitmap::Load(const QString& path) {
    // Left empty unless path is a regular file we could read; no bytes load nothing.
    QByteArray bytes;
    fw::ReadRegularFile(path, MaxFileBytes, &bytes);
    return LoadFromData(bytes, path);
}

bool GdiPlusBitmap::LoadFromData(const QByteArray& bytes, const QString& path) {
    image_ = QImage();
    image2x_ = QImage();
    path2x_.clear();
    tried2x_ = false;
    if (bytes.isEmpty() || !image_.loadFromData(bytes))
        return false;
    // In place: the decoded ARGB32 buffer becomes the premultiplied one, no second copy.
    image_ = std::move(image_).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    path2x_ = HighDensityPath(path);
    return true;
}

const QImage& GdiPlusBitmap::ImageFor(qreal devicePixelRatio) const {
    if (devicePixelRatio <= 1.0 || path2x_.isEmpty())
        return image_;
    if (!tried2x_) {
        tried2x_ = true;
        QImage large;
        QByteArray bytes;
        if (fw::ReadRegularFile(path2x_, MaxFileBytes, &bytes) == fw::RegularFileStatus::Ok &&
            large.loadFromData(bytes) && large.width() == 2 * image_.width() &&
            large.height() == 2 * image_.height()) {
            image2x_ = std::move(large).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            image2x_.setDevicePixelRatio(2.0);
        }
    }
    return image2x_.isNull() ? image_ : image2x_;
}
