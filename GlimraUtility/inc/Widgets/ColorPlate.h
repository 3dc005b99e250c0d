#pragma once

#include "Framework/Drawing/OwnerDrawButton.h"
#include "Widgets/GdiPlusBitmap.h"
#include "Widgets/OnColorPlateClickListener.h"

#include <QBrush>
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>

#include <array>

// The round colour plate: a ring of eight swatches around an on/off switch. Every look is an
// image file; each of the ten looks is composed over the parent's background (at the screen's
// device pixel ratio) the first time it is shown, and each paint copies the one the state calls
// for. From the keyboard,
// Space works the centre switch.
class CColorPlate : public fw::OwnerDrawButton {
    Q_OBJECT
public:
    static constexpr int SwatchCount = 8;
    // Image slots: 0 the plate lit with no swatch marked, 1..8 with that swatch marked, 9 off.
    static constexpr int OffImage = 9;
    static constexpr int ImageCount = 10;

    // What a paint shows: the selected swatch (Selected), a look that follows the switch and
    // the enabled flag (FollowState), or what was shown before (Keep, after a click on nothing).
    enum PaintMode { Keep = -1, FollowState = 0, Selected = 1 };

    explicit CColorPlate(QWidget* parent = nullptr);
    ~CColorPlate() override;

    // Reads the on image, the eight swatch images in swatch order and the off image, stopping
    // at the first file that cannot be read or is not an image (each is decoded when its look is
    // first shown); then takes the on image's size, resizes the
    // control to it (keeping its position) and sets the selected swatch and the switch.
    // A missing image (a swatch list shorter than eight counts as missing ones) raises
    // fw::FileException (file not found, "Can not find color image."), which the message
    // dispatch reports.
    void Load(const QString& onImage, const QString& offImage, const QStringList& swatchImages,
              int selected, bool on);

    // Captions drawn across the centre: on for the lit looks, off for the off look.
    void SetText(const QString& onCaption, const QString& offCaption);
    void SetSelectedIndex(int swatch); // 0 for none
    void SetOn(bool on);
    // Whether swatches can be picked. The centre switch works either way, so the control
    // itself stays enabled.
    void SetEnabled(bool enabled);
    void SetOnColorPlateClickListener(OnColorPlateClickListener* listener);

    int SelectedIndex() const { return selected_; }
    bool IsOn() const { return on_; }
    bool IsPlateEnabled() const { return enabled_; }
    PaintMode GetPaintMode() const { return paintMode_; }
    bool IsLoaded() const { return loaded_; }

    // The hit test's geometry: the centre of the plate and the radii of switch and ring.
    static constexpr double CentreX = 138.5;
    static constexpr double CentreY = 138.5;
    static constexpr double SwitchRadius = 48.5;
    static constexpr double RingInner = 78.0;
    static constexpr double RingOuter = 125.0;
    // The ring's sectors: the swatch at an angle in degrees, measured from the left of the
    // centre and running clockwise on screen (1 at the upper left, 2 at the top, 8 at the
    // left); 0 for an angle exactly on a border between two swatches.
    static int SwatchAtAngle(double degrees);

protected:
    // Forgets the composed looks when they were made for another pixel ratio.
    void OnCtlColor(QPainter& painter) override;
    void DrawItem(QPainter& painter) override;
    // The hit test, then the button's own release handling.
    void OnLButtonUp(QMouseEvent* event) override;

private:
    // Forgets the composed looks and the background under them.
    void Invalidate();
    // The composed look of an image slot, composed now when it is not yet.
    const QImage& Look(int index);
    QImage BackgroundSnapshot(qreal devicePixelRatio) const;
    int SurfaceToShow() const;
    void HitAt(const QPointF& point);

    std::array<QByteArray, ImageCount> files_; // each image's file, as read
    std::array<QString, ImageCount> paths_;
    std::array<QImage, ImageCount> surfaces_; // null until composed
    QImage snapshot_;                         // the parent's background under the plate
    bool loaded_ = false;
    qreal preparedRatio_ = 0;
    int shown_ = -1; // the surface the last paint copied
    QFont captionFont_;
    QBrush captionBrush_;
    int width_ = 0;
    int height_ = 0;
    int selected_ = 0;
    PaintMode paintMode_ = FollowState;
    bool on_ = false;
    bool enabled_ = true;
    QString onCaption_;
    QString offCaption_;
    OnColorPlateClickListener* listener_ = nullptr;
};
