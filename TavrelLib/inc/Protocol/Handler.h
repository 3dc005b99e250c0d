#pragma once

#include <cstddef>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

class Message;

// A message pool with a pending queue and a processing step. Every request of this program
// takes the synchronous window path instead, so nothing feeds the queue or starts the worker.
class Handler {
public:
    // Spare messages kept for reuse; more are deleted when recycled.
    static constexpr std::size_t PoolLimit = 20;

    Handler() = default;
    virtual ~Handler();
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;

    virtual void ProcessMessage(Message* message) = 0;
    virtual Message* CreateMessage() = 0;

    // Releases an owned copy, resets the message and keeps it in the pool, or deletes it when
    // the pool is full.
    void RecycleMessage(Message* message);

    std::size_t PoolSize() const { return pool_.size(); }

protected:
    std::thread worker_;
    std::queue<Message*> pending_;
    std::vector<Message*> pool_;
    std::mutex lock_;
    int running_ = 0;
};
