#include "Widgets/Button.h"

#include "Framework/Drawing/ColorMatrix.h"
#include "Framework/Drawing/Fonts.h"

#include "DispatchUntil.h"
#include "WidgetFixtures.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <vector>

namespace {

constexpr QRgb kSelected = 0xFFC03020;
constexpr QRgb kHoverFile = 0xFF10A050;
constexpr QRgb kDisabledFile = 0xFF808080;

// Counts clicks and notes the button's state each time.
struct ClickRecorder : OnClickListener {
    std::vector<int> states;
    void onClick(BaseButton* button) override {
        states.push_back(static_cast<Button*>(button)->GetState());
    }
};

class ButtonTest : public ::testing::Test {
protected:
    TempFolder folder;
    PatternParent parent;
    Button* button = new Button(&parent);
    QString normal, hover, selected, disabled, missing;

    QString Fifo(const char* name) const {
        const QString path = folder.File(name);
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }

    void SetUp() override {
        normal = WritePng(folder, "N.png", PositionImage(20, 12));
        hover = WritePng(folder, "N_HOVER.png", SolidImage(20, 12, kHoverFile));
        selected = WritePng(folder, "N_SELECTED.png", SolidImage(24, 14, kSelected));
        disabled = WritePng(folder, "N_DISABLE.png", SolidImage(22, 13, kDisabledFile));
        missing = folder.File("NONE.png");
        button->move(10, 10);
        button->resize(5, 5);
    }

    void Show() {
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    QImage Look() { return button->grab().toImage(); }
    // The pointer comes from outside (the cursor may rest where an earlier test left it).
    bool Hover() {
        QTest::mouseMove(&parent, QPoint(parent.width() - 2, parent.height() - 2));
        QTest::mouseMove(button, QPoint(5, 5));
        return DispatchUntil([&] { return button->IsHovering(); });
    }

    // Every pixel of the look against the expected colour of its position.
    void ExpectLook(const std::function<QRgb(int, int)>& expected, int tolerance = 1) {
        const QImage look = Look();
        ASSERT_EQ(look.size(), button->size());
        for (int y = 0; y < look.height(); ++y)
            for (int x = 0; x < look.width(); ++x)
                ASSERT_TRUE(NearRgb(look.pixel(x, y), expected(x, y), tolerance))
                    << "(" << x << "," << y << ") " << std::hex << look.pixel(x, y) << " vs "
                    << expected(x, y);
    }
    static QRgb Picture(int x, int y) { return PositionImage(20, 12).pixel(x, y); }
    static QRgb Through(const fw::ColorMatrix& m, QRgb c) { return fw::ApplyColorMatrix(c, m); }
};

TEST_F(ButtonTest, LooksOfEachStateWithoutTheOptionalFiles) {
    button->SetImages(normal, QString());
    button->SetSelectedImages(selected, QString());
    button->SetSelectable(true);
    ASSERT_EQ(button->size(), QSize(24, 14)); // the selected image came last
    button->resize(20, 12);
    Show();

    ExpectLook(Picture);

    // Hover without a hover file: the picture brightened (x 1.05, + 0.05 of full scale).
    ASSERT_TRUE(Hover());
    ExpectLook([](int x, int y) { return Through(Button::BrightenMatrix(), Picture(x, y)); });
    EXPECT_TRUE(
        NearRgb(Through(Button::BrightenMatrix(), qRgb(100, 150, 200)), qRgb(118, 170, 223)));

    // Pressed: moved one pixel right and down; the parent's own pixels at the top and left.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    ExpectLook([](int x, int y) {
        return x == 0 || y == 0 ? PatternParent::At(10 + x, 10 + y) : Picture(x - 1, y - 1);
    });
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));

    // The click selected it (selectable); still hovering, so the selected look brightened.
    EXPECT_EQ(button->GetState(), Button::Selected);
    ExpectLook([](int, int) { return Through(Button::BrightenMatrix(), kSelected); });
    QTest::mouseMove(&parent, QPoint(70, 50));
    ASSERT_TRUE(DispatchUntil([&] { return !button->IsHovering(); }));
    ExpectLook([](int, int) { return kSelected; });

    // Selected and pressed: the selected picture moved one pixel.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    ExpectLook([](int x, int y) {
        return x == 0 || y == 0 ? PatternParent::At(10 + x, 10 + y) : kSelected;
    });
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->GetState(), Button::Normal);

    // Disabled without a disabled file: grey, 0.3 R + 0.59 G + 0.11 B in every channel.
    button->SetState(Button::Disabled);
    EXPECT_TRUE(button->IsDisabled());
    ExpectLook([](int x, int y) { return Through(Button::GreyMatrix(), Picture(x, y)); });
    const QRgb grey = Through(Button::GreyMatrix(), qRgb(100, 150, 200));
    EXPECT_TRUE(NearRgb(grey, qRgb(141, 141, 141))) << std::hex << grey;
}

TEST_F(ButtonTest, LooksFromTheirOwnFilesAndTransparencyShowsTheParent) {
    QImage withHole = PositionImage(22, 13);
    withHole.setPixel(0, 0, qRgba(0, 0, 0, 0));
    button->SetDisableImage(disabled);
    button->SetImages(WritePng(folder, "H.png", withHole), hover);
    ASSERT_EQ(button->size(), QSize(22, 13));
    Show();

    const QImage look = Look();
    EXPECT_EQ(look.pixel(0, 0), PatternParent::At(10, 10));
    EXPECT_EQ(look.pixel(5, 4), withHole.pixel(5, 4));

    ASSERT_TRUE(Hover());
    EXPECT_EQ(Look().pixel(5, 4), kHoverFile);

    // Disabling the window shows the disabled look too, and leaves the state alone.
    button->SetEnabled(false);
    EXPECT_EQ(button->GetState(), Button::Normal);
    EXPECT_EQ(Look().pixel(5, 4), kDisabledFile);
    button->SetEnabled(true);
    EXPECT_EQ(Look().pixel(5, 4), withHole.pixel(5, 4));
}

TEST_F(ButtonTest, ImageSettersTakePairsOnceAndResize) {
    struct Case {
        const char* name;
        QString normal, hover;
        bool loaded, hasHover;
    } cases[] = {
        {"normal alone", normal, QString(), true, false},
        {"normal and hover", normal, hover, true, true},
        {"missing hover drops both", normal, missing, false, false},
        {"missing normal", missing, hover, false, false},
        {"broken normal", WritePng(folder, "broken.png", QImage()), QString(), false, false},
        // Read, a FIFO would hang the start until something wrote to it.
        {"a FIFO as the hover image", normal, Fifo("FIFO.png"), false, false},
    };
    for (const Case& c : cases) {
        Button b(&parent);
        b.resize(5, 5);
        b.SetImages(c.normal, c.hover);
        EXPECT_EQ(b.HasNormalImage(), c.loaded) << c.name;
        EXPECT_EQ(b.HasHoverImage(), c.hasHover) << c.name;
        EXPECT_EQ(b.size(), c.loaded ? QSize(20, 12) : QSize(5, 5)) << c.name;
    }

    // Once loaded, later calls change nothing; after a failure a later call may load.
    Button b(&parent);
    b.SetImages(missing, QString());
    b.SetImages(normal, QString());
    EXPECT_TRUE(b.HasNormalImage());
    b.SetImages(selected, hover);
    EXPECT_FALSE(b.HasHoverImage());
    EXPECT_EQ(b.size(), QSize(20, 12));

    // Selected images: the same pair rule; without them there is no selected state.
    b.SetSelectable(true);
    EXPECT_FALSE(b.IsSelectable());
    b.SetState(Button::Selected);
    EXPECT_EQ(b.GetState(), Button::Normal);
    b.SetSelectedImages(selected, missing);
    EXPECT_FALSE(b.HasSelectedImage());
    EXPECT_EQ(b.size(), QSize(20, 12));
    b.SetSelectedImages(selected, hover);
    EXPECT_TRUE(b.HasSelectedImage());
    EXPECT_EQ(b.size(), QSize(24, 14));
    b.SetSelectedImages(normal, QString());
    EXPECT_EQ(b.size(), QSize(24, 14));
    b.SetSelectable(true);
    EXPECT_TRUE(b.IsSelectable());
    b.SetState(Button::Selected);
    EXPECT_EQ(b.GetState(), Button::Selected);

    // The disabled image: once, resizing on success, nothing on failure.
    b.SetDisableImage(missing);
    EXPECT_FALSE(b.HasDisabledImage());
    EXPECT_EQ(b.size(), QSize(24, 14));
    b.SetDisableImage(disabled);
    EXPECT_TRUE(b.HasDisabledImage());
    EXPECT_EQ(b.size(), QSize(22, 13));
    b.SetDisableImage(normal);
    EXPECT_EQ(b.size(), QSize(22, 13));
}

TEST_F(ButtonTest, ClicksReachTheListenerAfterTheToggle) {
    ClickRecorder listener;
    button->SetImages(normal, QString());
    button->SetSelectedImages(selected, QString());
    button->SetSelectable(true);
    button->SetOnClickListener(&listener);
    int commands = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&] { ++commands; });
    Show();

    // A double click, as the window system delivers it, counts twice.
    QTest::mouseDClick(parent.windowHandle(), Qt::LeftButton, {}, QPoint(15, 15));
    EXPECT_EQ(listener.states, (std::vector<int>{1, 0}));
    EXPECT_EQ(commands, 2);

    // Released outside: the listener still hears of it, the parent gets no click.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(button->IsPressed());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(listener.states, (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(commands, 2);

    // Space goes the same way.
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(listener.states, (std::vector<int>{1, 0, 1, 0}));
    EXPECT_EQ(commands, 3);

    // Without a listener clicks still toggle; a disabled window takes no clicks.
    button->SetOnClickListener(nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->GetState(), Button::Selected);
    button->SetEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->GetState(), Button::Selected);
    EXPECT_EQ(commands, 4);
}

// Bounding box of the pixels of one colour.
QRect InkOf(const QImage& image, QRgb colour, int tolerance) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (NearRgb(image.pixel(x, y), colour, tolerance))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST_F(ButtonTest, CaptionsFollowTheirRules) {
    const QString white = WritePng(folder, "W.png", SolidImage(60, 24, 0xFFFFFFFF));
    const QString pale = WritePng(folder, "P.png", SolidImage(60, 24, 0xFFFFFF80));
    button->SetImages(white, QString());
    button->SetSelectedImages(pale, QString());
    button->SetSelectable(true);
    Show();

    // No normal caption: no caption in any look, even with a selected caption.
    button->SetText(QString(), QStringLiteral("SEL"));
    EXPECT_TRUE(InkOf(Look(), 0xFF000000, 60).isNull());
    button->SetState(Button::Selected);
    EXPECT_TRUE(InkOf(Look(), 0xFF000000, 60).isNull());

    // Set after the first paint, the captions show at the next one; black by default and
    // centred. An empty selected caption repeats the normal one.
    button->SetText(QStringLiteral("MODE"), QString());
    const QRect selectedInk = InkOf(Look(), 0xFF000000, 60);
    ASSERT_FALSE(selectedInk.isNull());
    button->SetState(Button::Normal);
    const QRect ink = InkOf(Look(), 0xFF000000, 60);
    EXPECT_EQ(ink, selectedInk);
    EXPECT_NEAR(ink.center().x(), 30, 2);
    EXPECT_NEAR(ink.center().y(), 12, 3);
    EXPECT_TRUE(button->accessibleName().isEmpty() || button->accessibleName() == "MODE");

    // The caption moves with the pressed picture (the parent's pixels, dark here, take the top
    // row and left column).
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    const QImage pressed = Look();
    EXPECT_EQ(InkOf(pressed.copy(1, 1, 59, 23), 0xFF000000, 60).translated(1, 1),
              ink.translated(1, 1));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));

    // A font set before the captions is kept: a red caption, no black one.
    Button custom(&parent);
    custom.move(0, 30);
    custom.SetImages(white, QString());
    custom.SetTextFont(0xFFFF0000, QStringLiteral("No Such Family"), 10, fw::FontUnit::Point);
    custom.SetText(QStringLiteral("MODE"), QString());
    const QImage red = custom.grab().toImage();
    EXPECT_FALSE(InkOf(red, 0xFFFF0000, 60).isNull());
    EXPECT_TRUE(InkOf(red, 0xFF000000, 60).isNull());
}

// The offscreen screen at a scale factor of 2: the test runs itself again in a child process
// with QT_SCALE_FACTOR=2 and checks the looks there.
TEST(ButtonHighDensityTest, LooksAreComposedAtTheScreensRatio) {
    const bool child = qEnvironmentVariableIsSet("GLIMRA_TEST_DENSE_CHILD");
    if (!child) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_SCALE_FACTOR", "2");
        env.insert("GLIMRA_TEST_DENSE_CHILD", "1");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QCoreApplication::applicationFilePath(),
                      {"--gtest_filter=ButtonHighDensityTest.*"});
        ASSERT_TRUE(process.waitForFinished(120000));
        const QByteArray output = process.readAll();
        EXPECT_EQ(process.exitCode(), 0) << output.constData();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
        return;
    }
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);

    TempFolder folder;
    // The sharp file differs from the plain one, so the look tells which one was drawn.
    const QString sharp = WritePng(folder, "S.png", SolidImage(20, 12, 0xFF2040C0));
    WritePng(folder, "S@2x.png", SolidImage(40, 24, 0xFF20C040));
    const QString plain = WritePng(folder, "P.png", PositionImage(20, 12));
    PatternParent parent;
    Button withSharp(&parent);
    withSharp.SetImages(sharp, QString());
    Button withoutSharp(&parent);
    withoutSharp.SetImages(plain, QString());
    withSharp.move(10, 10);
    withoutSharp.move(40, 10);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

    // Sizes stay logical; the surfaces have twice the pixels.
    EXPECT_EQ(withSharp.size(), QSize(20, 12));
    QImage look = withSharp.grab().toImage();
    ASSERT_EQ(look.size(), QSize(40, 24));
    EXPECT_EQ(look.pixel(0, 0), 0xFF20C040u);
    EXPECT_EQ(look.pixel(39, 23), 0xFF20C040u);

    // Without a sharp file the plain picture is drawn at twice its size.
    look = withoutSharp.grab().toImage();
    ASSERT_EQ(look.size(), QSize(40, 24));
    EXPECT_TRUE(NearRgb(look.pixel(7, 5), PositionImage(20, 12).pixel(3, 2), 12));

    // The press moves the picture by one logical pixel: two device pixels of the parent's own
    // pixels at the top and left.
    QTest::mousePress(&withSharp, Qt::LeftButton, {}, QPoint(5, 5));
    look = withSharp.grab().toImage();
    for (int d = 0; d < 2; ++d) {
        EXPECT_NE(look.pixel(10, d), 0xFF20C040u) << d;
        EXPECT_NE(look.pixel(d, 10), 0xFF20C040u) << d;
    }
    EXPECT_EQ(look.pixel(2, 2), 0xFF20C040u);
    QTest::mouseRelease(&withSharp, Qt::LeftButton, {}, QPoint(5, 5));
}

} // namespace
