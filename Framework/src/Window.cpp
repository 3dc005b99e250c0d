#include "Framework/Window.h"

#include "Framework/FileException.h"

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
    LRESULT result = 0;
    // A file error ends the handler's work and is reported; the message then gives 0.
    RunReportingFileErrors([&] { result = handler(wParam, lParam); });
    return result;
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
    Window::PendingSend send{msg, wParam, lParam};
    std::unique_lock lock(target->queueLock_);
    target->pendingSends_.push_back(&send);
    QMetaObject::invokeMethod(target, "RunPendingSends", Qt::QueuedConnection);
    target->sendDone_.wait(lock, [&send] { return send.done; });
    return send.result;
}

void Window::RunPendingSends() {
    std::unique_lock lock(queueLock_);
    while (!pendingSends_.empty()) {
        PendingSend* send = pendingSends_.front();
        pendingSends_.pop_front();
        lock.unlock();
        const LRESULT result = WindowProc(send->msg, send->wParam, send->lParam);
        lock.lock();
        send->result = result;
        send->done = true;
        sendDone_.notify_all();
    }
}

bool PostMessage(Window* target, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!target)
        return false;
    std::lock_guard lock(target->queueLock_);
    target->posted_.push_back({msg, wParam, lParam});
    // Qt drops the call if the window is destroyed first, and the message with it.
    return QMetaObject::invokeMethod(target, "RunPostedMessage", Qt::QueuedConnection);
}

// One call per posted message, so posted messages interleave with other events in order.
void Window::RunPostedMessage() {
    std::unique_lock lock(queueLock_);
    if (posted_.empty())
        return;
    const PostedMessage message = posted_.front();
    posted_.pop_front();
    lock.unlock();
    WindowProc(message.msg, message.wParam, message.lParam);
}

} // namespace fw
