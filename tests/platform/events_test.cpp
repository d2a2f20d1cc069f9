#include "platform/events.h"

#include "child_process.h"
#include "platform/text.h"
#include "temp_device.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::EventState;
using platform::EventTable;
using platform::NamedEvent;
using platform::WaitForAny;
using testing_support::ChildProcess;
using namespace std::chrono_literals;

// A safety net so that a broken test fails instead of hanging; never what a test checks.
constexpr auto kSafety = 20s;

const std::u16string kStop = u"QuorlStop.SMS.Event";
const std::u16string kUpdate = u"Quorl.UpdateSMS.Event";

bool IsSignalled(NamedEvent& event) {
    NamedEvent* list[] = {&event};
    return WaitForAny(list, 0ms) == 0;
}

// A wait on another thread. Its own time-out only lets the thread end in a broken test:
// a wait that ends by its time-out still looks at the events once more and could report
// a set that never woke it, so Outcome() gives up earlier.
std::future<int> WaitAsync(std::vector<NamedEvent*> events) {
    return std::async(std::launch::async, [events] { return WaitForAny(events, 2 * kSafety); });
}

constexpr int kStillWaiting = -2;

int Outcome(std::future<int>& wait) {
    return wait.wait_for(kSafety) == std::future_status::ready ? wait.get() : kStillWaiting;
}

class EventsTest : public ::testing::Test {
protected:
    NamedEvent Open(std::u16string_view name, bool* existed = nullptr) {
        return NamedEvent::CreateOrOpen(table, name, existed);
    }
    bool Existed(std::u16string_view name) {
        bool existed = false;
        NamedEvent event = Open(name, &existed);
        return existed;
    }
    std::vector<std::string> Peer(std::vector<std::string> args) const {
        args.insert(args.begin(), {BRENWICK_TEST_PEER, device.Arg()});
        return args;
    }
    testing_support::RunResult RunPeer(std::vector<std::string> args) const {
        return testing_support::Run(Peer(std::move(args)));
    }
    // Until n threads of any process are inside a wait on the table.
    bool WaitersReach(int n) {
        const auto giveUp = std::chrono::steady_clock::now() + kSafety;
        while (table->Waiters() < n) {
            if (std::chrono::steady_clock::now() > giveUp)
                return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    testing_support::TempDevice device;
    std::shared_ptr<EventTable> table = device.Get().Events();
};

// ---- in one process

TEST_F(EventsTest, ExistedOnlyWhileSomeHandleIsOpen) {
    ASSERT_TRUE(table);
    bool existed = true;
    NamedEvent first = Open(kUpdate, &existed);
    ASSERT_TRUE(first.IsValid());
    EXPECT_FALSE(existed);
    EXPECT_FALSE(IsSignalled(first)) << "a new event starts not signalled";

    NamedEvent second = Open(kUpdate, &existed);
    EXPECT_TRUE(existed);
    EXPECT_FALSE(Existed(kStop)) << "another name is another event";

    ASSERT_TRUE(first.Set());
    first.Close();
    EXPECT_FALSE(first.IsValid());
    NamedEvent third = Open(kUpdate, &existed);
    EXPECT_TRUE(existed) << "the second handle keeps it alive";
    EXPECT_TRUE(IsSignalled(third)) << "and keeps its state";

    second.Close();
    third.Close();
    NamedEvent fresh = Open(kUpdate, &existed);
    EXPECT_FALSE(existed) << "the last close ends the event";
    EXPECT_FALSE(IsSignalled(fresh)) << "the next open makes a fresh one";
}

TEST_F(EventsTest, MovedHandlesCarryTheEvent) {
    NamedEvent a = Open(u"a");
    NamedEvent moved(std::move(a));
    EXPECT_FALSE(a.IsValid());
    a.Close(); // harmless on a moved-from handle
    EXPECT_TRUE(moved.Set());
    EXPECT_EQ(table->Peek(u"a"), EventState::Signalled);

    NamedEvent b = Open(u"b");
    b = std::move(moved); // drops b's own event
    EXPECT_EQ(table->Peek(u"b"), EventState::Absent);
    EXPECT_EQ(table->Peek(u"a"), EventState::Signalled);
    { NamedEvent scoped = std::move(b); }
    EXPECT_EQ(table->Peek(u"a"), EventState::Absent) << "the destructor closes";
}

TEST_F(EventsTest, PeekShowsStateWithoutKeepingAlive) {
    EXPECT_EQ(table->Peek(kUpdate), EventState::Absent);
    NamedEvent event = Open(kUpdate);
    EXPECT_EQ(table->Peek(kUpdate), EventState::Reset) << "held by this process";
    event.Set();
    EXPECT_EQ(table->Peek(kUpdate), EventState::Signalled);
    event.Reset();
    EXPECT_EQ(table->Peek(kUpdate), EventState::Reset);
    event.Set();
    event.Close();
    EXPECT_EQ(table->Peek(kUpdate), EventState::Absent) << "a signalled event ends all the same";
    EXPECT_FALSE(Existed(kUpdate)) << "peeking made nothing";
}

TEST_F(EventsTest, NamesAreExactAndBounded) {
    const std::u16string longest(EventTable::kMaxNameLength, u'x');
    const std::u16string longestOther = longest.substr(1) + u'y';
    struct Case {
        std::u16string name;
        bool valid;
    } cases[] = {
        {u"", false},
        {longest + u'x', false},
        {longest, true},
        {longestOther, true},             // differs only in its last unit
        {u"quorl.updatesms.event", true}, // differs from kUpdate only in case
        {kUpdate, true},
        {u"更新\U0001F4E9", true},
    };
    std::vector<NamedEvent> held;
    for (const auto& c : cases) {
        SCOPED_TRACE(platform::Utf16ToUtf8(c.name.substr(0, 24)) + " (" +
                     std::to_string(c.name.size()) + " units)");
        bool existed = true;
        NamedEvent event = Open(c.name, &existed);
        EXPECT_EQ(event.IsValid(), c.valid);
        EXPECT_FALSE(existed) << "each valid name is an event of its own";
        EXPECT_EQ(event.Set(), c.valid);
        EXPECT_EQ(event.Reset(), c.valid);
        if (event.IsValid())
            held.push_back(std::move(event));
    }
    EXPECT_EQ(table->Peek(longest + u'x'), EventState::Absent);
    EXPECT_FALSE(NamedEvent::CreateOrOpen(nullptr, kUpdate).IsValid());
}

TEST_F(EventsTest, WaitRefusesBadListsAndKeepsItsTimeOut) {
    testing_support::TempDevice other;
    NamedEvent event = Open(kUpdate);
    NamedEvent closed = Open(kStop);
    closed.Close();
    NamedEvent elsewhere = NamedEvent::CreateOrOpen(other.Get().Events(), kUpdate);
    ASSERT_TRUE(elsewhere.IsValid());
    event.Set();
    elsewhere.Set();
    NamedEvent invalid;
    const std::vector<std::vector<NamedEvent*>> bad = {
        {},
        {nullptr},
        {&invalid},
        {&event, &invalid},
        {&event, nullptr},
        {&closed},
        {&event, &elsewhere}, // two devices
    };
    for (const auto& list : bad)
        EXPECT_EQ(WaitForAny(list, kSafety), -1) << list.size();

    event.Reset();
    NamedEvent* one[] = {&event};
    EXPECT_EQ(WaitForAny(one, 0ms), -1);
    EXPECT_EQ(WaitForAny(one, 20ms), -1);
    EXPECT_EQ(WaitForAny(one, -5ms), -1);
    event.Set();
    EXPECT_EQ(WaitForAny(one, 0ms), 0) << "a zero time-out still reports a signalled event";
}

TEST_F(EventsTest, WaitReportsTheFirstSignalledInTheList) {
    NamedEvent a = Open(u"a"), b = Open(u"b"), c = Open(u"c");
    struct Case {
        std::vector<NamedEvent*> signalled;
        std::vector<NamedEvent*> list;
        int expected;
    } cases[] = {
        {{&b, &c}, {&a, &b, &c}, 1}, // the first signalled, not the first listed
        {{&b, &c}, {&c, &b}, 0},     // list order, not creation order
        {{&a, &c}, {&b, &c, &a}, 1}, // nor the first one set
        {{&c}, {&a, &b, &c}, 2},     // the last one
        {{&b}, {&a, &b, &b}, 1},     // the same event twice
    };
    for (const auto& test : cases) {
        for (NamedEvent* e : {&a, &b, &c})
            e->Reset();
        for (NamedEvent* e : test.signalled)
            e->Set();
        EXPECT_EQ(WaitForAny(test.list, kSafety), test.expected);
    }
}

TEST_F(EventsTest, OneSetReleasesEveryWaitingThread) {
    for (const bool resetAtOnce : {false, true}) {
        SCOPED_TRACE(resetAtOnce ? "set and reset" : "set");
        NamedEvent setter = Open(kUpdate);
        NamedEvent shared = Open(kUpdate);
        // Each like a watcher (stop first, handles of its own), and some on one shared handle.
        constexpr int kWatchers = 6, kSharing = 3;
        std::vector<NamedEvent> handles;
        for (int i = 0; i < kWatchers; ++i) {
            handles.push_back(Open(kStop));
            handles.push_back(Open(kUpdate));
        }
        std::vector<std::future<int>> waits;
        for (int i = 0; i < kWatchers; ++i)
            waits.push_back(WaitAsync({&handles[2 * i], &handles[2 * i + 1]}));
        for (int i = 0; i < kSharing; ++i)
            waits.push_back(WaitAsync({&shared}));
        ASSERT_TRUE(WaitersReach(kWatchers + kSharing));

        setter.Set();
        if (resetAtOnce)
            setter.Reset();
        for (int i = 0; i < kWatchers; ++i)
            EXPECT_EQ(Outcome(waits[i]), 1) << "watcher " << i;
        for (int i = kWatchers; i < kWatchers + kSharing; ++i)
            EXPECT_EQ(Outcome(waits[i]), 0) << "waiter " << i;
        setter.Reset();
    }
}

TEST_F(EventsTest, ConcurrentOpensKeepHoldersRight) {
    // One handle stays open throughout, so every open must find the event alive, however
    // the other threads' opens and closes interleave.
    NamedEvent keeper = Open(u"kept");
    constexpr int kThreads = 8, kRounds = 200;
    std::atomic<int> notExisted = 0, failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::u16string own = u"own" + std::u16string(1, static_cast<char16_t>(u'0' + t));
            for (int i = 0; i < kRounds; ++i) {
                bool existed = false;
                NamedEvent kept = Open(u"kept", &existed);
                NamedEvent churned = Open(u"churned");
                NamedEvent mine = Open(own);
                if (!existed)
                    ++notExisted;
                if (!kept.Set() || !churned.Set() || !churned.Reset() || !mine.Set())
                    ++failures;
                NamedEvent* list[] = {&mine, &kept};
                if (WaitForAny(list, 0ms) != 0)
                    ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(notExisted, 0);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(table->Peek(u"churned"), EventState::Absent);
    EXPECT_EQ(table->Peek(u"own0"), EventState::Absent);
    EXPECT_EQ(table->Peek(u"kept"), EventState::Signalled);
    keeper.Close();
    EXPECT_EQ(table->Peek(u"kept"), EventState::Absent);
}

// ---- with another process

TEST_F(EventsTest, SetInAnotherProcessReleasesAWaiterHere) {
    for (const std::string command : {"set", "pulse"}) {
        SCOPED_TRACE(command);
        NamedEvent stop = Open(kStop), update = Open(kUpdate);
        update.Reset();
        auto wait = WaitAsync({&stop, &update});
        ASSERT_TRUE(WaitersReach(1));
        EXPECT_EQ(RunPeer({command, "Quorl.UpdateSMS.Event"}).exitCode, 0);
        EXPECT_EQ(Outcome(wait), 1);
        EXPECT_EQ(table->Peek(kUpdate),
                  command == "set" ? EventState::Signalled : EventState::Reset);
    }
}

TEST_F(EventsTest, SetHereReleasesAWaiterInAnotherProcess) {
    NamedEvent stop = Open(kStop), update = Open(kUpdate);
    {
        ChildProcess waiter(Peer({"wait", "QuorlStop.SMS.Event", "Quorl.UpdateSMS.Event"}));
        ASSERT_TRUE(WaitersReach(1));
        update.Set();
        update.Reset();
        EXPECT_EQ(waiter.ReadLine(), "1") << "released by a set that a reset undid at once";
        EXPECT_EQ(waiter.Wait(), 0);
    }
    stop.Set();
    update.Set();
    EXPECT_EQ(RunPeer({"wait", "QuorlStop.SMS.Event", "Quorl.UpdateSMS.Event"}).out, "0\n")
        << "both signalled: the first in the list";
}

TEST_F(EventsTest, AnotherProcessSeesTheEventAliveOnlyWhileHeld) {
    const auto peerOpens = [&] { return RunPeer({"open", "Quorl.UpdateSMS.Event"}).out; };
    NamedEvent update = Open(kUpdate);
    update.Set();
    EXPECT_EQ(peerOpens(), "existed signalled\n");
    update.Close();
    EXPECT_EQ(peerOpens(), "new reset\n") << "the last close here ended it";
    EXPECT_EQ(peerOpens(), "new reset\n") << "and the peer's own close too";

    ChildProcess holder(Peer({"hold", "Quorl.UpdateSMS.Event"}));
    ASSERT_EQ(holder.ReadLine(), "ready");
    EXPECT_TRUE(Existed(kUpdate)) << "held by the other process";
    EXPECT_EQ(table->Peek(kUpdate), EventState::Reset);
}

TEST_F(EventsTest, KilledHolderKeepsNothingAlive) {
    ChildProcess holder(Peer({"hold", "gone", "shared"}));
    ASSERT_EQ(holder.ReadLine(), "ready");
    NamedEvent shared = Open(u"shared");
    ASSERT_EQ(RunPeer({"set", "gone"}).exitCode, 0);
    ASSERT_EQ(RunPeer({"set", "shared"}).exitCode, 0);
    EXPECT_EQ(table->Peek(u"gone"), EventState::Signalled) << "kept alive by the holder";

    holder.Kill(9);
    holder.Wait();
    EXPECT_EQ(table->Peek(u"gone"), EventState::Absent);
    EXPECT_EQ(table->Peek(u"shared"), EventState::Signalled) << "still held here";
    bool existed = true;
    NamedEvent gone = Open(u"gone", &existed);
    EXPECT_FALSE(existed);
    EXPECT_FALSE(IsSignalled(gone));
}

TEST_F(EventsTest, KilledProcessGivesBackItsSlots) {
    ChildProcess filler(Peer({"fill", "slot"}));
    const auto opened = filler.ReadLine();
    ASSERT_TRUE(opened);
    const int capacity = std::stoi(*opened);
    ASSERT_GT(capacity, 2);
    EXPECT_FALSE(Open(u"extra").IsValid()) << "the table is full";
    filler.Kill(9);
    filler.Wait();

    // Every slot of the dead process can be had again, and a close frees one at once.
    std::vector<NamedEvent> events;
    for (int i = 0; i < capacity; ++i) {
        bool existed = true;
        events.push_back(Open(platform::Utf8ToUtf16("new" + std::to_string(i)), &existed));
        ASSERT_TRUE(events.back().IsValid()) << i;
        EXPECT_FALSE(existed);
    }
    EXPECT_FALSE(Open(u"extra").IsValid());
    events.pop_back();
    EXPECT_TRUE(Open(u"extra").IsValid());
}

TEST_F(EventsTest, ProcessKilledHoldingTheTableLockBlocksNobody) {
    NamedEvent update = Open(kUpdate);
    auto waiter = WaitAsync({&update});
    ASSERT_TRUE(WaitersReach(1)) << "asleep before the lock is taken";
    ChildProcess locker(Peer({"lock-table"}));
    ASSERT_EQ(locker.ReadLine(), "locked");
    // Blocked on the lock until the locker dies.
    auto opener = std::async(std::launch::async, [&] {
        NamedEvent stop = Open(kStop);
        return stop.IsValid() && stop.Set();
    });
    locker.Kill(9);
    locker.Wait();
    EXPECT_TRUE(opener.get());
    update.Set();
    EXPECT_EQ(Outcome(waiter), 0);
    EXPECT_EQ(table->Peek(kStop), EventState::Absent) << "the opener closed it again";
    EXPECT_EQ(RunPeer({"open", "Quorl.UpdateSMS.Event"}).out, "existed signalled\n");
}

// ---- devices

TEST(EventTablesTest, DevicesDoNotShareEvents) {
    testing_support::TempDevice a, b;
    const auto tableA = a.Get().Events(), tableB = b.Get().Events();
    ASSERT_TRUE(tableA && tableB);
    bool existed = true;
    NamedEvent onA = NamedEvent::CreateOrOpen(tableA, kUpdate, &existed);
    EXPECT_FALSE(existed);
    onA.Set();
    EXPECT_EQ(tableB->Peek(kUpdate), EventState::Absent);
    NamedEvent onB = NamedEvent::CreateOrOpen(tableB, kUpdate, &existed);
    EXPECT_FALSE(existed);
    EXPECT_FALSE(IsSignalled(onB));

    // The same device through another spelling is the same table; a second table of it in
    // this process sees this one's handles as another process would.
    const auto link = a.Dir().parent_path() / "link";
    std::filesystem::create_directory_symlink(a.Dir(), link);
    std::string error;
    const auto again = EventTable::Open(link / ".", error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->Peek(kUpdate), EventState::Signalled);
    NamedEvent viaLink = NamedEvent::CreateOrOpen(again, kUpdate, &existed);
    EXPECT_TRUE(existed);
    onA.Close();
    EXPECT_EQ(tableA->Peek(kUpdate), EventState::Signalled) << "held through the other table";
}

} // namespace
