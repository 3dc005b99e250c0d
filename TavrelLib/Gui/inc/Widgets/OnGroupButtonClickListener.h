#pragma once

class Button;

// Told of every click on a member of a button group: the member, its index in the group and
// whether it is selected after the click.
class OnGroupButtonClickListener {
public:
    virtual void onGroupButtonClick(Button* button, int index, bool selected) = 0;

protected:
    ~OnGroupButtonClickListener() = default;
};
