#include <QApplication>
#include <gtest/gtest.h>

// Windows, dialogs and cross-thread messages need an application object and its event loop.
int main(int argc, char** argv) {
    // Headless unless the caller asks for a real display (test discovery runs us bare too).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A message box must never wait for a click that no test gives.
    qputenv("GLIMRA_AUTO_DISMISS", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
