#include "Widgets/ColorPlate.h"

#include "Framework/Drawing/Brushes.h"
#include "Framework/Drawing/Fonts.h"
#include "Framework/Drawing/Images.h"
#include "Framework/Drawing/Surface.h"
#include "Framework/Drawing/Text.h"
#include "Framework/FileException.h"
#include "Framework/RegularFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

// The hit test's answer for one point.
struct Hit {
    enum Kind { Miss, Centre, Ring } kind = Miss;
    int swatch = 0;
};

Hit HitTest(const QPointF& point, bool enabled) {
    const float px = static_cast<float>(point.x());
    const float py = static_cast<float>(point.y());
    const double dx = CColorPlate::CentreX - px;
    const double dy = CColorPlate::CentreY - py;
    const double d2 = dx * dx + dy * dy;
    if (d2 <= CColorPlate::SwitchRadius * CColorPlate::SwitchRadius)
        return {Hit::Centre, 0};
    if (!enabled || d2 < CColorPlate::RingInner * CColorPlate::RingInner ||
        d2 > CColorPlate::RingOuter * CColorPlate::RingOuter)
        return {};
    double a = std::atan2(dy, dx) * 180.0 / M_PI;
    if (a < 0)
        a += 360.0;
    const int swatch = CColorPlate::SwatchAtAngle(a);
    if (swatch == 0)
        return {};
    return {Hit::Ring, swatch};
}

} // namespace

// Swatch n (1..7) covers the open interval 45n - 22.5 to 45n + 22.5 degrees; swatch 8 wraps
// over 0.
int CColorPlate::SwatchAtAngle(double a) {
    if ((a > 337.5 && a <= 360.0) || (a >= 0.0 && a < 22.5))
        return 8;
    for (int swatch = 1; swatch < SwatchCount; ++swatch) {
        const double middle = 45.0 * swatch;
        if (a > middle - 22.5 && a < middle + 22.5)
            return swatch;
    }
    return 0;
}

CColorPlate::CColorPlate(QWidget* parent)
    : fw::OwnerDrawButton(parent),
      captionFont_(fw::BoldFont(QStringLiteral("Gotham"), 7, fw::FontUnit::Point)),
      captionBrush_(fw::SolidBrush(0xFF9E9D9D)) {}

CColorPlate::~CColorPlate() = default;

void CColorPlate::Load(const QString& onImage, const QString& offImage,
                       const QStringList& swatchImages, int selected, bool on) {
    loaded_ = false;
    Invalidate();
    std::array<QString, ImageCount> paths;
    paths[0] = onImage;
    for (int i = 0; i < SwatchCount; ++i)
        paths[1 + i] = swatchImages.value(i);
    paths[OffImage] = offImage;
    // Every file is read and its header checked now, so a missing one is reported at once;
    // each is decoded only when its look is first shown (most sessions show two or three).
    QSize size;
    for (int i = 0; i < ImageCount; ++i) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        const bool readable = fw::ReadRegularFile(paths[i], GdiPlusBitmap::MaxFileBytes, &bytes) ==
                                  fw::RegularFileStatus::Ok &&
                              reader.canRead() && reader.size().isValid();
        if (!readable)
            throw fw::FileException(fw::FileException::FileNotFound, 2,
                                    QStringLiteral("Can not find color image."));
        if (i == 0)
            size = reader.size();
        files_[i] = std::move(bytes);
        paths_[i] = paths[i];
    }
    loaded_ = true;
    width_ = size.width();
    height_ = size.height();
    resize(width_, height_);
    selected_ = selected;
    on_ = on;
    // The composed looks cover the whole control.
    setAttribute(Qt::WA_OpaquePaintEvent);
    update();
}

void CColorPlate::SetText(const QString& onCaption, const QString& offCaption) {
    onCaption_ = onCaption;
    offCaption_ = offCaption;
    Invalidate();
    update();
}

void CColorPlate::SetSelectedIndex(int swatch) {
    selected_ = swatch;
    paintMode_ = Selected;
    update();
}

void CColorPlate::SetOn(bool on) {
    on_ = on;
    paintMode_ = FollowState;
    update();
}

void CColorPlate::SetEnabled(bool enabled) {
    enabled_ = enabled;
    paintMode_ = FollowState;
    update();
}

void CColorPlate::SetOnColorPlateClickListener(OnColorPlateClickListener* listener) {
    listener_ = listener;
}

QImage CColorPlate::BackgroundSnapshot(qreal ratio) const {
    QPixmap snapshot(QSize(width_, height_) * ratio);
    snapshot.setDevicePixelRatio(ratio);
    snapshot.fill(Qt::transparent);
    // The parent's own painting under the plate, without its other children.
    if (QWidget* parent = parentWidget())
        parent->render(&snapshot, QPoint(), QRegion(QRect(pos(), QSize(width_, height_))),
                       QWidget::DrawWindowBackground);
    return snapshot.toImage();
}

void CColorPlate::Invalidate() {
    for (QImage& surface : surfaces_)
        surface = QImage();
    snapshot_ = QImage();
    preparedRatio_ = 0;
}

const QImage& CColorPlate::Look(int index) {
    QImage& surface = surfaces_[static_cast<std::size_t>(index)];
    if (!surface.isNull())
        return surface;
    const qreal ratio = preparedRatio_;
    if (snapshot_.isNull())
        snapshot_ = BackgroundSnapshot(ratio);
    const QRectF plate(0, 0, width_, height_);
    surface = fw::CreateSurface(QSize(width_, height_), ratio);
    QPainter p(&surface);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(plate, snapshot_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHints(QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    // Decoded for this look alone: the composed surface is all a paint needs afterwards.
    GdiPlusBitmap image;
    if (image.LoadFromData(files_[static_cast<std::size_t>(index)],
                           paths_[static_cast<std::size_t>(index)]))
        fw::DrawImage(p, image.ImageFor(ratio), plate);
    const QString& caption = index == OffImage ? offCaption_ : onCaption_;
    fw::DrawStringCentered(p, caption, captionFont_, captionBrush_, plate);
    p.end();
    // The look covers the control (it lies over a snapshot of the parent): without an alpha
    // channel a paint is a straight copy into the window's back store, not a blend.
    surface = std::move(surface).convertToFormat(QImage::Format_RGB32);
    return surface;
}

int CColorPlate::SurfaceToShow() const {
    const int swatch = selected_ >= 1 && selected_ <= SwatchCount ? selected_ : 0;
    // After a click on nothing the plate keeps its picture; before any paint there is none to
    // keep, so it shows what the switch and the enabled flag call for.
    if (paintMode_ == Selected)
        return swatch;
    if (paintMode_ == Keep && shown_ >= 0)
        return shown_;
    if (!on_)
        return OffImage;
    return enabled_ ? swatch : 0;
}

void CColorPlate::OnCtlColor(QPainter& painter) {
    // Nothing is composed or drawn for a plate whose images are not all there.
    if (!loaded_)
        return;
    // The ratio of what is really painted on (the window's back buffer, or an image the plate
    // is rendered into), so that the looks are composed pixel for pixel.
    const QPaintDevice* target =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const qreal ratio = target ? target->devicePixelRatioF() : fw::DevicePixelRatioOf(painter);
    if (preparedRatio_ != ratio) {
        Invalidate();
        preparedRatio_ = ratio;
    }
}

void CColorPlate::DrawItem(QPainter& painter) {
    if (!loaded_)
        return;
    const int surface = SurfaceToShow();
    shown_ = surface;
    fw::CopySurface(painter, QPointF(0, 0), Look(surface));
}

void CColorPlate::OnLButtonUp(QMouseEvent* event) {
    HitAt(event->position());
    fw::OwnerDrawButton::OnLButtonUp(event);
}

void CColorPlate::HitAt(const QPointF& point) {
    const Hit hit = HitTest(point, enabled_);
    switch (hit.kind) {
    case Hit::Centre:
        paintMode_ = FollowState;
        on_ = !on_;
        break;
    case Hit::Ring:
        selected_ = hit.swatch;
        on_ = true;
        paintMode_ = Selected;
        break;
    case Hit::Miss:
        paintMode_ = Keep;
        break;
    }
    if (listener_ && paintMode_ == Selected)
        listener_->onColorClick(selected_);
    else if (listener_ && paintMode_ == FollowState)
        listener_->onSwitchClick(on_);
    update();
}
