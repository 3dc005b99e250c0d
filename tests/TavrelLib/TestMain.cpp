#include <QApplication>
#include <gtest/gtest.h>

// Requests cross threads through the event loop, and the library's widgets need an application
// object too. This suite links this main rather than the shared one.
int main(int argc, char** argv) {
    // Test discovery runs the binary at build time, without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
