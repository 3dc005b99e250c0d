#pragma once

#include "Framework/Hid/HidBackend.h"
#include "Framework/Hid/HidTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fw {

// The program's HID access: every backend's interfaces in one list, opened by path and used
// through handles. Safe to call from any thread.

// Interfaces of every backend, hidraw first, then the simulator's.
std::vector<HidInterfaceInfo> HidEnumerateInterfaces();

// Opens the interface with this path (matched without regard to case). On failure returns
// kInvalidHidHandle; the reason goes to *error (when given) and to HidLastError().
HidHandle HidOpenInterface(const std::wstring& path, HidShare share, HidError* error = nullptr);
// Opens an interface of an earlier HidEnumerateInterfaces through the backend that listed it,
// without listing every backend again; by its path when that backend is gone.
HidHandle HidOpenInterface(const HidInterfaceInfo& info, HidShare share, HidError* error = nullptr);
HidError HidCloseInterface(HidHandle handle);

bool HidGetAttributes(HidHandle handle, std::uint16_t* vendorId, std::uint16_t* productId);
bool HidGetSerialNumber(HidHandle handle, std::wstring* serial);
bool HidGetReportLengths(HidHandle handle, std::uint16_t* input, std::uint16_t* output);

HidError HidReadReport(HidHandle handle, void* buffer, std::size_t size, unsigned timeoutMs,
                       std::size_t* received);
HidError HidWriteReport(HidHandle handle, const void* report, std::size_t size, unsigned timeoutMs);
void HidCancelIo(HidHandle handle);
HidError HidFlushInput(HidHandle handle);

// The result of this thread's last HID call above, like the platform's last-error value.
HidError HidLastError();

// The backends in use. The default set is made on first use: hidraw (GLIMRA_SYSFS_ROOT,
// GLIMRA_DEV_ROOT) and the simulator's folder (GLIMRA_SIM_DIR). Tests install their own.
std::vector<std::shared_ptr<HidBackend>> HidBackends();
void HidSetBackends(std::vector<std::shared_ptr<HidBackend>> backends);
void HidUseDefaultBackends();

} // namespace fw
