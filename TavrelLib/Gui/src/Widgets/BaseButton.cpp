#include "Widgets/BaseButton.h"

BaseButton::BaseButton(QWidget* parent) : fw::OwnerDrawButton(parent) {}

void BaseButton::OnLButtonUp(QMouseEvent* event) {
    if (listener_)
        listener_->onClick(this);
    fw::OwnerDrawButton::OnLButtonUp(event);
}
