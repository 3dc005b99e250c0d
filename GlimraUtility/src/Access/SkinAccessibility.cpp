#include "Access/SkinAccessibility.h"

#include "Access/BrightnessAccessible.h"
#include "Access/DialogAccessible.h"
#include "Access/SkinControlAccessible.h"
#include "KeyboardProxy.h"
#include "Widgets/BrightnessPicture.h"
#include "Widgets/Button.h"
#include "Widgets/ColorPlate.h"

#include <QDialog>

namespace {

// Asked with each class name of an object, the most derived first.
QAccessibleInterface* SkinInterface(const QString& className, QObject* object) {
    QWidget* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("Button") || className == QLatin1String("CColorPlate") ||
        className == QLatin1String("KeyboardProxy"))
        return new SkinControlAccessible(widget);
    if (className == QLatin1String("CBrightnessPicture"))
        return new BrightnessAccessible(static_cast<CBrightnessPicture*>(widget));
    // Our dialogs' windows are plain QDialogs; dialogs of their own class keep Qt's interface.
    if (className == QLatin1String("QDialog") && object->metaObject() == &QDialog::staticMetaObject)
        return new DialogAccessible(widget);
    return nullptr;
}

} // namespace

void InstallSkinAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(SkinInterface);
        return true;
    }();
    (void)installed;
}
