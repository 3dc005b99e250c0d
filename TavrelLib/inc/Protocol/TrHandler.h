#pragma once

#include "Protocol/Handler.h"

class CommInter;
namespace fw {
class Window;
}

// The handler that knows the device: processes a message on its own link and tells its window.
class TrHandler : public Handler {
public:
    explicit TrHandler(fw::Window* window = nullptr) : window_(window) {}

    // Carries the message out on the handler's link, reports WM_COMM_DONE for a message with its
    // own data when there is a window, then recycles the message.
    void ProcessMessage(Message* message) override;
    Message* CreateMessage() override;

    void SetLink(CommInter* link) { link_ = link; }
    CommInter* Link() const { return link_; }

private:
    CommInter* link_ = nullptr;
    fw::Window* window_;
};
