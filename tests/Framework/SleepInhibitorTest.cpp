#include "Framework/SleepInhibitor.h"

#include "FakeLogind.h"

#include <gtest/gtest.h>

namespace {

class SleepInhibitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (UnderThreadSanitizer())
            GTEST_SKIP() << "D-Bus runs out of ThreadSanitizer's sight";
        if (!bus.Start())
            GTEST_SKIP() << "no dbus-daemon";
        started_ = true;
    }
    void TearDown() override {
        // Only when used: the first D-Bus call of the process starts Qt's bus thread.
        if (started_)
            QDBusConnection::disconnectFromBus(QStringLiteral("inhibitor-client"));
        bus.Stop();
    }
    QDBusConnection Client() const { return bus.Connect(QStringLiteral("inhibitor-client")); }

    PrivateBus bus;

private:
    bool started_ = false;
};

TEST_F(SleepInhibitorTest, HoldsABlockOnSleepAndShutdownUntilReleased) {
    FakeLogindObject& logind = bus.RunLogind();
    {
        fw::SleepInhibitor inhibitor(Client());
        EXPECT_FALSE(inhibitor.IsHeld());
        ASSERT_TRUE(
            inhibitor.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("flashing")));
        EXPECT_TRUE(inhibitor.IsHeld());
        EXPECT_EQ(logind.Arguments(),
                  (QStringList{"sleep:shutdown", "Glimra Utility", "flashing", "block"}));
        EXPECT_TRUE(logind.Held());
        // Asking again keeps the one inhibitor.
        EXPECT_TRUE(inhibitor.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("again")));
        EXPECT_EQ(logind.Arguments().value(2), QStringLiteral("flashing"));
        inhibitor.Release();
        EXPECT_FALSE(inhibitor.IsHeld());
        EXPECT_TRUE(logind.Released());

        // Taken again, it ends with the object.
        ASSERT_TRUE(
            inhibitor.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("flashing")));
        EXPECT_TRUE(logind.Held());
    }
    EXPECT_TRUE(logind.Released());
}

// No logind on the bus, or no bus at all: nothing held, nothing else happens.
TEST_F(SleepInhibitorTest, WithoutLogindOrABusNothingIsHeld) {
    fw::SleepInhibitor withoutService(Client());
    EXPECT_FALSE(withoutService.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("x")));
    EXPECT_FALSE(withoutService.IsHeld());

    fw::SleepInhibitor withoutBus(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/glimra-bus"), QStringLiteral("no-bus")));
    EXPECT_FALSE(withoutBus.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("x")));
    EXPECT_FALSE(withoutBus.IsHeld());
    withoutBus.Release();
    QDBusConnection::disconnectFromBus(QStringLiteral("no-bus"));
}

} // namespace
