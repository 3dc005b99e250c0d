#pragma once

#include "Framework/Hid/HidTypes.h"
#include "Framework/Window.h"
#include "Link/DeviceSerial.h"
#include "Link/HidChannel.h"
#include "Link/HidResult.h"
#include "Link/ReadComplete.h"

#include <cstdint>
#include <vector>

namespace fw {
class HidNotification;
}

// The HID layer: finding a controller's interface among all HID interfaces, and moving byte
// streams through its 0x3F reports. Interfaces are addressed by member index, as the platform
// lists them; indexes from 128 on are never looked at.

inline constexpr unsigned kHidPathLength = 260; // wide characters, NUL included
inline constexpr unsigned kHidMaxMembers = 128;
inline constexpr unsigned kHidSerialRecords = 6;

using HidNotifyHandle = fw::HidNotification*;

// One listing of every HID interface. A scan or an open takes one and walks it by member index
// for each identity it looks for; the forms without a listing take their own.
using HidInterfaceList = std::vector<fw::HidInterfaceInfo>;
HidInterfaceList HidListInterfaces();

// 0 with the path written, or 255. A path that would not fit the buffer (260 characters or
// more) is treated as absent rather than cut: a cut path names nothing.
HidResult HidFindPath(std::uint16_t vendorId, std::uint16_t productId, unsigned memberIndex,
                      wchar_t* path);
HidResult HidFindPath(const HidInterfaceList& list, std::uint16_t vendorId, std::uint16_t productId,
                      unsigned memberIndex, wchar_t* path);
// Exclusive first when exclusiveFirst is 1, shared otherwise, and shared once more after a
// sharing violation. fw::kInvalidHidHandle unless the interface has the wanted ids.
fw::HidHandle HidOpenPath(const wchar_t* path, std::uint16_t vendorId, std::uint16_t productId,
                          fw::HidError* lastError, int exclusiveFirst);
// HidOpenPath for the listed interface at memberIndex, opened without listing again.
fw::HidHandle HidOpenMember(const HidInterfaceList& list, unsigned memberIndex,
                            std::uint16_t vendorId, std::uint16_t productId,
                            fw::HidError* lastError, int exclusiveFirst);
unsigned HidCountInterfaces(std::uint16_t vendorId, std::uint16_t productId, unsigned divisor);
unsigned HidCountInterfaces(const HidInterfaceList& list, std::uint16_t vendorId,
                            std::uint16_t productId, unsigned divisor);
// serials points to kHidSerialRecords records.
unsigned HidCollectSerials(std::uint16_t vendorId, std::uint16_t productId, DeviceSerial* serials);
unsigned HidCollectSerials(const HidInterfaceList& list, std::uint16_t vendorId,
                           std::uint16_t productId, DeviceSerial* serials);

void HidChannelInit(HidChannel* channel);
HidResult HidOpen(HidChannel* channel, std::uint16_t vendorId, std::uint16_t productId,
                  const char* wantedSerial, unsigned interfaceCount);
HidResult HidOpen(HidChannel* channel, const HidInterfaceList& list, std::uint16_t vendorId,
                  std::uint16_t productId, const char* wantedSerial, unsigned interfaceCount);
HidResult HidClose(HidChannel* channel);
HidResult HidRead(HidChannel* channel, void* buffer, unsigned length, unsigned* delivered);
// HidRead that also ends, with success, once complete (when given) accepts the bytes so far.
HidResult HidReadUntil(HidChannel* channel, void* buffer, unsigned length, unsigned* delivered,
                       ReadComplete complete);
HidResult HidWrite(HidChannel* channel, const void* data, std::uint16_t length);
HidResult HidFlush(HidChannel* channel);

HidResult HidRegisterNotification(fw::Window* window, HidNotifyHandle* handle);
HidResult HidUnregisterNotification(HidNotifyHandle handle);

// Whether an open attempt on this thread since the last reset found an interface of the
// wanted ids that exists but may not be opened (no permission on the node), so a caller can
// say so instead of "not found". Results of the functions above don't change.
void HidResetAccessDenied();
bool HidMetAccessDenied();
