#include "GlimraUtilityDlg.h"

#include "App/CTavrelLibApp.h"
#include "KeyboardProxy.h"

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
    Name(version_, names.version);
    if (brightness_) {
        const unsigned level = lighting_ ? lighting_->View().level : 8;
        brightness_->setAccessibleName(QString::fromUtf8(names.brightness).arg(level));
    }
}

void GlimraUtilityDlg::SetUpKeyboard() {
    // Tab walks the window as the eye does: the title buttons, the plate, brightness, modes.
    // The skinned buttons and the plate (its centre switch) take Space themselves.
    std::vector<QWidget*> order = {setting_, min_, close_};
    for (KeyboardProxy* proxy : swatchProxies_)
        order.push_back(proxy);
    order.push_back(colorPlate_);
    order.push_back(decrease_);
    order.push_back(increase_);
    for (Button* button : modeButtons_)
        order.push_back(button);
    order.push_back(default_);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
