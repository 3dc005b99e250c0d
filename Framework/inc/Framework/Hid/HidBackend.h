#pragma once

#include "Framework/Hid/HidConnection.h"
#include "Framework/Hid/HidTypes.h"
#include "Framework/Hid/HidWatcher.h"

#include <memory>
#include <vector>

namespace fw {

// A source of HID interfaces: real hidraw nodes, the simulator's sockets or a test fake.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    // The interfaces present now, in a stable order.
    virtual std::vector<HidInterfaceInfo> Enumerate() = 0;
    // Opens one interface Enumerate reported; on failure returns null and sets error.
    virtual std::unique_ptr<HidConnection> Open(const HidInterfaceInfo& info, HidShare share,
                                                HidError* error) = 0;
    // Starts watching for arrivals and removals; null when this backend can't watch.
    virtual std::unique_ptr<HidWatcher> Watch(HidWatcher::Callback callback) = 0;
};

} // namespace fw
