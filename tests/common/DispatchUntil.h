#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

// Dispatches this thread's events until done() holds or timeoutMs passes; whether it held.
inline bool DispatchUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
