#include "Framework/Window.h"

#include <QPointer>
#include <QThread>
#include <QTimerEvent>

namespace fw {

Window::Window(QObject* parent) : QObject(parent) {}

Window::~Window() = default;

LRESULT Window::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    auto it = handlers_.find(msg);
    if (it == handlers_.end())
        return 0;
    // Copy: a handler may replace its own entry while it runs.
    Handler handler = it->second;
    return handler(wParam, lParam);
}

void Window::OnMessage(unsigned msg, Handler handler) {
    handlers_[msg] = std::move(handler);
}

void Window::SetTimer(std::uintptr_t id, unsigned ms) {
    KillTimer(id);
    timers_[id] = startTimer(static_cast<int>(ms), Qt::PreciseTimer);
}

void Window::KillTimer(std::uintptr_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    killTimer(it->second);
    timers_.erase(it);
}

bool Window::IsTimerPending(std::uintptr_t id) const {
    return timers_.count(id) != 0;
}

void Window::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : timers_) {
        if (qtId == event->timerId()) {
            WindowProc(WM_TIMER, id, 0);
            return;
        }
    }
}

LRESULT SendMessage(Window* target, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!target)
        return 0;
    if (QThread::currentThread() == target->thread())
        return target->WindowProc(msg, wParam, lParam);
    LRESULT result = 0;
    QMetaObject::invokeMethod(
        target, [&] { result = target->WindowProc(msg, wParam, lParam); },
        Qt::BlockingQueuedConnection);
    return result;
}

bool PostMessage(Window* target, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!target)
        return false;
    QPointer<Window> guard(target);
    return QMetaObject::invokeMethod(
        target,
        [guard, msg, wParam, lParam] {
            if (guard)
                guard->WindowProc(msg, wParam, lParam);
        },
        Qt::QueuedConnection);
}

} // namespace fw
