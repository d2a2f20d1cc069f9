// The watchers: reloads on the user-interface thread for the update event, set here, by
// another process or by the filter service itself; the stop signals; and the reloads that
// may and may not run around a stop.
#include "signal/CWatcher.h"
#include "signal/Signals.h"

#include "child_process.h"
#include "gui_main.h"
#include "platform/events.h"
#include "platform/gui/ui_thread.h"
#include "platform/text.h"
#include "store/MessageStore.h"
#include "temp_device.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::EventState;
using platform::NamedEvent;
using platform::gui::IsUiThread;
using testing_support::RunEventsUntil;
using namespace std::chrono_literals;

class WatcherTest : public ::testing::Test {
protected:
    NamedEvent Open(std::u16string_view name) { return NamedEvent::CreateOrOpen(table, name); }

    // brenwick-phone on the test's device: its output.
    std::string Phone(std::vector<std::string> args) {
        args.insert(args.begin(), {BRENWICK_PHONE, "--device", device.Arg()});
        const auto result = testing_support::Run(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    }

    // Waits without running the user-interface thread's events, so that the reloads handed
    // over meanwhile stay queued. The time limit only lets a broken test fail.
    static bool Until(const std::function<bool()>& done) {
        const auto giveUp = std::chrono::steady_clock::now() + 20s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > giveUp)
                return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    // n watcher threads are inside their wait.
    bool InWait(int n) {
        return Until([&] { return table->Waiters() == n; });
    }
    // The watcher took the update: it reset the event (after leaving its wait) and has
    // handed its reload over, for it is waiting again.
    bool UpdateTaken() {
        return Until([&] {
            return table->Peek(kUpdateEventName) == EventState::Reset && table->Waiters() == 1;
        });
    }
    // Runs the user-interface thread until everything handed to it so far has run.
    static void Flush() {
        bool flushed = false;
        platform::gui::PostToUiThread([&] { flushed = true; });
        RunEventsUntil([&] { return flushed; });
        EXPECT_TRUE(flushed);
    }

    testing_support::TempDevice device;
    std::shared_ptr<platform::EventTable> table = device.Get().Events();
    // Touched by the reloads, on the user-interface thread, which is the test's own.
    int reloads = 0;
    bool allOnUiThread = true;
    std::function<void()> counting = [this] {
        ++reloads;
        allOnUiThread = allOnUiThread && IsUiThread();
    };
};

TEST_F(WatcherTest, AnUpdateReloadsOnTheUiThreadAndLeavesTheEventReset) {
    ASSERT_TRUE(table);
    NamedEvent update = Open(kUpdateEventName);
    Phone({"reg", "set", "HKLM\\Software\\Tolvane\\Brenwick\\Listb", "10086", "*"});
    std::optional<std::size_t> recordsSeen;
    CWatcher watcher([&] {
        counting();
        recordsSeen = ListRecords(RecordKeyPath(Branch::Inbox, u"+8610086")).size();
    });
    EXPECT_FALSE(watcher.IsRunning());
    ASSERT_TRUE(watcher.Start());
    EXPECT_TRUE(watcher.IsRunning());

    struct Case {
        const char* what;
        std::function<void()> signal;
        std::size_t records;
    } cases[] = {
        {"set here", [&] { update.Set(); }, 0},
        {"set by another process",
         [&] {
             EXPECT_EQ(Phone({"event", "set", "Quorl.UpdateSMS.Event"}), "");
         },
         0},
        {"a message of the red list arrives",
         [&] {
             EXPECT_EQ(Phone({"receive", "10086", "到了"}), "private\n");
         },
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = reloads;
        ASSERT_TRUE(InWait(1));
        c.signal();
        RunEventsUntil([&] { return reloads > before; });
        Flush();
        EXPECT_EQ(reloads, before + 1);
        EXPECT_EQ(recordsSeen, c.records) << "the reload sees what came with the signal";
        EXPECT_EQ(table->Peek(kUpdateEventName), EventState::Reset);
        EXPECT_EQ(Phone({"event", "state", "Quorl.UpdateSMS.Event"}), "reset\n");
    }
    EXPECT_TRUE(allOnUiThread);
    EXPECT_TRUE(watcher.IsRunning());
}

TEST_F(WatcherTest, AStopSignalledWithAnUpdateEndsTheWatcherWithoutAReload) {
    NamedEvent stop = Open(kStopEventName), update = Open(kUpdateEventName);
    stop.Set();
    update.Set();
    CWatcher watcher(counting);
    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(Until([&] { return !watcher.IsRunning(); }));
    Flush();
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(table->Peek(kUpdateEventName), EventState::Signalled) << "the update was not taken";
    EXPECT_EQ(table->Waiters(), 0);
    stop.Close();
    update.Close();
    EXPECT_EQ(table->Peek(kStopEventName), EventState::Absent) << "the watcher closed its handles";
    EXPECT_EQ(table->Peek(kUpdateEventName), EventState::Absent);
}

TEST_F(WatcherTest, SignalStopSetsTheStopEventAndEndsEveryWatcher) {
    CWatcher first(counting), second(counting);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(InWait(2));
    NamedEvent stop = Open(kStopEventName), update = Open(kUpdateEventName);

    EXPECT_TRUE(SignalStop());
    ASSERT_TRUE(Until([&] { return !first.IsRunning() && !second.IsRunning(); }));
    EXPECT_EQ(Phone({"event", "state", "QuorlStop.SMS.Event"}), "signalled\n")
        << "the program never resets it";
    update.Set();
    Flush();
    EXPECT_EQ(reloads, 0);

    stop.Close();
    EXPECT_TRUE(SignalStop()) << "with nobody holding it, it ends with the handle";
    EXPECT_EQ(table->Peek(kStopEventName), EventState::Absent);
}

TEST_F(WatcherTest, OneWatchersStopLeavesAnotherRunningAndReloading) {
    int otherReloads = 0;
    CWatcher stopped(counting), other([&] { ++otherReloads; });
    ASSERT_TRUE(stopped.Start());
    ASSERT_TRUE(other.Start());
    ASSERT_TRUE(InWait(2));

    stopped.Stop();
    EXPECT_FALSE(stopped.IsRunning());
    EXPECT_EQ(table->Waiters(), 1) << "joined: its thread has left its wait";
    EXPECT_EQ(table->Peek(kStopEventName), EventState::Reset) << "the program's stop is not set";
    EXPECT_TRUE(other.IsRunning());

    NamedEvent update = Open(kUpdateEventName);
    update.Set();
    RunEventsUntil([&] { return otherReloads == 1; });
    Flush();
    EXPECT_EQ(otherReloads, 1);
    EXPECT_EQ(reloads, 0);
    EXPECT_TRUE(other.IsRunning());
}

// A reset after the reload, as the watcher once did it, would lose the signal that the
// filter service gives while the reload reads the store.
TEST_F(WatcherTest, ASignalDuringAReloadBringsExactlyOneMoreReload) {
    NamedEvent update = Open(kUpdateEventName);
    bool resetBeforeReload = false, takenDuringReload = false;
    CWatcher watcher([&] {
        counting();
        if (reloads != 1)
            return;
        resetBeforeReload = table->Peek(kUpdateEventName) == EventState::Reset;
        EXPECT_EQ(Phone({"event", "set", "Quorl.UpdateSMS.Event"}), "");
        takenDuringReload = UpdateTaken();
    });
    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(InWait(1));
    update.Set();
    RunEventsUntil([&] { return reloads == 2; });
    ASSERT_TRUE(InWait(1));
    Flush();
    EXPECT_TRUE(resetBeforeReload);
    EXPECT_TRUE(takenDuringReload);
    EXPECT_EQ(reloads, 2);
    EXPECT_EQ(table->Peek(kUpdateEventName), EventState::Reset);
}

TEST_F(WatcherTest, SignalsWhileAReloadWaitsToRunAreTakenByIt) {
    NamedEvent update = Open(kUpdateEventName);
    CWatcher watcher(counting);
    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(InWait(1));
    for (int i = 0; i < 3; ++i) {
        update.Set();
        ASSERT_TRUE(UpdateTaken()) << i;
    }
    RunEventsUntil([&] { return reloads > 0; });
    Flush();
    EXPECT_EQ(reloads, 1);
}

TEST_F(WatcherTest, NoReloadRunsAfterStopOrDestruction) {
    NamedEvent update = Open(kUpdateEventName);
    struct Case {
        const char* what;
        std::function<void(std::unique_ptr<CWatcher>&)> end;
    } cases[] = {
        {"Stop()", [](std::unique_ptr<CWatcher>& w) { w->Stop(); }},
        {"destroyed", [](std::unique_ptr<CWatcher>& w) { w.reset(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto watcher = std::make_unique<CWatcher>(counting);
        ASSERT_TRUE(watcher->Start());
        ASSERT_TRUE(InWait(1));
        update.Set();
        ASSERT_TRUE(UpdateTaken()) << "a reload is handed over and waits to run";
        c.end(watcher);
        EXPECT_EQ(table->Waiters(), 0) << "its thread was joined";
        EXPECT_TRUE(!watcher || !watcher->IsRunning());
        Flush();
        EXPECT_EQ(reloads, 0);
    }
}

// A script run takes its next action only once no work is pending: from the set of the
// update event until its reload has run, the watcher's reload counts as such.
TEST_F(WatcherTest, AReloadOnItsWayCountsAsPendingWork) {
    using platform::gui::WorkPending;
    NamedEvent stop = Open(kStopEventName), update = Open(kUpdateEventName);
    CWatcher watcher(counting);
    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(InWait(1));
    Flush();
    EXPECT_FALSE(WorkPending());

    update.Set();
    bool pendingThroughout = true;
    ASSERT_TRUE(Until([&] {
        pendingThroughout = pendingThroughout && WorkPending();
        return table->Peek(kUpdateEventName) == EventState::Reset && table->Waiters() == 1;
    }));
    EXPECT_TRUE(pendingThroughout) << "at every moment between the set and the hand-over";
    EXPECT_TRUE(WorkPending());
    Flush();
    EXPECT_EQ(reloads, 1);
    EXPECT_FALSE(WorkPending());

    // A watcher that a stop ended takes no update: nothing is on its way.
    stop.Set();
    ASSERT_TRUE(Until([&] { return !watcher.IsRunning(); }));
    update.Set();
    EXPECT_FALSE(WorkPending());
}

// A watcher alone on the device needs three of the device's event slots: the two named
// events and its own stop; each further one needs its own stop only. A start that fails
// gives back what it took.
TEST_F(WatcherTest, StartFailsWhenTheDeviceHasNoEventSlotLeft) {
    std::vector<NamedEvent> filler;
    for (int i = 0;; ++i) {
        NamedEvent event = Open(platform::Utf8ToUtf16("filler" + std::to_string(i)));
        if (!event.IsValid())
            break;
        filler.push_back(std::move(event));
    }
    ASSERT_GT(filler.size(), 4u);
    CWatcher first(counting), second(counting);
    for (int freed = 0; freed < 3; ++freed) {
        EXPECT_FALSE(first.Start()) << freed << " slots free";
        EXPECT_FALSE(first.IsRunning());
        filler.pop_back();
    }
    ASSERT_TRUE(first.Start());
    EXPECT_FALSE(second.Start());
    filler.pop_back();
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(InWait(2));

    NamedEvent update = NamedEvent::CreateOrOpen(table, kUpdateEventName);
    ASSERT_TRUE(update.IsValid()) << "opens the watchers' event";
    update.Set();
    RunEventsUntil([&] { return reloads == 2; });
    EXPECT_EQ(reloads, 2);
}

} // namespace
