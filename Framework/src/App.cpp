#include "Framework/App.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace fw {

namespace {
App* g_current = nullptr;
int g_signalPipe[2] = {-1, -1};

App::ApplicationFactory& Factory() {
    static App::ApplicationFactory factory;
    return factory;
}

std::function<void()>& QuitHandler() {
    static std::function<void()> handler;
    return handler;
}

void OnQuitSignal(int) {
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

// SIGTERM and SIGINT run the quit handler (the window layer ends its modal dialogs as a close
// would) and leave the event loop, so the normal shut-down runs.
void App::InstallQuitSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char drain[16];
        while (::read(g_signalPipe[0], drain, sizeof drain) > 0) {
        }
        if (const auto& handler = QuitHandler())
            handler();
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

int App::Run(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> application =
        Factory() ? Factory()(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    InstallQuitSignals();
    InitInstance();
    return ExitInstance();
}

} // namespace fw
