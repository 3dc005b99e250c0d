#pragma once

#include "Framework/Hid/HidTypes.h"

#include <cstddef>

namespace fw {

// One open interface of a backend. Reads and writes move whole reports, report id first.
class HidConnection {
public:
    virtual ~HidConnection() = default;

    // Waits at most timeoutMs for one input report; a longer report is cut to size.
    virtual HidError Read(void* buffer, std::size_t size, unsigned timeoutMs,
                          std::size_t* received) = 0;
    // Waits at most timeoutMs for the interface to take one output report.
    virtual HidError Write(const void* report, std::size_t size, unsigned timeoutMs) = 0;
    // Ends a Read or Write that another thread is waiting in (Cancelled); no effect otherwise.
    virtual void Cancel() = 0;
    // Discards the input reports that have arrived and not been read.
    virtual HidError Flush() = 0;
};

} // namespace fw
