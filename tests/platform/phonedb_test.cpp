#include "platform/phonedb.h"

#include "platform/clock.h"
#include "temp_device.h"

#include <gtest/gtest.h>

using platform::PhoneContact;
using platform::PhoneDb;
using platform::PhoneLine;

namespace {

std::unique_ptr<PhoneDb> OpenAgain(const testing_support::TempDevice& dev) {
    std::string error;
    auto db = PhoneDb::Open(dev.Dir() / "phone.db", error);
    EXPECT_TRUE(db) << error;
    return db;
}

void ExpectLines(PhoneDb& db, const std::vector<std::pair<std::u16string, std::u16string>>& want) {
    const auto lines = db.Lines();
    ASSERT_EQ(lines.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(lines[i].index, static_cast<int>(i));
        EXPECT_EQ(lines[i].name, want[i].first) << "line " << i;
        EXPECT_EQ(lines[i].subscriberNumber, want[i].second) << "line " << i;
    }
}

class FixedClock {
public:
    explicit FixedClock(platform::LocalTime t) { platform::FixLocalTime(t); }
    ~FixedClock() { platform::FixLocalTime(std::nullopt); }
};

} // namespace

TEST(PhoneDb, FreshPhoneHasOneCellularLineWrittenOnce) {
    testing_support::TempDevice dev;
    PhoneDb& phone = dev.Get().Phone();
    ExpectLines(phone, {{u"Cellular Line", u"+8613800000000"}});
    EXPECT_EQ(phone.SimNumber(), u"+8613800000000");

    // Opening an existing file must not bring the fresh state back.
    ASSERT_TRUE(phone.RemoveSim());
    auto again = OpenAgain(dev);
    ExpectLines(*again, {});
}

TEST(PhoneDb, SimRemovedSetAndChanged) {
    testing_support::TempDevice dev;
    PhoneDb& phone = dev.Get().Phone();
    ASSERT_TRUE(phone.RemoveSim());
    EXPECT_EQ(phone.SimNumber(), std::nullopt);
    ExpectLines(phone, {});

    ASSERT_TRUE(phone.SetSimNumber(u"+8613911112222"));
    ExpectLines(phone, {{u"Cellular Line", u"+8613911112222"}});
    ASSERT_TRUE(phone.SetSimNumber(u"13700000000")); // changes the line, adds none
    ExpectLines(phone, {{u"Cellular Line", u"13700000000"}});
    EXPECT_EQ(OpenAgain(dev)->SimNumber(), u"13700000000");
}

TEST(PhoneDb, CellularLineIsTheLastLineOfExactlyThatName) {
    testing_support::TempDevice dev;
    PhoneDb& phone = dev.Get().Phone();
    ASSERT_TRUE(phone.AddLine(u"cellular line", u"111"));
    ASSERT_TRUE(phone.AddLine(u"Cellular Line", u"222"));
    EXPECT_EQ(phone.SimNumber(), u"222");

    ASSERT_TRUE(phone.SetSimNumber(u"333"));
    ExpectLines(phone, {{u"Cellular Line", u"+8613800000000"},
                        {u"cellular line", u"111"},
                        {u"Cellular Line", u"333"}});

    // Device indexes close up behind removed lines.
    ASSERT_TRUE(phone.RemoveSim());
    ExpectLines(phone, {{u"cellular line", u"111"}});
    EXPECT_EQ(phone.SimNumber(), std::nullopt);
}

TEST(PhoneDb, ContactsKeepTheirOrderAndText) {
    testing_support::TempDevice dev;
    PhoneDb& phone = dev.Get().Phone();
    EXPECT_TRUE(phone.Contacts().empty());
    const std::vector<PhoneContact> added = {
        {u"三", u"张", u"13800138000", u"", u""},
        {u"", u"", u"", u"", u"+8610086"},
        {u"A\"b\\c", u"😀x", u"", u"010-1234", u""}, // quotes, backslash, a surrogate pair
        {u"三", u"张", u"13800138000", u"", u""},   // the same again is another contact
    };
    for (const auto& c : added)
        ASSERT_TRUE(phone.AddContact(c));
    EXPECT_EQ(phone.Contacts(), added);
    EXPECT_EQ(OpenAgain(dev)->Contacts(), added);
}

TEST(PhoneDb, InboxAndLogsRecordTheDeviceTimeOldestFirst) {
    testing_support::TempDevice dev;
    PhoneDb& phone = dev.Get().Phone();
    {
        FixedClock clock({2005, 3, 7, 9, 5, 0});
        ASSERT_TRUE(phone.AddInboxMessage(u"10086", u"你好"));
        ASSERT_TRUE(phone.LogSentSms(u"13800138000", u"回复", 0));
        ASSERT_TRUE(phone.LogCall(u"13800138000"));
        ASSERT_TRUE(phone.LogLaunch(u"\\Windows\\tmail.exe", u"-service \"SMS\""));
        ASSERT_TRUE(phone.LogNotice(u"13800138000", u"新消息", std::nullopt));
    }
    {
        FixedClock clock({2024, 12, 31, 23, 59, 58});
        ASSERT_TRUE(phone.AddInboxMessage(u"10010", u""));
        ASSERT_TRUE(phone.LogSentSms(u"10010", u"x", 1));
        ASSERT_TRUE(phone.LogCall(u"10010"));
        ASSERT_TRUE(phone.LogLaunch(u"p", u""));
        ASSERT_TRUE(phone.LogNotice(u"10010", u"", u"短"));
    }
    const std::string t1 = "2005-03-07T09:05:00", t2 = "2024-12-31T23:59:58";

    const auto inbox = phone.InboxMessages();
    ASSERT_EQ(inbox.size(), 2u);
    EXPECT_EQ(inbox[0].from, u"10086");
    EXPECT_EQ(inbox[0].text, u"你好");
    EXPECT_EQ(inbox[0].time, t1);
    EXPECT_EQ(inbox[1].text, u"");
    EXPECT_EQ(inbox[1].time, t2);

    const auto sent = phone.SentMessages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].to, u"13800138000");
    EXPECT_EQ(sent[0].text, u"回复");
    EXPECT_EQ(sent[0].result, 0);
    EXPECT_EQ(sent[0].time, t1);
    EXPECT_EQ(sent[1].result, 1);
    EXPECT_EQ(sent[1].time, t2);

    const auto calls = phone.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].number, u"13800138000");
    EXPECT_EQ(calls[0].time, t1);
    EXPECT_EQ(calls[1].number, u"10010");

    const auto launches = phone.Launches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].path, u"\\Windows\\tmail.exe");
    EXPECT_EQ(launches[0].cmdline, u"-service \"SMS\"");
    EXPECT_EQ(launches[0].time, t1);
    EXPECT_EQ(launches[1].cmdline, u"");

    const auto notices = phone.Notices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].from, u"13800138000");
    EXPECT_EQ(notices[0].text, u"新消息");
    EXPECT_EQ(notices[0].vibration, std::nullopt);
    EXPECT_EQ(notices[0].time, t1);
    EXPECT_EQ(notices[1].vibration, u"短"); // an empty text is still a vibration
    EXPECT_EQ(notices[1].time, t2);
}

TEST(PhoneDb, OpenReportsWhyItFailed) {
    testing_support::TempDevice dev;
    std::string error;
    EXPECT_EQ(PhoneDb::Open(dev.Dir(), error), nullptr); // a directory, not a file
    EXPECT_FALSE(error.empty());
}
