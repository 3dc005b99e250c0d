#include "Protocol/Message.h"

#include <cstring>

Message::~Message() {
    ReleaseData();
}

void Message::Reset() {
    ReleaseData();
    kind_ = KindEmpty;
    data_ = nullptr;
    length_ = 0;
    ownsData_ = 0;
    link_ = nullptr;
    complete_ = nullptr;
}

void Message::Set(int kind, void* data, int length, CommInter* link, int copy) {
    ReleaseData();
    kind_ = kind;
    length_ = length;
    link_ = link;
    complete_ = nullptr;
    if (copy) {
        const int size = length > 0 ? length : 0;
        data_ = new std::uint8_t[size]();
        if (data && size > 0)
            std::memcpy(data_, data, static_cast<std::size_t>(size));
        ownsData_ = 1;
    } else {
        data_ = static_cast<std::uint8_t*>(data);
        ownsData_ = 0;
    }
}

void Message::ReleaseData() {
    if (!ownsData_)
        return;
    delete[] data_;
    data_ = nullptr;
    ownsData_ = 0;
}
