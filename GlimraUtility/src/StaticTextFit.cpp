#include "StaticTextFit.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// The width a control's text needs; 0 for controls without a text of one line.
int NeededWidth(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        if (label->text().isEmpty() || label->wordWrap() || label->textFormat() != Qt::PlainText)
            return 0;
        return label->sizeHint().width();
    }
    // A flat button is a text to click (a link); framed buttons keep the template's size.
    if (auto* button = qobject_cast<QPushButton*>(control); button && button->isFlat())
        return button->text().isEmpty() ? 0 : button->sizeHint().width();
    return 0;
}

// The controls whose height takes in the middle of control's, from left to right.
std::vector<QWidget*> LineOf(QWidget* control, const std::vector<QWidget*>& all) {
    const int middle = control->geometry().center().y();
    std::vector<QWidget*> line;
    for (QWidget* other : all) {
        if (other->geometry().top() <= middle && other->geometry().bottom() >= middle)
            line.push_back(other);
    }
    std::sort(line.begin(), line.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    return line;
}

} // namespace

void FitStaticTexts(QWidget* window) {
    std::vector<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            controls.push_back(child);
    }
    int rightmost = 0;
    for (QWidget* control : controls)
        rightmost = std::max(rightmost, control->geometry().right() + 1);
    const int width = window->width();
    const int margin = std::max(0, width - rightmost);

    // Each line once, from its first label that wants more room.
    std::set<QWidget*> fitted;
    for (QWidget* control : controls) {
        if (fitted.count(control) || NeededWidth(control) <= control->width())
            continue;
        int shift = 0;
        for (QWidget* piece : LineOf(control, controls)) {
            fitted.insert(piece);
            const QRect r = piece->geometry();
            const int grown = std::max(r.width(), NeededWidth(piece));
            piece->setGeometry(r.left() + shift, r.top(), grown, r.height());
            shift += grown - r.width();
        }
    }

    int needed = 0;
    for (QWidget* control : controls)
        needed = std::max(needed, control->geometry().right() + 1 + margin);
    if (needed <= width)
        return;
    for (QWidget* control : controls) {
        const QRect r = control->geometry();
        if (r.left() <= 0 && r.right() + 1 >= width)
            control->setGeometry(r.left(), r.top(), r.width() + needed - width, r.height());
    }
    window->setFixedWidth(needed);
}
