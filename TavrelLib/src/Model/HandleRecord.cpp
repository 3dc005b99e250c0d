#include "Model/HandleRecord.h"

namespace {

std::uint16_t ReadBigEndian(const std::uint8_t (&field)[2]) {
    return static_cast<std::uint16_t>(field[0] << 8 | field[1]);
}

void WriteBigEndian(std::uint8_t (&field)[2], std::uint16_t value) {
    field[0] = static_cast<std::uint8_t>(value >> 8);
    field[1] = static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

std::uint16_t HandleRecord::Speed() const {
    return ReadBigEndian(speed);
}
std::uint16_t HandleRecord::Period() const {
    return ReadBigEndian(period);
}
std::uint16_t HandleRecord::ElementMask() const {
    return ReadBigEndian(elementMask);
}
void HandleRecord::SetSpeed(std::uint16_t value) {
    WriteBigEndian(speed, value);
}
void HandleRecord::SetPeriod(std::uint16_t value) {
    WriteBigEndian(period, value);
}
void HandleRecord::SetElementMask(std::uint16_t value) {
    WriteBigEndian(elementMask, value);
}
