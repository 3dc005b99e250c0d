#pragma once

#include <QThread>

#include <atomic>
#include <mutex>

// A holder for up to three worker threads that share one stop flag, owned by the main window.
// The program starts none; the window raises the flag when it exits, and the destructor
// raises it too and waits for every worker that exists.
class Ostrel {
public:
    Ostrel() = default;
    virtual ~Ostrel();
    Ostrel(const Ostrel&) = delete;
    Ostrel& operator=(const Ostrel&) = delete;

    // 0: run, 1: stop. Workers poll it; the window writes 1 directly.
    std::atomic<int> stop{0};
    QThread* firstWorker = nullptr;
    QThread* secondWorker = nullptr;
    QThread* thirdWorker = nullptr;
    std::mutex lock;
};
