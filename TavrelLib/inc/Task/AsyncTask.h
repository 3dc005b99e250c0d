#pragma once

#include "Framework/Window.h"

#include <atomic>
#include <mutex>
#include <thread>

class QAbstractEventDispatcher;

// A task that prepares on the caller's thread, works and finishes on a worker thread of its
// own, and reports to a window. The worker's messages to windows of the waiting thread keep
// being served while that thread waits, so the two never deadlock.
class AsyncTask {
public:
    AsyncTask(const AsyncTask&) = delete;
    AsyncTask& operator=(const AsyncTask&) = delete;

    // onPreExecute here, then doInBackground and onPostExecute on a new worker. Ignored while
    // an earlier worker is still running.
    void execute();

    // WM_FIRMWARE_NOTIFY to the window, handled before this returns; nothing without a window.
    void Notify(fw::WPARAM wParam, fw::LPARAM lParam);

    // Returns once the worker has ended, dispatching the calling thread's messages meanwhile;
    // at once when no worker was started or it has ended. Call it from the thread that
    // called execute.
    void Wait();

    // A worker was started and has not ended yet.
    bool IsRunning() const;

    void SetWindow(fw::Window* window) { window_ = window; }
    fw::Window* GetWindow() const { return window_; }

protected:
    AsyncTask() = default;
    // Never destroyed through the base. A subclass ends its worker (Wait) in its own
    // destructor, while the members the worker uses still exist.
    ~AsyncTask();

    virtual void onPreExecute() {}
    virtual int doInBackground() = 0;
    virtual void onPostExecute(int result) = 0;

    fw::Window* window_ = nullptr;

private:
    void Run();

    std::thread worker_;
    // Guards the hand-over between a waiting thread and the worker's end.
    std::mutex endLock_;
    std::atomic<bool> ended_{true};
    QAbstractEventDispatcher* waiter_ = nullptr;
};
