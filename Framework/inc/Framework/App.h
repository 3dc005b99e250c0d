#pragma once

#include <QString>

#include <functional>
#include <memory>

class QCoreApplication;
class QObject;

namespace fw {

// The application object: one per process, constructed statically.
//
// Run() is the program's start and stop, in this order:
//   1. SIGTERM and SIGINT are caught, so from here on either ends the program cleanly;
//   2. the Qt application is made; closing the last window does not end the program (the
//      main window may be hidden in the notification area), only InitInstance returning does;
//   3. InitInstance, which runs the main window;
//   4. pending deferred deletions and the application scope (see ApplicationScope) with
//      everything in it, while Qt's widget machinery is still there;
//   5. ExitInstance, whatever InitInstance returned; its result is the exit code;
//   6. the Qt application goes.
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

    // True once SIGTERM or SIGINT asked the program to end.
    static bool QuitRequested();

    // The parent for objects that live as long as the program but need the Qt application
    // (the notification-area icon): Run destroys it before the application. Outside Run (in
    // tests) it is the Qt application itself.
    static QObject* ApplicationScope();

    // The core runs a QCoreApplication and quits on SIGTERM/SIGINT; the window layer, when it
    // is linked, installs a widget application and a handler that ends its modal dialogs first.
    using ApplicationFactory =
        std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)>;
    static void SetApplicationFactory(ApplicationFactory factory);
    // The handler runs on the event loop for a quit signal and must end the program's loops;
    // without one the core leaves the event loop.
    static void SetQuitHandler(std::function<void()> handler);

private:
    static void CatchQuitSignals();
    static void WatchQuitSignals();
    static void QuitFromSignal();
    static void ReleaseApplicationObjects();
};

} // namespace fw
