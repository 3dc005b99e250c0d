#include "Protocol/TrHandler.h"

#include "Framework/Window.h"
#include "Link/CommInter.h"
#include "Protocol/CommMessages.h"
#include "Protocol/Message.h"

#include <new>

void TrHandler::ProcessMessage(Message* message) {
    if (!message)
        return;
    int result = 0;
    // A handler without a link carries nothing out.
    if (link_ && message->Length() >= 0) {
        const unsigned length = static_cast<unsigned>(message->Length());
        if (message->Kind() == Message::KindWrite)
            result = link_->Write(message->Data(), length);
        else if (message->Kind() == Message::KindRead)
            result = link_->Read(message->Data(), length);
    }
    if (window_ && message->OwnsData())
        fw::SendMessage(window_, WM_COMM_DONE, static_cast<fw::WPARAM>(result),
                        reinterpret_cast<fw::LPARAM>(message));
    RecycleMessage(message);
}

Message* TrHandler::CreateMessage() {
    Message* message = new (std::nothrow) Message;
    if (message)
        message->Reset();
    return message;
}
