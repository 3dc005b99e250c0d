#include "Task/FirmwareManager.h"

#include "Protocol/CommManager.h"
#include "Protocol/CommandCodes.h"
#include "Protocol/ControllerProtocol.h"
#include "Protocol/Crc16.h"
#include "Protocol/FrameArrived.h"
#include "Protocol/Packet.h"
#include "Task/FirmwareFileInfo.h"

#include <QFileInfo>

#include <chrono>
#include <thread>

namespace {

// The loader's pauses: before its one-byte answer, before the image, after the last command.
constexpr auto BeginWait = std::chrono::milliseconds(100);
constexpr auto ImageWait = std::chrono::milliseconds(100);
constexpr auto LeaveWait = std::chrono::milliseconds(10);

} // namespace

FirmwareManager::~FirmwareManager() {
    if (IsRunning())
        Cancel();
    Wait();
}

void FirmwareManager::Init(fw::Window* window, CommManager* connection) {
    SetWindow(window);
    connection_ = connection;
    protocol_ = connection ? connection->GetProtocol() : nullptr;
    step_ = StepFileInfo;
    firmwarePath_.clear();
}

void FirmwareManager::SendCommand(std::uint8_t code) {
    const std::uint8_t payload = SingleBytePayload;
    Packet packet;
    packet.Clear();
    packet.Encode(code, &payload, 1, 0);
    protocol_->SendPacket(packet);
    packet.Release();
}

void FirmwareManager::RequestUpgradeMode() {
    if (step_.load() == StepCancelled || !connection_ || !protocol_ || !connection_->IsConnected())
        return;
    SendCommand(CmdEnterUpgradeMode);
    // The controller restarts into its loader and leaves the bus.
    connection_->Close();
}

void FirmwareManager::Start(const QString& firmwarePath) {
    firmwarePath_ = firmwarePath;
    execute();
}

void FirmwareManager::Cancel() {
    step_ = StepCancelled;
    Wait();
}

bool FirmwareManager::AdvanceStep(int step) {
    int current = step_.load();
    while (current != StepCancelled) {
        if (step_.compare_exchange_weak(current, step))
            return true;
    }
    return false;
}

int FirmwareManager::BeginUpgrade() {
    if (step_.load() == StepCancelled || !connection_ || !protocol_ || !connection_->IsConnected())
        return 0;
    SendCommand(CmdBeginUpgrade);
    std::this_thread::sleep_for(BeginWait);
    // The loader answers with one byte that says nothing we act on.
    std::uint8_t answer = 0;
    protocol_->ReadRaw(&answer, 1);
    return 1;
}

int FirmwareManager::WriteBlock(QFile& file, std::uint8_t* buffer, unsigned n) {
    // A short read would send whatever the buffer held before: the block fails instead.
    if (file.read(reinterpret_cast<char*>(buffer), n) != static_cast<qint64>(n))
        return 0;
    const std::uint16_t crc = Crc16::Compute(buffer, n);
    buffer[n] = static_cast<std::uint8_t>(crc >> 8);
    buffer[n + 1] = static_cast<std::uint8_t>(crc & 0xFF);

    Packet block;
    block.Clear();
    block.Encode(CmdUpgradeBlock, buffer, static_cast<std::uint16_t>(n + 2), 0);
    protocol_->SendPacket(block);
    block.Release();

    // The acknowledgement is one short frame: stop reading once it is complete rather than
    // wait out the report time-out for bytes that never come.
    std::uint8_t reply[ReplyLength] = {};
    protocol_->ReadRaw(reply, ReplyLength, &FrameArrived);
    Packet answer;
    answer.Clear();
    const int found = answer.Decode(reply, AckFrameBytes);
    const int accepted = found && answer.Length() >= 1 && answer.Data()[0] == 1 ? 1 : 0;
    answer.Release();
    return accepted;
}

int FirmwareManager::doInBackground() {
    // An image that can't be opened fails the update before the loader is told anything.
    file_.setFileName(firmwarePath_);
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return 0;
    int r = BeginUpgrade();
    if (r == 0) {
        file_.close();
        return 0;
    }
    std::this_thread::sleep_for(ImageWait);

    const std::uint64_t size = static_cast<std::uint64_t>(file_.size());
    const std::uint64_t blocks = size / BlockSize;
    const std::uint32_t onePercent = static_cast<std::uint32_t>((size + 99) / 100);

    AdvanceStep(StepFileInfo);
    const FirmwareFileInfo info{QFileInfo(firmwarePath_).fileName(), QString::number(size)};
    Notify(static_cast<fw::WPARAM>(step_.load()), reinterpret_cast<fw::LPARAM>(&info));
    AdvanceStep(StepProgress);

    std::uint8_t buffer[BlockSize + 2];
    std::uint64_t offset = 0;
    // The percentage reported after a block is that of its start: the first block reports 0.
    for (std::uint64_t i = 0; step_.load() != StepCancelled && r == 1 && i < blocks; ++i) {
        r = WriteBlock(file_, buffer, BlockSize);
        if (r == 1) {
            const std::uint64_t percent = (offset + onePercent - 1) / onePercent;
            Notify(static_cast<fw::WPARAM>(step_.load()), static_cast<fw::LPARAM>(percent));
        }
        offset += BlockSize;
    }
    if (step_.load() != StepCancelled && r == 1) {
        const unsigned tail = static_cast<unsigned>(size % BlockSize);
        if (tail != 0)
            r = WriteBlock(file_, buffer, tail);
        if (r == 1)
            Notify(static_cast<fw::WPARAM>(step_.load()), 100);
    }
    file_.close();
    return r;
}

void FirmwareManager::onPostExecute(int result) {
    if (step_.load() != StepCancelled) {
        if (result == 1) {
            SendCommand(CmdLeaveUpgradeMode);
            std::this_thread::sleep_for(LeaveWait);
        }
        // A cancel that came meanwhile still gets no result.
        const int outcome = result == 1 ? StepSuccess : StepFailure;
        if (AdvanceStep(outcome))
            Notify(static_cast<fw::WPARAM>(outcome), 0);
    }
    step_ = StepFinished;
}
