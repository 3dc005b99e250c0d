#include "Framework/Drawing/Fonts.h"
#include "MainWindowFixture.h"
#include "Widgets/AP_FontInstaller.h"

#include <QFontInfo>
#include <QLabel>

#include <cmath>

namespace {

// The window's look in each language, without and with a controller, and with each mode
// selected. With GLIMRA_SCREENSHOT_DIR set (scripts/screenshots.sh) every look is also saved
// there as a PNG.
class MainWindowLookTest : public MainWindowFixture,
                           public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        StartApp(QByteArray("[Settings]\nLanguage=") + GetParam() + "\n");
        // The program's own fonts, as its start-up installs them, into a folder of the test's.
        const bool hadData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        const QByteArray data = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir.File("data").toLocal8Bit());
        CAP_FontInstaller fonts;
        fonts.AddFont(QStringLiteral("Camelot MF"), 1042, QStringLiteral("FONTS"))
            .AddFont(QStringLiteral("Gotham-Black"), 1028, QStringLiteral("FONTS"));
        fonts.InstallFonts();
        if (hadData)
            qputenv("XDG_DATA_HOME", data);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    QImage Look(GlimraUtilityDlg& dlg, const QString& name) const {
        const QImage look = dlg.Widget()->grab().toImage();
        const QString folder = qEnvironmentVariable("GLIMRA_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            look.save(QStringLiteral("%1/main-window-%2-%3.png").arg(folder, GetParam(), name));
        return look;
    }

    // Mean absolute difference of the red, green and blue channels over an area of two looks,
    // as a fraction of full scale.
    static double MeanDifference(const QImage& a, const QImage& b, const QRect& area) {
        const qreal ratio = a.devicePixelRatio();
        const QRect pixels(area.topLeft() * ratio, area.size() * ratio);
        double sum = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x) {
                const QColor p = a.pixelColor(x, y);
                const QColor q = b.pixelColor(x, y);
                sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                       std::abs(p.blue() - q.blue());
            }
        }
        return sum / (3.0 * 255.0 * pixels.width() * pixels.height());
    }

    // Pixels of a lit dot of the brightness picture: near white.
    static bool LitDot(QColor c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; }

    static int CountPixels(const QImage& image, const QRect& area,
                           const std::function<bool(QColor)>& match) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += match(image.pixelColor(x, y)) ? 1 : 0;
        return count;
    }
};

const char* const kModeNames[6] = {"static",  "strobe",       "breath",
                                   "gradual", "static-cycle", "breath-cycle"};

TEST_P(MainWindowLookTest, NotConnectedConnectedAndEachMode) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        const QImage alone = Look(dlg, QStringLiteral("not-connected"));
        ASSERT_EQ(alone.size(), QSize(800, 455) * alone.devicePixelRatio());
        // "Device not found!" in red at the label's place.
        const QRect label = dlg.NotFoundLabel()->geometry();
        EXPECT_GT(
            CountPixels(alone, label,
                        [](QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }),
            10);

        // The plate's caption asks for "Gotham" and gets the face the installer mapped it to.
        EXPECT_EQ(
            QFontInfo(fw::BoldFont(QStringLiteral("Gotham"), 7, fw::FontUnit::Point)).family(),
            QStringLiteral("League Spartan"));
        // Without a controller no level is lit.
        const QRect column = dlg.BrightnessPicture()->geometry();
        EXPECT_EQ(CountPixels(alone, column, LitDot), 0);

        RunSim();
        ASSERT_TRUE(WaitConnected(dlg));
        const QImage connected = Look(dlg, QStringLiteral("connected"));
        EXPECT_GT(CountPixels(connected, column, LitDot), 50);
        // The controls that wait for a controller look plainly different without one.
        for (Button* button : {dlg.DefaultButton(), dlg.IncreaseButton(), dlg.DecreaseButton()}) {
            EXPECT_GE(MeanDifference(alone, connected, button->geometry()), 0.045)
                << button->accessibleName().toStdString();
        }
        EXPECT_EQ(
            CountPixels(connected, label,
                        [](QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }),
            0);
        // The version in white.
        EXPECT_GT(CountPixels(connected, dlg.VersionLabel()->geometry(),
                              [](QColor c) { return c.lightness() > 245; }),
                  10);

        for (int mode = 0; mode < 6; ++mode) {
            ClickAt(dlg, ModePoint(mode));
            const QImage look = Look(dlg, QStringLiteral("mode-%1").arg(kModeNames[mode]));
            // The selected button carries the lit dot in its middle, the others none.
            for (int i = 0; i < 6; ++i) {
                const QColor middle =
                    look.pixelColor(dlg.ModeButton(i)->geometry().center() + QPoint(1, 1));
                const bool lit = middle.blue() > 150 && middle.green() > 150 && middle.red() < 150;
                EXPECT_EQ(lit, i == mode) << mode << " " << i;
            }
            // Modes that cycle colours grey out brightness; Static takes it back.
            EXPECT_EQ(look.copy(dlg.IncreaseButton()->geometry()) ==
                          connected.copy(dlg.IncreaseButton()->geometry()),
                      mode <= 2)
                << mode;
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Languages, MainWindowLookTest, ::testing::Values("en_US", "zh_CN"));

} // namespace
