#include "Link/DeviceInterfaceIds.h"

#include <algorithm>

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// Drops text up to and including marker (or its first three characters when the marker is
// absent) and reads the id that follows.
std::uint16_t TakeId(std::wstring& text, const wchar_t* marker) {
    const std::size_t at = text.find(marker);
    const std::size_t skip = at == std::wstring::npos ? 3 : at + 4;
    text.erase(0, std::min(skip, text.size()));
    unsigned value = 0;
    for (std::size_t i = 0; i < 4 && i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0)
            break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace

DeviceInterfaceIds DeviceInterfaceIds::FromName(const std::wstring& name) {
    std::wstring rest = name;
    DeviceInterfaceIds ids;
    ids.vendorId = TakeId(rest, L"VID_");
    ids.productId = TakeId(rest, L"PID_");
    return ids;
}
