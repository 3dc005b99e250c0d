#pragma once

#include <QString>

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

private:
    static void InstallQuitSignals();
};

} // namespace fw
