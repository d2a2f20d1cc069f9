#include "platform/registry.h"

#include "child_process.h"
#include "temp_device.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using platform::Registry;
using platform::RegistryKey;
using platform::RegRoot;
using platform::RegStatus;
using platform::RegValue;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    Registry& reg() { return m_device.Get().GetRegistry(); }

    RegistryKey Create(std::u16string_view path, bool* existedOut = nullptr) {
        RegistryKey key;
        bool existed = false;
        EXPECT_EQ(reg().CreateKey(RegRoot::LocalMachine, path, key, existed), RegStatus::Ok);
        if (existedOut)
            *existedOut = existed;
        return key;
    }

    static std::vector<std::u16string> Names(const RegistryKey& key) {
        std::vector<RegValue> values;
        EXPECT_EQ(key.AllValues(values), RegStatus::Ok);
        std::vector<std::u16string> names;
        for (const auto& v : values)
            names.push_back(v.name);
        return names;
    }

    testing_support::TempDevice m_device;
};

TEST_F(RegistryTest, CreateKeyMakesTheWholePathAndTellsWhetherTheKeyExisted) {
    bool existed = true;
    Create(u"Software\\Tolvane\\Brenwick\\Content\\+8613800138000", &existed);
    EXPECT_FALSE(existed);
    Create(u"Software\\Tolvane\\Brenwick\\Content\\+8613800138000", &existed);
    EXPECT_TRUE(existed);
    Create(u"Software\\Tolvane", &existed);
    EXPECT_TRUE(existed) << "a parent created on the way exists afterwards";
    Create(u"", &existed);
    EXPECT_TRUE(existed) << "the root itself";

    RegistryKey key;
    EXPECT_EQ(reg().OpenKey(RegRoot::LocalMachine, u"Software\\Nobody", key), RegStatus::NotFound);
    EXPECT_EQ(reg().OpenKey(RegRoot::LocalMachine, u"Software\\Nobody", key), RegStatus::NotFound)
        << "opening an existing key only creates nothing";
    EXPECT_EQ(reg().OpenKey(RegRoot::CurrentUser, u"Software\\Tolvane", key), RegStatus::NotFound)
        << "the two roots are separate trees";
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    struct Case {
        std::u16string first, second;
    };
    const Case cases[] = {
        {u"Listb", u"listb"}, {u"ÄÖÜ", u"äöü"}, {u"ΣΑΣ", u"σας"}, {u"Straße", u"STRASSE"}};
    RegistryKey parent = Create(u"Software\\Case");
    for (const auto& c : cases) {
        bool existed = false;
        Create(u"Software\\Case\\" + c.first);
        Create(u"Software\\Case\\" + c.second, &existed);
        // Simple folding: ß is not "ss", so Straße and STRASSE stay two keys.
        EXPECT_EQ(existed, c.first != u"Straße") << std::string(c.first.begin(), c.first.end());
        ASSERT_EQ(parent.SetString(c.first, u"1"), RegStatus::Ok);
        ASSERT_EQ(parent.SetString(c.second, u"2"), RegStatus::Ok);
    }
    std::vector<std::u16string> keys;
    ASSERT_EQ(parent.SubKeyNames(keys), RegStatus::Ok);
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Listb", u"ÄÖÜ", u"ΣΑΣ", u"Straße", u"STRASSE"}));
    EXPECT_EQ(Names(parent), keys) << "value names fold the same way and keep the first spelling";

    RegValue value;
    ASSERT_EQ(parent.QueryValue(u"LISTB", 256, value), RegStatus::Ok);
    EXPECT_EQ(platform::DecodeRegString(value.data), u"2");
    EXPECT_EQ(value.name, u"Listb");
}

TEST_F(RegistryTest, StringsAreStoredWithTheirTerminator) {
    RegistryKey key = Create(u"Software\\Strings");
    const std::pair<std::u16string, std::size_t> cases[] = {{u"", 2}, {u"ab", 6}, {u"张三", 6}};
    for (const auto& [text, bytes] : cases) {
        ASSERT_EQ(key.SetString(u"v", text), RegStatus::Ok);
        RegValue value;
        ASSERT_EQ(key.QueryValue(u"v", 256, value), RegStatus::Ok);
        EXPECT_EQ(value.type, platform::kRegString);
        EXPECT_EQ(value.data.size(), bytes);
        EXPECT_EQ(platform::DecodeRegString(value.data), text);
    }
    ASSERT_EQ(key.SetString(u"limit", std::u16string(127, u'x')), RegStatus::Ok);
    RegValue value;
    EXPECT_EQ(key.QueryValue(u"limit", 256, value), RegStatus::Ok);
    EXPECT_EQ(key.QueryValue(u"limit", 255, value), RegStatus::MoreData);
    EXPECT_EQ(key.QueryValue(u"absent", 256, value), RegStatus::NotFound);
}

TEST_F(RegistryTest, ValuesEnumerateInFirstWrittenOrder) {
    RegistryKey key = Create(u"Software\\Order");
    for (const auto* name : {u"c", u"a", u"b", u"d"})
        ASSERT_EQ(key.SetString(name, u"x"), RegStatus::Ok);
    ASSERT_EQ(key.SetString(u"A", u"replaced"), RegStatus::Ok);
    ASSERT_EQ(key.DeleteValue(u"b"), RegStatus::Ok);
    ASSERT_EQ(key.SetString(u"b", u"again"), RegStatus::Ok);
    EXPECT_EQ(Names(key), (std::vector<std::u16string>{u"c", u"a", u"d", u"b"}));

    // By index, in steps and out of order, the same order; past the end, no more items.
    std::uint32_t count = 0;
    ASSERT_EQ(key.CountValues(count), RegStatus::Ok);
    ASSERT_EQ(count, 4u);
    RegValue value;
    for (const std::uint32_t i : {0u, 1u, 2u, 3u, 1u, 3u, 0u}) {
        ASSERT_EQ(key.EnumValue(i, 260, 256, value), RegStatus::Ok);
        EXPECT_EQ(value.name, Names(key)[i]);
    }
    EXPECT_EQ(key.EnumValue(4, 260, 256, value), RegStatus::NoMoreItems);
    ASSERT_EQ(key.EnumValue(1, 260, 256, value), RegStatus::Ok);
    EXPECT_EQ(platform::DecodeRegString(value.data), u"replaced");
}

TEST_F(RegistryTest, EnumerationRefusesWhatDoesNotFitAndGoesOn) {
    RegistryKey key = Create(u"Software\\Limits");
    ASSERT_EQ(key.SetString(std::u16string(259, u'n'), u"fits"), RegStatus::Ok);
    ASSERT_EQ(key.SetString(std::u16string(260, u'n'), u"name too long"), RegStatus::Ok);
    ASSERT_EQ(key.SetString(u"data", std::u16string(128, u'd')), RegStatus::Ok);
    ASSERT_EQ(key.SetString(u"after", u"ok"), RegStatus::Ok);
    RegValue value;
    EXPECT_EQ(key.EnumValue(0, 260, 256, value), RegStatus::Ok);
    EXPECT_EQ(key.EnumValue(1, 260, 256, value), RegStatus::MoreData);
    EXPECT_EQ(key.EnumValue(2, 260, 256, value), RegStatus::MoreData);
    EXPECT_EQ(key.EnumValue(3, 260, 256, value), RegStatus::Ok);
    EXPECT_EQ(value.name, u"after");
}

TEST_F(RegistryTest, EnumerationSeesChangesMadeMeanwhile) {
    RegistryKey key = Create(u"Software\\Moving");
    for (const auto* name : {u"a", u"b", u"c", u"d"})
        ASSERT_EQ(key.SetString(name, u"x"), RegStatus::Ok);
    RegValue value;
    ASSERT_EQ(key.EnumValue(0, 260, 256, value), RegStatus::Ok);
    ASSERT_EQ(key.EnumValue(1, 260, 256, value), RegStatus::Ok);
    ASSERT_EQ(value.name, u"b");

    // Through this connection and through a second one, as another process would.
    RegistryKey same = Create(u"Software\\Moving");
    ASSERT_EQ(same.DeleteValue(u"a"), RegStatus::Ok);
    ASSERT_EQ(key.EnumValue(2, 260, 256, value), RegStatus::Ok);
    EXPECT_EQ(value.name, u"d") << "index 2 of b, c, d";

    std::string error;
    auto other = Registry::Open(m_device.Dir() / "registry.db", error);
    ASSERT_TRUE(other) << error;
    RegistryKey otherKey;
    bool existed = false;
    ASSERT_EQ(other->CreateKey(RegRoot::LocalMachine, u"Software\\Moving", otherKey, existed),
              RegStatus::Ok);
    ASSERT_EQ(key.EnumValue(0, 260, 256, value), RegStatus::Ok);
    ASSERT_EQ(otherKey.DeleteValue(u"b"), RegStatus::Ok);
    ASSERT_EQ(key.EnumValue(1, 260, 256, value), RegStatus::Ok);
    EXPECT_EQ(value.name, u"d") << "index 1 of c, d";
}

TEST_F(RegistryTest, DeletingAKeyTakesEverythingBelowAndStaleHandlesFail) {
    RegistryKey parent = Create(u"Software\\Tolvane\\Brenwick\\Content");
    RegistryKey record = Create(u"Software\\Tolvane\\Brenwick\\Content\\+861\\deeper");
    ASSERT_EQ(record.SetString(u"v", u"x"), RegStatus::Ok);
    ASSERT_EQ(parent.DeleteSubKey(u"+861"), RegStatus::Ok);
    EXPECT_EQ(parent.DeleteSubKey(u"+861"), RegStatus::NotFound);

    std::uint32_t count = 0;
    RegValue value;
    EXPECT_EQ(record.SetString(u"v", u"x"), RegStatus::KeyDeleted);
    EXPECT_EQ(record.QueryValue(u"v", 256, value), RegStatus::KeyDeleted);
    EXPECT_EQ(record.CountValues(count), RegStatus::KeyDeleted);
    EXPECT_EQ(record.EnumValue(0, 260, 256, value), RegStatus::KeyDeleted);

    // A new key of the same path is another key: the old handle never reaches it.
    bool existed = true;
    RegistryKey again = Create(u"Software\\Tolvane\\Brenwick\\Content\\+861\\deeper", &existed);
    EXPECT_FALSE(existed);
    EXPECT_EQ(record.SetString(u"v", u"x"), RegStatus::KeyDeleted);
    std::uint32_t n = 9;
    EXPECT_EQ(again.CountValues(n), RegStatus::Ok);
    EXPECT_EQ(n, 0u) << "the values went with the key";
}

TEST_F(RegistryTest, BadNamesAreRefused) {
    RegistryKey key;
    bool existed = false;
    EXPECT_EQ(reg().CreateKey(RegRoot::LocalMachine, u"a\\\\b", key, existed),
              RegStatus::InvalidName);
    EXPECT_EQ(reg().CreateKey(RegRoot::LocalMachine, std::u16string(256, u'k'), key, existed),
              RegStatus::InvalidName);
    EXPECT_EQ(reg().CreateKey(RegRoot::LocalMachine, std::u16string(255, u'k'), key, existed),
              RegStatus::Ok);
    EXPECT_EQ(key.DeleteSubKey(u""), RegStatus::InvalidName);
}

TEST_F(RegistryTest, AtomicStepsAreSeenWholeOrNotAtAll) {
    std::string error;
    auto other = Registry::Open(m_device.Dir() / "registry.db", error);
    ASSERT_TRUE(other) << error;
    auto countSeenByOther = [&] {
        RegistryKey k;
        std::uint32_t n = 0;
        if (other->OpenKey(RegRoot::LocalMachine, u"Software\\Atomic", k) == RegStatus::Ok)
            k.CountValues(n);
        return n;
    };

    reg().Atomically([&] {
        RegistryKey key = Create(u"Software\\Atomic");
        key.SetString(u"one", u"1");
        key.SetString(u"two", u"2");
        EXPECT_EQ(countSeenByOther(), 0u) << "nothing shows before the step ends";
    });
    EXPECT_EQ(countSeenByOther(), 2u);

    EXPECT_THROW(reg().Atomically([&] {
        Create(u"Software\\Atomic").SetString(u"three", u"3");
        throw std::runtime_error("stop");
    }),
                 std::runtime_error);
    EXPECT_EQ(countSeenByOther(), 2u) << "an interrupted step leaves nothing behind";
}

TEST_F(RegistryTest, RefusedWritesFailAndReadsGoOn) {
    RegistryKey key = Create(u"Software\\Refuse");
    ASSERT_EQ(key.SetString(u"kept", u"x"), RegStatus::Ok);
    reg().RefuseWrites(true);
    RegistryKey other;
    bool existed = false;
    EXPECT_EQ(key.SetString(u"new", u"x"), RegStatus::AccessDenied);
    EXPECT_EQ(key.DeleteValue(u"kept"), RegStatus::AccessDenied);
    EXPECT_EQ(reg().CreateKey(RegRoot::LocalMachine, u"Software\\Refuse\\Sub", other, existed),
              RegStatus::AccessDenied);
    EXPECT_EQ(reg().CreateKey(RegRoot::LocalMachine, u"Software\\Refuse", other, existed),
              RegStatus::Ok)
        << "opening an existing key writes nothing";
    RegValue value;
    EXPECT_EQ(key.QueryValue(u"kept", 256, value), RegStatus::Ok);
    reg().RefuseWrites(false);
}

TEST_F(RegistryTest, TheFileIsPrivateAndABrokenFileIsReported) {
    Create(u"Software\\Touch").SetString(u"v", u"x");
    for (const char* name : {"registry.db", "registry.db-wal", "registry.db-shm"}) {
        struct stat st {};
        ASSERT_EQ(::stat((m_device.Dir() / name).c_str(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
    }
    const auto junk = m_device.Dir() / "junk.db";
    {
        std::FILE* f = std::fopen(junk.c_str(), "w");
        std::fputs("this is not a database, whatever its name says.............................."
                   "..............................................................................",
                   f);
        std::fclose(f);
    }
    std::string error;
    EXPECT_FALSE(Registry::Open(junk, error));
    EXPECT_NE(error.find("not a database"), std::string::npos) << error;
}

// One process keeps writing records while this one enumerates, reads and writes the same
// keys: no operation fails for a lock, and every record written is there afterwards.
TEST_F(RegistryTest, TwoProcessesShareTheStoreWithoutFailures) {
    constexpr int kRecords = 1500;
    testing_support::ChildProcess writer({BRENWICK_TEST_PEER, m_device.Arg(), "write-records",
                                          "Software\\Shared", std::to_string(kRecords)});
    ASSERT_TRUE(writer.Started());
    int failures = 0;
    int rounds = 0;
    std::optional<std::string> report; // the writer's last word, once it is done
    while (!report && rounds < 20000) {
        ++rounds;
        RegistryKey key;
        bool existed = false;
        if (reg().CreateKey(RegRoot::LocalMachine, u"Software\\Shared", key, existed) !=
            RegStatus::Ok) {
            ++failures;
            continue;
        }
        std::uint32_t count = 0;
        failures += key.CountValues(count) != RegStatus::Ok;
        RegValue value;
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto status = key.EnumValue(i, 260, 256, value);
            failures += status != RegStatus::Ok && status != RegStatus::NoMoreItems;
        }
        failures +=
            key.SetString(u"mine" + std::u16string(1, u'0' + rounds % 10), u"x") != RegStatus::Ok;
        const auto read = key.QueryValue(u"r0", 256, value);
        failures += read != RegStatus::Ok && read != RegStatus::NotFound;
        report = writer.ReadLine(std::chrono::milliseconds(0));
    }
    RecordProperty("rounds", rounds);
    EXPECT_EQ(report, "failures 0");
    EXPECT_EQ(writer.Wait(), 0);
    EXPECT_EQ(failures, 0);

    RegistryKey key;
    ASSERT_EQ(reg().OpenKey(RegRoot::LocalMachine, u"Software\\Shared", key), RegStatus::Ok);
    std::vector<RegValue> values;
    ASSERT_EQ(key.AllValues(values), RegStatus::Ok);
    int records = 0;
    for (const auto& v : values)
        records += v.name.starts_with(u"r");
    EXPECT_EQ(records, kRecords);
}

} // namespace
