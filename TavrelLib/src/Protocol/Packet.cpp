#include "Protocol/Packet.h"

#include <cstring>

namespace {

enum class DecodeState {
    Hunting,
    Start2,
    Lead,
    Tag,
    Version,
    LengthHigh,
    LengthLow,
    Payload,
    End2
};

constexpr std::uint8_t FrameVersion[4] = {'1', '.', '0', 0};

} // namespace

void Packet::Clear() {
    data = nullptr;
    length = 0;
}

void Packet::Release() {
    delete[] data;
    data = nullptr;
}

std::uint8_t* Packet::Encode(std::uint8_t code, const std::uint8_t* payload,
                             std::uint16_t payloadLength, std::uint8_t tagByte) {
    Release();
    // The frame length must fit the 16-bit field, or the buffer would be smaller than the frame.
    if (payloadLength > 0xFFFF - Overhead) {
        length = 0;
        return nullptr;
    }
    length = static_cast<std::uint16_t>(payloadLength + Overhead);
    command = code;
    data = new std::uint8_t[length];
    data[0] = 0xFF;
    data[1] = 0xAA;
    data[2] = 0;
    data[3] = tagByte;
    std::memcpy(data + 4, FrameVersion, sizeof FrameVersion);
    data[8] = code;
    data[9] = static_cast<std::uint8_t>(payloadLength >> 8);
    data[10] = static_cast<std::uint8_t>(payloadLength & 0xFF);
    if (payloadLength > 0)
        std::memcpy(data + 11, payload, payloadLength);
    data[11 + payloadLength] = 0xFF;
    data[12 + payloadLength] = 0x55;
    return data;
}

int Packet::Decode(const std::uint8_t* bytes, unsigned count) {
    // A packet decoded twice must not leak its earlier buffer.
    Release();
    DecodeState state = DecodeState::Hunting;
    unsigned counter = 0;
    auto resync = [&] {
        state = DecodeState::Hunting;
        length = 0;
        counter = 0;
    };
    for (unsigned i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        switch (state) {
        case DecodeState::Hunting:
            if (b == 0xFF)
                state = DecodeState::Start2;
            else
                resync();
            break;
        case DecodeState::Start2:
            if (b == 0xAA)
                state = DecodeState::Lead;
            else
                resync();
            break;
        case DecodeState::Lead:
            lead = b;
            state = DecodeState::Tag;
            break;
        case DecodeState::Tag:
            tag = b;
            state = DecodeState::Version;
            break;
        case DecodeState::Version:
            if (counter < 4) {
                version[counter++] = b;
            } else {
                counter = 0;
                command = b;
                state = DecodeState::LengthHigh;
            }
            break;
        case DecodeState::LengthHigh:
            length = b;
            state = DecodeState::LengthLow;
            break;
        case DecodeState::LengthLow:
            length = static_cast<std::uint16_t>(length * 256 + b);
            Release();
            // Zeroed: a frame declaring more than MaxPayload leaves the tail unwritten.
            data = new std::uint8_t[length]();
            state = DecodeState::Payload;
            break;
        case DecodeState::Payload:
            if (counter < length && counter < MaxPayload) {
                data[counter++] = b;
            } else if (b == 0xFF) {
                state = DecodeState::End2;
            } else {
                resync();
            }
            break;
        case DecodeState::End2:
            if (b == 0x55)
                return 1;
            resync();
            break;
        }
    }
    Release();
    length = 0;
    return 0;
}
