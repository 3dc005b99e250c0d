#pragma once

#include <QString>

#include <functional>
#include <memory>

class QCoreApplication;

namespace fw {

// The application object: one per process, constructed statically. Run() creates the Qt
// application, calls InitInstance and, whatever it returned, ExitInstance, whose result is
// the process's exit code.
class App {
public:
    App();
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    static App* Current();

    int Run(int argc, char** argv);

    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return 0; }

    // Full path of the running executable.
    static QString ModuleFileName();

    // The core runs a QCoreApplication and quits on SIGTERM/SIGINT; the window layer, when it
    // is linked, installs a widget application and a handler that ends its modal dialogs first.
    using ApplicationFactory =
        std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)>;
    static void SetApplicationFactory(ApplicationFactory factory);
    static void SetQuitHandler(std::function<void()> handler);

private:
    static void InstallQuitSignals();
};

} // namespace fw
