// Gallery pages of the dialog background, the image buttons and the button group, placed as the
// main window places them, over its background.

#include "Gallery.h"

#include "Framework/Drawing/Fonts.h"
#include "Framework/Drawing/Images.h"
#include "Framework/Resources.h"
#include "Widgets/BkDialog.h"
#include "Widgets/Button.h"
#include "Widgets/GroupButton.h"

#include <QPainter>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

constexpr unsigned kBackground = 1000;

// The main window's background, sharp at scale 2 when the resources have the "@2x" bitmap.
class SkinBackground : public QWidget {
public:
    SkinBackground() {
        plain_ = fw::Resources::LoadBitmap(kBackground);
        dense_ = fw::LoadImageFile(
            QStringLiteral("%1/bitmap/%2@2x.png").arg(fw::Resources::Source()).arg(kBackground));
        setFixedSize(plain_.isNull() ? QSize(800, 455) : plain_.size());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const bool sharp = devicePixelRatioF() > 1 && !dense_.isNull();
        if (plain_.isNull())
            painter.fillRect(rect(), QColor(30, 32, 36));
        else
            fw::DrawImage(painter, sharp ? dense_ : plain_, QRectF(rect()));
    }

private:
    QImage plain_, dense_;
};

struct Placement {
    const char* skin;
    QPoint at;
    bool modeLook; // disabled and selected images, as the mode buttons have
};

const Placement kButtons[] = {
    {"CLOSE_WIN", {780, 1}, false}, {"MIN", {759, 1}, false},     {"SETTING", {738, 1}, false},
    {"PLUS", {182, 343}, false},    {"MINUS", {115, 343}, false}, {"DEFAULT", {591, 377}, false},
    {"MODE", {591, 117}, true},
};

// Sets a button up the way the main window does.
Button* MakeButton(Gallery& gallery, QWidget* parent, const Placement& p) {
    auto* button = new Button(parent);
    const QString base = gallery.ImageDir() + QString::fromLatin1(p.skin);
    if (p.modeLook)
        button->SetDisableImage(base + QStringLiteral("_DISABLE.png"));
    if (QLatin1String(p.skin) == QLatin1String("DEFAULT"))
        button->SetTextFont(0xFF58585A, QStringLiteral("Gothma"), 10, fw::FontUnit::Point);
    button->SetImages(base + QStringLiteral(".png"), base + QStringLiteral("_HOVER.png"));
    button->move(p.at);
    if (p.modeLook) {
        button->SetSelectedImages(base + QStringLiteral("_SELECTED.png"),
                                  base + QStringLiteral("_SELECTED_HOVER.png"));
        button->SetSelectable(true);
    }
    if (QLatin1String(p.skin) == QLatin1String("DEFAULT"))
        button->SetText(fw::Resources::LoadString(1094), QString());
    if (!button->HasNormalImage())
        gallery.Fail(QStringLiteral("no images for %1").arg(QLatin1String(p.skin)));
    return button;
}

void ShootStates(Gallery& gallery, Button* button, const QString& name) {
    gallery.Shot(name + QStringLiteral("-normal"), button);
    gallery.Hover(button);
    gallery.Shot(name + QStringLiteral("-hover"), button);
    gallery.Press(button);
    gallery.Shot(name + QStringLiteral("-pressed"), button);
    // Released outside, so a selectable button goes back by itself on the next click only.
    gallery.Release(button);
    gallery.Leave(button);
    if (button->IsSelectable()) {
        button->SetState(Button::Selected);
        gallery.Shot(name + QStringLiteral("-selected"), button);
        gallery.Hover(button);
        gallery.Shot(name + QStringLiteral("-selected-hover"), button);
        gallery.Press(button);
        gallery.Shot(name + QStringLiteral("-selected-pressed"), button);
        gallery.Release(button);
        gallery.Leave(button);
    }
    button->SetState(Button::Disabled);
    gallery.Shot(name + QStringLiteral("-disabled"), button);
    button->SetState(Button::Normal);
}

} // namespace

GLIMRA_GALLERY_PAGE(button) {
    SkinBackground window;
    std::vector<Button*> buttons;
    for (const Placement& p : kButtons)
        buttons.push_back(MakeButton(gallery, &window, p));
    if (!gallery.Show(&window)) {
        gallery.Fail(QStringLiteral("window not shown"));
        return;
    }
    for (size_t i = 0; i < buttons.size(); ++i)
        ShootStates(gallery, buttons[i], QString::fromLatin1(kButtons[i].skin).toLower());

    // The keyboard focus frame, over the normal look.
    window.activateWindow();
    buttons[0]->setFocus(Qt::TabFocusReason);
    gallery.Shot(QStringLiteral("close_win-focus"), buttons[0]);
    buttons[5]->setFocus(Qt::TabFocusReason);
    gallery.Shot(QStringLiteral("default-focus"), buttons[5]);
    buttons[5]->clearFocus();
}

GLIMRA_GALLERY_PAGE(group) {
    SkinBackground window;
    GroupButton group;
    for (int i = 0; i < 6; ++i) {
        Placement p = kButtons[6];
        p.at.ry() += 35 * i;
        Button* member = MakeButton(gallery, &window, p);
        member->SetDlgCtrlID(1011 + i);
        group.AddButton(member);
    }
    if (!gallery.Show(&window)) {
        gallery.Fail(QStringLiteral("window not shown"));
        return;
    }
    const QRect column(560, 100, 240, 240);
    auto shoot = [&](const QString& name) { gallery.Shot(name, window.grab(column).toImage()); };
    shoot(QStringLiteral("none"));
    group.SelectIndex(2);
    shoot(QStringLiteral("select-2"));
    gallery.Press(group.At(4));
    gallery.Release(group.At(4));
    gallery.Hover(group.At(4));
    shoot(QStringLiteral("clicked-4-hover"));
    gallery.Leave(group.At(4));
    group.At(1)->SetState(Button::Disabled);
    group.SelectIndex(0);
    shoot(QStringLiteral("select-0-with-1-disabled"));
    group.EnableAll(false);
    shoot(QStringLiteral("all-disabled"));
    group.EnableAll(true);
    shoot(QStringLiteral("enabled-again"));
}

namespace {
// The main window's template with its background, painted without its controls.
class BackgroundProbe : public BkDialog {
public:
    explicit BackgroundProbe(Gallery& gallery) : BkDialog(103), gallery_(gallery) {}

protected:
    bool OnInitDialog() override {
        SetBackground(kBackground);
        Widget()->setFixedSize(800, 455);
        Widget()->show();
        gallery_.Shot(QStringLiteral("main"), Paint(Widget()->size()));
        // A small tile repeated over a larger area, with the last row and column clipped.
        QImage tile(QSize(40, 30), QImage::Format_ARGB32_Premultiplied);
        tile.fill(QColor(40, 44, 52));
        QPainter painter(&tile);
        painter.setPen(QColor(33, 186, 204));
        painter.drawRect(0, 0, 39, 29);
        painter.drawLine(0, 0, 39, 29);
        painter.end();
        SetBackground(tile);
        Widget()->setFixedSize(100, 70);
        gallery_.Shot(QStringLiteral("tiled"), Paint(Widget()->size()));
        EndDialog(fw::IDOK);
        return true;
    }
    void OnCommResult(int, Message*) override {}

private:
    QImage Paint(const QSize& size) {
        const qreal ratio = Widget()->devicePixelRatioF();
        QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        Widget()->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return image;
    }

    Gallery& gallery_;
};
} // namespace

GLIMRA_GALLERY_PAGE(background) {
    BackgroundProbe probe(gallery);
    if (probe.DoModal() != fw::IDOK)
        gallery.Fail(QStringLiteral("the main window's template is missing"));
}
