#include "platform/gui/ui_thread.h"
#include "platform/gui/winapp.h"
#include "platform/shell/phone_screen.h"

#include "gui_main.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using namespace platform::gui;

using testing_support::RunEventsUntil;

TEST(UiThreadTest, WorkFromManyThreadsRunsOnTheUserInterfaceThread) {
    int count = 0; // touched only on the user-interface thread: no lock
    std::vector<int> handed;
    bool allOnUi = true;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&, t] {
            EXPECT_FALSE(IsUiThread());
            for (int i = 0; i < 500; ++i)
                PostToUiThread([&] {
                    allOnUi = allOnUi && IsUiThread();
                    ++count;
                });
            std::vector<int> data(100, t);
            PostToUiThread([&handed, data = std::move(data)] {
                handed.insert(handed.end(), data.begin(), data.end());
            });
        });
    RunEventsUntil([&] { return count == 2000 && handed.size() == 400; });
    for (auto& w : workers)
        w.join();
    EXPECT_TRUE(allOnUi);
    EXPECT_EQ(count, 2000);
}

TEST(UiThreadTest, RunOnUiThreadWaitsForTheWork) {
    EXPECT_TRUE(IsUiThread());
    int value = 0;
    EXPECT_TRUE(RunOnUiThread([&] { value = 1; })) << "on the thread itself it runs at once";
    EXPECT_EQ(value, 1);

    bool finished = false;
    int seen = 0;
    std::thread worker([&] {
        const bool ran = RunOnUiThread([&] { value = 2; });
        seen = ran ? value : -1; // the user-interface thread's write is visible here
        RunOnUiThread([&] { finished = true; });
    });
    RunEventsUntil([&] { return finished; });
    worker.join();
    EXPECT_EQ(seen, 2);
}

// The send job shows the wait cursor from its own thread; the screen shows it on its own.
TEST(UiThreadTest, AWorkerThreadShowsAndHidesTheWaitCursor) {
    PhoneScreen& screen = testing_support::Gui().Screen();
    std::atomic<int> step = 0;
    std::thread worker([&] {
        CWaitCursor outer;
        { CWaitCursor inner; }
        step = 1;
        while (step != 2)
            std::this_thread::yield();
    });
    RunEventsUntil([&] { return step == 1; });
    RunEventsUntil([&] { return screen.WaitCursorShown(); });
    EXPECT_TRUE(screen.WaitCursorShown()) << "the calls nest: one end leaves it showing";
    step = 2;
    worker.join();
    RunEventsUntil([&] { return !screen.WaitCursorShown(); });
    EXPECT_FALSE(screen.WaitCursorShown());
}

} // namespace
