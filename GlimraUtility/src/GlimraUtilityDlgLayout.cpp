#include "GlimraUtilityDlg.h"

#include "App/CTavrelLibApp.h"
#include "App/LoadText.h"
#include "Control/LightingModeTable.h"
#include "Framework/Drawing/Fonts.h"
#include "Framework/Resources.h"
#include "KeyboardProxy.h"
#include "SettingsMenu.h"
#include "SystemMenu.h"
#include "Widgets/BrightnessPicture.h"

#include <QLabel>
#include <QPalette>

namespace {

// Skin positions of the window, in pixels.
struct Place {
    int x;
    int y;
};
constexpr Place kClose{780, 1};
constexpr Place kMin{759, 1};
constexpr Place kSetting{738, 1};
constexpr Place kIncrease{182, 343};
constexpr Place kDecrease{115, 343};
constexpr Place kDefault{591, 377};
constexpr Place kColorPlate{261, 95};
// Mode buttons in mode-index order: Static, Strobe, Breath, Gradual, Static Cycle, Breath Cycle.
constexpr Place kModes[6] = {{591, 117}, {591, 152}, {591, 187},
                             {591, 222}, {591, 257}, {591, 292}};
constexpr QRect kVersionRect(618, 422, 90, 20);
constexpr QRect kBrightnessRect(145, 90, 34, 270);
// The graphs lie below the visible area.
constexpr QRect kGraphRects[3] = {{35, 480, 232, 80}, {280, 480, 232, 80}, {525, 480, 232, 80}};

constexpr unsigned kDefaultCaptionColour = 0xFF58585A;
constexpr unsigned kGraphTextColour = 0xFF999999;
const QString kCaptionFamily = QStringLiteral("Gothma");

const char* const kSwatchFiles[8] = {"RED.png",   "WHITE.png",  "CYAN.png",   "BLUE.png",
                                     "GREEN.png", "YELLOW.png", "ORANGE.png", "PURPLE.png"};

QString ImageFolder() {
    CTavrelLibApp* app = CTavrelLibApp::Current();
    return app ? app->GetImagePath() : QString();
}

QString Language() {
    CTavrelLibApp* app = CTavrelLibApp::Current();
    return app ? app->GetLanguage() : QStringLiteral("en_US");
}

// A static text in its own colour. The box under it stays transparent like every static of
// the skinned window: a box in the old light background colour would stand out on this skin.
void PaintLabel(QLabel* label, QColor text) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
}

} // namespace

void GlimraUtilityDlg::BindControls() {
    // In the window's binding order; the group takes the mode buttons in mode-index order.
    SubclassButton(IDC_STATIC_MODE, &modeButtons_[0]);
    SubclassButton(IDC_STROBE_MODE, &modeButtons_[1]);
    SubclassButton(IDC_GRADUAL_MODE, &modeButtons_[3]);
    SubclassButton(IDC_BREATH_MODE, &modeButtons_[2]);
    SubclassButton(IDC_STATIC_CYCLE, &modeButtons_[4]);
    SubclassButton(IDC_BREATH_CYCLE, &modeButtons_[5]);
    SubclassButton(IDC_INCREASE, &increase_);
    SubclassButton(IDC_DECREASE, &decrease_);
    SubclassButton(IDC_CLOSE, &close_);
    SubclassButton(IDC_COLOR_PLATE, &colorPlate_);
    SubclassButton(IDC_MIN, &min_);
    SubclassButton(IDC_SETTING, &setting_);
    SubclassButton(IDC_DEFAULT, &default_);
    SetControlFactory(IDC_BRIGHTNESS, [this](const fw::DialogControl&, QWidget* parent) {
        brightness_ = new CBrightnessPicture(parent);
        return brightness_;
    });
    for (auto [id, slot] : {std::pair{IDC_FAN_SPEED_GRAPH, &fanSpeedGraph_},
                            std::pair{IDC_GPU_TEMPERATURE_GRAPH, &gpuTemperatureGraph_},
                            std::pair{IDC_CPU_TEMPERATURE_GRAPH, &cpuTemperatureGraph_}}) {
        SetControlFactory(id, [slot](const fw::DialogControl&, QWidget* parent) {
            *slot = new CGraph(parent);
            return *slot;
        });
    }
}

void GlimraUtilityDlg::PlaceControl(QWidget* control, int x, int y) {
    control->move(x, y);
}

void GlimraUtilityDlg::SetUpButton(Button* button, const QString& skin, OnClickListener* listener) {
    const QString base = ImageFolder() + skin;
    button->SetImages(base + QStringLiteral(".png"), base + QStringLiteral("_HOVER.png"));
    button->SetOnClickListener(listener);
}

void GlimraUtilityDlg::LayOutControls() {
    version_ = qobject_cast<QLabel*>(GetDlgItem(IDC_VERSION));
    notFound_ = qobject_cast<QLabel*>(GetDlgItem(IDC_NOT_FOUND));

    version_->setText(QString());
    version_->setGeometry(kVersionRect);
    version_->show();
    PaintLabel(version_, Qt::white);
    PaintLabel(notFound_, Qt::red);

    SetUpButton(close_, QStringLiteral("CLOSE_WIN"), &buttonListener_);
    PlaceControl(close_, kClose.x, kClose.y);
    SetUpButton(min_, QStringLiteral("MIN"), &buttonListener_);
    PlaceControl(min_, kMin.x, kMin.y);
    SetUpButton(setting_, QStringLiteral("SETTING"), &buttonListener_);
    PlaceControl(setting_, kSetting.x, kSetting.y);

    SetUpButton(increase_, QStringLiteral("PLUS"), &lightnessListener_);
    PlaceControl(increase_, kIncrease.x, kIncrease.y);
    SetUpButton(decrease_, QStringLiteral("MINUS"), &lightnessListener_);
    PlaceControl(decrease_, kDecrease.x, kDecrease.y);

    brightness_->setAlignment(Qt::AlignCenter);
    brightnessBitmapId_ = 1051;
    brightness_->setPixmap(QPixmap::fromImage(fw::Resources::LoadBitmap(1051)));
    brightness_->setGeometry(kBrightnessRect);
    brightness_->show();

    const QString mode = ImageFolder() + QStringLiteral("MODE");
    for (int i = 0; i < LightingModeTable::ModeCount; ++i) {
        Button* button = modeButtons_[static_cast<std::size_t>(i)];
        button->SetDisableImage(mode + QStringLiteral("_DISABLE.png"));
        button->SetImages(mode + QStringLiteral(".png"), mode + QStringLiteral("_HOVER.png"));
        PlaceControl(button, kModes[i].x, kModes[i].y);
        button->SetSelectedImages(mode + QStringLiteral("_SELECTED.png"),
                                  mode + QStringLiteral("_SELECTED_HOVER.png"));
        button->SetSelectable(true);
    }
    for (Button* button : modeButtons_)
        modeGroup_.AddButton(button);
    modeGroup_.SetOnGroupButtonClickListener(&modeListener_);

    default_->SetTextFont(kDefaultCaptionColour, kCaptionFamily, 10 / scale_, fw::FontUnit::Point);
    SetUpButton(default_, QStringLiteral("DEFAULT"), &buttonListener_);
    PlaceControl(default_, kDefault.x, kDefault.y);

    const QString images = ImageFolder();
    QStringList swatches;
    for (const char* file : kSwatchFiles)
        swatches << images + QLatin1String(file);
    colorPlate_->Load(images + QStringLiteral("ON.png"), images + QStringLiteral("OFF.png"),
                      swatches, 0, false);
    PlaceControl(colorPlate_, kColorPlate.x, kColorPlate.y);
    colorPlate_->show();
    colorPlate_->SetOnColorPlateClickListener(&colorListener_);

    struct GraphRange {
        CGraph* graph;
        int lowest;
        int highest;
        float unitsPerPixel;
    } graphs[3] = {{fanSpeedGraph_, 500, 2600, 35.0f},
                   {gpuTemperatureGraph_, 0, 100, 5.0f / 3.0f},
                   {cpuTemperatureGraph_, 0, 100, 5.0f / 3.0f}};
    for (int i = 0; i < 3; ++i) {
        graphs[i].graph->setGeometry(kGraphRects[i]);
        graphs[i].graph->show();
        graphs[i].graph->SetRange(graphs[i].lowest, graphs[i].highest, graphs[i].unitsPerPixel);
        graphs[i].graph->SetFont(static_cast<float>(7 / scale_), kGraphTextColour);
    }

    settingsMenu_->CreateEmpty();
    // Keyboard users reach the plate's swatches through stand-ins over it.
    for (int swatch = 1; swatch <= CColorPlate::SwatchCount; ++swatch) {
        auto* proxy = new KeyboardProxy(Widget());
        proxy->SetAction([this, swatch] { ClickSwatch(swatch); });
        swatchProxies_[static_cast<std::size_t>(swatch - 1)] = proxy;
    }
    KeyboardProxy::PlaceOverPlate(swatchProxies_, colorPlate_->geometry());
    SetUpKeyboard();
    SetUpAccessibleGroups();
    ApplyTexts();
}

void GlimraUtilityDlg::ApplyTexts() {
    SetBackground(1000u);
    default_->SetText(LoadText(1094), QString());
    notFound_->setText(LoadText(1062));
    // The template's width was made for another font: never cut the message short.
    if (notFound_->sizeHint().width() > notFound_->width())
        notFound_->resize(notFound_->sizeHint().width(), notFound_->height());
    colorPlate_->SetText(LoadText(1054), LoadText(1052));
    const QString degrees = QStringLiteral("C\u00B0");
    fanSpeedGraph_->SetTitle(LoadText(1056), QStringLiteral("RPM"));
    gpuTemperatureGraph_->SetTitle(LoadText(1058), degrees);
    cpuTemperatureGraph_->SetTitle(LoadText(1060), degrees);

    const QString language = Language();
    settingsMenu_->Build(language, minToTray_ != 0);
    systemMenu_->Build(language, LoadText(101));
    ApplyAccessibleNames();
}
