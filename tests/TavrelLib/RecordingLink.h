#pragma once

#include "Link/CommInter.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

// A link that records every write and serves preloaded replies, one per Read, each cut to the
// length asked for (as the real link stops at the requested count).
class RecordingLink : public CommInter {
public:
    using Bytes = std::vector<std::uint8_t>;
    using Clock = std::chrono::steady_clock;

    struct Call {
        bool write;
        unsigned length;
        std::thread::id thread;
        Clock::time_point when;
        ReadComplete complete = nullptr; // the test a read was given
    };

    int Scan() override { return 1; }
    int Open(unsigned) override {
        open = 1;
        return 1;
    }
    int IsOpen() override { return open; }
    int Read(void* buffer, unsigned length) override {
        calls.push_back({false, length, std::this_thread::get_id(), Clock::now()});
        if (!open || replies.empty())
            return 0;
        Bytes reply = std::move(replies.front());
        replies.pop_front();
        const unsigned n = std::min<unsigned>(length, static_cast<unsigned>(reply.size()));
        if (n > 0)
            std::memcpy(buffer, reply.data(), n);
        return static_cast<int>(n);
    }
    int ReadUntil(void* buffer, unsigned length, ReadComplete complete) override {
        const int n = Read(buffer, length);
        calls.back().complete = complete;
        return n;
    }
    int Write(const void* data, unsigned length) override {
        calls.push_back({true, length, std::this_thread::get_id(), Clock::now()});
        // Like the real link: a closed link sends nothing and still reports 1.
        if (!open)
            return 1;
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        writes.emplace_back(bytes, bytes + length);
        return writeResult;
    }
    void Close() override { open = 0; }

    std::vector<unsigned> ReadLengths() const {
        std::vector<unsigned> lengths;
        for (const Call& call : calls)
            if (!call.write)
                lengths.push_back(call.length);
        return lengths;
    }

    int open = 1;
    int writeResult = 1;
    std::vector<Bytes> writes;
    std::deque<Bytes> replies;
    std::vector<Call> calls;
};

// A frame as it travels on the wire, built by hand rather than by the code under test; end2 is
// the second end mark, for frames that must not be accepted.
inline std::vector<std::uint8_t> WireFrame(std::uint8_t command,
                                           const std::vector<std::uint8_t>& payload,
                                           std::uint16_t declared, std::uint8_t end2 = 0x55) {
    std::vector<std::uint8_t> frame = {0xFF,
                                       0xAA,
                                       0x00,
                                       0x00,
                                       0x31,
                                       0x2E,
                                       0x30,
                                       0x00,
                                       command,
                                       static_cast<std::uint8_t>(declared >> 8),
                                       static_cast<std::uint8_t>(declared & 0xFF)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0xFF);
    frame.push_back(end2);
    return frame;
}

inline std::vector<std::uint8_t> WireFrame(std::uint8_t command,
                                           const std::vector<std::uint8_t>& payload) {
    return WireFrame(command, payload, static_cast<std::uint16_t>(payload.size()));
}
