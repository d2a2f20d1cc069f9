// The filter service in-process: how it names and cuts private records, and what it decides.
#include "phone/filter_service.h"

#include "phone_fixture.h"
#include "platform/phonedb.h"

#include <gtest/gtest.h>

using phone::PrivateRecordValues;
using phone::ReceiveSms;
using phone::Verdict;
using phone_test::FilterServiceTest;
using phone_test::kBlack;
using phone_test::kRed;
using phone_test::kSettings;
using phone_test::RecordKey;
using phone_test::Set;
using phone_test::Values;
using phone_test::ValuesOf;

namespace {

constexpr std::u16string_view kStamp = u"2005-3-7-9:5:0";

std::u16string Repeat(char16_t c, std::size_t n) {
    return std::u16string(n, c);
}

} // namespace

TEST(FilterNames, PlusFormAndTimeStamp) {
    const std::pair<std::u16string, std::u16string> forms[] = {
        {u"13800138000", u"+8613800138000"},     {u"+8613800138000", u"+8613800138000"},
        {u"8613800138000", u"+868613800138000"}, {u"+8", u"+86+8"},
        {u"+85212345678", u"+86+85212345678"},   {u"", u"+86"},
    };
    for (const auto& [number, form] : forms)
        EXPECT_EQ(phone::PlusForm(number), form);

    EXPECT_EQ(phone::TimeStampName({2005, 3, 7, 9, 5, 0}), u"2005-3-7-9:5:0");
    EXPECT_EQ(phone::TimeStampName({2024, 12, 31, 23, 59, 59}), u"2024-12-31-23:59:59");
    EXPECT_EQ(phone::TimeStampName({2000, 1, 1, 0, 0, 0}), u"2000-1-1-0:0:0");
}

// Texts up to 126 units stay whole; longer ones go in pieces of at most 126, as many as
// needed, so that no value is longer than the program can read.
TEST(FilterNames, TextsAreCutInPiecesOfAtMost126Units) {
    struct Case {
        std::size_t length;
        std::vector<std::size_t> pieces; // empty: stored whole
    };
    const Case cases[] = {
        {0, {}},
        {1, {}},
        {126, {}},
        {127, {126, 1}},
        {252, {126, 126}},
        {253, {126, 126, 1}},
        {400, {126, 126, 126, 22}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        std::u16string text;
        for (std::size_t i = 0; i < c.length; ++i)
            text += static_cast<char16_t>(u'a' + i % 26);
        const auto values = PrivateRecordValues({}, kStamp, text);
        if (c.pieces.empty()) {
            ASSERT_EQ(values.size(), 1u);
            EXPECT_EQ(values[0].name, u"[*]2005-3-7-9:5:0");
            EXPECT_EQ(values[0].data, text);
            continue;
        }
        ASSERT_EQ(values.size(), c.pieces.size());
        std::u16string joined;
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(values[i].name, u"[*]2005-3-7-9:5:0-" + std::u16string(1, u'1' + i));
            EXPECT_EQ(values[i].data.size(), c.pieces[i]);
            joined += values[i].data;
        }
        EXPECT_EQ(joined, text);
    }
}

TEST(FilterNames, APieceNeverEndsInsideASurrogatePair) {
    const std::u16string pair = u"😀"; // two units
    struct Case {
        std::u16string text;
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {
        // the pair at units 125-126 moves whole into the second piece
        {Repeat(u'a', 125) + pair, {125, 2}},
        {Repeat(u'a', 125) + pair + Repeat(u'b', 200), {125, 126, 76}},
        // the pair at units 124-125 fits the first piece
        {Repeat(u'a', 124) + pair + u"b", {126, 1}},
        // a whole text is never cut, pair or not
        {Repeat(u'a', 124) + pair, {}},
        // a pair at the second boundary (units 251-252)
        {Repeat(u'a', 251) + pair, {126, 125, 2}},
        // a lone lead surrogate is no pair: cut where the length says
        {Repeat(u'a', 125) + u'\xD83D' + u"b", {126, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text.size()));
        const auto values = PrivateRecordValues({}, kStamp, c.text);
        if (c.pieces.empty()) {
            ASSERT_EQ(values.size(), 1u);
            EXPECT_EQ(values[0].data, c.text);
            continue;
        }
        ASSERT_EQ(values.size(), c.pieces.size());
        std::u16string joined;
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(values[i].data.size(), c.pieces[i]) << "piece " << i + 1;
            joined += values[i].data;
        }
        EXPECT_EQ(joined, c.text);
    }
}

TEST(FilterNames, ATakenStampGivesTheFirstFreeNumber) {
    struct Case {
        std::vector<std::u16string> existing;
        std::u16string name;
    };
    const Case cases[] = {
        {{}, u"[*]2005-3-7-9:5:0"},
        {{u"photo", u"[*]2005-3-7-9:4:59"}, u"[*]2005-3-7-9:5:0"},
        {{u"[*]2005-3-7-9:5:0"}, u"[*]2005-3-7-9:5:0#2"},
        {{u"2005-3-7-9:5:0"}, u"[*]2005-3-7-9:5:0#2"},   // already read: still taken
        {{u"2005-3-7-9:5:0-2"}, u"[*]2005-3-7-9:5:0#2"}, // one piece left of a long text
        {{u"[*]2005-3-7-9:5:0", u"2005-3-7-9:5:0#2-1"}, u"[*]2005-3-7-9:5:0#3"},
        {{u"2005-3-7-9:5:0#2", u"[*]2005-3-7-9:5:0"}, u"[*]2005-3-7-9:5:0#3"},
        {{u"[*]2005-3-7-9:5:0#2"}, u"[*]2005-3-7-9:5:0"}, // #2 alone leaves the stamp free
        {{u"2005-3-7-9:5:00", u"x[*]2005-3-7-9:5:0", u"2005-3-7-9:5:0x"}, u"[*]2005-3-7-9:5:0"},
    };
    for (const auto& c : cases) {
        const auto values = PrivateRecordValues(c.existing, kStamp, u"x");
        ASSERT_EQ(values.size(), 1u);
        EXPECT_EQ(values[0].name, c.name) << testing::PrintToString(c.existing);
    }
    const auto pieces = PrivateRecordValues({u"[*]2005-3-7-9:5:0-1"}, kStamp, Repeat(u'a', 127));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].name, u"[*]2005-3-7-9:5:0#2-1");
    EXPECT_EQ(pieces[1].name, u"[*]2005-3-7-9:5:0#2-2");
}

TEST_F(FilterServiceTest, DecidesInItsOrder) {
    struct Case {
        const char* what;
        Values settings, black, red;
        std::vector<platform::PhoneContact> contacts;
        std::u16string from;
        Verdict verdict;
    };
    const platform::PhoneContact zhang{u"三", u"张", u"13800138000", u"", u""};
    const Case cases[] = {
        {"nothing set", {}, {}, {}, {}, u"10086", Verdict::Inbox},
        {"stop before the black list",
         {{u"stop", u"stop"}},
         {{u"10086", u"*"}},
         {},
         {},
         u"10086",
         Verdict::Inbox},
        {"stop before the red list",
         {{u"stop", u""}},
         {},
         {{u"10086", u"*"}},
         {},
         u"10086",
         Verdict::Inbox},
        {"black", {}, {{u"10086", u"*"}}, {}, {}, u"10086", Verdict::Blocked},
        {"black, low entry", {}, {{u"10086", u"name"}}, {}, {}, u"10086", Verdict::Blocked},
        {"black entry +86, sender without",
         {},
         {{u"+8610086", u"*"}},
         {},
         {},
         u"10086",
         Verdict::Blocked},
        {"black entry without, sender +86",
         {},
         {{u"10086", u"*"}},
         {},
         {},
         u"+8610086",
         Verdict::Blocked},
        {"no partial match",
         {},
         {{u"1008", u"*"}, {u"100866", u"*"}},
         {},
         {},
         u"10086",
         Verdict::Inbox},
        {"red", {}, {}, {{u"10086", u"*"}}, {}, u"10086", Verdict::Private},
        {"red entry +86, sender without",
         {},
         {},
         {{u"+8610086", u""}},
         {},
         u"10086",
         Verdict::Private},
        {"red entry without, sender +86",
         {},
         {},
         {{u"10086", u""}},
         {},
         u"+8610086",
         Verdict::Private},
        {"on both lists: black first",
         {},
         {{u"10086", u"*"}},
         {{u"10086", u"*"}},
         {},
         u"10086",
         Verdict::Blocked},
        {"REDONLY, not red",
         {{u"REDONLY", u"REDONLY"}},
         {},
         {{u"10010", u"*"}},
         {},
         u"10086",
         Verdict::Rejected},
        {"REDONLY present with any data",
         {{u"REDONLY", u""}},
         {},
         {},
         {},
         u"10086",
         Verdict::Rejected},
        {"REDONLY, red",
         {{u"REDONLY", u"REDONLY"}},
         {},
         {{u"10086", u"*"}},
         {},
         u"10086",
         Verdict::Private},
        {"REDONLY rejects even a contact",
         {{u"REDONLY", u"REDONLY"}},
         {},
         {},
         {zhang},
         u"13800138000",
         Verdict::Rejected},
        {"contacts, no contact",
         {{u"contacts", u"contacts"}},
         {},
         {},
         {zhang},
         u"13900000000",
         Verdict::Rejected},
        {"contacts, mobile",
         {{u"contacts", u"contacts"}},
         {},
         {},
         {zhang},
         u"13800138000",
         Verdict::Inbox},
        {"contacts, mobile through +86",
         {{u"contacts", u"contacts"}},
         {},
         {},
         {zhang},
         u"+8613800138000",
         Verdict::Inbox},
        {"contacts, work number +86",
         {{u"contacts", u"x"}},
         {},
         {},
         {{u"", u"", u"", u"+8610086", u""}},
         u"10086",
         Verdict::Inbox},
        {"contacts, other number",
         {{u"contacts", u"contacts"}},
         {},
         {},
         {{u"", u"", u"", u"", u"10086"}},
         u"10086",
         Verdict::Inbox},
        {"contacts, red list before",
         {{u"contacts", u"contacts"}},
         {},
         {{u"10086", u"*"}},
         {},
         u"10086",
         Verdict::Private},
        {"contacts, black list before",
         {{u"contacts", u"contacts"}},
         {{u"13800138000", u"*"}},
         {},
         {zhang},
         u"13800138000",
         Verdict::Blocked},
        {"an empty contact number is no match",
         {{u"contacts", u"contacts"}},
         {},
         {},
         {{u"a", u"", u"", u"", u""}},
         u"",
         Verdict::Rejected},
        {"settings of other names do nothing",
         {{u"POPOMSG", u"POPOMSG"}, {u"DOG", u"1"}, {u"stopped", u""}},
         {},
         {},
         {},
         u"10086",
         Verdict::Inbox},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::TempDevice device; // a fresh phone per case
        platform::Device& d = device.Get();
        for (const auto& [name, data] : c.settings)
            Set(d, kSettings, name, data);
        for (const auto& [name, data] : c.black)
            Set(d, kBlack, name, data);
        for (const auto& [name, data] : c.red)
            Set(d, kRed, name, data);
        for (const auto& contact : c.contacts)
            ASSERT_TRUE(d.Phone().AddContact(contact));

        const auto outcome = ReceiveSms(d, c.from, u"hello");
        ASSERT_TRUE(outcome.verdict) << outcome.error;
        EXPECT_EQ(phone::VerdictWord(*outcome.verdict), phone::VerdictWord(c.verdict));

        // Only what is let through reaches the inbox; only the red list the private store.
        const auto inbox = d.Phone().InboxMessages();
        EXPECT_EQ(inbox.size(), c.verdict == Verdict::Inbox ? 1u : 0u);
        if (!inbox.empty()) {
            EXPECT_EQ(inbox[0].from, c.from);
            EXPECT_EQ(inbox[0].text, u"hello");
        }
        const auto records = ValuesOf(d, RecordKey(phone::PlusForm(c.from)));
        if (c.verdict == Verdict::Private)
            EXPECT_EQ(records, (Values{{u"[*]2005-3-7-9:5:0", u"hello"}}));
        else
            EXPECT_EQ(records, std::nullopt);
    }
}

TEST_F(FilterServiceTest, StoresUnderThePlusFormWithoutOverwriting) {
    Set(dev(), kRed, u"13900000000", u"*李四");
    EXPECT_EQ(Receive(u"13900000000", u"第一"), Verdict::Private);
    EXPECT_EQ(Receive(u"+8613900000000", u"第二"), Verdict::Private);
    const std::u16string key = RecordKey(u"+8613900000000");
    EXPECT_EQ(ValuesOf(dev(), key),
              (Values{{u"[*]2005-3-7-9:5:0", u"第一"}, {u"[*]2005-3-7-9:5:0#2", u"第二"}}));

    // The viewer marks the first read: its stamp is still taken.
    platform::RegistryKey record;
    bool existed = false;
    ASSERT_EQ(dev().GetRegistry().CreateKey(platform::RegRoot::LocalMachine, key, record, existed),
              platform::RegStatus::Ok);
    ASSERT_EQ(record.DeleteValue(u"[*]2005-3-7-9:5:0"), platform::RegStatus::Ok);
    ASSERT_EQ(record.SetString(u"2005-3-7-9:5:0", u"第一"), platform::RegStatus::Ok);
    ASSERT_EQ(record.DeleteValue(u"[*]2005-3-7-9:5:0#2"), platform::RegStatus::Ok);
    EXPECT_EQ(Receive(u"13900000000", u"第三"), Verdict::Private);
    EXPECT_EQ(ValuesOf(dev(), key),
              (Values{{u"2005-3-7-9:5:0", u"第一"}, {u"[*]2005-3-7-9:5:0#2", u"第三"}}));
}

TEST_F(FilterServiceTest, ALongTextLeavesNoValueTheProgramCannotRead) {
    Set(dev(), kRed, u"10086", u"*");
    std::u16string text;
    for (int i = 0; i < 500; ++i)
        text += static_cast<char16_t>(u'一' + i);
    EXPECT_EQ(Receive(u"10086", text), Verdict::Private);

    const auto values = ValuesOf(dev(), RecordKey(u"+8610086"));
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), 4u);
    std::u16string joined;
    for (std::size_t i = 0; i < values->size(); ++i) {
        EXPECT_EQ((*values)[i].first, u"[*]2005-3-7-9:5:0-" + std::u16string(1, u'1' + i));
        joined += (*values)[i].second;
    }
    EXPECT_EQ(joined, text);

    // What the program reads: data of at most 256 bytes, terminator included.
    platform::RegistryKey key;
    ASSERT_EQ(
        dev().GetRegistry().OpenKey(platform::RegRoot::LocalMachine, RecordKey(u"+8610086"), key),
        platform::RegStatus::Ok);
    for (std::uint32_t i = 0; i < 4; ++i) {
        platform::RegValue v;
        EXPECT_EQ(key.EnumValue(i, 260, 256, v), platform::RegStatus::Ok) << i;
    }
}

TEST_F(FilterServiceTest, NoticeOnlyForHighRedEntriesWithPopomsg) {
    struct Case {
        const char* what;
        Values settings;
        std::u16string redData;
        std::optional<platform::NoticeRecord> notice;
    };
    const Values bubble = {{u"POPOMSG", u"POPOMSG"}, {u"POPOCONTENT", u"新短信"}};
    Values vibrate = bubble;
    vibrate.emplace_back(u"SENDFLAG", u"长");
    const Case cases[] = {
        {"high, POPOMSG", bubble, u"*张三",
         platform::NoticeRecord{u"10086", u"新短信", std::nullopt, ""}},
        {"high, POPOMSG, SENDFLAG", vibrate, u"*",
         platform::NoticeRecord{u"10086", u"新短信", u"长", ""}},
        {"high, POPOMSG without POPOCONTENT",
         {{u"POPOMSG", u""}},
         u"**",
         platform::NoticeRecord{u"10086", u"", std::nullopt, ""}},
        {"low", vibrate, u"张三", std::nullopt},
        {"low, empty data", vibrate, u"", std::nullopt},
        {"high, no POPOMSG", {{u"POPOCONTENT", u"x"}, {u"SENDFLAG", u"短"}}, u"*", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::TempDevice device;
        platform::Device& d = device.Get();
        for (const auto& [name, data] : c.settings)
            Set(d, kSettings, name, data);
        Set(d, kRed, u"10086", c.redData);
        const auto outcome = ReceiveSms(d, u"10086", u"hello");
        ASSERT_EQ(outcome.verdict, Verdict::Private) << outcome.error;
        const auto notices = d.Phone().Notices();
        if (!c.notice) {
            EXPECT_TRUE(notices.empty());
            continue;
        }
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0].from, c.notice->from);
        EXPECT_EQ(notices[0].text, c.notice->text);
        EXPECT_EQ(notices[0].vibration, c.notice->vibration);
        EXPECT_EQ(notices[0].time, "2005-03-07T09:05:00");
    }

    // A black-listed sender gets no notice, however the red list stands.
    for (const auto& [name, data] : vibrate)
        Set(dev(), kSettings, name, data);
    Set(dev(), kBlack, u"10086", u"*");
    Set(dev(), kRed, u"10086", u"*");
    EXPECT_EQ(Receive(u"10086"), Verdict::Blocked);
    EXPECT_TRUE(dev().Phone().Notices().empty());
}

TEST_F(FilterServiceTest, AFailedStoreIsReportedAndLeavesNothing) {
    Set(dev(), kRed, u"10086", u"*");
    dev().GetRegistry().RefuseWrites(true);
    const auto outcome = ReceiveSms(dev(), u"10086", std::u16string(300, u'x'));
    dev().GetRegistry().RefuseWrites(false);
    EXPECT_FALSE(outcome.verdict);
    EXPECT_NE(outcome.error, "");
    EXPECT_EQ(ValuesOf(dev(), RecordKey(u"+8610086")), std::nullopt);
}
