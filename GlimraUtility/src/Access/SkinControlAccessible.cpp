#include "Access/SkinControlAccessible.h"

#include "Access/AccessibleGroup.h"
#include "KeyboardProxy.h"
#include "Widgets/Button.h"
#include "Widgets/ColorPlate.h"

SkinControlAccessible::SkinControlAccessible(QWidget* control)
    : QAccessibleWidget(control, QAccessible::Button) {}

QAccessible::Role SkinControlAccessible::role() const {
    if (qobject_cast<KeyboardProxy*>(widget()))
        return QAccessible::RadioButton;
    if (qobject_cast<CColorPlate*>(widget()))
        return QAccessible::CheckBox;
    if (auto* button = qobject_cast<Button*>(widget()); button && button->IsSelectable())
        return QAccessible::RadioButton;
    return QAccessible::Button;
}

QAccessible::State SkinControlAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    if (auto* proxy = qobject_cast<KeyboardProxy*>(widget())) {
        state.checkable = true;
        state.checked = proxy->isChecked();
    } else if (auto* plate = qobject_cast<CColorPlate*>(widget())) {
        state.checkable = true;
        state.checked = plate->IsOn();
    } else if (auto* button = qobject_cast<Button*>(widget()); button && button->IsSelectable()) {
        state.checkable = true;
        state.checked = button->GetState() == Button::Selected;
    }
    return state;
}

QString SkinControlAccessible::text(QAccessible::Text t) const {
    QString text = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && text.isEmpty()) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget()))
            text = button->text();
    }
    return text;
}

QAccessibleInterface* SkinControlAccessible::parent() const {
    if (AccessibleGroup* group = AccessibleGroup::Of(widget()))
        return group;
    return QAccessibleWidget::parent();
}

QStringList SkinControlAccessible::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void SkinControlAccessible::doAction(const QString& actionName) {
    if (actionName != pressAction() || !widget()->isEnabled()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (auto* button = qobject_cast<fw::OwnerDrawButton*>(widget()))
        button->ClickInMiddle();
    else if (auto* proxy = qobject_cast<QAbstractButton*>(widget()))
        proxy->click();
}

QStringList SkinControlAccessible::keyBindingsForAction(const QString& actionName) const {
    if (actionName == pressAction())
        return {QStringLiteral("Space")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
