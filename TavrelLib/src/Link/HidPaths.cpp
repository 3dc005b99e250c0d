#include "Framework/Hid/HidAccess.h"
#include "Link/HidLayer.h"

#include <cwchar>

namespace {

thread_local bool metAccessDenied = false;

fw::HidHandle OpenOnce(const wchar_t* path, fw::HidShare share, fw::HidError* lastError) {
    const fw::HidHandle handle = fw::HidOpenInterface(path, share, lastError);
    if (*lastError == fw::HidError::AccessDenied)
        metAccessDenied = true;
    return handle;
}

} // namespace

void HidResetAccessDenied() {
    metAccessDenied = false;
}

bool HidMetAccessDenied() {
    return metAccessDenied;
}

HidResult HidFindPath(std::uint16_t vendorId, std::uint16_t productId, unsigned memberIndex,
                      wchar_t* path) {
    if (memberIndex >= kHidMaxMembers)
        return HID_FAILURE;
    const std::vector<fw::HidInterfaceInfo> interfaces = fw::HidEnumerateInterfaces();
    if (memberIndex >= interfaces.size())
        return HID_FAILURE;
    wchar_t pattern[32];
    swprintf(pattern, 32, L"vid_%04x&pid_%04x", vendorId, productId);
    const std::wstring& found = interfaces[memberIndex].path;
    if (found.find(pattern) == std::wstring::npos || found.size() >= kHidPathLength)
        return HID_FAILURE;
    std::wmemcpy(path, found.c_str(), found.size() + 1);
    return HID_SUCCESS;
}

fw::HidHandle HidOpenPath(const wchar_t* path, std::uint16_t vendorId, std::uint16_t productId,
                          fw::HidError* lastError, int exclusiveFirst) {
    fw::HidHandle handle = OpenOnce(
        path, exclusiveFirst == 1 ? fw::HidShare::Exclusive : fw::HidShare::Shared, lastError);
    if (*lastError == fw::HidError::SharingViolation)
        handle = OpenOnce(path, fw::HidShare::Shared, lastError);
    if (handle == fw::kInvalidHidHandle)
        return handle;
    std::uint16_t vendor = 0, product = 0;
    if (fw::HidGetAttributes(handle, &vendor, &product) && vendor == vendorId &&
        product == productId)
        return handle;
    fw::HidCloseInterface(handle);
    return fw::kInvalidHidHandle;
}
