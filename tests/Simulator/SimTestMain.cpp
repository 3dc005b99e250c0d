#include <gtest/gtest.h>

#include <csignal>

int main(int argc, char** argv) {
    // A write to a connection the simulator just closed must fail, not end the test run.
    std::signal(SIGPIPE, SIG_IGN);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
