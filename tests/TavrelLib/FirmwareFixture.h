#pragma once

#include "Protocol/CommMessages.h"
#include "Protocol/CommandCodes.h"
#include "SimLinkFixture.h"
#include "Task/FirmwareFileInfo.h"
#include "Task/FirmwareManager.h"

#include <QFile>

#include <cstdint>
#include <random>
#include <thread>
#include <vector>

// The firmware dialog's stand-in: records every notification with the thread it ran on.
class NotifyRecorder : public fw::Window {
public:
    struct Note {
        int step;
        fw::LPARAM value;
        QString name;
        QString size;
        std::thread::id thread;
    };

    NotifyRecorder() {
        OnMessage(WM_FIRMWARE_NOTIFY, [this](fw::WPARAM wParam, fw::LPARAM lParam) {
            Note note{static_cast<int>(wParam), lParam, {}, {}, std::this_thread::get_id()};
            if (note.step == FirmwareManager::StepFileInfo) {
                const auto* info = reinterpret_cast<const FirmwareFileInfo*>(lParam);
                note.name = info->name;
                note.size = info->size;
            }
            notes.push_back(note);
            if (onNote)
                onNote(note);
            return fw::LRESULT{0};
        });
    }

    std::vector<int> Progress() const {
        std::vector<int> values;
        for (const Note& note : notes)
            if (note.step == FirmwareManager::StepProgress)
                values.push_back(static_cast<int>(note.value));
        return values;
    }
    // The step 3 and 4 notifications, in order.
    std::vector<int> Results() const {
        std::vector<int> steps;
        for (const Note& note : notes)
            if (note.step == FirmwareManager::StepSuccess ||
                note.step == FirmwareManager::StepFailure)
                steps.push_back(note.step);
        return steps;
    }

    std::vector<Note> notes;
    std::function<void(const Note&)> onNote;
};

// A task that notes which thread its background work ran on.
class ObservedFirmwareManager : public FirmwareManager {
public:
    std::thread::id workerThread;

protected:
    int doInBackground() override {
        workerThread = std::this_thread::get_id();
        return FirmwareManager::doInBackground();
    }
};

class FirmwareFixture : public SimLinkFixture {
protected:
    using Bytes = std::vector<std::uint8_t>;

    static Bytes Image(std::size_t size, unsigned seed = 7) {
        std::mt19937 random(seed);
        Bytes bytes(size);
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>(random());
        return bytes;
    }

    QString WriteImage(const Bytes& bytes, const QString& name = QStringLiteral("image.bin")) {
        dir.Write(name, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<qsizetype>(bytes.size())));
        return dir.File(name);
    }

    // The simulator running its application, the manager connected to it.
    void Connect(sim::SimConfig config) {
        RunSim(std::move(config));
        CreateManager();
        manager->RefreshDevices();
        ASSERT_EQ(manager->Open(0), 1);
    }

    // What the firmware dialog does when it opens: the restart into the loader, then one
    // Open at the current index until the controller is back.
    void EnterLoader(FirmwareManager& task) {
        task.Init(&recorder, manager.get());
        task.RequestUpgradeMode();
        ASSERT_EQ(manager->IsConnected(), 0);
        ASSERT_TRUE(simulator->WaitForState(
            0, [](const sim::SimState& s) { return s.plugged && s.mode == sim::SimMode::Loader; },
            5000));
        ASSERT_TRUE(DispatchUntil(
            [&] { return manager->Open(manager->CurrentIndex()) && manager->IsConnected(); },
            5000));
    }

    // Trace events of one kind from index `from` on.
    std::vector<sim::TraceEvent> Events(const char* name, std::size_t from = 0) const {
        std::vector<sim::TraceEvent> found;
        const std::vector<sim::TraceEvent> trace = simulator->Trace();
        for (std::size_t i = from; i < trace.size(); ++i)
            if (trace[i].event == name)
                found.push_back(trace[i]);
        return found;
    }
    std::vector<int> FrameCommands(std::size_t from = 0) const {
        std::vector<int> codes;
        for (const sim::TraceEvent& e : Events("frame", from))
            codes.push_back(e.cmd);
        return codes;
    }

    // CRC-16/ARC bit by bit, independent of the table-driven one under test.
    static std::uint16_t BitwiseCrc(const std::uint8_t* data, std::size_t n) {
        std::uint16_t crc = 0;
        for (std::size_t i = 0; i < n; ++i) {
            crc ^= data[i];
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                : static_cast<std::uint16_t>(crc >> 1);
        }
        return crc;
    }

    NotifyRecorder recorder;
};
