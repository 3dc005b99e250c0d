#include "Task/AsyncTask.h"
#include "Framework/Window.h"
#include "Protocol/CommMessages.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// A window on this thread that counts the worker's synchronous messages.
class CountingWindow : public fw::Window {
public:
    CountingWindow() {
        OnMessage(WM_FIRMWARE_NOTIFY, [this](fw::WPARAM wParam, fw::LPARAM) {
            values.push_back(static_cast<int>(wParam));
            threads.push_back(std::this_thread::get_id());
            return fw::LRESULT{0};
        });
    }
    std::vector<int> values;
    std::vector<std::thread::id> threads;
};

// Sends `count` notifications back to back, then reports its result.
class ChattyTask : public AsyncTask {
public:
    explicit ChattyTask(int count) : count_(count) {}
    ~ChattyTask() { Wait(); }

    std::thread::id preThread, backgroundThread, postThread;
    std::atomic<int> postResult{-1};

protected:
    void onPreExecute() override { preThread = std::this_thread::get_id(); }
    int doInBackground() override {
        backgroundThread = std::this_thread::get_id();
        for (int i = 0; i < count_; ++i)
            Notify(static_cast<fw::WPARAM>(i), 0);
        return 42;
    }
    void onPostExecute(int result) override {
        postThread = std::this_thread::get_id();
        postResult = result;
    }

private:
    int count_;
};

TEST(AsyncTaskTest, RunsItsStepsOnTheRightThreadsAndWaitServesTheWorker) {
    CountingWindow window;
    ChattyTask task(50);
    task.SetWindow(&window);
    task.execute();
    task.Wait();
    EXPECT_FALSE(task.IsRunning());
    EXPECT_EQ(task.preThread, std::this_thread::get_id());
    EXPECT_NE(task.backgroundThread, std::this_thread::get_id());
    EXPECT_EQ(task.postThread, task.backgroundThread);
    EXPECT_EQ(task.postResult.load(), 42);
    ASSERT_EQ(window.values.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(window.values[static_cast<std::size_t>(i)], i);
        EXPECT_EQ(window.threads[static_cast<std::size_t>(i)], std::this_thread::get_id());
    }
}

TEST(AsyncTaskTest, WaitWithoutWorkerOrAfterItEndedReturnsAtOnce) {
    ChattyTask task(0);
    QElapsedTimer timer;
    timer.start();
    task.Wait(); // never started
    task.execute();
    while (task.IsRunning())
        std::this_thread::yield();
    task.Wait(); // already ended
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(task.postResult.load(), 42);
}

TEST(AsyncTaskTest, WithoutAWindowNotifySendsNothing) {
    ChattyTask task(3);
    task.execute();
    task.Wait();
    EXPECT_EQ(task.postResult.load(), 42);
}

// Waiting from inside a queued call (a cancel reached through a posted message, here posted by
// one of the worker's own notifications) must still serve the worker's messages, which the
// event loop would otherwise hold back until some unrelated event arrives.
TEST(AsyncTaskTest, WaitFromAQueuedCallStillServesTheWorker) {
    CountingWindow window;
    ChattyTask task(200);
    task.SetWindow(&window);
    QEventLoop loop;
    qint64 waited = -1;
    window.OnMessage(fw::WM_USER + 1, [&](fw::WPARAM, fw::LPARAM) {
        QElapsedTimer timer;
        timer.start();
        task.Wait();
        waited = timer.elapsed();
        loop.quit();
        return fw::LRESULT{0};
    });
    window.OnMessage(WM_FIRMWARE_NOTIFY, [&](fw::WPARAM wParam, fw::LPARAM) {
        window.values.push_back(static_cast<int>(wParam));
        if (wParam == 10)
            fw::PostMessage(&window, fw::WM_USER + 1, 0, 0);
        return fw::LRESULT{0};
    });
    task.execute();
    // Only a guard: a stalled wait is released by this and then fails the check below.
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_GE(waited, 0);
    EXPECT_LT(waited, 5000);
    EXPECT_EQ(window.values.size(), 200u);
}

} // namespace
