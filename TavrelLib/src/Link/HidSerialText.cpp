#include "HidSerialText.h"

#include "Framework/Hid/HidAccess.h"

#include <QString>

#include <cstring>

namespace {

constexpr std::size_t kMaxSerialChars = 39;

} // namespace

bool HidReadSerialText(fw::HidHandle handle, char (&text)[40]) {
    std::wstring serial;
    if (!fw::HidGetSerialNumber(handle, &serial))
        return false;
    if (serial.size() > kMaxSerialChars)
        serial.resize(kMaxSerialChars); // the 80-byte buffer the string is read into
    QByteArray utf8 = QString::fromStdWString(serial).toUtf8();
    qsizetype length = std::min<qsizetype>(utf8.size(), kMaxSerialChars);
    // Never end inside a multi-byte character.
    while (length > 0 && length < utf8.size() &&
           (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80)
        --length;
    std::memcpy(text, utf8.constData(), static_cast<std::size_t>(length));
    text[length] = '\0';
    return true;
}
