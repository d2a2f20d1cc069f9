// The message viewer's watcher, under ThreadSanitizer: messages stored by the filter service
// (another process) are listed in the branch on view, and closing the viewer ends its own
// watcher alone, while another window's watcher goes on reloading.
#include "messages/CMessagesDlg.h"
#include "platform/device.h"
#include "res/Resources.h"
#include "signal/CWatcher.h"

#include "child_process.h"
#include "drive.h"
#include "gui_main.h"
#include "temp_device.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {

std::string Receive(const testing_support::TempDevice& device, const std::string& text) {
    return "run \"" + std::string(BRENWICK_PHONE) + " --device '" + device.Dir().string() +
           "' receive +8613800138000 '" + text + "'\"\n";
}

// The rows of list 2001 in the n-th dump of a transcript.
std::string RecordRows(const std::vector<std::string>& lines, int n) {
    for (const auto& line : lines)
        if (line.starts_with(R"({"ev":"dump")") && n-- == 0) {
            const auto list = line.find(R"({"id":2001,)");
            const auto rows = line.find(R"("rows":)", list);
            return line.substr(rows, line.find(R"(,"focused")", rows) - rows);
        }
    return {};
}

TEST(ViewerWatcherTest, ArrivalsReachTheBranchOnViewAndClosingStopsOnlyThisWatcher) {
    testing_support::Gui();
    RegisterResources();
    testing_support::TempDevice device;
    ASSERT_EQ(
        testing_support::Run({BRENWICK_PHONE, "--device", device.Dir().string(), "reg", "set",
                              "HKLM\\Software\\Tolvane\\Brenwick\\Listb", "13800138000", "*张三"})
            .exitCode,
        0);
    std::atomic<int> otherReloads = 0; // the main window's watcher, say
    CWatcher other([&] { ++otherReloads; });
    ASSERT_TRUE(other.Start());

    CMessagesDlg viewer;
    viewer.m_number = u"+8613800138000";
    viewer.m_name = u"张三";
    const auto run = testing_support::DriveDialog(
        viewer, Receive(device, "一") + Receive(device, "二") + "dump\nselect 1031 1\n" +
                    Receive(device, "三") + "dump\nselect 1031 0\ndump\nok\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(RecordRows(run.lines, 0).find("二"), std::string::npos) << RecordRows(run.lines, 0);
    EXPECT_EQ(RecordRows(run.lines, 1), R"("rows":[])") << "the outbox, refilled";
    EXPECT_NE(RecordRows(run.lines, 2).find("三"), std::string::npos) << RecordRows(run.lines, 2);

    const int before = otherReloads;
    ASSERT_GE(before, 3);
    EXPECT_EQ(testing_support::Run({BRENWICK_PHONE, "--device", device.Dir().string(), "receive",
                                    "13800138000", "四"})
                  .out,
              "private\n");
    testing_support::RunEventsUntil([&] { return otherReloads > before; });
    EXPECT_GT(otherReloads, before) << "the viewer's OK left the other watcher running";
    EXPECT_TRUE(other.IsRunning());
    other.Stop();
}

} // namespace
