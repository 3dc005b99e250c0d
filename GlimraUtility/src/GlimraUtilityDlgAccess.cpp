#include "GlimraUtilityDlg.h"

#include "Access/AccessibleGroup.h"
#include "App/CTavrelLibApp.h"
#include "KeyboardProxy.h"
#include "Widgets/BrightnessPicture.h"

#include <QAccessible>
#include <QLabel>

// Names that a screen reader says for each control, in both languages. The skin draws these
// names as pictures, so the controls carry them as text here.

namespace {

struct Names {
    const char* swatches[8];
    const char* onOff;
    const char* modes[6];
    const char* increase;
    const char* decrease;
    const char* defaults;
    const char* close;
    const char* minimize;
    const char* settings;
    const char* brightness; // followed by the level
    const char* version;
    const char* modeGroup;
    const char* swatchGroup;
};

const Names kEnglish = {
    {"Red", "White", "Cyan", "Blue", "Green", "Yellow", "Orange", "Purple"},
    "Lights on/off",
    {"Static Mode", "Strobe Mode", "Breath Mode", "Gradual Mode", "Static Cycle", "Breath Cycle"},
    "Increase",
    "Decrease",
    "Default",
    "Close",
    "Minimize",
    "Settings",
    "Brightness level %1 of 8",
    "Firmware version",
    "Lighting mode",
    "Color",
};

const Names kChinese = {
    {"红色", "白色", "青色", "蓝色", "绿色", "黄色", "橙色", "紫色"},
    "灯光开关",
    {"静态模式", "频闪模式", "呼吸模式", "渐变模式", "静态循环", "呼吸循环"},
    "增加亮度",
    "降低亮度",
    "默认",
    "关闭",
    "最小化",
    "设置",
    "亮度等级 %1/8",
    "固件版本",
    "灯光模式",
    "颜色",
};

const Names& NamesForLanguage() {
    CTavrelLibApp* app = CTavrelLibApp::Current();
    return app && app->GetLanguage() == QLatin1String("zh_CN") ? kChinese : kEnglish;
}

void Name(QWidget* widget, const char* text) {
    if (widget)
        widget->setAccessibleName(QString::fromUtf8(text));
}

} // namespace

void GlimraUtilityDlg::ApplyAccessibleNames() {
    const Names& names = NamesForLanguage();
    for (int i = 0; i < 8; ++i)
        Name(swatchProxies_[static_cast<std::size_t>(i)], names.swatches[i]);
    Name(colorPlate_, names.onOff);
    for (int i = 0; i < 6; ++i)
        Name(modeButtons_[static_cast<std::size_t>(i)], names.modes[i]);
    Name(increase_, names.increase);
    Name(decrease_, names.decrease);
    Name(default_, names.defaults);
    Name(close_, names.close);
    Name(min_, names.minimize);
    Name(setting_, names.settings);
    // The label's own text ("V 1.0.2") is what it says; the description says what it is.
    if (version_)
        version_->setAccessibleDescription(QString::fromUtf8(names.version));
    if (brightness_) {
        brightness_->setAccessibleName(
            QString::fromUtf8(names.brightness).arg(brightness_->Level()));
    }
    if (modeAccessGroup_)
        modeAccessGroup_->SetName(QString::fromUtf8(names.modeGroup));
    if (swatchAccessGroup_)
        swatchAccessGroup_->SetName(QString::fromUtf8(names.swatchGroup));
}

void GlimraUtilityDlg::SetUpKeyboard() {
    // Tab walks the window as the eye reads it: the title buttons, then the panels from left
    // to right (brightness, the plate's swatches round from the upper left and its switch, the
    // modes from the top), then Default. The skinned buttons and the plate take Space
    // themselves.
    std::vector<QWidget*> order = {setting_, min_, close_, decrease_, increase_};
    for (KeyboardProxy* proxy : swatchProxies_)
        order.push_back(proxy);
    order.push_back(colorPlate_);
    for (Button* button : modeButtons_)
        order.push_back(button);
    order.push_back(default_);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void GlimraUtilityDlg::SetUpAccessibleGroups() {
    modeAccessGroup_ = new AccessibleGroup(Widget(), {modeButtons_.begin(), modeButtons_.end()});
    swatchAccessGroup_ =
        new AccessibleGroup(Widget(), {swatchProxies_.begin(), swatchProxies_.end()});
    QAccessible::registerAccessibleInterface(modeAccessGroup_);
    QAccessible::registerAccessibleInterface(swatchAccessGroup_);
    // The groups name controls of this widget: they go with it.
    connect(Widget(), &QObject::destroyed, this, [this] { ReleaseAccessibleGroups(); });
}

void GlimraUtilityDlg::ReleaseAccessibleGroups() {
    for (AccessibleGroup** group : {&modeAccessGroup_, &swatchAccessGroup_}) {
        if (*group)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(*group));
        *group = nullptr;
    }
}
