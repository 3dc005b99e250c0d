#pragma once

#include "Sim/SimFrame.h"

#include <cstdint>
#include <optional>

namespace sim {

// The controller's receive side: a byte-at-a-time frame decoder that keeps its state between
// reports and resynchronises on anything that is not a frame.
class SimFrameReader {
public:
    // Feeds one byte; returns the frame that this byte completed, if any.
    std::optional<SimFrame> Feed(std::uint8_t b);
    // Forgets a partial frame (the host's write ended in the middle of one).
    void Reset();
    bool InFrame() const { return state_ != State::Hunt; }

private:
    enum class State {
        Hunt,
        Start2,
        Lead,
        Tag,
        Version,
        Command,
        LenHigh,
        LenLow,
        Payload,
        End1,
        End2
    };
    void Resync(std::uint8_t b);

    State state_ = State::Hunt;
    SimFrame frame_;
    std::size_t counter_ = 0;
    std::size_t length_ = 0;
};

} // namespace sim
