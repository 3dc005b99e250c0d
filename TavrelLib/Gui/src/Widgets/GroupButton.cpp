#include "Widgets/GroupButton.h"

#include "Widgets/Button.h"

void GroupButton::AddButton(Button* button) {
    buttons_.append(button);
    if (button)
        button->SetOnClickListener(this);
}

void GroupButton::SelectIndex(int index) {
    for (int i = 0; i < buttons_.size(); ++i) {
        Button* member = buttons_[i];
        if (member && !member->IsDisabled())
            member->SetState(i == index ? Button::Selected : Button::Normal);
    }
}

void GroupButton::EnableAll(bool enable) {
    for (Button* member : buttons_)
        if (member)
            member->SetEnabled(enable);
}

void GroupButton::onClick(BaseButton* clicked) {
    if (!clicked)
        return;
    // Members are matched by control id; buttons made without one (-1) match only themselves,
    // so that a group of such buttons does not take every member for the clicked one. The
    // listener hears of the click while the walk is on, so the members after the clicked one
    // turn normal once it has returned.
    const int id = clicked->GetDlgCtrlID();
    for (int i = 0; i < buttons_.size(); ++i) {
        Button* member = buttons_[i];
        if (!member)
            continue;
        const bool isClicked = id == -1 ? member == clicked : member->GetDlgCtrlID() == id;
        if (isClicked) {
            if (!member->IsDisabled())
                member->SetState(Button::Selected);
            if (listener_)
                listener_->onGroupButtonClick(member, i, member->GetState() == Button::Selected);
        } else if (!member->IsDisabled()) {
            member->SetState(Button::Normal);
        }
    }
}
