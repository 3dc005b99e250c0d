#pragma once

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace fw {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Message numbers the framework itself sends.
enum : unsigned {
    WM_TIMER = 0x0113,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_DEVICECHANGE = 0x0219,
    WM_USER = 0x0400,
};

// A message target: every dialog is one, and so is a window-less request target.
// Messages are dispatched on the thread that created the target, through the
// handlers registered for their numbers (our stand-in for a message map).
class Window : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;

    explicit Window(QObject* parent = nullptr);
    ~Window() override;

    // Runs the handler registered for msg; unhandled messages give DefWindowProc's 0.
    virtual LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam);

    // Message map entry: later registrations for the same number replace earlier ones.
    void OnMessage(unsigned msg, Handler handler);

    // Timers by id. A timer fires WM_TIMER (wParam = id) every ms milliseconds until
    // KillTimer; setting an id that is pending restarts it with the new interval.
    void SetTimer(std::uintptr_t id, unsigned ms);
    void KillTimer(std::uintptr_t id);
    bool IsTimerPending(std::uintptr_t id) const;

private:
    friend LRESULT SendMessage(Window* target, unsigned msg, WPARAM wParam, LPARAM lParam);
    friend bool PostMessage(Window* target, unsigned msg, WPARAM wParam, LPARAM lParam);

    // A message sent from another thread, waiting on the sender's stack for its result.
    struct PendingSend {
        unsigned msg;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result = 0;
        bool done = false;
    };
    struct PostedMessage {
        unsigned msg;
        WPARAM wParam;
        LPARAM lParam;
    };

    // Run on this window's thread: what other threads have sent, and what was posted.
    Q_INVOKABLE void RunPendingSends();
    Q_INVOKABLE void RunPostedMessage();
    void timerEvent(QTimerEvent* event) override;

    // Hand-overs between threads use standard primitives, so race detectors see them (Qt's
    // own queue waits inside the library, out of their sight).
    std::mutex queueLock_;
    std::condition_variable sendDone_;
    std::deque<PendingSend*> pendingSends_;
    std::deque<PostedMessage> posted_;

    std::map<unsigned, Handler> handlers_;
    std::map<std::uintptr_t, int> timers_; // id -> QObject timer id
};

// Synchronous: a direct call on the target's own thread; from any other thread the caller
// blocks until the target's thread has run the handler. That thread must be dispatching
// events (its event loop, a modal loop or a dispatching wait).
LRESULT SendMessage(Window* target, unsigned msg, WPARAM wParam, LPARAM lParam);

// Queued for the target's thread; returns false when there is no target.
bool PostMessage(Window* target, unsigned msg, WPARAM wParam, LPARAM lParam);

} // namespace fw
