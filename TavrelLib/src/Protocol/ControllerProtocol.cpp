#include "Protocol/ControllerProtocol.h"

#include "Framework/Window.h"
#include "Protocol/CommMessages.h"
#include "Protocol/CommandCodes.h"
#include "Protocol/ExecuteMessage.h"
#include "Protocol/FrameArrived.h"
#include "Protocol/Message.h"
#include "Protocol/Packet.h"
#include "Protocol/TrRequestSide.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

unsigned LittleEndian16(const std::uint8_t* bytes) {
    return static_cast<unsigned>(bytes[0]) | static_cast<unsigned>(bytes[1]) << 8;
}

} // namespace

void ControllerProtocol::Attach(CommInter* link, TrRequestSide* owner) {
    link_ = link;
    owner_ = owner;
    if (owner_)
        owner_->SetExecutor(&ExecuteMessage);
}

int ControllerProtocol::Request(Message& message) {
    if (!owner_)
        return 0;
    return static_cast<int>(fw::SendMessage(owner_->RequestTarget(), WM_COMM_REQUEST, 0,
                                            reinterpret_cast<fw::LPARAM>(&message)));
}

int ControllerProtocol::Send(std::uint8_t code, const std::uint8_t* payload, std::uint16_t length) {
    Packet packet;
    packet.Clear();
    if (packet.Encode(code, payload, length, 0))
        SendPacket(packet);
    packet.Release();
    return 1;
}

int ControllerProtocol::SendPacket(const Packet& packet) {
    if (!packet.Data())
        return 1;
    Message message;
    message.Set(Message::KindWrite, packet.Data(), packet.Length(), link_, 0);
    Request(message);
    return 1;
}

int ControllerProtocol::ReadRaw(std::uint8_t* buffer, unsigned length, ReadComplete complete) {
    Message message;
    message.Set(Message::KindRead, buffer, static_cast<int>(length), link_, 0);
    message.SetCompletion(complete);
    return Request(message);
}

int ControllerProtocol::Transact(const Packet& request, std::uint8_t* reply, unsigned replyLength) {
    SendPacket(request);
    // What the link leaves unfilled reads as zeros.
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(replyLength) + Packet::Overhead);
    ReadRaw(buffer.data(), static_cast<unsigned>(buffer.size()), &FrameArrived);

    Packet answer;
    answer.Clear();
    const int found = answer.Decode(buffer.data(), static_cast<unsigned>(buffer.size()));
    if (found) {
        // A frame can declare more than it carries (past the decoder's cap); never copy more
        // than the reply area holds.
        const std::size_t count = std::min<std::size_t>(answer.Length(), replyLength);
        if (count > 0 && reply)
            std::memcpy(reply, answer.Data(), count);
    }
    answer.Release();
    return found;
}

int ControllerProtocol::Query(std::uint8_t selector, std::uint8_t* reply, unsigned replyLength) {
    Packet request;
    request.Clear();
    request.Encode(CmdQuery, &selector, 1, 0);
    const int found = Transact(request, reply, replyLength);
    request.Release();
    return found;
}

int ControllerProtocol::ReadLayout() {
    std::uint8_t header[9] = {};
    if (!Query(QueryLayoutHeader, header, sizeof header))
        return 0;
    const int secondSet = header[0];
    const std::uint64_t ledSize = LittleEndian16(header + 1);
    const int ledCount = static_cast<int>(LittleEndian16(header + 3));
    const std::uint64_t handleSize = LittleEndian16(header + 5);
    const int handleCount = static_cast<int>(LittleEndian16(header + 7));
    std::uint64_t bodyLength = ledSize * static_cast<std::uint64_t>(ledCount) +
                               handleSize * static_cast<std::uint64_t>(handleCount);
    if (secondSet)
        bodyLength *= 2;
    // No frame can declare a longer payload; asking would only allocate a huge buffer in vain.
    if (bodyLength > 0xFFFF)
        return 0;

    std::vector<std::uint8_t> body(static_cast<std::size_t>(bodyLength));
    if (!Query(QueryLayoutBody, body.data(), static_cast<unsigned>(body.size())))
        return 0;
    return model_.Load(body.data(), body.size(), ledCount, handleCount, secondSet) ? 1 : 0;
}

int ControllerProtocol::ReadVersion() {
    std::uint8_t lengthReply[2] = {};
    if (!Query(QueryVersionLength, lengthReply, sizeof lengthReply))
        return 0;
    const unsigned n = LittleEndian16(lengthReply);
    std::vector<std::uint8_t> text(n);
    if (!Query(QueryVersionText, text.data(), n))
        return 0;
    model_.SetVersionText(text.data(), text.size());
    return 1;
}

int ControllerProtocol::SetColor(std::uint8_t handle, std::uint8_t red, std::uint8_t green,
                                 std::uint8_t blue, int updateModel) {
    const std::uint8_t payload[5] = {handle, red, green, blue, 0x01};
    Send(CmdSetColor, payload, sizeof payload);
    if (updateModel)
        model_.ApplyColour(handle, red, green, blue);
    return 1;
}

int ControllerProtocol::SetEnable(std::uint8_t handle, int on) {
    const std::uint8_t payload[2] = {handle, static_cast<std::uint8_t>(on ? 1 : 0)};
    Send(CmdSetEnable, payload, sizeof payload);
    model_.ApplyEnable(handle, on);
    return 1;
}

int ControllerProtocol::SetElements(std::uint8_t handle, std::uint16_t mask, int add) {
    const std::uint8_t payload[4] = {handle, static_cast<std::uint8_t>(mask >> 8),
                                     static_cast<std::uint8_t>(mask & 0xFF),
                                     static_cast<std::uint8_t>(add ? 1 : 0)};
    Send(CmdSetElements, payload, sizeof payload);
    model_.ApplyElements(handle, mask, add);
    return 1;
}

int ControllerProtocol::SetEffect(std::uint8_t handle, std::uint8_t mode, std::uint16_t period,
                                  std::uint16_t speed, std::uint8_t referenceHandle,
                                  std::uint8_t referenceMode, std::uint8_t direction) {
    // The reference travels as one bit per handle 0-7; "none" and anything wider send no bit.
    const std::uint8_t referenceBit =
        referenceHandle < 8 ? static_cast<std::uint8_t>(1u << referenceHandle) : 0;
    const std::uint8_t payload[9] = {handle,
                                     mode,
                                     static_cast<std::uint8_t>(period >> 8),
                                     static_cast<std::uint8_t>(period & 0xFF),
                                     static_cast<std::uint8_t>(speed >> 8),
                                     static_cast<std::uint8_t>(speed & 0xFF),
                                     referenceMode,
                                     referenceBit,
                                     static_cast<std::uint8_t>(direction ? 1 : 0)};
    Send(CmdSetEffect, payload, sizeof payload);
    model_.ApplyEffect(handle, mode, period, speed, referenceHandle, referenceMode, direction);
    return 1;
}

int ControllerProtocol::RestoreDefaults() {
    const std::uint8_t payload = SingleBytePayload;
    Send(CmdRestoreDefaults, &payload, 1);
    return 1;
}

int ControllerProtocol::LeaveUpgradeMode() {
    const std::uint8_t payload = SingleBytePayload;
    Send(CmdLeaveUpgradeMode, &payload, 1);
    return 1;
}
