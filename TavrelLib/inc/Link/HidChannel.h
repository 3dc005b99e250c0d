#pragma once

#include "Framework/Hid/HidTypes.h"

#include <cstdint>

// One I/O channel to one HID interface. There are no per-direction events: every wait is a
// poll bounded by the time-outs below, so open means the handle alone is valid.
struct HidChannel {
    fw::HidHandle handle = 0; // fw::kInvalidHidHandle or 0 when none
    int open = 0;
    unsigned readTimeout = 0;             // ms to wait for one input report
    unsigned writeTimeout = 0;            // ms to wait for one output report
    std::uint16_t inputReportLength = 0;  // bytes, report id byte included
    std::uint16_t outputReportLength = 0; // bytes, report id byte included
    std::uint8_t readBuffer[8192] = {};   // each input report; undelivered bytes at its start
    std::uint16_t leftover = 0;           // undelivered bytes at the start of readBuffer
};
