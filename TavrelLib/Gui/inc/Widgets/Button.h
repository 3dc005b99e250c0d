#pragma once

#include "Widgets/BaseButton.h"
#include "Widgets/GdiPlusBitmap.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QRgb>
#include <QString>

#include <memory>

namespace fw {
enum class FontUnit;
struct ColorMatrix;
} // namespace fw

// The skinned push button: its looks come from PNG files (normal, hover, disabled, and for group
// members selected and selected hover), composed once with the caption over the parent's
// background into one surface per state, each when the state is first shown; every later paint
// is a single copy of the surface of the current state. Surfaces are composed at the screen's
// device pixel ratio from the "@2x" files when there are some; all sizes and positions are logical
// pixels.
class Button : public BaseButton {
    Q_OBJECT
public:
    enum State { Normal = 0, Selected = 1, Disabled = 2 };

    explicit Button(QWidget* parent = nullptr);
    ~Button() override;

    // Each setter takes effect once: while its images are loaded a second call changes nothing.
    // The normal image with an optional hover image; both or neither (a failed load of either
    // drops both). On success the button takes the normal image's size.
    void SetImages(const QString& normalPath, const QString& hoverPath);
    // The same rule for the selected and selected hover images; resizes to the selected image.
    void SetSelectedImages(const QString& selectedPath, const QString& selectedHoverPath);
    // The disabled image; resizes to it on success.
    void SetDisableImage(const QString& path);

    // Selectable buttons toggle between normal and selected on each click, before the listener
    // hears of it. Only a button with a selected image can be selectable.
    void SetSelectable(bool selectable);
    // 0 normal, 1 selected (0 without a selected image), 2 disabled.
    void SetState(int state);
    int GetState() const { return state_; }

    // Captions of the normal and the selected looks; an empty selected caption repeats the normal
    // one, and without a normal caption no look carries a caption. Without SetTextFont first the
    // captions are "Gotham" 16 px bold black.
    void SetText(const QString& normalCaption, const QString& selectedCaption);
    void SetTextFont(QRgb argb, const QString& family, qreal size, fw::FontUnit unit);

    // Enables or disables the window and sets the disabled flag; the state stays. A disabled
    // button shows its disabled look.
    void SetEnabled(bool enable);
    bool IsDisabled() const { return disabled_; }
    bool IsSelectable() const { return selectable_; }

    bool HasNormalImage() const { return normal_ != nullptr; }
    bool HasHoverImage() const { return hover_ != nullptr; }
    bool HasSelectedImage() const { return selected_ != nullptr; }
    bool HasDisabledImage() const { return disabledImage_ != nullptr; }
    bool IsHovering() const { return hovering_; }
    bool IsPressed() const { return pressed_; }

    // The two looks computed from a base image when its own file is missing.
    static const fw::ColorMatrix& BrightenMatrix();
    static const fw::ColorMatrix& GreyMatrix();

protected:
    void OnCtlColor(QPainter& painter) override;
    void DrawItem(QPainter& painter) override;
    void OnLButtonDown(QMouseEvent* event) override;
    void OnLButtonUp(QMouseEvent* event) override;
    void OnMouseMove(QMouseEvent* event) override;
    void OnMouseHover() override;
    void OnMouseLeave() override;
    void OnPressCancelled() override;

private:
    using Image = std::unique_ptr<GdiPlusBitmapResource>;
    // Loads one or two images under the setters' rule; true when the first was taken.
    static bool LoadPair(Image& first, Image& second, const QString& firstPath,
                         const QString& secondPath);
    void ResizeTo(const GdiPlusBitmap& image);
    void TakeBackgroundSnapshot(qreal ratio);
    void Compose(QImage& surface, const GdiPlusBitmap* image, const QString& caption,
                 const QPoint& offset, const fw::ColorMatrix* matrix, qreal ratio) const;
    // The look of the current state, composed now if it is not yet.
    const QImage& SurfaceToShow();
    void ChangeState(int state);

    bool prepared_ = false;
    bool disabled_ = false;
    bool pressed_ = false;
    bool selectable_ = false;
    bool hovering_ = false;
    bool tracking_ = false;
    int state_ = Normal;
    bool customFont_ = false;
    qreal composedRatio_ = 0;

    QImage background_;
    QImage normalSurface_, pressedSurface_, hoverSurface_;
    QImage selectedSurface_, selectedPressedSurface_, selectedHoverSurface_;
    QImage disabledSurface_;

    QString normalCaption_;
    QString selectedCaption_;
    QFont captionFont_;
    QBrush captionBrush_;

    Image normal_, hover_, selected_, selectedHover_, disabledImage_;
};
