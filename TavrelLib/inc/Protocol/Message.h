#pragma once

#include "Link/ReadComplete.h"

#include <cstdint>

class CommInter;

// One link request: read into data, or write data, through a borrowed link.
class Message {
public:
    enum : int { KindEmpty = -1, KindRead = 1, KindWrite = 2 };

    Message() = default;
    ~Message();
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

    // Kind -1, everything else 0; an owned copy is released rather than leaked.
    void Reset();

    // With copy set the message keeps its own copy of the bytes; otherwise it borrows data.
    void Set(int kind, void* data, int length, CommInter* link, int copy);
    // A read that may end once these bytes suffice; none (the default) reads the whole length.
    void SetCompletion(ReadComplete complete) { complete_ = complete; }

    int Kind() const { return kind_; }
    std::uint8_t* Data() const { return data_; }
    int Length() const { return length_; }
    int OwnsData() const { return ownsData_; }
    CommInter* Link() const { return link_; }
    ReadComplete Completion() const { return complete_; }

    // Releases an owned copy; borrowed data is left alone.
    void ReleaseData();

private:
    int kind_ = KindEmpty;
    std::uint8_t* data_ = nullptr;
    int length_ = 0;
    int ownsData_ = 0;
    CommInter* link_ = nullptr;
    ReadComplete complete_ = nullptr;
};
