#pragma once

#include "Framework/Window.h"
#include "Protocol/ExecuteMessage.h"

class Message;

// The request side of a window that executes link requests: it handles WM_COMM_REQUEST on the
// window's thread with the installed executor. The main window (a dialog) and the command-line
// tool's window-less target both mix it in, so requests run the same way in either.
class TrRequestSide {
public:
    TrRequestSide(const TrRequestSide&) = delete;
    TrRequestSide& operator=(const TrRequestSide&) = delete;

    void SetExecutor(RequestExecutor executor) { executor_ = executor; }
    RequestExecutor Executor() const { return executor_; }

    // The window that requests are sent to.
    fw::Window* RequestTarget() const { return &window_; }

protected:
    // window is the object that mixes this in; its WM_COMM_REQUEST entry is installed here.
    explicit TrRequestSide(fw::Window& window);
    virtual ~TrRequestSide() = default;

    // Called on the window's thread after each executed request.
    virtual void OnCommResult(int result, Message* message) = 0;

private:
    fw::LRESULT OnCommRequest(fw::WPARAM wParam, fw::LPARAM lParam);

    fw::Window& window_;
    RequestExecutor executor_ = nullptr;
};
