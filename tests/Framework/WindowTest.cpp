#include "Framework/Window.h"

#include "DispatchUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr unsigned kPing = fw::WM_USER + 1;

TEST(WindowTest, UnhandledMessagesGiveZeroAndHandlersSeeTheirArguments) {
    fw::Window window;
    EXPECT_EQ(fw::SendMessage(&window, kPing, 1, 2), 0);
    window.OnMessage(kPing, [](fw::WPARAM w, fw::LPARAM l) { return fw::LRESULT(w * 10 + l); });
    EXPECT_EQ(fw::SendMessage(&window, kPing, 4, 2), 42);
    EXPECT_EQ(fw::SendMessage(nullptr, kPing, 4, 2), 0);
}

TEST(WindowTest, SendFromAnotherThreadRunsOnTheTargetsThreadAndWaitsForTheResult) {
    fw::Window window;
    std::vector<std::thread::id> handledOn;
    window.OnMessage(kPing, [&](fw::WPARAM w, fw::LPARAM) {
        handledOn.push_back(std::this_thread::get_id());
        return fw::LRESULT(w + 1);
    });

    std::atomic<bool> finished{false};
    std::vector<fw::LRESULT> results;
    std::thread worker([&] {
        for (fw::WPARAM i = 0; i < 5; ++i)
            results.push_back(fw::SendMessage(&window, kPing, i, 0));
        finished = true;
    });
    ASSERT_TRUE(DispatchUntil([&] { return finished.load(); }));
    worker.join();

    EXPECT_EQ(results, (std::vector<fw::LRESULT>{1, 2, 3, 4, 5}));
    ASSERT_EQ(handledOn.size(), 5u);
    for (auto id : handledOn)
        EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(WindowTest, PostedMessagesRunLaterInOrder) {
    fw::Window window;
    std::vector<fw::WPARAM> seen;
    window.OnMessage(kPing, [&](fw::WPARAM w, fw::LPARAM) {
        seen.push_back(w);
        return 0;
    });
    EXPECT_TRUE(fw::PostMessage(&window, kPing, 1, 0));
    EXPECT_TRUE(fw::PostMessage(&window, kPing, 2, 0));
    EXPECT_TRUE(seen.empty());
    ASSERT_TRUE(DispatchUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, (std::vector<fw::WPARAM>{1, 2}));
    EXPECT_FALSE(fw::PostMessage(nullptr, kPing, 1, 0));
}

TEST(WindowTest, AMessagePostedToADestroyedWindowIsDropped) {
    auto* window = new fw::Window;
    int calls = 0;
    window->OnMessage(kPing, [&](fw::WPARAM, fw::LPARAM) { return ++calls; });
    fw::PostMessage(window, kPing, 0, 0);
    delete window;
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
}

TEST(WindowTest, TimersFireByIdUntilKilledAndRestartingReplacesThePendingOne) {
    fw::Window window;
    std::vector<fw::WPARAM> fired;
    window.OnMessage(fw::WM_TIMER, [&](fw::WPARAM id, fw::LPARAM) {
        fired.push_back(id);
        window.KillTimer(id); // one-shot use, as the program uses its timers
        return 0;
    });
    window.SetTimer(0, 20);
    window.SetTimer(0, 30); // replaces the first: one expiry only
    window.SetTimer(3, 10);
    EXPECT_TRUE(window.IsTimerPending(0));
    ASSERT_TRUE(DispatchUntil([&] { return fired.size() >= 2; }));
    DispatchUntil([] { return false; }, 100);
    EXPECT_EQ(fired, (std::vector<fw::WPARAM>{3, 0}));
    EXPECT_FALSE(window.IsTimerPending(0));

    window.SetTimer(5, 10);
    window.KillTimer(5);
    DispatchUntil([] { return false; }, 60);
    EXPECT_EQ(fired.size(), 2u);
}

} // namespace
