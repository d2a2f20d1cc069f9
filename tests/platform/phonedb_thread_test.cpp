// phone.db used by several threads and connections at once, as the program's threads and
// brenwick-phone in another process use it.
#include "platform/phonedb.h"

#include "platform/text.h"
#include "temp_device.h"

#include <gtest/gtest.h>
#include <latch>
#include <thread>

using platform::PhoneDb;

TEST(PhoneDbThreads, WritersOnSeveralThreadsAndConnectionsLoseNothing) {
    testing_support::TempDevice dev;
    std::string error;
    auto second = PhoneDb::Open(dev.Dir() / "phone.db", error); // another connection
    ASSERT_TRUE(second) << error;
    PhoneDb* dbs[] = {&dev.Get().Phone(), &dev.Get().Phone(), second.get(), second.get()};
    constexpr int kEach = 100;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const std::string n = std::to_string(t) + ":" + std::to_string(i);
                EXPECT_TRUE(dbs[t]->LogCall(std::u16string(n.begin(), n.end())));
            }
        });
    for (auto& th : threads)
        th.join();

    const auto calls = dev.Get().Phone().Calls();
    ASSERT_EQ(calls.size(), 4u * kEach);
    // Each writer's rows keep its own order.
    std::vector<int> next(4, 0);
    for (const auto& c : calls) {
        const std::string number = platform::Utf16ToUtf8(c.number);
        const auto t = static_cast<std::size_t>(number[0] - '0');
        EXPECT_EQ(number.substr(2), std::to_string(next.at(t)++));
    }
}

// Two processes may open a new phone at the same moment: one of them writes its first state.
TEST(PhoneDbThreads, OpeningANewFileAtOnceWritesTheFreshStateOnce) {
    testing_support::TempDevice dev;
    const auto file = dev.Dir() / "another-phone.db";
    constexpr int kOpeners = 4;
    std::vector<std::unique_ptr<PhoneDb>> dbs(kOpeners);
    std::vector<std::string> errors(kOpeners);
    std::latch start(kOpeners);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < kOpeners; ++i)
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            dbs[i] = PhoneDb::Open(file, errors[i]);
        });
    for (auto& t : threads)
        t.join();
    for (std::size_t i = 0; i < kOpeners; ++i)
        ASSERT_TRUE(dbs[i]) << errors[i];
    const auto lines = dbs[0]->Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].name, u"Cellular Line");
    EXPECT_EQ(lines[0].subscriberNumber, u"+8613800000000");
}
