#include "Access/BrightnessAccessible.h"

#include "Widgets/BrightnessPicture.h"

BrightnessAccessible::BrightnessAccessible(CBrightnessPicture* picture)
    : QAccessibleWidget(picture, QAccessible::ProgressBar) {}

CBrightnessPicture* BrightnessAccessible::Picture() const {
    return static_cast<CBrightnessPicture*>(widget());
}

void* BrightnessAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant BrightnessAccessible::currentValue() const {
    return Picture()->Level();
}

QVariant BrightnessAccessible::maximumValue() const {
    return CBrightnessPicture::MaxLevel;
}

QVariant BrightnessAccessible::minimumValue() const {
    return 0;
}

QVariant BrightnessAccessible::minimumStepSize() const {
    return 1;
}
