#include "store/MessageStore.h"
#include "store/NumberLists.h"
#include "store/RegistryKeys.h"

#include "store_fixture.h"

namespace {

using NumberListsTest = StoreTest;

TEST_F(NumberListsTest, TheListRuleAndThePlus86Form) {
    const std::pair<const char16_t*, const char16_t*> forms[] = {
        {u"13800138000", u"+8613800138000"},
        {u"+8613800138000", u"+8613800138000"},
        {u"+85212345678", u"+86+85212345678"},
        {u"", u"+86"}};
    for (const auto& [number, form] : forms)
        EXPECT_EQ(Plus86Form(number), form) << CString(number);

    struct Case {
        const char16_t* data;
        bool high;
        const char16_t* name;
    };
    const Case entries[] = {{u"*张三", true, u"张三"}, {u"**星", true, u"星"},
                            {u"张三", false, u"张三"}, {u"", false, u""},
                            {u"*", true, u""},         {u"a*", false, u"a*"}};
    for (const auto& e : entries) {
        const CListEntry entry = DecodeListEntry(e.data);
        EXPECT_EQ(entry.high, e.high) << CString(e.data);
        EXPECT_EQ(entry.name, e.name) << CString(e.data);
    }
}

TEST_F(NumberListsTest, AMissingListLoadsEmptyAndIsCreated) {
    EXPECT_TRUE(LoadListRows(keys::kRedList, true).empty());
    EXPECT_TRUE(KeyExists(keys::kRedList));
    EXPECT_TRUE(LoadListRows(keys::kRedList, true).empty());
}

TEST_F(NumberListsTest, TheBlackListNumbersItsRowsAndSkipsDefault) {
    Write(keys::kBlackList, u"111", u"*甲");
    Write(keys::kBlackList, u"Default", u"");
    Write(keys::kBlackList, u"333", u"丙");
    Write(keys::kBlackList, u"default", u"not the same as Default for the listing");
    EXPECT_EQ(LoadListRows(keys::kBlackList, false),
              (std::vector<CListRow>{{{u"1", u"111", u"*"}}, {{u"3", u"333", u""}}}))
        << "the names compare without case, so \"default\" replaced \"Default\" but kept its name";
}

TEST_F(NumberListsTest, TheRedListMarksNumbersWithUnreadMessages) {
    Write(keys::kRedList, u"13800138000", u"*张三");
    Write(keys::kRedList, u"+8613900139000", u"李四");
    Write(keys::kRedList, u"13700137000", u"**王五");
    Write(RecordKeyPath(Branch::Inbox, u"+8613800138000"), u"2005-3-7-9:4:0", u"read");
    Write(RecordKeyPath(Branch::Inbox, u"+8613800138000"), u"[*]2005-3-7-9:5:0", u"unread");
    Write(RecordKeyPath(Branch::Inbox, u"+8613900139000"), u"x[*]y", u"marker inside the name");

    EXPECT_EQ(LoadListRows(keys::kRedList, true),
              (std::vector<CListRow>{{{u"[*]张三", u"13800138000", u"*"}},
                                     {{u"[*]李四", u"+8613900139000", u""}},
                                     {{u"王五", u"13700137000", u"*"}}}));
    EXPECT_TRUE(KeyExists(RecordKeyPath(Branch::Inbox, u"+8613700137000")))
        << "loading creates the record key of a number without one";
    EXPECT_FALSE(KeyExists(RecordKeyPath(Branch::Inbox, u"+86+8613900139000")));

    MarkRead(RecordKeyPath(Branch::Inbox, u"+8613800138000"), u"[*]2005-3-7-9:5:0", u"unread");
    EXPECT_EQ(LoadListRows(keys::kRedList, true)[0].column[0], u"张三");
}

TEST_F(NumberListsTest, AnEntryTooLongToReadEndsTheList) {
    Write(keys::kBlackList, u"111", u"*甲");
    Write(keys::kBlackList, u"222", u"*" + CString(std::u16string(127, u'名')));
    Write(keys::kBlackList, u"333", u"*丙");
    EXPECT_EQ(LoadListRows(keys::kBlackList, false).size(), 1u);
}

TEST_F(NumberListsTest, UnreadTestLooksAtNamesUntilTheFirstUnreadableValue) {
    const CString k = RecordKeyPath(Branch::Inbox, u"+8613800138000");
    EXPECT_FALSE(HasUnreadMessages(k));
    EXPECT_TRUE(KeyExists(k));
    Write(k, u"2005-3-7-9:5:0", u"[*] in the text does not count");
    EXPECT_FALSE(HasUnreadMessages(k));
    Write(k, u"2005-3-7-9:6:0", CString(std::u16string(128, u'x')));
    Write(k, u"[*]2005-3-7-9:7:0", u"behind an unreadable record");
    EXPECT_FALSE(HasUnreadMessages(k));
    CRegistryStore::DeleteValue(k, u"2005-3-7-9:6:0");
    EXPECT_TRUE(HasUnreadMessages(k));
}

TEST_F(NumberListsTest, AddDeleteAndRewrite) {
    EXPECT_EQ(AddListEntry(keys::kRedList, u"13800138000", u"张三"), 0);
    EXPECT_EQ(AddListEntry(keys::kRedList, u"13800138000", u"张三丰"), 0);
    EXPECT_EQ(AddListEntry(keys::kRedList, u"13900139000", u"*星"), 0);
    EXPECT_EQ(LoadListRows(keys::kRedList, true),
              (std::vector<CListRow>{{{u"张三丰", u"13800138000", u"*"}},
                                     {{u"星", u"13900139000", u"*"}}}))
        << "one entry per number; a name's own leading * is lost when read back";

    EXPECT_EQ(RewriteLevel(keys::kRedList, u"13800138000", u"", u"[张]"), 0);
    CString data;
    ASSERT_EQ(CRegistryStore::ReadString(keys::kRedList, u"13800138000", data), 0);
    EXPECT_EQ(data, u"[张]");
    EXPECT_EQ(LoadListRows(keys::kRedList, true)[0].column[2], u"");

    Write(RecordKeyPath(Branch::Inbox, u"+8613800138000"), u"2005-3-7-9:5:0", u"in");
    Write(RecordKeyPath(Branch::Outbox, u"+8613800138000"), u"2005-3-7-9:5:0", u"out");
    EXPECT_EQ(DeleteListEntry(keys::kRedList, u"13800138000"), 0);
    EXPECT_EQ(DeleteListEntry(keys::kRedList, u"13800138000"), 1);
    EXPECT_EQ(DeleteReceivedMessages(u"13800138000"), 0);
    EXPECT_FALSE(KeyExists(RecordKeyPath(Branch::Inbox, u"+8613800138000")));
    EXPECT_EQ(ValueNames(RecordKeyPath(Branch::Outbox, u"+8613800138000")).size(), 1u)
        << "the sent copies stay";

    Registry().RefuseWrites(true);
    EXPECT_EQ(AddListEntry(keys::kRedList, u"1", u"x"), 1);
    Registry().RefuseWrites(false);
}

TEST_F(NumberListsTest, TheCleanUpRemovesDefaultAndCreatesBothKeys) {
    CleanUpLists();
    EXPECT_TRUE(KeyExists(keys::kBlackList));
    EXPECT_TRUE(KeyExists(keys::kRedList));
    Write(keys::kBlackList, u"Default", u"");
    Write(keys::kRedList, u"Default", u"");
    Write(keys::kRedList, u"111", u"*甲");
    CleanUpLists();
    EXPECT_TRUE(ValueNames(keys::kBlackList).empty());
    EXPECT_EQ(ValueNames(keys::kRedList), (std::vector<CString>{u"111"}));
}

} // namespace
