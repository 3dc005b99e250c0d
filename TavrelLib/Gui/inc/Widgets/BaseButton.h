#pragma once

#include "Framework/Drawing/OwnerDrawButton.h"
#include "Widgets/OnClickListener.h"

// A button that tells one listener when the left button is released after a press on it, also
// when the release happens outside the button (the press keeps the mouse).
class BaseButton : public fw::OwnerDrawButton {
    Q_OBJECT
public:
    explicit BaseButton(QWidget* parent = nullptr);

    // Replaces the listener; null removes it.
    void SetOnClickListener(OnClickListener* listener) { listener_ = listener; }
    OnClickListener* ClickListener() const { return listener_; }

protected:
    void OnLButtonUp(QMouseEvent* event) override;

private:
    OnClickListener* listener_ = nullptr;
};
