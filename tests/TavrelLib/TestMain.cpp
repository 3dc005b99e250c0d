#include <QCoreApplication>
#include <gtest/gtest.h>

// Requests cross threads through the event loop, so the suite needs an application object.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
