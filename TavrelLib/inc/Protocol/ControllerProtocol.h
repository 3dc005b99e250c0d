#pragma once

#include "Link/ReadComplete.h"
#include "Model/LightingModel.h"
#include "Protocol/TrHandler.h"

#include <cstdint>

class CommInter;
class Message;
struct Packet;
class TrRequestSide;

// Builds the controller's commands and reads its replies. Every read and write is a request
// executed by the owner window on its own thread, whichever thread calls in; the lighting model
// follows every change sent.
class ControllerProtocol {
public:
    ControllerProtocol() = default;
    ControllerProtocol(const ControllerProtocol&) = delete;
    ControllerProtocol& operator=(const ControllerProtocol&) = delete;

    // Both are borrowed. Installs the request executor into the owner.
    void Attach(CommInter* link, TrRequestSide* owner);

    // Encodes a frame with tag 0 and sends it. Setting commands report 1 whatever the link did.
    int Send(std::uint8_t code, const std::uint8_t* payload, std::uint16_t length);
    int SendPacket(const Packet& packet);
    // One read request; the number of bytes the link delivered. With complete the read may
    // end as soon as the bytes so far suffice.
    int ReadRaw(std::uint8_t* buffer, unsigned length, ReadComplete complete = nullptr);

    // Sends the request and reads at most replyLength + 13 bytes, ending as soon as they hold a
    // whole frame (the link's report time-outs bound the wait), and decodes a frame from them;
    // its payload (at most replyLength bytes) goes into reply. 1 when a frame was found.
    int Transact(const Packet& request, std::uint8_t* reply, unsigned replyLength);

    // Fill the model from the controller; 1 on success, 0 leaves the model as it was.
    int ReadLayout();
    int ReadVersion();

    int SetColor(std::uint8_t handle, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                 int updateModel);
    int SetEnable(std::uint8_t handle, int on);
    int SetElements(std::uint8_t handle, std::uint16_t mask, int add);
    // referenceHandle is 0-7, or 0xFF for none (anything else sends no reference bit).
    int SetEffect(std::uint8_t handle, std::uint8_t mode, std::uint16_t period, std::uint16_t speed,
                  std::uint8_t referenceHandle, std::uint8_t referenceMode, std::uint8_t direction);
    int RestoreDefaults();
    int LeaveUpgradeMode();

    LightingModel& Model() { return model_; }
    const LightingModel& Model() const { return model_; }
    CommInter* Link() const { return link_; }
    TrRequestSide* Owner() const { return owner_; }

private:
    // Sends the request to the owner window; 0 when there is no owner.
    int Request(Message& message);
    int Query(std::uint8_t selector, std::uint8_t* reply, unsigned replyLength);

    TrHandler handler_;
    TrRequestSide* owner_ = nullptr;
    CommInter* link_ = nullptr;
    LightingModel model_;
};
