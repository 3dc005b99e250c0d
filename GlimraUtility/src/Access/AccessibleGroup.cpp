#include "Access/AccessibleGroup.h"

#include "Access/ShownToUser.h"

#include <map>

namespace {

std::map<const QObject*, AccessibleGroup*>& Groups() {
    static std::map<const QObject*, AccessibleGroup*> groups;
    return groups;
}

} // namespace

AccessibleGroup::AccessibleGroup(QWidget* window, std::vector<QWidget*> members) : window_(window) {
    for (QWidget* member : members) {
        members_.emplace_back(member);
        Groups()[member] = this;
    }
}

AccessibleGroup::~AccessibleGroup() {
    for (auto it = Groups().begin(); it != Groups().end();) {
        if (it->second == this)
            it = Groups().erase(it);
        else
            ++it;
    }
}

void AccessibleGroup::SetName(const QString& name) {
    if (name_ == name)
        return;
    name_ = name;
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

AccessibleGroup* AccessibleGroup::Of(const QObject* member) {
    const auto it = Groups().find(member);
    return it == Groups().end() ? nullptr : it->second;
}

bool AccessibleGroup::isValid() const {
    return window_ != nullptr;
}

QWindow* AccessibleGroup::window() const {
    return window_ ? window_->window()->windowHandle() : nullptr;
}

std::vector<QWidget*> AccessibleGroup::Shown() const {
    std::vector<QWidget*> shown;
    for (const QPointer<QWidget>& member : members_) {
        if (member && ShownToUser(member))
            shown.push_back(member);
    }
    return shown;
}

QAccessibleInterface* AccessibleGroup::childAt(int x, int y) const {
    for (QWidget* member : Shown()) {
        QAccessibleInterface* child = QAccessible::queryAccessibleInterface(member);
        if (child && child->rect().contains(x, y))
            return child;
    }
    return nullptr;
}

QAccessibleInterface* AccessibleGroup::parent() const {
    return window_ ? QAccessible::queryAccessibleInterface(window_) : nullptr;
}

QAccessibleInterface* AccessibleGroup::child(int index) const {
    const std::vector<QWidget*> shown = Shown();
    if (index < 0 || index >= static_cast<int>(shown.size()))
        return nullptr;
    return QAccessible::queryAccessibleInterface(shown[static_cast<std::size_t>(index)]);
}

int AccessibleGroup::childCount() const {
    return static_cast<int>(Shown().size());
}

int AccessibleGroup::indexOfChild(const QAccessibleInterface* child) const {
    if (!child)
        return -1;
    const std::vector<QWidget*> shown = Shown();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == child->object())
            return static_cast<int>(i);
    }
    return -1;
}

QString AccessibleGroup::text(QAccessible::Text t) const {
    return t == QAccessible::Name ? name_ : QString();
}

QRect AccessibleGroup::rect() const {
    QRect area;
    for (QWidget* member : Shown())
        area |= QRect(member->mapToGlobal(QPoint(0, 0)), member->size());
    return area;
}

QAccessible::State AccessibleGroup::state() const {
    QAccessible::State state;
    if (Shown().empty())
        state.invisible = true;
    return state;
}
