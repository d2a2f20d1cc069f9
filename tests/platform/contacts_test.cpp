// The phone's contacts store: restriction texts, the order of names (Latin, Chinese by
// pinyin) that the picker's nine letter groups rely on, and the store's object model.
#include "platform/contacts.h"

#include "platform/text.h"
#include "temp_device.h"
#include "ui/ContactGroups.h"

#include <gtest/gtest.h>
#include <memory>
#include <unicode/translit.h>
#include <unicode/uscript.h>

using platform::ContactItems;
using platform::ContactRestriction;
using platform::PhoneContact;

namespace {

std::string Utf8(std::u16string_view text) {
    return platform::Utf16ToUtf8(text);
}

PhoneContact Named(std::u16string first, std::u16string last) {
    return {std::move(first), std::move(last), u"", u"", u""};
}

// The groups (0 to 8) whose restriction text lets contact through.
std::vector<int> GroupsOf(const PhoneContact& contact) {
    std::vector<int> groups;
    for (int g = 0; g < 9; ++g) {
        const auto restriction = ContactRestriction::Parse(kGroupFilters[g]);
        EXPECT_TRUE(restriction) << "group " << g;
        if (restriction && restriction->Matches(contact))
            groups.push_back(g);
    }
    return groups;
}

} // namespace

// Each name alone as last name and alone as first name: the letter group it belongs to (0
// for none), and whether #A (every contact with a name) takes it.
TEST(ContactGroups, NamesFallIntoTheGroupOfTheirFirstLetterOrPinyin) {
    struct Case {
        std::u16string name;
        int group;
        bool inA = true;
    };
    const Case cases[] = {
        // Latin, both cases, and what folds to it
        {u"alice", 1},
        {u"Bob", 1},
        {u"carl", 1},
        {u"Dan", 2},
        {u"eve", 2},
        {u"Fred", 2},
        {u"george", 3},
        {u"Hans", 3},
        {u"ian", 3},
        {u"Jack", 3},
        {u"kim", 4},
        {u"Lee", 4},
        {u"mary", 4},
        {u"Ned", 5},
        {u"otto", 5},
        {u"Paul", 5},
        {u"quinn", 6},
        {u"Rose", 6},
        {u"sam", 6},
        {u"Tom", 7},
        {u"uma", 7},
        {u"Victor", 7},
        {u"will", 7},
        {u"Xavier", 8},
        {u"yan", 8},
        {u"Zoe", 8},
        {u"ZOE", 8},
        {u"zzzzzzzz", 8},
        {u"Émile", 2},
        {u"Ｚｏｅ", 8},
        {u"zzzzzzzzz", 0}, // past both upper bounds
        // Chinese across every group, the bounds themselves and the characters of the same
        // syllable that collators put before them
        {u"阿", 1},
        {u"啊", 1},
        {u"安", 1},
        {u"白", 1},
        {u"陈", 1},
        {u"搭", 2},
        {u"大", 2},
        {u"嘎", 3},
        {u"噶", 3},
        {u"哈", 3},
        {u"杰", 3},
        {u"喀", 4},
        {u"卡", 4},
        {u"李", 4},
        {u"拿", 5},
        {u"那", 5},
        {u"欧", 5},
        {u"期", 6},
        {u"七", 6},
        {u"戚", 6},
        {u"任", 6},
        {u"塌", 7},
        {u"他", 7},
        {u"王", 7},
        {u"昔", 8},
        {u"西", 8},
        {u"夕", 8},
        {u"徐", 8},
        {u"杨", 8},
        {u"张", 8},
        {u"张三", 8},
        {u"嗯", 5}, // "n" alone
        {u"呣", 4},
        // outside the national character set's first level
        {u"亍", 1},
        {u"龘", 2},
        {u"乂", 8},
        {u"鑫", 8},
        {u"㐀", 6},
        {u"\U00020000", 3},
        {u"\U0002A6A5", 8},
        {u"〡", 0}, // a Chinese character without a known reading
        // no letter group
        {u"1abc", 0},
        {u" x", 0},
        {u"-Ann", 0},
        {u"Анна", 0},
        {u"", 0, false},
        {u"\tTab", 0, false},
    };
    for (const Case& c : cases) {
        std::vector<int> want;
        if (c.inA)
            want.push_back(0);
        if (c.group)
            want.push_back(c.group);
        EXPECT_EQ(GroupsOf(Named(u"", c.name)), want) << "last name " << Utf8(c.name);
        EXPECT_EQ(GroupsOf(Named(c.name, u"")), want) << "first name " << Utf8(c.name);
    }
    // Either name may place a contact.
    EXPECT_EQ(GroupsOf(Named(u"张", u"Smith")), (std::vector<int>{0, 6, 8}));
}

// Every Chinese character with a reading ICU knows goes to the group of its pinyin's first
// letter, whatever its level in the national character set.
TEST(ContactGroups, EveryChineseCharacterWithAReadingFindsItsGroup) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> pinyin(icu::Transliterator::createInstance(
        "Han-Latin; Latin-ASCII; Lower", UTRANS_FORWARD, status));
    ASSERT_TRUE(U_SUCCESS(status));
    const std::string letters[9] = {"", "abc", "def", "ghij", "klm", "nop", "qrs", "tuvw", "xyz"};
    std::vector<PhoneContact> contacts;
    std::vector<int> wanted;
    for (UChar32 c = 0; c <= 0x3FFFF; ++c) {
        status = U_ZERO_ERROR;
        if (uscript_getScript(c, &status) != USCRIPT_HAN)
            continue;
        icu::UnicodeString reading(c);
        pinyin->transliterate(reading);
        const char16_t first = reading.length() ? reading.charAt(0) : u'\0';
        if (first < u'a' || first > u'z')
            continue;
        for (int g = 1; g < 9; ++g)
            if (letters[g].find(static_cast<char>(first)) != std::string::npos)
                wanted.push_back(g);
        std::u16string name;
        name += icu::UnicodeString(c).getBuffer()[0];
        if (c > 0xFFFF)
            name += icu::UnicodeString(c).getBuffer()[1];
        contacts.push_back(Named(u"", name));
    }
    ASSERT_GT(contacts.size(), 40000u);
    ASSERT_EQ(wanted.size(), contacts.size());
    const ContactItems all(contacts);
    std::vector<int> found(contacts.size(), 0);
    for (int g = 1; g < 9; ++g) {
        const auto group = all.Restrict(kGroupFilters[g]);
        ASSERT_TRUE(group);
        int at = 0; // the group keeps the order of the collection
        for (int i = 1; i <= group->Count(); ++i) {
            const auto contact = group->Item(i);
            while (at < static_cast<int>(contacts.size()) && contacts[at].last != contact->last)
                ++at;
            ASSERT_LT(at, static_cast<int>(contacts.size()));
            found[at] = found[at] ? -1 : g; // -1: in two groups
        }
    }
    int wrong = 0;
    for (std::size_t i = 0; i < contacts.size(); ++i)
        if (found[i] != wanted[i] && ++wrong <= 10)
            ADD_FAILURE() << Utf8(contacts[i].last) << " in group " << found[i] << ", not "
                          << wanted[i];
    EXPECT_EQ(wrong, 0);
}

TEST(ContactRestriction, ComparisonsAndLogic) {
    const PhoneContact b{u"x", u"b", u"13800138000", u"", u""};
    const std::pair<std::u16string, bool> cases[] = {
        {u"[LastName] = \"b\"", true},
        {u"[LastName] = \"B\"", true},
        {u"[LastName] <> \"b\"", false},
        {u"[LastName] < \"b\"", false},
        {u"[LastName] < \"c\"", true},
        {u"[LastName] <= \"b\"", true},
        {u"[LastName] > \"b\"", false},
        {u"[LastName] > \"a\"", true},
        {u"[LastName] >= \"b\"", true},
        {u"[lastname]=\"b\"", true},
        {u"  [ LastName ]   =   \"b\"  ", true},
        {u"[MobileTelephoneNumber] = \"13800138000\"", true},
        {u"[BusinessTelephoneNumber] = \"\"", true},
        {u"[OtherTelephoneNumber] > \"\"", false},
        // and binds before or
        {u"[LastName] = \"b\" or [LastName] = \"c\" and [FirstName] = \"y\"", true},
        {u"([LastName] = \"b\" or [LastName] = \"c\") and [FirstName] = \"y\"", false},
        {u"[LastName] = \"a\" OR [FirstName] = \"x\" AND ([LastName] > \"a\")", true},
        {u"(([LastName] = \"b\"))", true},
    };
    for (const auto& [text, matches] : cases) {
        const auto restriction = ContactRestriction::Parse(text);
        ASSERT_TRUE(restriction) << Utf8(text);
        EXPECT_EQ(restriction->Matches(b), matches) << Utf8(text);
    }
    const auto quoted = ContactRestriction::Parse(u"[LastName] = \"O\"\"Brien\"");
    ASSERT_TRUE(quoted);
    EXPECT_TRUE(quoted->Matches(Named(u"", u"O\"Brien")));
}

TEST(ContactRestriction, MalformedTextsAreRejected) {
    const std::u16string texts[] = {
        u"",
        u"   ",
        u"[LastName]",
        u"[LastName] >= ",
        u"[LastName] >= \"a",
        u"[LastName] >= a",
        u"[LastName] => \"a\"",
        u"[LastName >= \"a\"",
        u"[Nickname] = \"a\"",
        u"[] = \"a\"",
        u"\"a\" = [LastName]",
        u"([LastName] >= \"a\"",
        u"[LastName] >= \"a\")",
        u"[LastName] >= \"a\" and",
        u"or [LastName] >= \"a\"",
        u"[LastName] >= \"a\" xor [FirstName] >= \"a\"",
        u"[LastName] >= \"a\" order [FirstName] >= \"a\"",
        u"[LastName] >= \"a\" [FirstName] >= \"a\"",
        u"()",
    };
    const ContactItems items({Named(u"", u"a")});
    for (const auto& text : texts) {
        EXPECT_FALSE(ContactRestriction::Parse(text)) << Utf8(text);
        EXPECT_EQ(items.Restrict(text), nullptr) << Utf8(text);
    }
}

TEST(ContactsStore, ListsTheContactsInTheOrderAddedWhileLoggedOn) {
    testing_support::TempDevice dev;
    const PhoneContact zhang{u"三", u"张", u"13800138000", u"", u""};
    const PhoneContact bob{u"Bob", u"", u"", u"010-1234", u"555"};
    ASSERT_TRUE(dev.Get().Phone().AddContact(zhang));
    ASSERT_TRUE(dev.Get().Phone().AddContact(bob));

    EXPECT_EQ(platform::ContactsApplication::Create(), nullptr); // no component library yet
    ASSERT_TRUE(platform::CoInitializeEx(nullptr, platform::COINIT_MULTITHREADED));
    auto app = platform::ContactsApplication::Create();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->GetDefaultFolder(platform::olFolderContacts), nullptr); // not logged on
    ASSERT_TRUE(app->Logon());
    EXPECT_EQ(app->GetDefaultFolder(9), nullptr);
    const auto folder = app->GetDefaultFolder(platform::olFolderContacts);
    ASSERT_TRUE(folder);
    const auto items = folder->Items();
    ASSERT_TRUE(items);
    ASSERT_EQ(items->Count(), 2);
    EXPECT_EQ(items->Item(1), zhang);
    EXPECT_EQ(items->Item(2), bob);
    EXPECT_EQ(items->Item(0), std::nullopt);
    EXPECT_EQ(items->Item(3), std::nullopt);

    // A collection holds what was there when it was taken; the folder gives what is there now.
    ASSERT_TRUE(dev.Get().Phone().AddContact({u"", u"李", u"139", u"", u""}));
    EXPECT_EQ(items->Count(), 2);
    EXPECT_EQ(folder->Items()->Count(), 3);
    const auto k = folder->Items()->Restrict(kGroupFilters[4]);
    ASSERT_TRUE(k);
    ASSERT_EQ(k->Count(), 1);
    EXPECT_EQ(k->Item(1)->last, u"李");
    EXPECT_EQ(k->Restrict(kGroupFilters[1])->Count(), 0); // narrowed again

    app->Logoff();
    EXPECT_EQ(app->GetDefaultFolder(platform::olFolderContacts), nullptr);
    platform::CoUninitialize();
    EXPECT_EQ(platform::ContactsApplication::Create(), nullptr);
}

TEST(ContactsStore, LogonFailsWhenTheContactsCannotBeOpened) {
    testing_support::TempDevice dev;
    ASSERT_TRUE(platform::CoInitializeEx(nullptr, platform::COINIT_MULTITHREADED));
    auto app = platform::ContactsApplication::Create();
    ASSERT_TRUE(app);
    const auto file = dev.Dir() / "phone.db";
    std::filesystem::rename(file, dev.Dir() / "phone.db.away");
    std::filesystem::create_directory(file);
    EXPECT_FALSE(app->Logon());
    EXPECT_EQ(app->GetDefaultFolder(platform::olFolderContacts), nullptr);
    platform::CoUninitialize();
}
