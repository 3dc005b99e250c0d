#pragma once

#include <cstdint>

// Command codes: byte 8 of every frame.
enum : std::uint8_t {
    CmdQuery = 0x01,
    CmdEnterUpgradeMode = 0x02,
    CmdSetColor = 0x04,
    CmdSetEnable = 0x05,
    CmdSetElements = 0x06,
    CmdSetEffect = 0x08,
    CmdBeginUpgrade = 0xFC,
    CmdUpgradeBlock = 0xFD,
    CmdLeaveUpgradeMode = 0xFE,
    CmdRestoreDefaults = 0xFF,
};

// Selectors: the one payload byte of CmdQuery.
enum : std::uint8_t {
    QueryLayoutHeader = 0x00,
    QueryVersionLength = 0x01,
    QueryLayoutBody = 0x10,
    QueryVersionText = 0x11,
};

// The payload byte of the single-byte commands.
constexpr std::uint8_t SingleBytePayload = 0x10;
// Handle value meaning "follows no handle" in a reference.
constexpr std::uint8_t NoReferenceHandle = 0xFF;
