#include "Widgets/BrightnessPicture.h"

#include <QAccessible>

CBrightnessPicture::CBrightnessPicture(QWidget* parent) : QLabel(parent) {}

void CBrightnessPicture::SetLevel(int level) {
    if (level == level_)
        return;
    level_ = level;
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, level_);
        QAccessible::updateAccessibility(&event);
    }
}
