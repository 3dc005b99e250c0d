#pragma once

#include <QAccessibleWidget>

class CBrightnessPicture;

// The brightness picture as assistive technology sees it: a level meter whose value is the
// level shown, 0 to 8; its name says the level too.
class BrightnessAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit BrightnessAccessible(CBrightnessPicture* picture);

    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    CBrightnessPicture* Picture() const;
};
