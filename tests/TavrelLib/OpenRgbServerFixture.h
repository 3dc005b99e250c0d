#pragma once

#include "OpenRgb/OpenRgbServer.h"
#include "OpenRgbTestClient.h"
#include "SimLightingHolder.h"
#include "SimLinkFixture.h"

#include <memory>

// The server over a holder of the lighting actions against the in-process simulator, listening
// on a free loopback port.
class OpenRgbServerFixture : public SimLinkFixture {
protected:
    void SetUp() override {
        SimLinkFixture::SetUp();
        RunSim(Base());
        holder = std::make_unique<SimLightingHolder>(CreateManager());
        ASSERT_TRUE(holder->Connect());
        server = std::make_unique<OpenRgbServer>(*holder);
        QString error;
        ASSERT_TRUE(server->Listen(QStringLiteral("127.0.0.1"), 0, &error)) << error.toStdString();
    }

    void TearDown() override {
        server.reset();
        holder.reset();
        SimLinkFixture::TearDown();
    }

    // A client that agreed on a version.
    std::unique_ptr<OpenRgbTestClient> Client(quint32 version = OpenRgbProtocol::ServerVersion) {
        auto client = std::make_unique<OpenRgbTestClient>();
        EXPECT_TRUE(client->Connect(server->Port()));
        OpenRgbWriter w;
        w.U32(version);
        EXPECT_TRUE(client->Request(OpenRgbProtocol::RequestProtocolVersion, w.Bytes()));
        return client;
    }

    // The frames the controller took since trace index from, as (command, payload).
    std::vector<std::pair<int, std::vector<std::uint8_t>>> FramesSince(std::size_t from) const {
        std::vector<std::pair<int, std::vector<std::uint8_t>>> frames;
        const auto trace = simulator->Trace();
        for (std::size_t i = from; i < trace.size(); ++i) {
            if (trace[i].event == "frame" && trace[i].cmd != 0x01)
                frames.emplace_back(trace[i].cmd, trace[i].payload);
        }
        return frames;
    }

    std::unique_ptr<SimLightingHolder> holder;
    std::unique_ptr<OpenRgbServer> server;
};
