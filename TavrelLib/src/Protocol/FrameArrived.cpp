#include "Protocol/FrameArrived.h"

#include "Protocol/Packet.h"

bool FrameArrived(const std::uint8_t* bytes, unsigned count) {
    Packet packet;
    packet.Clear();
    return packet.Decode(bytes, count) == 1;
}
