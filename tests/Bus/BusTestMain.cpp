#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

// These tests talk over a session bus. Each run gets a private one from dbus-run-session, so
// they never meet the user's own desktop bus (or a Glimra Utility running there), whether
// CTest or a developer starts them.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("GLIMRA_PRIVATE_BUS")) {
        setenv("GLIMRA_PRIVATE_BUS", "1", 1);
        std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::perror("dbus-run-session");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("GLIMRA_AUTO_DISMISS", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
