#pragma once

#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <memory>

// Routes SIGINT and SIGTERM into this thread's event loop while it lives: the handler runs
// there (once per burst of signals), so the program ends its work in order instead of dying in
// the middle of it. The previous dispositions come back when it goes.
class CliInterrupt {
public:
    explicit CliInterrupt(std::function<void()> handler);
    ~CliInterrupt();
    CliInterrupt(const CliInterrupt&) = delete;
    CliInterrupt& operator=(const CliInterrupt&) = delete;

    // Whether the signals were routed (a pipe could be made).
    bool Routed() const { return routed_; }

private:
    void Drain();

    std::function<void()> handler_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool routed_ = false;
    struct sigaction oldInt_ = {};
    struct sigaction oldTerm_ = {};
};
