#pragma once

#include "DispatchUntil.h"
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/VirtualHidBackend.h"
#include "Link/UsbDeviceEntry.h"
#include "Protocol/CommManager.h"
#include "Protocol/TrRequestWindow.h"
#include "Sim/Simulator.h"
#include "TempFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The main window's stand-in: executes link requests and notes the thread each one ran on.
class RecordingRequestWindow : public TrRequestWindow {
public:
    std::vector<std::thread::id> RequestThreads() {
        std::lock_guard lock(mutex_);
        return threads_;
    }

protected:
    void OnCommResult(int, Message*) override {
        std::lock_guard lock(mutex_);
        threads_.push_back(std::this_thread::get_id());
    }

private:
    std::mutex mutex_;
    std::vector<std::thread::id> threads_;
};

// The program's link against an in-process simulator in a folder of the test's own: the HID
// access sees only that folder, so no real controller and no other test's simulator interferes.
class SimLinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        previousBackends_ = fw::HidBackends();
        qputenv("GLIMRA_SIM_DIR", Folder().toLocal8Bit());
        fw::HidSetBackends({std::make_shared<fw::VirtualHidBackend>(Folder().toStdString())});
    }

    void TearDown() override {
        manager.reset();
        if (simulator)
            simulator->Stop();
        fw::HidSetBackends(previousBackends_);
        qunsetenv("GLIMRA_SIM_DIR");
    }

    QString Folder() const { return dir.Path() + QStringLiteral("sim"); }

    // Answers leave as soon as the controller has them; reboots are quick.
    sim::SimConfig Base() const {
        sim::SimConfig c;
        c.dir = Folder().toStdString();
        c.rebootMs = 20;
        c.replyDelayMs = 0;
        return c;
    }

    sim::Simulator& RunSim(sim::SimConfig config) {
        simulator = std::make_unique<sim::Simulator>(std::move(config));
        EXPECT_TRUE(simulator->Start()) << simulator->LastError();
        return *simulator;
    }

    // The main window's part: the one-entry table, the link, the protocol attached to window.
    CommManager& CreateManager() {
        manager = std::make_unique<CommManager>();
        manager->CreateUsbLink(&window, table, 1);
        return *manager;
    }

    TempFolder dir;
    UsbDeviceEntry table[1] = {{0x04D9, 0x8008, 0}};
    RecordingRequestWindow window;
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<CommManager> manager;

private:
    std::vector<std::shared_ptr<fw::HidBackend>> previousBackends_;
};
