// Gallery page of the colour plate: every look a paint can pick, placed where the main window
// places the plate, over its background.

#include "Gallery.h"

#include "Framework/Drawing/Images.h"
#include "Framework/FileException.h"
#include "Framework/Resources.h"
#include "Widgets/ColorPlate.h"

#include <QPainter>
#include <QWidget>

namespace {

// The main window's background, sharp at scale 2 when the resources have the "@2x" bitmap.
class PlateBackground : public QWidget {
public:
    PlateBackground() {
        plain_ = fw::Resources::LoadBitmap(1000);
        dense_ =
            fw::LoadImageFile(QStringLiteral("%1/bitmap/1000@2x.png").arg(fw::Resources::Source()));
        setFixedSize(800, 455);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (plain_.isNull())
            painter.fillRect(rect(), QColor(30, 32, 36));
        else
            fw::DrawImage(painter, devicePixelRatioF() > 1 && !dense_.isNull() ? dense_ : plain_,
                          QRectF(rect()));
    }

private:
    QImage plain_, dense_;
};

const char* const kSwatches[8] = {"RED",   "WHITE",  "CYAN",   "BLUE",
                                  "GREEN", "YELLOW", "ORANGE", "PURPLE"};

} // namespace

GLIMRA_GALLERY_PAGE(plate) {
    PlateBackground window;
    auto* plate = new CColorPlate(&window);
    plate->move(261, 95);
    const QString dir = gallery.ImageDir();
    QStringList swatches;
    for (const char* name : kSwatches)
        swatches << dir + QString::fromLatin1(name) + QStringLiteral(".png");
    // A missing image would end here with the file error, which this page reports itself.
    try {
        plate->Load(dir + QStringLiteral("ON.png"), dir + QStringLiteral("OFF.png"), swatches, 0,
                    false);
    } catch (const fw::FileException& e) {
        gallery.Fail(QString::fromUtf8(e.what()));
        return;
    }
    plate->SetText(fw::Resources::LoadString(1054), fw::Resources::LoadString(1052));
    if (!gallery.Show(&window)) {
        gallery.Fail(QStringLiteral("window not shown"));
        return;
    }

    // Paint mode 1: each swatch selected, and none.
    for (int swatch = 0; swatch <= 8; ++swatch) {
        plate->SetSelectedIndex(swatch);
        gallery.Shot(QStringLiteral("selected-%1").arg(swatch), plate);
    }
    // Paint mode 0: the switch and the enabled flag decide.
    plate->SetSelectedIndex(3);
    const struct {
        const char* name;
        bool enabled;
        bool on;
    } states[] = {{"enabled-on", true, true},
                  {"enabled-off", true, false},
                  {"disabled-on", false, true},
                  {"disabled-off", false, false}};
    for (const auto& s : states) {
        plate->SetEnabled(s.enabled);
        plate->SetOn(s.on);
        gallery.Shot(QString::fromLatin1(s.name), plate);
    }
    // The Simple Chinese captions (the odd ids of each pair).
    plate->SetText(fw::Resources::LoadString(1055), fw::Resources::LoadString(1053));
    plate->SetEnabled(true);
    plate->SetOn(true);
    gallery.Shot(QStringLiteral("zh-on"), plate);
    plate->SetOn(false);
    gallery.Shot(QStringLiteral("zh-off"), plate);
    plate->SetText(fw::Resources::LoadString(1054), fw::Resources::LoadString(1052));

    // The plate in its place in the window, lit with a swatch picked.
    plate->SetEnabled(true);
    plate->SetOn(true);
    plate->SetSelectedIndex(1);
    gallery.Shot(QStringLiteral("in-window"), &window);
}
