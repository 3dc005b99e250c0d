#include "Sim/SimFrameReader.h"

namespace sim {

void SimFrameReader::Reset() {
    state_ = State::Hunt;
    counter_ = 0;
    length_ = 0;
}

// Unlike a strict decoder we look at the offending byte again: a stray FF right before a
// real start mark must not cost the controller the frame.
void SimFrameReader::Resync(std::uint8_t b) {
    Reset();
    if (b == 0xFF)
        state_ = State::Start2;
}

std::optional<SimFrame> SimFrameReader::Feed(std::uint8_t b) {
    switch (state_) {
    case State::Hunt:
        if (b == 0xFF)
            state_ = State::Start2;
        break;
    case State::Start2:
        if (b == 0xAA) {
            frame_ = SimFrame{};
            state_ = State::Lead;
        } else {
            Resync(b);
        }
        break;
    case State::Lead:
        frame_.lead = b;
        state_ = State::Tag;
        break;
    case State::Tag:
        frame_.tag = b;
        counter_ = 0;
        state_ = State::Version;
        break;
    case State::Version:
        frame_.version[counter_++] = b;
        if (counter_ == 4)
            state_ = State::Command;
        break;
    case State::Command:
        frame_.cmd = b;
        state_ = State::LenHigh;
        break;
    case State::LenHigh:
        length_ = b;
        state_ = State::LenLow;
        break;
    case State::LenLow:
        length_ = length_ * 256 + b;
        if (length_ > SimFrame::kMaxPayload) {
            Resync(b);
            break;
        }
        frame_.payload.clear();
        frame_.payload.reserve(length_);
        state_ = length_ == 0 ? State::End1 : State::Payload;
        break;
    case State::Payload:
        frame_.payload.push_back(b);
        if (frame_.payload.size() == length_)
            state_ = State::End1;
        break;
    case State::End1:
        if (b == 0xFF)
            state_ = State::End2;
        else
            Resync(b);
        break;
    case State::End2:
        if (b == 0x55) {
            Reset();
            return std::move(frame_);
        }
        // FF AA where the end mark should be: the frame was cut short and a new one begins.
        if (b == 0xAA) {
            Reset();
            frame_ = SimFrame{};
            state_ = State::Lead;
            break;
        }
        Resync(b);
        break;
    }
    return std::nullopt;
}

} // namespace sim
