#include "Framework/Hid/HidAccess.h"
#include "HidLock.h"
#include "HidSerialText.h"
#include "Link/HidLayer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr std::uint8_t kReportId = 0x3F;
constexpr unsigned kChunkSize = 61; // data bytes per output report
constexpr unsigned kDefaultReadTimeout = 600;
constexpr unsigned kDefaultWriteTimeout = 500;

bool SerialMatches(const char* wanted, const char* text) {
    // A one-character serial picks by ordinal among the interfaces without serial number.
    if (std::strlen(wanted) == 1) {
        const int ordinal = (wanted[0] >= '0' && wanted[0] <= '9') ? wanted[0] - '0' : 0;
        return text[0] == '\0' && ordinal == 0;
    }
    return std::strcmp(wanted, text) == 0;
}

} // namespace

void HidChannelInit(HidChannel* channel) {
    channel->handle = 0;
    channel->open = 0;
    channel->leftover = 0;
    if (channel->readTimeout == 0)
        channel->readTimeout = kDefaultReadTimeout;
    if (channel->writeTimeout == 0)
        channel->writeTimeout = kDefaultWriteTimeout;
    channel->inputReportLength = 0;
    channel->outputReportLength = 0;
}

HidResult HidOpen(HidChannel* channel, std::uint16_t vendorId, std::uint16_t productId,
                  const char* wantedSerial, unsigned interfaceCount) {
    std::lock_guard lock(HidLock());
    if (channel->open)
        return HID_ALREADY_OPEN;
    return HidOpen(channel, HidListInterfaces(), vendorId, productId, wantedSerial, interfaceCount);
}

HidResult HidOpen(HidChannel* channel, const HidInterfaceList& list, std::uint16_t vendorId,
                  std::uint16_t productId, const char* wantedSerial, unsigned interfaceCount) {
    std::lock_guard lock(HidLock());
    if (channel->open)
        return HID_ALREADY_OPEN;

    wchar_t path[kHidPathLength];
    for (unsigned member = 0; member < kHidMaxMembers; ++member) {
        if (HidFindPath(list, vendorId, productId, member, path) != HID_SUCCESS)
            continue;
        fw::HidError lastError = fw::HidError::None;
        const fw::HidHandle handle = HidOpenMember(list, member, vendorId, productId, &lastError,
                                                   interfaceCount == 1 ? 1 : 0);
        if (lastError == fw::HidError::SharingViolation)
            return HID_ALREADY_OPEN; // held by another opener; the channel stays closed
        if (handle == fw::kInvalidHidHandle)
            continue;

        // An interface whose serial can't be read matches no wanted serial.
        char text[40];
        if (!HidReadSerialText(handle, text) || !SerialMatches(wantedSerial, text)) {
            fw::HidCloseInterface(handle);
            continue;
        }
        channel->handle = handle;
        channel->open = 1;
        std::uint16_t input = 0, output = 0;
        if (fw::HidGetReportLengths(handle, &input, &output)) {
            if (input != 0)
                channel->inputReportLength = input;
            if (output != 0)
                channel->outputReportLength = output;
        }
        return HID_SUCCESS;
    }
    return HID_NO_DEVICE;
}

HidResult HidClose(HidChannel* channel) {
    std::lock_guard lock(HidLock());
    if (channel->open != 1)
        return HID_NOT_OPEN;
    if (channel->handle == fw::kInvalidHidHandle || channel->handle == 0)
        return HID_INVALID_HANDLE;
    fw::HidCloseInterface(channel->handle);
    channel->handle = fw::kInvalidHidHandle;
    channel->open = 0;
    return HID_SUCCESS;
}

HidResult HidRead(HidChannel* channel, void* buffer, unsigned length, unsigned* delivered) {
    return HidReadUntil(channel, buffer, length, delivered, nullptr);
}

HidResult HidReadUntil(HidChannel* channel, void* buffer, unsigned length, unsigned* delivered,
                       ReadComplete complete) {
    std::lock_guard lock(HidLock());
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint8_t* const readBuffer = channel->readBuffer;
    unsigned copied = 0;
    unsigned remaining = 0;

    if (channel->leftover > length) {
        std::memcpy(out, readBuffer, length);
        std::memmove(readBuffer, readBuffer + length, channel->leftover - length);
        channel->leftover = static_cast<std::uint16_t>(channel->leftover - length);
        copied = length;
    } else {
        std::memcpy(out, readBuffer, channel->leftover);
        copied = channel->leftover;
        remaining = length - channel->leftover;
        channel->leftover = 0;
    }

    const std::size_t reportSize =
        channel->inputReportLength != 0
            ? std::min<std::size_t>(channel->inputReportLength, sizeof channel->readBuffer)
            : sizeof channel->readBuffer;
    HidResult error = HID_SUCCESS;
    bool dataArrived = false;
    auto enough = [&] { return complete && copied > 0 && complete(out, copied); };
    while (remaining > 0 && error == HID_SUCCESS && !enough()) {
        if (!channel->open) {
            error = HID_NOT_OPEN;
            break;
        }
        std::size_t received = 0;
        const fw::HidError result = fw::HidReadReport(channel->handle, readBuffer, reportSize,
                                                      channel->readTimeout, &received);
        if (result == fw::HidError::Timeout) {
            fw::HidCancelIo(channel->handle);
            if (!dataArrived)
                error = HID_TIMEOUT;
            break; // what arrived before the silence is the answer
        }
        if (result != fw::HidError::None) {
            fw::HidCancelIo(channel->handle);
            error = HID_IO_ERROR;
            break;
        }
        if (received < 1 || readBuffer[0] != kReportId)
            continue;
        // Byte 1 may claim more than the report carries; never take bytes it doesn't hold.
        const unsigned carried = received >= 2 ? static_cast<unsigned>(received - 2) : 0;
        const unsigned n = std::min<unsigned>(readBuffer[1], carried);
        if (n > remaining) {
            std::memcpy(out + copied, readBuffer + 2, remaining);
            std::memmove(readBuffer, readBuffer + 2 + remaining, n - remaining);
            channel->leftover = static_cast<std::uint16_t>(n - remaining);
            copied += remaining;
            remaining = 0;
            dataArrived = true;
        } else {
            std::memcpy(out + copied, readBuffer + 2, n);
            copied += n;
            remaining -= n;
            channel->leftover = 0;
            dataArrived = dataArrived || n > 0;
        }
    }
    *delivered = length - remaining;
    return error;
}

HidResult HidWrite(HidChannel* channel, const void* data, std::uint16_t length) {
    std::lock_guard lock(HidLock());
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::vector<std::uint8_t> report(channel->outputReportLength);
    for (unsigned offset = 0; offset < length;) {
        const unsigned chunk = std::min(kChunkSize, length - offset);
        if (!channel->open)
            return HID_NOT_OPEN;
        // An interface whose reports can't hold a chunk would lose data: refuse instead.
        if (report.size() < 3 + chunk)
            return HID_IO_ERROR;
        std::fill(report.begin(), report.end(), 0);
        report[0] = kReportId;
        report[1] = static_cast<std::uint8_t>(chunk);
        report[2] = offset + chunk < length ? 1 : 0;
        std::memcpy(report.data() + 3, bytes + offset, chunk);
        const fw::HidError result = fw::HidWriteReport(channel->handle, report.data(),
                                                       report.size(), channel->writeTimeout);
        if (result == fw::HidError::Timeout) {
            fw::HidCancelIo(channel->handle);
            return HID_TIMEOUT;
        }
        if (result != fw::HidError::None)
            return HID_IO_ERROR;
        offset += chunk;
    }
    return HID_SUCCESS;
}

HidResult HidFlush(HidChannel* channel) {
    channel->leftover = 0;
    std::lock_guard lock(HidLock());
    const fw::HidError result = fw::HidFlushInput(channel->handle);
    if (result == fw::HidError::None)
        return HID_SUCCESS;
    return result == fw::HidError::InvalidHandle ? HID_INVALID_HANDLE : HID_FAILURE;
}
