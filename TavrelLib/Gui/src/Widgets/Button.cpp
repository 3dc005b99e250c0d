#include "Widgets/Button.h"

#include "Framework/Drawing/Brushes.h"
#include "Framework/Drawing/ColorMatrix.h"
#include "Framework/Drawing/Fonts.h"
#include "Framework/Drawing/Images.h"
#include "Framework/Drawing/Surface.h"
#include "Framework/Drawing/Text.h"

#include <QAccessible>
#include <QPainter>

namespace {
constexpr int kHoverMs = 1;

fw::ColorMatrix MakeBrighten() {
    fw::ColorMatrix m = fw::ColorMatrix::Identity();
    for (int i = 0; i < 3; ++i) {
        m.m[i][i] = 1.05f;
        m.m[4][i] = 0.05f;
    }
    return m;
}

fw::ColorMatrix MakeGrey() {
    fw::ColorMatrix m{};
    for (int c = 0; c < 3; ++c) {
        m.m[0][c] = 0.3f;
        m.m[1][c] = 0.59f;
        m.m[2][c] = 0.11f;
    }
    m.m[3][3] = 1.0f;
    m.m[4][4] = 1.0f;
    return m;
}
} // namespace

const fw::ColorMatrix& Button::BrightenMatrix() {
    static const fw::ColorMatrix matrix = MakeBrighten();
    return matrix;
}

const fw::ColorMatrix& Button::GreyMatrix() {
    static const fw::ColorMatrix matrix = MakeGrey();
    return matrix;
}

Button::Button(QWidget* parent) : BaseButton(parent) {}

Button::~Button() = default;

bool Button::LoadPair(Image& first, Image& second, const QString& firstPath,
                      const QString& secondPath) {
    first = std::make_unique<GdiPlusBitmapResource>();
    bool ok = first->Load(firstPath);
    if (ok && !secondPath.isEmpty()) {
        second = std::make_unique<GdiPlusBitmapResource>();
        ok = second->Load(secondPath);
    }
    if (!ok) {
        first.reset();
        second.reset();
    }
    return ok;
}

void Button::ResizeTo(const GdiPlusBitmap& image) {
    resize(image.Width(), image.Height());
}

void Button::SetImages(const QString& normalPath, const QString& hoverPath) {
    if (normal_)
        return;
    if (LoadPair(normal_, hover_, normalPath, hoverPath))
        ResizeTo(*normal_);
}

void Button::SetSelectedImages(const QString& selectedPath, const QString& selectedHoverPath) {
    if (selected_)
        return;
    if (LoadPair(selected_, selectedHover_, selectedPath, selectedHoverPath))
        ResizeTo(*selected_);
}

void Button::SetDisableImage(const QString& path) {
    if (disabledImage_)
        return;
    disabledImage_ = std::make_unique<GdiPlusBitmapResource>();
    if (disabledImage_->Load(path))
        ResizeTo(*disabledImage_);
    else
        disabledImage_.reset();
}

void Button::SetSelectable(bool selectable) {
    selectable_ = selectable && selected_;
}

void Button::SetState(int state) {
    ChangeState(state == Selected && !selected_ ? Normal : state);
    disabled_ = state_ == Disabled;
    update();
}

void Button::ChangeState(int state) {
    const bool wasSelected = state_ == Selected;
    state_ = state;
    // A screen reader shows a group member as checked: tell it when that changes.
    if (wasSelected != (state_ == Selected) && QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void Button::SetText(const QString& normalCaption, const QString& selectedCaption) {
    normalCaption_ = normalCaption;
    selectedCaption_ = selectedCaption.isEmpty() ? normalCaption : selectedCaption;
    if (!customFont_) {
        captionFont_ = fw::BoldFont(QStringLiteral("Gotham"), 16, fw::FontUnit::Pixel);
        captionBrush_ = fw::SolidBrush(0xFF000000);
    }
    // Assistive tools read the caption unless the owner named the button.
    setText(normalCaption);
    if (prepared_) {
        prepared_ = false;
        update();
    }
}

void Button::SetTextFont(QRgb argb, const QString& family, qreal size, fw::FontUnit unit) {
    customFont_ = true;
    captionFont_ = fw::BoldFont(family, size, unit);
    captionBrush_ = fw::SolidBrush(argb);
}

void Button::SetEnabled(bool enable) {
    disabled_ = !enable;
    if (!enable) {
        hovering_ = false;
        tracking_ = false;
        pressed_ = false;
    }
    setEnabled(enable);
    update();
}

void Button::TakeBackgroundSnapshot(qreal ratio) {
    background_ = fw::CreateSurface(size(), ratio);
    QWidget* parent = parentWidget();
    if (background_.isNull() || !parent)
        return;
    // Only the parent's own pixels: its background and what it paints, not its children.
    parent->render(&background_, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
}

void Button::Compose(QImage& surface, const GdiPlusBitmap* image, const QString& caption,
                     const QPoint& offset, const fw::ColorMatrix* matrix, qreal ratio) const {
    if (!image)
        return;
    surface = fw::CreateSurface(size(), ratio);
    if (surface.isNull())
        return;
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    fw::CopySurface(painter, QPointF(0, 0), background_);
    const QRectF box(offset, QSizeF(size()));
    const QImage& picture = image->ImageFor(ratio);
    if (matrix)
        fw::DrawImage(painter, picture, box, QRectF(QPointF(0, 0), QSizeF(size())), *matrix);
    else
        fw::DrawImage(painter, picture, box);
    if (!normalCaption_.isEmpty())
        fw::DrawStringCentered(painter, caption, captionFont_, captionBrush_, box);
}

void Button::OnCtlColor(QPainter& painter) {
    const qreal ratio = fw::DevicePixelRatioOf(painter);
    if (prepared_ && ratio == composedRatio_)
        return;
    if (!normal_)
        return;
    if (background_.isNull() || ratio != composedRatio_)
        TakeBackgroundSnapshot(ratio);
    composedRatio_ = ratio;
    // Each look is composed when first shown: most buttons never show most of theirs.
    for (QImage* surface : {&normalSurface_, &hoverSurface_, &disabledSurface_, &pressedSurface_,
                            &selectedSurface_, &selectedHoverSurface_, &selectedPressedSurface_})
        *surface = QImage();
    prepared_ = true;
}

const QImage& Button::SurfaceToShow() {
    const bool selected = state_ == Selected;
    const QPoint origin(0, 0);
    const QPoint down(1, 1);
    const GdiPlusBitmap* normal = normal_.get();
    const GdiPlusBitmap* chosen = selected_.get();
    const qreal ratio = composedRatio_;
    auto look = [&](QImage& surface, const GdiPlusBitmap* image, const QString& caption,
                    const QPoint& offset, const fw::ColorMatrix* matrix) -> const QImage& {
        if (surface.isNull())
            Compose(surface, image, caption, offset, matrix, ratio);
        return surface;
    };
    if (state_ == Disabled || disabled_)
        return look(disabledSurface_, disabledImage_ ? disabledImage_.get() : normal,
                    normalCaption_, origin, disabledImage_ ? nullptr : &GreyMatrix());
    if (pressed_)
        return selected ? look(selectedPressedSurface_, chosen, selectedCaption_, down, nullptr)
                        : look(pressedSurface_, normal, normalCaption_, down, nullptr);
    if (hovering_)
        return selected
                   ? look(selectedHoverSurface_, selectedHover_ ? selectedHover_.get() : chosen,
                          selectedCaption_, origin, selectedHover_ ? nullptr : &BrightenMatrix())
                   : look(hoverSurface_, hover_ ? hover_.get() : normal, normalCaption_, origin,
                          hover_ ? nullptr : &BrightenMatrix());
    return selected ? look(selectedSurface_, chosen, selectedCaption_, origin, nullptr)
                    : look(normalSurface_, normal, normalCaption_, origin, nullptr);
}

void Button::DrawItem(QPainter& painter) {
    if (!normal_)
        return;
    fw::CopySurface(painter, QPointF(0, 0), SurfaceToShow());
}

void Button::OnLButtonDown(QMouseEvent* event) {
    pressed_ = true;
    update();
    BaseButton::OnLButtonDown(event);
}

void Button::OnLButtonUp(QMouseEvent* event) {
    if (selectable_)
        ChangeState(state_ == Normal ? Selected : Normal);
    pressed_ = false;
    update();
    BaseButton::OnLButtonUp(event);
}

void Button::OnMouseMove(QMouseEvent* event) {
    if (!tracking_)
        tracking_ = TrackMouseEvent(kHoverMs);
    BaseButton::OnMouseMove(event);
}

void Button::OnMouseHover() {
    hovering_ = true;
    update();
}

void Button::OnMouseLeave() {
    tracking_ = false;
    hovering_ = false;
    update();
}

void Button::OnPressCancelled() {
    pressed_ = false;
    update();
}
