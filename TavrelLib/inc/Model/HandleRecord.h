#pragma once

#include <cstdint>

// One effect handle as the controller sends it (11 bytes, 16-bit fields big-endian).
struct HandleRecord {
    std::uint8_t mode;
    std::uint8_t referenceMode; // 3 marks the cycling variants
    std::uint8_t referenceId;   // the handle this one follows; 0xFF for none
    std::uint8_t speed[2];
    std::uint8_t period[2];
    std::uint8_t direction;
    std::uint8_t elementMask[2]; // bit i: LED i is a member; bit 0 is the low bit of byte 9
    std::uint8_t enable;

    std::uint16_t Speed() const;
    std::uint16_t Period() const;
    std::uint16_t ElementMask() const;
    void SetSpeed(std::uint16_t value);
    void SetPeriod(std::uint16_t value);
    void SetElementMask(std::uint16_t value);
};
static_assert(sizeof(HandleRecord) == 11, "HandleRecord is the controller's 11-byte record");
