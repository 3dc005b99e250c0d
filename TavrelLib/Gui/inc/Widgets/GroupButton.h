#pragma once

#include "Widgets/OnClickListener.h"
#include "Widgets/OnGroupButtonClickListener.h"

#include <QVector>

class Button;

// Makes image buttons a radio group: a click shows the clicked member selected and the others
// normal, and tells one listener the member's index. The group borrows its members and must not
// outlive them; it is the click listener of each.
class GroupButton : public OnClickListener {
public:
    GroupButton() = default;
    GroupButton(const GroupButton&) = delete;
    GroupButton& operator=(const GroupButton&) = delete;

    // Appends the button (its index is its position) and becomes its click listener.
    void AddButton(Button* button);
    void SetOnGroupButtonClickListener(OnGroupButtonClickListener* listener) {
        listener_ = listener;
    }
    // Shows the member at index selected and every other enabled member normal; disabled
    // members keep their state. No listener is told.
    void SelectIndex(int index);
    // Enables or disables every member (as Button::SetEnabled).
    void EnableAll(bool enable);

    int Count() const { return static_cast<int>(buttons_.size()); }
    Button* At(int index) const { return buttons_.value(index); }

    void onClick(BaseButton* clicked) override;

private:
    QVector<Button*> buttons_;
    OnGroupButtonClickListener* listener_ = nullptr;
};
