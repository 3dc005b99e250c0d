#include "Access/ShownToUser.h"

#include <QWidget>

bool ShownToUser(const QWidget* control) {
    const QWidget* window = control->window();
    if (control == window)
        return true;
    if (!control->isVisibleTo(window))
        return false;
    const QRect area(control->mapTo(window, QPoint(0, 0)), control->size());
    return window->rect().intersects(area);
}
