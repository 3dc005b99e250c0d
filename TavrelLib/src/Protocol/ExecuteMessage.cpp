#include "Protocol/ExecuteMessage.h"

#include "Link/CommInter.h"
#include "Protocol/Message.h"

int ExecuteMessage(Message* message) {
    if (!message || !message->Link() || message->Length() < 0)
        return 0;
    const unsigned length = static_cast<unsigned>(message->Length());
    switch (message->Kind()) {
    case Message::KindRead:
        if (message->Completion())
            return message->Link()->ReadUntil(message->Data(), length, message->Completion());
        return message->Link()->Read(message->Data(), length);
    case Message::KindWrite:
        return message->Link()->Write(message->Data(), length);
    default:
        return 0;
    }
}
