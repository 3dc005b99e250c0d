#include "Protocol/Handler.h"

#include "Protocol/Message.h"

Handler::~Handler() {
    running_ = 0;
    if (worker_.joinable())
        worker_.join();
    for (Message* message : pool_)
        delete message;
    pool_.clear();
    // Nothing ever queues messages here; the queue is simply discarded.
    std::queue<Message*>().swap(pending_);
}

void Handler::RecycleMessage(Message* message) {
    if (!message)
        return;
    message->ReleaseData();
    message->Reset();
    if (pool_.size() >= PoolLimit)
        delete message;
    else
        pool_.push_back(message);
}
