// The main window in-process: what a store that refuses changes does to the firewall
// switch, and screenshots of the window for a person to look at.
#include "app/CMainDlg.h"
#include "platform/device.h"
#include "platform/registry.h"
#include "res/Resources.h"
#include "store/CRegistryStore.h"
#include "store/RegistryKeys.h"

#include "drive.h"
#include "gui_main.h"
#include "temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string kLogin = "type 1014 \"1234\"\ntap 1\n";

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        RegisterResources();
        Store(keys::kSettings, u"PWD", u"1234");
    }
    ~MainWindowTest() override { Registry().RefuseWrites(false); }
    static platform::Registry& Registry() { return platform::ThisDevice().GetRegistry(); }
    static void Store(const CString& key, const CString& name, const CString& value) {
        ASSERT_EQ(CRegistryStore::WriteString(key, name, value), 0);
    }
    static std::vector<std::string> Drive(const std::string& script) {
        CMainDlg dlg;
        return testing_support::DriveDialog(dlg, script).lines;
    }
    testing_support::TempDevice m_device;
};

TEST_F(MainWindowTest, TheFirewallSwitchSaysSoWhenTheStoreRefuses) {
    for (const bool off : {false, true}) {
        if (off)
            Store(keys::kSettings, u"stop", u"stop");
        Registry().RefuseWrites(true);
        const auto lines = Drive(kLogin + "tap 1005\nanswer yes\nanswer ok\ndump\n");
        Registry().RefuseWrites(false);
        const std::string failed =
            R"({"ev":"msgbox","text":"操作失败！","caption":"短信防火墙","icon":"stop","buttons":"ok"})";
        ASSERT_GE(lines.size(), 8u);
        EXPECT_EQ(lines[5], failed) << lines[4];
        const std::string& dump = lines[7];
        EXPECT_NE(dump.find(off ? R"("title":"Brenwick关闭")" : R"("title":"Brenwick开启")"),
                  std::string::npos)
            << "the title stays: " << dump;
        EXPECT_NE(dump.find(off ? R"({"id":1005,"kind":"button","text":"开")"
                                : R"({"id":1005,"kind":"button","text":"关")"),
                  std::string::npos);
        CString stop;
        EXPECT_EQ(CRegistryStore::ReadString(keys::kSettings, u"stop", stop), off ? 0 : 1);
    }
}

// The red list with an unread mark and a name too long for its column, the black list longer
// than the list shows, and the reduced program, written to BUILD/screenshots.
TEST_F(MainWindowTest, Screenshots) {
    const std::filesystem::path dir = BRENWICK_SCREENSHOTS;
    std::filesystem::create_directories(dir);
    Store(keys::kRedList, u"13800138000", u"*张三");
    Store(keys::kRedList, u"13912345678", u"*欧阳先生的工作单位电话号码");
    Store(keys::kRedList, u"+8613700001111", u"李四");
    Store(CString(keys::kInbox) + u"\\+8613800138000", u"[*]2005-3-7-9:5:0", u"你好");
    Store(keys::kBlackList, u"13500000000", u"*");
    Store(keys::kBlackList, u"95555", u"");
    for (int n = 0; n < 10; ++n) // more than the list shows: it scrolls
        Store(keys::kBlackList, CString::Formatted(u"1360000000%d", n), u"*");
    Store(keys::kSettings, u"PWDBK", u"9999");
    const auto shot = [&](const char* name) { return "shot \"" + (dir / name).string() + "\"\n"; };

    // A tap on a red row opens its messages; back from them, the row is the focused one.
    auto lines = Drive(kLogin + "row 1001 1\nok\n" + shot("main-red.png") +
                       "dump\ntap 1013\nrow 1001 0\n" + shot("main-black.png"));
    const auto dump = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with(R"({"ev":"dump")");
    });
    ASSERT_NE(dump, lines.end());
    const std::string& red = *dump;
    EXPECT_NE(
        red.find(
            R"("rows":[["[*]张三","13800138000","*"],["欧阳先生的工作单位电话号码","13912345678","*"],["李四","+8613700001111",""]])"),
        std::string::npos)
        << red;
    lines = Drive("type 1014 \"9999\"\ntap 1\n" + shot("main-reduced.png"));
    for (const char* name : {"main-red.png", "main-black.png", "main-reduced.png"})
        EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
}

} // namespace
