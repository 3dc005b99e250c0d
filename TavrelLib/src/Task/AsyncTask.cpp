#include "Task/AsyncTask.h"

#include "Protocol/CommMessages.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

AsyncTask::~AsyncTask() {
    Wait();
}

void AsyncTask::execute() {
    if (worker_.joinable()) {
        if (!ended_.load())
            return;
        worker_.join();
    }
    onPreExecute();
    ended_ = false;
    worker_ = std::thread([this] { Run(); });
}

void AsyncTask::Run() {
    const int result = doInBackground();
    onPostExecute(result);
    std::lock_guard lock(endLock_);
    ended_ = true;
    // A thread blocked in Wait has nothing else to wake it.
    if (waiter_)
        waiter_->wakeUp();
}

void AsyncTask::Notify(fw::WPARAM wParam, fw::LPARAM lParam) {
    if (window_)
        fw::SendMessage(window_, WM_FIRMWARE_NOTIFY, wParam, lParam);
}

void AsyncTask::Wait() {
    if (!worker_.joinable() || worker_.get_id() == std::this_thread::get_id())
        return;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        QAbstractEventDispatcher* outer = nullptr;
        {
            std::lock_guard lock(endLock_);
            outer = waiter_;
            waiter_ = dispatcher;
        }
        // The worker's requests and notifications to this thread's windows run in here.
        // Called from a handler of a posted event (a queued call, a zero timer), the event
        // loop holds back events posted meanwhile until some other source fires: deliver them
        // ourselves, and let a short tick make sure the wait always comes round to it.
        QTimer tick;
        tick.start(2);
        while (!ended_.load()) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        std::lock_guard lock(endLock_);
        waiter_ = outer;
    }
    // A nested Wait from a handler dispatched above may have joined already.
    if (worker_.joinable())
        worker_.join();
}

bool AsyncTask::IsRunning() const {
    return !ended_.load();
}
