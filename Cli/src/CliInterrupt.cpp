#include "CliInterrupt.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

// One pipe for the process: a signal handler may only write to it.
int interruptPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(interruptPipe[1], &byte, 1);
}

} // namespace

CliInterrupt::CliInterrupt(std::function<void()> handler) : handler_(std::move(handler)) {
    if (interruptPipe[0] < 0 && pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(interruptPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Drain(); });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
    routed_ = true;
}

CliInterrupt::~CliInterrupt() {
    if (!routed_)
        return;
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
}

void CliInterrupt::Drain() {
    char drained[16];
    while (read(interruptPipe[0], drained, sizeof drained) > 0) {
    }
    if (handler_)
        handler_();
}
