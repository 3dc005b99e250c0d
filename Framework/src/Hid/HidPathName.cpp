#include "Framework/Hid/HidPathName.h"

#include <cwctype>

namespace fw {

std::wstring HidInterfacePath(std::uint16_t vendorId, std::uint16_t productId, int interfaceNumber,
                              const std::string& instance) {
    wchar_t ids[48];
    if (interfaceNumber >= 0)
        swprintf(ids, 48, L"vid_%04x&pid_%04x&mi_%02d", vendorId, productId, interfaceNumber);
    else
        swprintf(ids, 48, L"vid_%04x&pid_%04x", vendorId, productId);
    std::wstring path = L"\\\\?\\hid#";
    path += ids;
    path += L'#';
    for (unsigned char c : instance)
        path += static_cast<wchar_t>(std::towlower(c));
    path += L'#';
    path += kHidClassId;
    return path;
}

std::wstring HidNotificationName(const std::wstring& path) {
    std::wstring name = path;
    const std::size_t classAt = name.rfind(L"#{");
    const std::size_t end = classAt == std::wstring::npos ? name.size() : classAt;
    for (std::size_t i = 0; i < end; ++i)
        name[i] = static_cast<wchar_t>(std::towupper(name[i]));
    return name;
}

} // namespace fw
