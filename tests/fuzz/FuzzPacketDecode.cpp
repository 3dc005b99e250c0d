// Fuzz target: frames decoded out of arbitrary received bytes.
#include "Protocol/Packet.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Packet packet;
    packet.Clear();
    if (packet.Decode(data, static_cast<unsigned>(size)) == 1) {
        // The payload buffer holds exactly the declared length; touch all of it.
        unsigned sum = 0;
        for (unsigned i = 0; i < packet.Length(); ++i)
            sum += packet.Data()[i];
        if (packet.Length() > 0 && packet.Data() == nullptr)
            std::abort();
        (void)sum;
    }
    packet.Release();
    return 0;
}
