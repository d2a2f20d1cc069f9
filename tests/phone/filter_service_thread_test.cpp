// The filter service with several threads: arrivals at the same moment, and the update
// event against a store that another connection holds.
#include "phone/filter_service.h"

#include "phone_fixture.h"
#include "platform/events.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <latch>
#include <map>
#include <set>
#include <thread>

using phone::ReceiveSms;
using phone::Verdict;
using phone_test::FilterServiceTest;
using phone_test::kRed;
using phone_test::RecordKey;
using phone_test::Set;
using phone_test::Values;
using phone_test::ValuesOf;

// The watchers reload when the event comes: by then the record must be there to see. While
// another connection holds the store's write lock the record cannot be committed, so no
// update may come; once it lets go, the record and the event follow.
TEST_F(FilterServiceTest, TheUpdateEventComesAfterTheRecordIsStored) {
    Set(dev(), kRed, u"10086", u"*");
    auto table = dev().Events();
    ASSERT_TRUE(table);
    platform::NamedEvent update =
        platform::NamedEvent::CreateOrOpen(table, u"Quorl.UpdateSMS.Event");
    ASSERT_TRUE(update.IsValid());
    std::string error;
    auto service = platform::Device::Open(m_device.Dir(), error); // connections of its own
    ASSERT_TRUE(service) << error;
    auto blocker = platform::Registry::Open(m_device.Dir() / "registry.db", error);
    ASSERT_TRUE(blocker) << error;

    phone::ReceiveOutcome outcome;
    std::thread arrival;
    platform::NamedEvent* events[] = {&update};
    blocker->Atomically([&] {
        arrival = std::thread([&] { outcome = ReceiveSms(*service, u"10086", u"到了"); });
        EXPECT_EQ(platform::WaitForAny(events, std::chrono::milliseconds(300)), -1)
            << "the update came before the record could be stored";
    });
    arrival.join();
    EXPECT_EQ(outcome.verdict, Verdict::Private) << outcome.error;
    EXPECT_EQ(table->Peek(u"Quorl.UpdateSMS.Event"), platform::EventState::Signalled);
    EXPECT_EQ(ValuesOf(dev(), RecordKey(u"+8610086")), (Values{{u"[*]2005-3-7-9:5:0", u"到了"}}));
}

// Many arrivals from one number in the same second, each through a connection of its own
// as separate processes have, all let go at once: every text is kept, under a name of its own.
TEST_F(FilterServiceTest, ArrivalsAtTheSameMomentNeverCollide) {
    Set(dev(), kRed, u"10086", u"*");
    constexpr int kSenders = 8, kEach = 4;
    std::vector<std::unique_ptr<platform::Device>> phones;
    for (int i = 0; i < kSenders; ++i) {
        std::string error;
        phones.push_back(platform::Device::Open(m_device.Dir(), error));
        ASSERT_TRUE(phones.back()) << error;
    }
    const auto textOf = [](int sender, int n) {
        // Odd senders send long texts: more writes inside each step.
        const std::string t = std::to_string(sender) + "/" + std::to_string(n) +
                              (sender % 2 ? std::string(300, 'x') : "");
        return std::u16string(t.begin(), t.end());
    };
    std::latch start(kSenders);
    std::vector<std::thread> senders;
    for (int i = 0; i < kSenders; ++i)
        senders.emplace_back([&, i] {
            start.arrive_and_wait();
            for (int n = 0; n < kEach; ++n) {
                const auto outcome =
                    ReceiveSms(*phones[static_cast<std::size_t>(i)], u"10086", textOf(i, n));
                EXPECT_EQ(outcome.verdict, Verdict::Private) << outcome.error;
            }
        });
    for (auto& t : senders)
        t.join();

    const auto values = ValuesOf(dev(), RecordKey(u"+8610086"));
    ASSERT_TRUE(values);
    std::map<std::u16string, std::u16string> texts; // base name -> its pieces joined
    const std::size_t stampEnd = std::u16string_view(u"[*]2005-3-7-9:5:0").size();
    for (const auto& [name, data] : *values) {
        ASSERT_TRUE(name.starts_with(u"[*]2005-3-7-9:5:0")) << testing::PrintToString(name);
        texts[name.substr(0, name.find(u'-', stampEnd))] += data;
    }
    std::set<std::u16string> bases, expectedBases = {u"[*]2005-3-7-9:5:0"};
    for (int n = 2; n <= kSenders * kEach; ++n)
        expectedBases.insert(u"[*]2005-3-7-9:5:0#" + platform::Utf8ToUtf16(std::to_string(n)));
    std::set<std::u16string> received, sent;
    for (const auto& [base, text] : texts) {
        bases.insert(base);
        received.insert(text);
    }
    for (int i = 0; i < kSenders; ++i)
        for (int n = 0; n < kEach; ++n)
            sent.insert(textOf(i, n));
    EXPECT_EQ(bases, expectedBases);
    EXPECT_EQ(received, sent);
}
