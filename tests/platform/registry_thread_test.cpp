// The registry used by several threads of one process and by a second connection at once:
// readers on the process's connection list keys while writers on both connections delete and
// re-create them. Every listing shows one key's values of one generation, in the order written.
#include "platform/registry.h"

#include "temp_device.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using platform::Registry;
using platform::RegistryKey;
using platform::RegRoot;
using platform::RegStatus;
using platform::RegValue;

namespace {

constexpr int kRounds = 150;
constexpr int kValues = 4;

std::u16string Branch(char writer) {
    return u"Software\\Threads\\" + std::u16string(1, static_cast<char16_t>(writer));
}

std::u16string Path(char writer, int key) {
    return Branch(writer) + u"\\" + static_cast<char16_t>(u'0' + key);
}

// Each round re-creates the writer's three keys, writing generation g value by value; every
// fifth round deletes the writer's whole branch first, the keys on the way included.
void Write(Registry& registry, char writer, std::atomic<int>& failures) {
    const auto deleteSubKey = [&](const std::u16string& path) {
        const auto at = path.rfind(u'\\');
        RegistryKey parent;
        bool existed = false;
        failures += registry.CreateKey(RegRoot::LocalMachine, path.substr(0, at), parent,
                                       existed) != RegStatus::Ok;
        const RegStatus deleted = parent.DeleteSubKey(path.substr(at + 1));
        failures += deleted != RegStatus::Ok && deleted != RegStatus::NotFound;
    };
    for (int g = 1; g <= kRounds; ++g) {
        const std::u16string data = std::u16string(1, static_cast<char16_t>(u'a' + g % 26));
        if (g % 5 == 0)
            deleteSubKey(Branch(writer));
        for (int k = 0; k < 3; ++k) {
            deleteSubKey(Path(writer, k));
            RegistryKey key;
            bool existed = false;
            failures += registry.CreateKey(RegRoot::LocalMachine, Path(writer, k), key, existed) !=
                        RegStatus::Ok;
            for (int v = 0; v < kValues; ++v)
                failures += key.SetString(std::u16string(1, static_cast<char16_t>(u'0' + v)),
                                          data) != RegStatus::Ok;
        }
    }
}

// Lists the keys until the writers are done; what it sees of a key must be a start of the
// values of one generation.
void Read(Registry& registry, const std::atomic<bool>& done, std::atomic<int>& failures,
          std::atomic<int>& mixed) {
    while (!done) {
        for (const char writer : {'m', 'o'})
            for (int k = 0; k < 3; ++k) {
                RegistryKey key;
                if (registry.OpenKey(RegRoot::LocalMachine, Path(writer, k), key) != RegStatus::Ok)
                    continue; // between deletion and re-creation
                std::uint32_t count = 0;
                if (key.CountValues(count) != RegStatus::Ok)
                    continue;
                std::u16string generation;
                for (std::uint32_t i = 0; i < count; ++i) {
                    RegValue value;
                    const RegStatus status = key.EnumValue(i, 260, 256, value);
                    if (status == RegStatus::KeyDeleted)
                        break;
                    if (status != RegStatus::Ok) {
                        ++failures;
                        break;
                    }
                    const std::u16string data = platform::DecodeRegString(value.data);
                    if (generation.empty())
                        generation = data;
                    mixed += data != generation ||
                             value.name != std::u16string(1, static_cast<char16_t>(u'0' + i));
                }
                RegValue value;
                const RegStatus read = key.QueryValue(u"0", 256, value);
                failures += read != RegStatus::Ok && read != RegStatus::NotFound &&
                            read != RegStatus::KeyDeleted;
            }
    }
}

TEST(RegistryThreads, ReadersMeetingWritersOnTwoConnectionsSeeNoMixedKeys) {
    testing_support::TempDevice device;
    std::string error;
    auto other = Registry::Open(device.Dir() / "registry.db", error);
    ASSERT_TRUE(other) << error;
    Registry& mine = device.Get().GetRegistry();

    std::atomic<bool> done{false};
    std::atomic<int> failures{0}, mixed{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back([&] { Read(mine, done, failures, mixed); });
    std::thread ownWriter([&] { Write(mine, 'm', failures); });
    std::thread otherWriter([&] { Write(*other, 'o', failures); });
    ownWriter.join();
    otherWriter.join();
    done = true;
    for (auto& t : readers)
        t.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(mixed, 0);

    // At rest, both connections see every key whole, with the last generation.
    for (Registry* registry : {&mine, other.get()})
        for (const char writer : {'m', 'o'})
            for (int k = 0; k < 3; ++k) {
                RegistryKey key;
                ASSERT_EQ(registry->OpenKey(RegRoot::LocalMachine, Path(writer, k), key),
                          RegStatus::Ok);
                std::vector<RegValue> values;
                ASSERT_EQ(key.AllValues(values), RegStatus::Ok);
                ASSERT_EQ(values.size(), static_cast<std::size_t>(kValues));
                for (const RegValue& value : values)
                    EXPECT_EQ(platform::DecodeRegString(value.data),
                              std::u16string(1, static_cast<char16_t>(u'a' + kRounds % 26)));
            }
}

} // namespace
