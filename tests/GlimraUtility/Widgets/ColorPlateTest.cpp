#include "Widgets/ColorPlate.h"

#include "Framework/Window.h"

#include "MessageBoxCatcher.h"
#include "TempFolder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int Size = 277;

// Ten plate images in a scratch folder: image i (0 lit, 1..8 swatches, 9 off) is one solid
// colour, so a pixel tells which look is shown.
class PlateImages {
public:
    PlateImages() {
        for (int i = 0; i < CColorPlate::ImageCount; ++i)
            Write(i, Solid(Colour(i)));
    }

    static QColor Colour(int image) { return QColor(10 + 20 * image, 200 - 15 * image, 60); }
    static QImage Solid(const QColor& colour, int size = Size) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(colour);
        return image;
    }
    QString Path(int image) const { return folder_.File(QStringLiteral("%1.png").arg(image)); }
    void Write(int image, const QImage& picture) const { picture.save(Path(image)); }
    void Write2x(int image, const QImage& picture) const {
        picture.save(folder_.File(QStringLiteral("%1@2x.png").arg(image)));
    }
    void Remove(int image) const { QFile::remove(Path(image)); }

    void LoadInto(CColorPlate& plate, int selected, bool on) const {
        QStringList swatches;
        for (int i = 0; i < 8; ++i)
            swatches << Path(1 + i);
        plate.Load(Path(0), Path(CColorPlate::OffImage), swatches, selected, on);
    }

private:
    TempFolder folder_;
};

struct Recorder : OnColorPlateClickListener {
    QStringList calls;
    void onColorClick(int swatch) override { calls << QStringLiteral("color %1").arg(swatch); }
    void onSwitchClick(bool on) override { calls << QStringLiteral("switch %1").arg(on); }
    // The calls so far, as "color 2, switch 1", and forgets them.
    std::string Take() {
        const std::string text = calls.join(QStringLiteral(", ")).toStdString();
        calls.clear();
        return text;
    }
};

// A plate on a plain parent, shown on the (offscreen) screen.
class ColorPlateTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(420, 400);
        SetParentColour(QColor(0x12, 0x34, 0x56));
        plate = new CColorPlate(&parent);
        plate->move(60, 50);
        plate->SetOnColorPlateClickListener(&recorder);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    void SetParentColour(const QColor& colour) {
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, colour);
        parent.setPalette(palette);
        parent.setAutoFillBackground(true);
    }

    // A press and release at a point that need not be a whole pixel.
    void Click(const QPointF& at) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, plate->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(plate, &event);
        }
    }

    QColor PixelShown(QPoint at = QPoint(20, 138)) {
        return plate->grab().toImage().pixelColor(at);
    }

    QWidget parent;
    CColorPlate* plate = nullptr;
    Recorder recorder;
    PlateImages images;
};

QPointF AtAngle(double degrees, double radius) {
    const double a = degrees * M_PI / 180.0;
    return {CColorPlate::CentreX - radius * std::cos(a),
            CColorPlate::CentreY - radius * std::sin(a)};
}

TEST_F(ColorPlateTest, LoadTakesTheSizeOfTheOnImageAndTheInitialState) {
    images.LoadInto(*plate, 3, true);
    EXPECT_TRUE(plate->IsLoaded());
    EXPECT_EQ(plate->geometry(), QRect(60, 50, Size, Size));
    EXPECT_EQ(plate->SelectedIndex(), 3);
    EXPECT_TRUE(plate->IsOn());
    EXPECT_EQ(PixelShown(), PlateImages::Colour(3));
}

TEST_F(ColorPlateTest, HitTest) {
    struct Case {
        const char* what;
        QPointF at;
        bool enabled;
        bool onBefore;
        std::string call; // what the listener hears; empty for nothing
        int paintMode;
        int selectedAfter;
        bool onAfter;
    };
    const Case cases[] = {
        {"centre at 48.5", {138.5 - 48.5, 138.5}, true, false, "switch 1", 0, 3, true},
        {"centre at 48.5 below", {138.5, 138.5 + 48.5}, true, true, "switch 0", 0, 3, false},
        {"48.6 is between switch and ring", {138.5 - 48.6, 138.5}, true, false, "", -1, 3, false},
        {"ring at exactly 78", {138.5, 138.5 - 78}, true, true, "color 2", 1, 2, true},
        {"ring at exactly 125", {138.5, 138.5 - 125}, true, true, "color 2", 1, 2, true},
        {"just inside the ring", {138.5, 138.5 - 77.9}, true, true, "", -1, 3, true},
        {"just outside the ring", {138.5, 138.5 - 125.1}, true, true, "", -1, 3, true},
        {"left", {38.5, 138.5}, true, true, "color 8", 1, 8, true},
        {"above", {138.5, 38.5}, true, true, "color 2", 1, 2, true},
        {"right", {238.5, 138.5}, true, true, "color 4", 1, 4, true},
        {"below", {138.5, 238.5}, true, true, "color 6", 1, 6, true},
        {"upper left", AtAngle(45, 100), true, true, "color 1", 1, 1, true},
        {"upper right", AtAngle(135, 100), true, true, "color 3", 1, 3, true},
        {"lower right", AtAngle(225, 100), true, true, "color 5", 1, 5, true},
        {"lower left", AtAngle(315, 100), true, true, "color 7", 1, 7, true},
        {"just before 22.5", AtAngle(22.0, 100), true, true, "color 8", 1, 8, true},
        {"just after 22.5", AtAngle(23.0, 100), true, true, "color 1", 1, 1, true},
        {"just before 337.5", AtAngle(337.0, 100), true, true, "color 7", 1, 7, true},
        {"just after 337.5", AtAngle(338.0, 100), true, true, "color 8", 1, 8, true},
        {"a pick while off switches on", {238.5, 138.5}, true, false, "color 4", 1, 4, true},
        {"the ring while disabled", {38.5, 138.5}, false, true, "", -1, 3, true},
        {"the centre while disabled", {138.5, 138.5}, false, true, "switch 0", 0, 3, false},
        {"a corner", {3, 3}, true, true, "", -1, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        images.LoadInto(*plate, 3, c.onBefore);
        plate->SetEnabled(c.enabled);
        recorder.calls.clear();
        Click(c.at);
        EXPECT_EQ(recorder.Take(), c.call);
        EXPECT_EQ(plate->GetPaintMode(), c.paintMode);
        EXPECT_EQ(plate->SelectedIndex(), c.selectedAfter);
        EXPECT_EQ(plate->IsOn(), c.onAfter);
    }
}

TEST(ColorPlateSectorTest, AnglesOnABorderPickNothing) {
    for (int swatch = 1; swatch <= 8; ++swatch) {
        const double middle = 45.0 * (swatch % 8);
        EXPECT_EQ(CColorPlate::SwatchAtAngle(middle), swatch);
        EXPECT_EQ(CColorPlate::SwatchAtAngle(middle + 22.5), 0) << middle + 22.5;
        EXPECT_EQ(CColorPlate::SwatchAtAngle(std::nextafter(middle + 22.5, 0.0)), swatch);
    }
    EXPECT_EQ(CColorPlate::SwatchAtAngle(360.0), 8);
    EXPECT_EQ(CColorPlate::SwatchAtAngle(0.0), 8);
}

// Integer pixel positions through the window system, as a user's clicks arrive; a double
// click counts as two clicks.
TEST_F(ColorPlateTest, ClicksAndDoubleClicksThroughTheWindowSystem) {
    images.LoadInto(*plate, 0, false);
    QTest::mouseClick(plate, Qt::LeftButton, {}, QPoint(238, 138));
    EXPECT_EQ(recorder.Take(), "color 4");
    // The second press of a double click arrives as a double click.
    QTest::mouseClick(plate, Qt::LeftButton, {}, QPoint(138, 138));
    QTest::mouseDClick(plate, Qt::LeftButton, {}, QPoint(138, 138));
    QTest::mouseRelease(plate, Qt::LeftButton, {}, QPoint(138, 138));
    EXPECT_EQ(recorder.Take(), "switch 0, switch 1");
}

TEST_F(ColorPlateTest, EachPaintShowsTheLookTheStateCallsFor) {
    images.LoadInto(*plate, 0, false);
    struct Case {
        const char* what;
        std::function<void(CColorPlate&)> set;
        int image;
    };
    const Case cases[] = {
        {"selected swatch", [](CColorPlate& p) { p.SetSelectedIndex(5); }, 5},
        {"no swatch selected", [](CColorPlate& p) { p.SetSelectedIndex(0); }, 0},
        {"selected, whatever switch and enabled say",
         [](CColorPlate& p) {
             p.SetEnabled(false);
             p.SetOn(false);
             p.SetSelectedIndex(4);
         },
         4},
        {"enabled and on",
         [](CColorPlate& p) {
             p.SetSelectedIndex(6);
             p.SetEnabled(true);
             p.SetOn(true);
         },
         6},
        {"enabled and off", [](CColorPlate& p) { p.SetOn(false); }, 9},
        {"disabled and on",
         [](CColorPlate& p) {
             p.SetOn(true);
             p.SetEnabled(false);
         },
         0},
        {"disabled and off", [](CColorPlate& p) { p.SetOn(false); }, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.set(*plate);
        EXPECT_EQ(PixelShown(), PlateImages::Colour(c.image));
    }
}

// The files are read when the plate is loaded and each look is made when first shown: files
// removed or replaced after the load change nothing on the screen.
TEST_F(ColorPlateTest, LooksFirstShownAfterTheFilesWentAreThoseLoaded) {
    images.LoadInto(*plate, 0, false);
    EXPECT_EQ(PixelShown(), PlateImages::Colour(CColorPlate::OffImage));
    for (int i = 0; i < CColorPlate::ImageCount; ++i)
        images.Remove(i);
    images.Write(2, PlateImages::Solid(Qt::black));
    for (int swatch = 1; swatch <= CColorPlate::SwatchCount; ++swatch) {
        SCOPED_TRACE(swatch);
        plate->SetSelectedIndex(swatch);
        EXPECT_EQ(PixelShown(), PlateImages::Colour(swatch));
    }
    plate->SetOn(true);
    plate->SetSelectedIndex(0);
    EXPECT_EQ(PixelShown(), PlateImages::Colour(0));
}

TEST_F(ColorPlateTest, AClickOnNothingKeepsThePicture) {
    images.LoadInto(*plate, 0, true);
    plate->SetSelectedIndex(6);
    ASSERT_EQ(PixelShown(), PlateImages::Colour(6));
    Click({138.5, 138.5 - 60}); // between switch and ring
    EXPECT_EQ(plate->GetPaintMode(), CColorPlate::Keep);
    EXPECT_EQ(PixelShown(), PlateImages::Colour(6));
}

// The looks are composed over the parent's pixels under the plate, taken again when the
// captions change.
TEST_F(ColorPlateTest, TransparentPartsShowTheParentAndCaptionsRecompose) {
    QImage lit = PlateImages::Solid(PlateImages::Colour(0));
    QPainter(&lit).setCompositionMode(QPainter::CompositionMode_Clear);
    {
        QPainter p(&lit);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillRect(0, 0, 30, 30, Qt::transparent);
    }
    images.Write(0, lit);
    images.LoadInto(*plate, 0, true);
    EXPECT_EQ(PixelShown(QPoint(10, 10)), QColor(0x12, 0x34, 0x56));

    SetParentColour(QColor(0x70, 0x10, 0x20));
    plate->SetText(QStringLiteral("ON"), QStringLiteral("OFF"));
    EXPECT_EQ(PixelShown(QPoint(10, 10)), QColor(0x70, 0x10, 0x20));
}

// Counts the columns of the middle band that differ from the look's own colour: the caption.
int CaptionWidth(const QImage& shown, const QColor& ground) {
    const int r = qRound(shown.devicePixelRatio());
    int columns = 0;
    for (int x = 90 * r; x < 190 * r; ++x) {
        for (int y = 128 * r; y < 150 * r; ++y) {
            if (shown.pixelColor(x, y) != ground) {
                ++columns;
                break;
            }
        }
    }
    return columns;
}

TEST_F(ColorPlateTest, TheOnCaptionIsOnTheLitLooksAndTheOffCaptionOnTheOffLook) {
    images.LoadInto(*plate, 2, true);
    plate->SetSelectedIndex(2);
    EXPECT_EQ(CaptionWidth(plate->grab().toImage(), PlateImages::Colour(2)), 0);

    plate->SetText(QStringLiteral("ON"), QStringLiteral("OFF OFF OFF"));
    const int on = CaptionWidth(plate->grab().toImage(), PlateImages::Colour(2));
    plate->SetOn(false);
    const int off = CaptionWidth(plate->grab().toImage(), PlateImages::Colour(9));
    EXPECT_GT(on, 3);
    EXPECT_GT(off, 2 * on);
}

// A missing image ends Load with the framework's file error: the dispatch shows the report and
// skips the rest of the handler that called Load; the plate then paints nothing.
TEST_F(ColorPlateTest, AMissingImageIsReportedAndEndsTheCallersWork) {
    const struct {
        const char* what;
        std::function<void()> load;
    } cases[] = {
        {"a swatch file is missing",
         [this] {
             images.Remove(5);
             images.LoadInto(*plate, 0, false);
         }},
        {"a swatch file holds no image",
         [this] {
             QFile text(images.Path(3));
             ASSERT_TRUE(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
             text.write("not a picture");
             text.close();
             images.LoadInto(*plate, 0, false);
         }},
        {"a FIFO in place of a swatch (read, it would never end)",
         [this] {
             images.Remove(7);
             ASSERT_EQ(::mkfifo(QFile::encodeName(images.Path(7)).constData(), 0600), 0);
             images.LoadInto(*plate, 0, false);
         }},
        {"seven swatches given",
         [this] {
             QStringList seven;
             for (int i = 1; i <= 7; ++i)
                 seven << images.Path(i);
             plate->Load(images.Path(0), images.Path(9), seven, 0, false);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBoxCatcher boxes;
        fw::Window window;
        int finished = 0;
        window.OnMessage(fw::WM_USER, [&](fw::WPARAM, fw::LPARAM) -> fw::LRESULT {
            c.load();
            ++finished;
            return 1;
        });
        const QSize before = plate->size();
        EXPECT_EQ(fw::SendMessage(&window, fw::WM_USER, 0, 0), 0);
        EXPECT_EQ(finished, 0);
        ASSERT_EQ(boxes.Texts().size(), 1);
        EXPECT_TRUE(boxes.Texts()[0].contains(QStringLiteral("Can not find color image.")));
        EXPECT_FALSE(plate->IsLoaded());
        EXPECT_EQ(plate->size(), before);
        plate->grab(); // painting an unloaded plate is safe
        Click({138.5, 138.5});
    }
}

// On a dense screen the looks are composed at the target's pixel ratio from the "@2x" images.
TEST_F(ColorPlateTest, ADenseTargetGetsTheLooksFromTheDoubleSizeImages) {
    images.Write2x(0, PlateImages::Solid(Qt::blue, 2 * Size));
    images.LoadInto(*plate, 0, true);
    plate->SetSelectedIndex(0);

    QImage dense(QSize(Size, Size) * 2, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(2);
    plate->render(&dense);
    EXPECT_EQ(dense.pixelColor(41, 277), QColor(Qt::blue));

    QImage plain(QSize(Size, Size), QImage::Format_ARGB32_Premultiplied);
    plate->render(&plain);
    EXPECT_EQ(plain.pixelColor(20, 138), PlateImages::Colour(0));
}

} // namespace
