#include "Access/DialogAccessible.h"

#include "Access/AccessibleGroup.h"
#include "Access/ShownToUser.h"

#include <algorithm>

DialogAccessible::DialogAccessible(QWidget* dialog)
    : QAccessibleWidget(dialog, QAccessible::Dialog) {}

std::vector<QAccessibleInterface*> DialogAccessible::Children() const {
    std::vector<QAccessibleInterface*> children;
    for (QObject* object : widget()->children()) {
        auto* control = qobject_cast<QWidget*>(object);
        if (!control || control->isWindow() || !ShownToUser(control))
            continue;
        QAccessibleInterface* child = AccessibleGroup::Of(control);
        if (!child)
            child = QAccessible::queryAccessibleInterface(control);
        if (child && std::find(children.begin(), children.end(), child) == children.end())
            children.push_back(child);
    }
    return children;
}

int DialogAccessible::childCount() const {
    return static_cast<int>(Children().size());
}

QAccessibleInterface* DialogAccessible::child(int index) const {
    const std::vector<QAccessibleInterface*> children = Children();
    if (index < 0 || index >= static_cast<int>(children.size()))
        return nullptr;
    return children[static_cast<std::size_t>(index)];
}

int DialogAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const std::vector<QAccessibleInterface*> children = Children();
    const auto it = std::find(children.begin(), children.end(), child);
    return it == children.end() ? -1 : static_cast<int>(it - children.begin());
}
