#include <QApplication>
#include <gtest/gtest.h>

// Requests cross threads through the event loop, and the library's widgets need an application
// object too. Same as the shared test main; this suite links this one instead.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
