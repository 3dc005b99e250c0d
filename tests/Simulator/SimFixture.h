#pragma once

#include "SimTestClient.h"

#include "Sim/Simulator.h"

#include <gtest/gtest.h>

#include <memory>

// A simulator in its own folder, unpaced (the tests that are about pacing set it themselves).
class SimFixture : public ::testing::Test {
protected:
    sim::SimConfig Base() const {
        sim::SimConfig c;
        c.dir = dir.Path();
        c.reportIntervalUs = 0;
        c.rebootMs = 20;
        return c;
    }

    sim::Simulator& Run(sim::SimConfig config) {
        simulator = std::make_unique<sim::Simulator>(std::move(config));
        EXPECT_TRUE(simulator->Start()) << simulator->LastError();
        return *simulator;
    }

    std::unique_ptr<simtest::RawClient> Connect(int device = 0, int interface = 0) {
        return std::make_unique<simtest::RawClient>(simulator->Path(device, interface, ".sock"));
    }

    // Sends a query and collects exactly the bytes of a reply frame of payloadSize bytes.
    simtest::Bytes Query(simtest::RawClient& client, std::uint8_t selector,
                         std::size_t payloadSize) {
        EXPECT_TRUE(client.SendFrame(0x01, {selector}));
        return client.ReadData(payloadSize + 13);
    }

    simtest::TempDir dir;
    std::unique_ptr<sim::Simulator> simulator;
};
