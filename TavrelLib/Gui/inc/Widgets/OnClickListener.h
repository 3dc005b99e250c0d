#pragma once

class BaseButton;

// Told when a button has been clicked. Listeners are owned elsewhere; a button only borrows one.
class OnClickListener {
public:
    virtual void onClick(BaseButton* button) = 0;

protected:
    ~OnClickListener() = default;
};
