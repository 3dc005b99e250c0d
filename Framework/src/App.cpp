#include "Framework/App.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace fw {

namespace {
App* g_current = nullptr;
int g_signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t g_quitRequested = 0;
QPointer<QObject> g_scope;

App::ApplicationFactory& Factory() {
    static App::ApplicationFactory factory;
    return factory;
}

std::function<void()>& QuitHandler() {
    static std::function<void()> handler;
    return handler;
}

// The first signal asks for a clean end through the event loop. A second one while that is
// still pending means the program is stuck: the signal's default action ends it.
void OnQuitSignal(int signal) {
    if (g_quitRequested) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_quitRequested = 1;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}
} // namespace

App::App() {
    g_current = this;
}

App::~App() {
    if (g_current == this)
        g_current = nullptr;
}

App* App::Current() {
    return g_current;
}

bool App::QuitRequested() {
    return g_quitRequested != 0;
}

QObject* App::ApplicationScope() {
    return g_scope ? g_scope.data() : QCoreApplication::instance();
}

QString App::ModuleFileName() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return QCoreApplication::applicationFilePath();
    return QFile::decodeName(QByteArray(buffer, static_cast<int>(n)));
}

void App::SetApplicationFactory(ApplicationFactory factory) {
    Factory() = std::move(factory);
}

void App::SetQuitHandler(std::function<void()> handler) {
    QuitHandler() = std::move(handler);
}

// Caught before the Qt application exists, so a signal during start-up is kept in the pipe
// until the first event loop runs instead of killing the program half-started.
void App::CatchQuitSignals() {
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// Ends the program from its event loop: the window side's handler ends its dialogs and loops
// first, so the normal shut-down runs.
void App::QuitFromSignal() {
    if (const auto& handler = QuitHandler())
        handler();
    else
        QCoreApplication::exit(0);
}

// SIGTERM and SIGINT end the program cleanly, from its event loop.
void App::WatchQuitSignals() {
    if (g_signalPipe[0] < 0)
        return;
    auto* notifier =
        new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, ApplicationScope());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char drain[16];
        while (::read(g_signalPipe[0], drain, sizeof drain) > 0) {
        }
        QuitFromSignal();
    });
}

// ~QObject would delete the application's children only after ~QApplication has taken the
// widget machinery down, which a widget (the XEmbed tray icon is one) does not survive. So our
// own long-lived objects hang off a scope of their own that goes first.
void App::ReleaseApplicationObjects() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete g_scope.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int App::Run(int argc, char** argv) {
    CatchQuitSignals();
    const std::unique_ptr<QCoreApplication> application =
        Factory() ? Factory()(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    g_scope = new QObject;
    WatchQuitSignals();
    InitInstance();
    ReleaseApplicationObjects();
    return ExitInstance();
}

} // namespace fw
