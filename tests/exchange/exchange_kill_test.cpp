// A message export killed with SIGKILL at random moments: whenever it dies, the file on
// disk is a well-formed document holding the records exported so far, in their order.
#include "child_process.h"
#include "platform/device.h"
#include "platform/registry.h"
#include "platform/xml.h"
#include "store/CRegistryStore.h"
#include "store/RegistryKeys.h"
#include "temp_device.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <thread>

namespace {

using namespace std::chrono;

constexpr int kNumbers = 50;
constexpr int kRecordsEach = 100; // 5,000 records

struct Expected {
    std::u16string listName;
    std::vector<std::pair<std::u16string, std::u16string>> members;
};

class ExchangeKillTest : public ::testing::Test {
protected:
    ExchangeKillTest() {
        m_device.Get().GetRegistry().Atomically([this] {
            CRegistryStore::WriteString(keys::kSettings, u"PWD", u"1234");
            for (int n = 0; n < kNumbers; ++n) {
                const CString number = CString::Formatted(u"138%d", 10000000 + n);
                CRegistryStore::WriteString(keys::kRedList, number,
                                            CString::Formatted(u"*联系人%d", n));
                Expected list{CString::Formatted(u"联系人%d_%s", n, number).str(), {}};
                const CString key = u"Software\\Tolvane\\Brenwick\\Content\\+86" + number;
                for (int r = 0; r < kRecordsEach; ++r) {
                    const CString name = CString::Formatted(u"2005-3-%d-9:%d:0", 1 + n % 28, r);
                    const CString text = CString::Formatted(u"第%d条 & <短信> %d", r, n);
                    CRegistryStore::WriteString(key, name, text);
                    list.members.emplace_back(u"接收时间:" + name.str(), text.str());
                }
                m_expected.push_back(std::move(list));
            }
        });
        m_file = *m_device.Get().HostPath(u"\\My Documents\\Content.xml");
        m_script = m_device.Dir().parent_path() / "export.script";
        std::ofstream(m_script) << "type 1014 \"1234\"\ntap 1\nmenu 32781\ntap 1029\nanswer no\n";
    }

    testing_support::ChildProcess StartExport() {
        std::filesystem::remove(m_file);
        return testing_support::ChildProcess(
            {BRENWICK_APP, "--device", m_device.Arg(), "--script", m_script.string()});
    }
    // Waits until the export has put its file in place; false after 60 s.
    bool WaitForFile() {
        for (int i = 0; i < 60000 && !std::filesystem::exists(m_file); ++i)
            std::this_thread::sleep_for(milliseconds(1));
        return std::filesystem::exists(m_file);
    }

    // The file is a document whose records are the first ones of the export, in order: the
    // last list may still lack its name and the last member its texts. The record count.
    int CheckPrefix() {
        std::string error;
        const auto doc = platform::XmlDocument::Load(m_file, error);
        EXPECT_TRUE(doc) << error;
        if (!doc)
            return -1;
        const auto lists = doc->ElementsByName(u"list");
        EXPECT_LE(lists.size(), m_expected.size());
        int records = 0;
        for (std::size_t i = 0; i < lists.size() && i < m_expected.size(); ++i) {
            const bool lastList = i + 1 == lists.size();
            const auto children = lists[i].Children();
            if (children.empty()) {
                ADD_FAILURE() << "a list without its name element";
                break;
            }
            const std::u16string name = children[0].Text();
            EXPECT_TRUE(name == m_expected[i].listName || (lastList && name.empty()));
            EXPECT_TRUE(lastList || children.size() == m_expected[i].members.size() + 1)
                << "every list but the last is whole";
            for (std::size_t m = 1; m < children.size(); ++m) {
                const auto fields = children[m].Children();
                EXPECT_EQ(fields.size(), 2u);
                if (fields.size() != 2 || m - 1 >= m_expected[i].members.size())
                    break;
                const bool lastMember = lastList && m + 1 == children.size();
                const auto& [time, text] = m_expected[i].members[m - 1];
                if (lastMember && fields[0].Text().empty() && fields[1].Text().empty())
                    continue; // appended, its texts not yet set
                EXPECT_EQ(fields[0].Text(), time);
                EXPECT_EQ(fields[1].Text(), text);
                ++records;
            }
        }
        return records;
    }

    testing_support::TempDevice m_device;
    std::vector<Expected> m_expected;
    std::filesystem::path m_file, m_script;
};

TEST_F(ExchangeKillTest, AKilledExportLeavesAWellFormedFileOfTheRecordsSoFar) {
    // One whole run: the file the whole export writes.
    auto whole = StartExport();
    EXPECT_EQ(whole.Wait(), 0);
    EXPECT_EQ(CheckPrefix(), kNumbers * kRecordsEach);
    const auto fullSize = static_cast<long long>(std::filesystem::file_size(m_file));

    // Each run dies when its file has grown past a random part of that size, whatever it
    // is writing then.
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<long long> part(0, fullSize);
    for (int kill = 0; kill < 20; ++kill) {
        const long long size = part(random);
        SCOPED_TRACE("killed past " + std::to_string(size) + " bytes");
        auto run = StartExport();
        ASSERT_TRUE(WaitForFile());
        std::error_code error;
        for (auto start = steady_clock::now();
             static_cast<long long>(std::filesystem::file_size(m_file, error)) < size;) {
            ASSERT_LT(steady_clock::now() - start, seconds(120));
            std::this_thread::sleep_for(microseconds(100));
        }
        run.Kill(SIGKILL);
        run.Wait();
        const int records = CheckPrefix();
        EXPECT_GE(records, 0);
        RecordProperty("kill" + std::to_string(kill), records);
    }
}

} // namespace
