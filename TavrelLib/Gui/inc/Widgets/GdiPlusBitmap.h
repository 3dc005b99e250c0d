#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>

// One skin image read from a file. Beside "name.png" the holder also uses "name@2x.png" when
// it exists, so a surface composed at a device pixel ratio of 2 stays sharp; every size the
// widgets work with is the 1x image's, in logical pixels. The dense file is decoded only when
// a dense surface first asks for it, so a 1x screen never pays for it.
class GdiPlusBitmap {
public:
    GdiPlusBitmap() = default;
    virtual ~GdiPlusBitmap() = default;
    GdiPlusBitmap(const GdiPlusBitmap&) = delete;
    GdiPlusBitmap& operator=(const GdiPlusBitmap&) = delete;

    // A skin image larger than this is not one of ours.
    static constexpr std::int64_t MaxFileBytes = 16 << 20;

    // Replaces the current image by the file's; true exactly when the file was decoded. A
    // failed load still leaves a holder (a null image), as the widgets expect. Only a regular
    // file is read: a FIFO or device in its place fails rather than hangs.
    bool Load(const QString& path);
    // The same from the file's bytes, read earlier; path names the file, for its "@2x" companion.
    bool LoadFromData(const QByteArray& bytes, const QString& path);

    bool IsNull() const { return image_.isNull(); }
    // The 1x image (logical size).
    const QImage& Image() const { return image_; }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // The image to draw on a surface of the given device pixel ratio: the "@2x" file when
    // there is one and the ratio exceeds 1, marked with its ratio so that QPainter draws it
    // at the logical size.
    const QImage& ImageFor(qreal devicePixelRatio) const;

private:
    QImage image_;
    QString path2x_;
    mutable bool tried2x_ = false;
    mutable QImage image2x_;
};

// The holder the widgets instantiate, one per image.
class GdiPlusBitmapResource : public GdiPlusBitmap {};
