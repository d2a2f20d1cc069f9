// The registry as two processes share it: one lists a red list and its record keys through
// the store over and over while the other deletes and re-creates them under the same names.
// Whatever the lister sees must be something the store held at some moment.
#include "child_process.h"
#include "temp_device.h"

#include "store/CRegistryStore.h"
#include "store/MessageStore.h"
#include "store/NumberLists.h"
#include "store/RegistryKeys.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using platform::RegStatus;

namespace {

constexpr int kNumbers = 5;
constexpr int kRounds = 151; // odd: the last round's records are unread

int Generation(const CString& text) {
    const std::u16string& s = text.str();
    std::string digits;
    for (const char16_t c : s)
        if (c >= u'0' && c <= u'9')
            digits += static_cast<char>(c);
        else if (!digits.empty())
            break;
    return digits.empty() ? -1 : std::stoi(digits);
}

std::string Utf8(const CString& text) {
    std::string out;
    for (const char16_t c : text.str())
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

class Lister {
public:
    // Records what is wrong with one look at the store, begun after round `done` was
    // complete; upTo() tells, after it, the last round complete by then.
    void Look(int done, const std::function<int()>& upTo) {
        std::vector<std::pair<CString, int>> seen; // what this look found, and its generation
        for (const CListRow& row : LoadListRows(keys::kRedList, true)) {
            if (row.column[2] != u"*")
                Fault(Utf8(row.column[1]) + " lost its level");
            seen.push_back(
                {row.column[1] + u" list entry " + row.column[0], Generation(row.column[0])});
        }
        for (int n = 0; n < kNumbers; ++n)
            ListRecordKey(CString::Formatted(u"%d", 1390000000 + n), seen);
        const int last = upTo();
        for (const auto& [what, generation] : seen)
            if (generation < done || generation > last + 1)
                Fault(Utf8(what) + ": generation " + std::to_string(generation) +
                      " seen between rounds " + std::to_string(done) + " and " +
                      std::to_string(last + 1));
        ++m_looks;
    }

    int Looks() const { return m_looks; }
    const std::vector<std::string>& Faults() const { return m_faults; }

private:
    void Fault(const std::string& what) {
        if (m_faults.size() < 10)
            m_faults.push_back(what);
    }

    // One listing of the number's record key as the program makes it: the values come in
    // the order written, all of one generation, and a deleted key just ends the listing.
    void ListRecordKey(const CString& number, std::vector<std::pair<CString, int>>& seen) {
        const CString path = RecordKeyPath(Branch::Inbox, Plus86Form(number));
        platform::RegistryKey key;
        bool existed = false;
        if (CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, path, key, existed) != 0)
            return Fault("opening " + Utf8(path) + " failed");
        std::uint32_t count = 0;
        const RegStatus counted = key.CountValues(count);
        if (counted != RegStatus::Ok && counted != RegStatus::KeyDeleted)
            return Fault("counting " + Utf8(path) + " failed");
        int generation = -1;
        for (std::uint32_t i = 0; counted == RegStatus::Ok && i < count; ++i) {
            platform::RegValue value;
            const RegStatus status = key.EnumValue(i, 260, 256, value);
            if (status == RegStatus::KeyDeleted)
                break;
            if (status != RegStatus::Ok)
                return Fault("listing " + Utf8(path) + " failed");
            const CString data = platform::DecodeRegString(value.data);
            if (generation < 0)
                generation = Generation(data);
            const CString expected =
                i == 0 ? CString(u"head")
                       : CString::Formatted(generation % 2 ? u"[*]%d-%d" : u"%d-%d", generation,
                                            static_cast<int>(i - 1));
            if (value.name != expected.str() || Generation(data) != generation)
                return Fault(Utf8(path) + ": " + Utf8(CString(value.name)) + " = " + Utf8(data) +
                             " at index " + std::to_string(i) + " of generation " +
                             std::to_string(generation));
            seen.push_back({path + u"\\" + value.name, Generation(data)});
        }
        CString head;
        if (CRegistryStore::ReadString(path, u"head", head) == 0)
            seen.push_back({path + u" head read", Generation(head)});
    }

    int m_looks = 0;
    std::vector<std::string> m_faults;
};

TEST(RegistryChurnTest, ListingsMeetingDeletedAndRecreatedKeysShowOnlyWhatWasThere) {
    testing_support::TempDevice device;
    testing_support::ChildProcess churn({BRENWICK_TEST_PEER, device.Arg(), "churn-red-list",
                                         std::to_string(kNumbers), std::to_string(kRounds)});
    ASSERT_TRUE(churn.Started());
    // The other process's word on how far it got, which no cache of ours can have seen.
    int reported = 0;
    std::optional<std::string> report;
    const auto progress = [&] {
        while (auto line = churn.ReadLine(std::chrono::milliseconds(0))) {
            if (line->starts_with("round "))
                reported = std::stoi(line->substr(6));
            else
                report = line;
        }
        return reported;
    };
    Lister lister;
    while (!report)
        lister.Look(progress(), progress);
    lister.Look(progress(), progress); // and once more on the store at rest
    RecordProperty("looks", lister.Looks());
    EXPECT_EQ(report, "failures 0");
    EXPECT_EQ(churn.Wait(), 0);
    EXPECT_EQ(lister.Faults(), std::vector<std::string>{});
    EXPECT_GT(lister.Looks(), 10) << "the two processes hardly met";

    // At rest, the last round whole: every number once, unread, with its five values.
    const auto rows = LoadListRows(keys::kRedList, true);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kNumbers));
    for (const CListRow& row : rows) {
        EXPECT_EQ(row.column[0], CString::Formatted(u"[*]联系人%d", kRounds));
        std::vector<CString> names;
        CRegistryStore::EnumerateValues(HKEY_LOCAL_MACHINE,
                                        RecordKeyPath(Branch::Inbox, Plus86Form(row.column[1])),
                                        [&](const CString& name, const CString& data) {
                                            names.push_back(name);
                                            EXPECT_EQ(Generation(data), kRounds);
                                        });
        EXPECT_EQ(names.size(), 5u) << Utf8(row.column[1]);
    }
}

// Inside one listing, each step sees what another connection committed before it.
TEST(RegistryChurnTest, AListingSeesWhatAnotherProcessChangedAtItsNextStep) {
    testing_support::TempDevice device;
    std::string error;
    auto other = platform::Registry::Open(device.Dir() / "registry.db", error);
    ASSERT_TRUE(other) << error;
    const auto change = [&](const std::u16string& path, auto&& step) {
        platform::RegistryKey key;
        bool existed = false;
        ASSERT_EQ(other->CreateKey(HKEY_LOCAL_MACHINE, path, key, existed), RegStatus::Ok);
        ASSERT_EQ(step(key), RegStatus::Ok);
    };
    struct Case {
        const char* what;
        std::u16string key; // where the change is made
        std::function<RegStatus(platform::RegistryKey&)> change;
        std::vector<std::u16string> listed;
    };
    const Case cases[] = {
        {"the next value deleted",
         u"Software\\Listed",
         [](auto& key) { return key.DeleteValue(u"b"); },
         {u"a", u"c"}},
        {"the next value replaced",
         u"Software\\Listed",
         [](auto& key) { return key.SetString(u"b", u"new"); },
         {u"a", u"b=new", u"c"}},
        {"the key deleted",
         u"Software",
         [](auto& key) { return key.DeleteSubKey(u"Listed"); },
         {u"a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRegistryStore::DeleteKey(u"Software", u"Listed");
        for (const char16_t* name : {u"a", u"b", u"c"})
            ASSERT_EQ(CRegistryStore::WriteString(u"Software\\Listed", name, u"old"), 0);
        ASSERT_EQ(CRegistryStore::WriteString(u"Software\\Elsewhere", u"v", u"old"), 0);
        std::vector<std::u16string> listed;
        CString elsewhere;
        CRegistryStore::EnumerateValues(
            HKEY_LOCAL_MACHINE, u"Software\\Listed", [&](const CString& name, const CString& data) {
                listed.push_back(data == u"old" ? name.str() : name.str() + u"=" + data.str());
                if (listed.size() > 1)
                    return;
                change(c.key, c.change);
                change(u"Software\\Elsewhere",
                       [](auto& key) { return key.SetString(u"v", u"new"); });
                CRegistryStore::ReadString(u"Software\\Elsewhere", u"v", elsewhere);
            });
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(elsewhere, u"new");
    }
}

} // namespace
