#include "Framework/Hid/HidAccess.h"
#include "HidSerialText.h"
#include "Link/HidLayer.h"

#include <cstring>
#include <cwchar>

namespace {

// The decimal number written from this index on, 0 when none.
unsigned NumberAt(const wchar_t* path, std::size_t index) {
    if (std::wcslen(path) <= index)
        return 0;
    unsigned value = 0;
    for (const wchar_t* c = path + index; *c >= L'0' && *c <= L'9'; ++c)
        value = value * 10 + static_cast<unsigned>(*c - L'0');
    return value;
}

} // namespace

unsigned HidCountInterfaces(std::uint16_t vendorId, std::uint16_t productId, unsigned divisor) {
    return HidCountInterfaces(HidListInterfaces(), vendorId, productId, divisor);
}

unsigned HidCountInterfaces(const HidInterfaceList& list, std::uint16_t vendorId,
                            std::uint16_t productId, unsigned divisor) {
    unsigned count = 0;
    wchar_t path[kHidPathLength];
    for (unsigned member = 0; member < kHidMaxMembers; ++member) {
        if (HidFindPath(list, vendorId, productId, member, path) != HID_SUCCESS)
            continue;
        fw::HidError lastError = fw::HidError::None;
        const fw::HidHandle handle =
            HidOpenMember(list, member, vendorId, productId, &lastError, 0);
        if (handle != fw::kInvalidHidHandle || lastError == fw::HidError::SharingViolation)
            ++count;
        if (handle != fw::kInvalidHidHandle)
            fw::HidCloseInterface(handle);
    }
    if (count == 0 || divisor == 0)
        return 0;
    return count / divisor;
}

unsigned HidCollectSerials(std::uint16_t vendorId, std::uint16_t productId, DeviceSerial* serials) {
    return HidCollectSerials(HidListInterfaces(), vendorId, productId, serials);
}

unsigned HidCollectSerials(const HidInterfaceList& list, std::uint16_t vendorId,
                           std::uint16_t productId, DeviceSerial* serials) {
    unsigned stored = 0;
    unsigned interfaces = 1;
    unsigned highestInterface = 0;
    char lastSerial[40] = {};

    wchar_t path[kHidPathLength];
    for (unsigned member = 0; member < kHidMaxMembers; ++member) {
        if (HidFindPath(list, vendorId, productId, member, path) != HID_SUCCESS)
            continue;
        fw::HidError lastError = fw::HidError::None;
        const fw::HidHandle handle =
            HidOpenMember(list, member, vendorId, productId, &lastError, 0);
        // Held by another opener: go on, the serial can't be read through no handle.
        if (handle == fw::kInvalidHidHandle && lastError != fw::HidError::SharingViolation)
            continue;
        char text[40];
        if (!HidReadSerialText(handle, text)) {
            fw::HidCloseInterface(handle);
            continue;
        }
        std::memcpy(lastSerial, text, sizeof text);

        bool seen = false;
        for (unsigned i = 0; i < stored && !seen; ++i)
            seen = std::strcmp(serials[i].text, text) == 0;

        if (text[0] == '\0' && seen) {
            // One more interface of a device without serial number; &mi_NN tells which.
            if (std::wcslen(path) > 26 && path[26] == L'm') {
                const unsigned number = NumberAt(path, 30);
                if (number > highestInterface)
                    highestInterface = number;
            }
            ++interfaces;
        } else if (!seen && interfaces == 1) {
            if (stored < kHidSerialRecords)
                std::memcpy(serials[stored++].text, text, sizeof text);
        }
        fw::HidCloseInterface(handle);
    }

    unsigned devices;
    if (interfaces > 2)
        devices = interfaces / (highestInterface + 1);
    else if (interfaces == 2)
        devices = stored == 2 ? 2 : 2 / (highestInterface + 1);
    else
        devices = stored;
    for (unsigned i = stored; i < devices && i < kHidSerialRecords; ++i)
        std::memcpy(serials[i].text, lastSerial, sizeof lastSerial);
    return devices;
}
