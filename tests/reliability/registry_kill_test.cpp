// A registry writer killed with SIGKILL at random moments: after every kill the store file
// is sound and holds every write the writer reported committed.
#include "child_process.h"
#include "platform/registry.h"
#include "temp_device.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>
#include <string>
#include <thread>

namespace {

using namespace std::chrono;
using platform::RegStatus;

constexpr int kKills = 100;

// What PRAGMA integrity_check says of the file, its rows joined: "ok" for a sound one.
std::string IntegrityCheck(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        result = std::string("cannot open: ") + sqlite3_errmsg(db);
    } else {
        char* error = nullptr;
        const int rc = sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                auto& text = *static_cast<std::string*>(out);
                text += (text.empty() ? "" : "; ") + std::string(values[0] ? values[0] : "NULL");
                return 0;
            },
            &result, &error);
        if (rc != SQLITE_OK)
            result += std::string("error: ") + (error ? error : "");
        sqlite3_free(error);
    }
    sqlite3_close(db);
    return result;
}

// The value the writer's write i stored, as the writer makes it.
std::u16string Written(int i) {
    const std::string text = std::to_string(i) + std::string(i * 37 % 1500, 'x');
    return std::u16string(text.begin(), text.end());
}

// Whether write i of the writer under path is in the store, whole.
bool IsThere(platform::Registry& registry, const std::string& path, int i) {
    const std::string key = path + "\\k" + std::to_string(i % 3);
    const std::string name = "v" + std::to_string(i);
    platform::RegistryKey open;
    platform::RegValue value;
    return registry.OpenKey(platform::RegRoot::LocalMachine, std::u16string(key.begin(), key.end()),
                            open) == RegStatus::Ok &&
           open.QueryValue(std::u16string(name.begin(), name.end()), 1 << 16, value) ==
               RegStatus::Ok &&
           platform::DecodeRegString(value.data) == Written(i);
}

TEST(RegistryKillTest, EveryAcknowledgedWriteSurvivesAKillAndTheFileStaysSound) {
    testing_support::TempDevice device;
    const auto file = device.Dir() / "registry.db";
    auto& registry = device.Get().GetRegistry();
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> moment(0, 40'000); // microseconds after "ready"
    std::vector<int> acknowledged;                        // per run: how many writes it reported
    for (int kill = 0; kill < kKills; ++kill) {
        const std::string path = "Software\\Crash\\run" + std::to_string(kill);
        const int after = moment(random);
        SCOPED_TRACE(path + " killed " + std::to_string(after) + " us after it was ready");
        testing_support::ChildProcess writer(
            {BRENWICK_TEST_PEER, device.Arg(), "write-acknowledged", path});
        ASSERT_EQ(writer.ReadLine(), "ready");
        std::this_thread::sleep_for(microseconds(after));
        writer.Kill(SIGKILL);
        ASSERT_EQ(writer.Wait(), 128 + SIGKILL);
        int acks = 0;
        while (const auto line = writer.ReadLine(milliseconds(0))) {
            ASSERT_EQ(*line, "ok " + std::to_string(acks)) << "a write failed";
            ++acks;
        }
        acknowledged.push_back(acks);

        ASSERT_EQ(IntegrityCheck(file), "ok");
        for (int i = 0; i < acks; ++i)
            ASSERT_TRUE(IsThere(registry, path, i)) << "acknowledged write " << i << " lost";
    }
    // And at the end, every run's writes are still there.
    int total = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const std::string path = "Software\\Crash\\run" + std::to_string(kill);
        for (int i = 0; i < acknowledged[kill]; ++i)
            EXPECT_TRUE(IsThere(registry, path, i)) << path << " write " << i;
        total += acknowledged[kill];
    }
    RecordProperty("acknowledged", total);
    EXPECT_GT(total, kKills) << "the kills hardly met a write";
}

} // namespace
