#pragma once

#include "Framework/Hid/HidAccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <vector>

// Puts a test's own backends in place and the previous ones back afterwards.
class HidBackendsScope {
public:
    explicit HidBackendsScope(std::vector<std::shared_ptr<fw::HidBackend>> backends)
        : previous_(fw::HidBackends()) {
        fw::HidSetBackends(std::move(backends));
    }
    ~HidBackendsScope() { fw::HidSetBackends(std::move(previous_)); }

private:
    std::vector<std::shared_ptr<fw::HidBackend>> previous_;
};

// Dispatches this thread's events until done() holds or timeoutMs passes.
inline bool DispatchUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
