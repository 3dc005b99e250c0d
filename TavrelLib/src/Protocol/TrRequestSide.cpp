#include "Protocol/TrRequestSide.h"

#include "Protocol/CommMessages.h"
#include "Protocol/Message.h"

TrRequestSide::TrRequestSide(fw::Window& window) : window_(window) {
    window_.OnMessage(WM_COMM_REQUEST, [this](fw::WPARAM wParam, fw::LPARAM lParam) {
        return OnCommRequest(wParam, lParam);
    });
}

fw::LRESULT TrRequestSide::OnCommRequest(fw::WPARAM, fw::LPARAM lParam) {
    if (!executor_)
        return 0;
    Message* message = reinterpret_cast<Message*>(lParam);
    const int result = executor_(message);
    OnCommResult(result, message);
    return result;
}
