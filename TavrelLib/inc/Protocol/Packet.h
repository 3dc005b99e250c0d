#pragma once

#include <cstdint>

// One frame to or from the controller:
//   FF AA, lead, tag, "1.0\0", command, payload length (big-endian), payload, FF 55.
// A short-lived local of the operation that sends or receives it.
struct Packet {
    // The most payload bytes a received frame can carry.
    static constexpr unsigned MaxPayload = 537;
    // Header and trailer around the payload.
    static constexpr unsigned Overhead = 13;

    std::uint8_t lead = 0;
    std::uint8_t tag = 0;
    std::uint8_t version[4] = {};
    std::uint8_t command = 0;
    // Encoded: the whole frame's length. Decoded: the declared payload length.
    std::uint16_t length = 0;
    // Encoded: the whole frame. Decoded: the payload. Owned; its size is `length`.
    std::uint8_t* data = nullptr;

    Packet() = default;
    ~Packet() { Release(); }
    Packet(const Packet&) = delete;
    Packet& operator=(const Packet&) = delete;

    // Forgets the buffer without releasing it; for a fresh packet.
    void Clear();
    void Release();

    // Returns the encoded frame, or none when the payload is too long for the 16-bit length.
    std::uint8_t* Encode(std::uint8_t code, const std::uint8_t* payload,
                         std::uint16_t payloadLength, std::uint8_t tagByte);

    // 1 when a complete frame was found in the bytes, else 0. Bytes after the frame are ignored.
    int Decode(const std::uint8_t* bytes, unsigned count);

    std::uint8_t* Data() const { return data; }
    std::uint16_t Length() const { return length; }
};
