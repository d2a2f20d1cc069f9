#include "store_fixture.h"

namespace {

using RegistryStoreTest = StoreTest;

TEST_F(RegistryStoreTest, ReadingAMissingKeyFailsAndCreatesIt) {
    CString text = u"before";
    EXPECT_EQ(CRegistryStore::ReadString(u"Software\\Microsoft\\Brenwick", u"PWD", text), 1);
    EXPECT_EQ(text, u"before");
    EXPECT_TRUE(KeyExists(u"Software\\Microsoft\\Brenwick"));
    EXPECT_TRUE(ValueNames(u"Software\\Microsoft\\Brenwick").empty());
    EXPECT_EQ(CRegistryStore::ReadString(u"Software\\Microsoft\\Brenwick", u"PWD", text), 1)
        << "a missing value in the key that now exists";
}

TEST_F(RegistryStoreTest, ReadStringTakesAtMost127Characters) {
    const CString k = u"Software\\Limits";
    const CString longest(std::u16string(127, u'x'));
    Write(k, u"127", longest);
    Write(k, u"128", CString(std::u16string(128, u'y')));
    Write(k, u"empty", u"");
    CString text = u"unchanged";
    EXPECT_EQ(CRegistryStore::ReadString(k, u"127", text), 0);
    EXPECT_EQ(text, longest);
    text = u"unchanged";
    EXPECT_EQ(CRegistryStore::ReadString(k, u"128", text), 1) << "never cut short";
    EXPECT_EQ(text, u"unchanged");
    EXPECT_EQ(CRegistryStore::ReadString(k, u"empty", text), 0) << "an empty text is present";
    EXPECT_EQ(text, u"");

    platform::RegistryKey key;
    platform::RegValue value;
    ASSERT_EQ(Registry().OpenKey(HKEY_LOCAL_MACHINE, k, key), platform::RegStatus::Ok);
    ASSERT_EQ(key.QueryValue(u"empty", 256, value), platform::RegStatus::Ok);
    EXPECT_EQ(value.data.size(), 2u);
}

TEST_F(RegistryStoreTest, DeletesSucceedOnlyOnWhatExisted) {
    EXPECT_EQ(CRegistryStore::DeleteValue(u"Software\\New", u"v"), 1);
    EXPECT_TRUE(KeyExists(u"Software\\New")) << "the test created the key";
    EXPECT_EQ(CRegistryStore::DeleteValue(u"Software\\New", u"v"), 1) << "absent value";
    Write(u"Software\\New", u"v", u"x");
    EXPECT_EQ(CRegistryStore::DeleteValue(u"Software\\New", u"V"), 0);
    EXPECT_TRUE(ValueNames(u"Software\\New").empty());

    Write(u"Software\\Tree\\Sub\\Below", u"v", u"x");
    Write(u"Software\\Tree\\Sub", u"w", u"x");
    EXPECT_EQ(CRegistryStore::DeleteKey(u"Software\\Tree", u"Sub"), 0);
    EXPECT_FALSE(KeyExists(u"Software\\Tree\\Sub"));
    EXPECT_EQ(CRegistryStore::DeleteKey(u"Software\\Tree", u"Sub"), 1);
    EXPECT_EQ(CRegistryStore::DeleteKey(u"Software\\NoParent", u"Sub"), 1);
    EXPECT_TRUE(KeyExists(u"Software\\NoParent"));
}

TEST_F(RegistryStoreTest, EnumerationEndsAtTheFirstValueThatDoesNotFit) {
    const CString k = u"Software\\Enum";
    Write(k, u"one", u"1");
    Write(k, u"two", u"2");
    Write(k, u"three", CString(std::u16string(149, u'z'))); // 300 bytes with the terminator
    Write(k, u"four", u"4");
    Write(u"Software\\Names", CString(std::u16string(259, u'n')), u"fits");
    Write(u"Software\\Names", CString(std::u16string(260, u'n')), u"does not");
    Write(u"Software\\Names", u"after", u"hidden");

    auto list = [](const CString& path) {
        std::vector<CString> seen;
        CRegistryStore::EnumerateValues(
            HKEY_LOCAL_MACHINE, path,
            [&](const CString& name, const CString&) { seen.push_back(name); });
        return seen;
    };
    EXPECT_EQ(list(k), (std::vector<CString>{u"one", u"two"}));
    EXPECT_EQ(list(u"Software\\Names").size(), 1u);
    EXPECT_TRUE(list(u"Software\\Missing").empty());
    EXPECT_TRUE(KeyExists(u"Software\\Missing"));

    std::vector<CString> stopped;
    CRegistryStore::EnumerateValues(HKEY_LOCAL_MACHINE, k,
                                    [&](const CString& name, const CString&) {
                                        stopped.push_back(name);
                                        return false;
                                    });
    EXPECT_EQ(stopped.size(), 1u) << "a step that says stop ends the listing";
}

TEST_F(RegistryStoreTest, KeyNamesIgnoreCase) {
    Write(u"Software\\Tolvane\\Brenwick\\listb", u"13800138000", u"*张三");
    CString text;
    EXPECT_EQ(
        CRegistryStore::ReadString(u"SOFTWARE\\tolvane\\brenwick\\Listb", u"13800138000", text), 0);
    EXPECT_EQ(text, u"*张三");
    EXPECT_EQ(CRegistryStore::ReadString(u"Software\\Microsoft\\Inbox\\PresetMsgs", u"1", text,
                                         HKEY_CURRENT_USER),
              1);
    EXPECT_FALSE(KeyExists(u"Software\\Microsoft\\Inbox\\PresetMsgs"))
        << "that one is below the user root";
}

TEST_F(RegistryStoreTest, AStoreThatRefusesWritesGivesOne) {
    Registry().RefuseWrites(true);
    EXPECT_EQ(CRegistryStore::WriteString(u"Software\\Refused", u"v", u"x"), 1);
    Registry().RefuseWrites(false);
    Write(u"Software\\Refused", u"v", u"x");
    Registry().RefuseWrites(true);
    EXPECT_EQ(CRegistryStore::WriteString(u"Software\\Refused", u"v", u"y"), 1);
    EXPECT_EQ(CRegistryStore::DeleteValue(u"Software\\Refused", u"v"), 1);
    CString text;
    EXPECT_EQ(CRegistryStore::ReadString(u"Software\\Refused", u"v", text), 0);
    EXPECT_EQ(text, u"x");
    Registry().RefuseWrites(false);
}

} // namespace
