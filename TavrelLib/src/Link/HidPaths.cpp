#include "Framework/Hid/HidAccess.h"
#include "Link/HidLayer.h"

#include <cwchar>

namespace {

thread_local bool metAccessDenied = false;

// Exclusive first when asked, shared once more after a sharing violation; kept only when the
// interface has the wanted ids. openOnce(share, error) opens the one interface meant.
template <typename OpenOnce>
fw::HidHandle OpenChecked(OpenOnce openOnce, std::uint16_t vendorId, std::uint16_t productId,
                          fw::HidError* lastError, int exclusiveFirst) {
    auto attempt = [&](fw::HidShare share) {
        const fw::HidHandle handle = openOnce(share, lastError);
        if (*lastError == fw::HidError::AccessDenied)
            metAccessDenied = true;
        return handle;
    };
    fw::HidHandle handle =
        attempt(exclusiveFirst == 1 ? fw::HidShare::Exclusive : fw::HidShare::Shared);
    if (*lastError == fw::HidError::SharingViolation)
        handle = attempt(fw::HidShare::Shared);
    if (handle == fw::kInvalidHidHandle)
        return handle;
    std::uint16_t vendor = 0, product = 0;
    if (fw::HidGetAttributes(handle, &vendor, &product) && vendor == vendorId &&
        product == productId)
        return handle;
    fw::HidCloseInterface(handle);
    return fw::kInvalidHidHandle;
}

} // namespace

void HidResetAccessDenied() {
    metAccessDenied = false;
}

bool HidMetAccessDenied() {
    return metAccessDenied;
}

HidInterfaceList HidListInterfaces() {
    return fw::HidEnumerateInterfaces();
}

HidResult HidFindPath(std::uint16_t vendorId, std::uint16_t productId, unsigned memberIndex,
                      wchar_t* path) {
    if (memberIndex >= kHidMaxMembers)
        return HID_FAILURE;
    return HidFindPath(HidListInterfaces(), vendorId, productId, memberIndex, path);
}

HidResult HidFindPath(const HidInterfaceList& list, std::uint16_t vendorId, std::uint16_t productId,
                      unsigned memberIndex, wchar_t* path) {
    if (memberIndex >= kHidMaxMembers || memberIndex >= list.size())
        return HID_FAILURE;
    wchar_t pattern[32];
    swprintf(pattern, 32, L"vid_%04x&pid_%04x", vendorId, productId);
    const std::wstring& found = list[memberIndex].path;
    if (found.find(pattern) == std::wstring::npos || found.size() >= kHidPathLength)
        return HID_FAILURE;
    std::wmemcpy(path, found.c_str(), found.size() + 1);
    return HID_SUCCESS;
}

fw::HidHandle HidOpenPath(const wchar_t* path, std::uint16_t vendorId, std::uint16_t productId,
                          fw::HidError* lastError, int exclusiveFirst) {
    return OpenChecked(
        [&](fw::HidShare share, fw::HidError* error) {
            return fw::HidOpenInterface(path, share, error);
        },
        vendorId, productId, lastError, exclusiveFirst);
}

fw::HidHandle HidOpenMember(const HidInterfaceList& list, unsigned memberIndex,
                            std::uint16_t vendorId, std::uint16_t productId,
                            fw::HidError* lastError, int exclusiveFirst) {
    if (memberIndex >= list.size()) {
        *lastError = fw::HidError::NotFound;
        return fw::kInvalidHidHandle;
    }
    return OpenChecked(
        [&](fw::HidShare share, fw::HidError* error) {
            return fw::HidOpenInterface(list[memberIndex], share, error);
        },
        vendorId, productId, lastError, exclusiveFirst);
}
