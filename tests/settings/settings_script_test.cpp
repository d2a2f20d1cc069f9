// The settings window used as a person would, through brenwick --script, with
// brenwick-phone as the rest of the phone: what it shows for the stored settings, what a
// confirm writes, the anti-theft option with and without a SIM, and Cancel.
#include "app_script.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ControlIn;
using testing_support::Quoted;

const std::string kSettings = "HKLM\\Software\\Microsoft\\Brenwick";
const std::string kRed = "HKLM\\Software\\Tolvane\\Brenwick\\Listb";
const std::string kOpen = "type 1014 \"1234\"\ntap 1\nmenu 32781\n"; // log in, open settings

std::string Escaped(const std::string& path) {
    std::string escaped;
    for (const char c : path)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}
std::string Values(const std::string& path, const std::string& values) {
    return "{\"keys\":[\n{\"path\":\"" + Escaped(path) + "\",\"values\":[" + values + "]}\n]}\n";
}
bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class SettingsScriptTest : public testing_support::AppScriptTest {
protected:
    SettingsScriptTest() { Phone({"reg", "set", kSettings, "PWD", "1234"}); }

    // Every option on, as another run of the window would have stored it.
    void StoreEverythingOn(const std::string& noticeText) {
        for (const auto& [name, data] :
             std::vector<std::pair<std::string, std::string>>{{"REDONLY", "REDONLY"},
                                                              {"SENDFLAG", "长"},
                                                              {"POPOMSG", "POPOMSG"},
                                                              {"POPOCONTENT", noticeText},
                                                              {"contacts", "contacts"},
                                                              {"DOG", "13900001111"}})
            Phone({"reg", "set", kSettings, name, data});
    }

    struct Run {
        std::vector<std::string> records, dumps;
        int code = -1;
    };
    // Logs in, opens the settings window and runs script in it; the records from the
    // settings window's opening on.
    Run Use(const std::string& script) {
        auto [lines, code] = Script(kOpen + script, true);
        Run run;
        run.code = code;
        bool in = false;
        for (auto& line : lines) {
            in = in || line == R"({"ev":"open","window":135})";
            if (!in || line.starts_with(R"({"ev":"end")"))
                continue;
            (line.starts_with(R"({"ev":"dump")") ? run.dumps : run.records).push_back(line);
        }
        return run;
    }
};

TEST_F(SettingsScriptTest, AnEmptyKeyShowsTheDefaultsAndAConfirmWritesOnlyTheNoticeText) {
    const auto run = Use("dump\nok\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 1u);
    const std::string& dump = run.dumps[0];
    EXPECT_TRUE(Has(dump, R"("window":135,"title":"Dialog")")) << dump;
    for (const int box : {1024, 1025, 1026, 1031, 1032})
        EXPECT_TRUE(Has(ControlIn(dump, box), R"("checked":false)")) << box;
    EXPECT_TRUE(Has(ControlIn(dump, 1027), R"("text":"*")"));
    EXPECT_TRUE(Has(ControlIn(dump, 1033), R"("text":"<在此输入手机号>")"));
    EXPECT_TRUE(Has(ControlIn(dump, 1035), R"("text":"短")")) << ControlIn(dump, 1035);
    EXPECT_TRUE(Has(ControlIn(dump, 1035), R"("items":["短","长"],"current":0)"))
        << ControlIn(dump, 1035);
    EXPECT_FALSE(Has(ControlIn(dump, 1), R"("visible":true)")) << "OK and Cancel are hidden";
    EXPECT_EQ(run.records, (std::vector<std::string>{R"({"ev":"open","window":135})",
                                                     R"({"ev":"close","window":135,"result":1})"}));
    EXPECT_EQ(SettingsDump(), Values(kSettings, R"(["PWD","1234"],["POPOCONTENT","*"])"));
}

TEST_F(SettingsScriptTest, WhatAConfirmWrites) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> stored;
        std::string script;   // in the open window, before the confirm
        std::string settings; // the settings key afterwards, without PWD
    };
    const Case cases[] = {
        {"the bubble and its vibration with a chosen length",
         {},
         "tap 1026\ntap 1025\nselect 1035 1\n",
         R"(["POPOMSG","POPOMSG"],["SENDFLAG","长"],["POPOCONTENT","*"])"},
        {"a typed vibration length is stored as typed",
         {},
         "tap 1026\ntap 1025\nclear 1035\ntype 1035 \"三秒钟\"\n",
         R"(["POPOMSG","POPOMSG"],["SENDFLAG","三秒钟"],["POPOCONTENT","*"])"},
        {"unticking the bubble keeps the vibration",
         {{"POPOMSG", "POPOMSG"}, {"SENDFLAG", "长"}, {"POPOCONTENT", "新短信"}},
         "tap 1026\n",
         R"(["SENDFLAG","长"],["POPOCONTENT","新短信"])"},
        {"the vibration without the bubble writes nothing for it",
         {},
         "tap 1025\n",
         R"(["POPOCONTENT","*"])"},
        {"the notice text takes 7 characters",
         {},
         "clear 1027\ntype 1027 \"一二三四五六七八九\"\n",
         R"(["POPOCONTENT","一二三四五六七"])"},
        {"an empty notice text is written",
         {{"POPOCONTENT", "新短信"}},
         "clear 1027\n",
         R"(["POPOCONTENT",""])"},
        {"red list only and no strangers",
         {},
         "tap 1024\ntap 1031\n",
         R"(["REDONLY","REDONLY"],["POPOCONTENT","*"],["contacts","contacts"])"},
        {"switches off delete their values",
         {{"REDONLY", "REDONLY"}, {"contacts", "contacts"}, {"POPOMSG", "POPOMSG"}},
         "tap 1024\ntap 1031\ntap 1026\n",
         R"(["POPOCONTENT","*"])"},
        {"anti-theft off deletes DOG and keeps SIMID",
         {{"DOG", "13900001111"}, {"SIMID", "+8613000000000"}},
         "tap 1032\n",
         R"(["SIMID","+8613000000000"],["POPOCONTENT","*"])"},
        {"anti-theft on stores the number and the SIM's identity",
         {{"SIMID", "+8613000000000"}},
         "tap 1032\nclear 1033\ntype 1033 \"13900001111\"\n",
         R"(["SIMID","+8613800000000"],["POPOCONTENT","*"],["DOG","13900001111"])"},
        {"an untouched number box is stored as it shows",
         {},
         "tap 1032\n",
         R"(["POPOCONTENT","*"],["DOG","<在此输入手机号>"],["SIMID","+8613800000000"])"},
        {"a longer notice text from another writer stays unless edited",
         {{"POPOCONTENT", "一二三四五六七八九十"}},
         "type 1027 \"加\"\n",
         R"(["POPOCONTENT","一二三四五六七八九十"])"},
        {"an edited longer notice text is stored as edited",
         {{"POPOCONTENT", "一二三四五六七八九十"}},
         "type 1027 \"\"\nkey Backspace\nkey Backspace\n",
         R"(["POPOCONTENT","一二三四五六七八"])"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Phone({"reg", "del", kSettings});
        Phone({"reg", "set", kSettings, "PWD", "1234"});
        for (const auto& [name, data] : c.stored)
            Phone({"reg", "set", kSettings, name, data});
        const auto run = Use(c.script + "ok\n");
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.records.back(), R"({"ev":"close","window":135,"result":1})");
        EXPECT_EQ(SettingsDump(), Values(kSettings, R"(["PWD","1234"],)" + c.settings));
    }
}

TEST_F(SettingsScriptTest, TheWindowShowsWhatIsStored) {
    StoreEverythingOn("一二三四五六七八九十");
    const auto run = Use("dump\n");
    ASSERT_EQ(run.dumps.size(), 1u);
    const std::string& dump = run.dumps[0];
    for (const int box : {1024, 1025, 1026, 1031, 1032})
        EXPECT_TRUE(Has(ControlIn(dump, box), R"("checked":true)")) << box;
    EXPECT_TRUE(Has(ControlIn(dump, 1027), R"("text":"一二三四五六七八九十")"))
        << "a longer stored text is shown whole";
    EXPECT_TRUE(Has(ControlIn(dump, 1033), R"("text":"13900001111")"));
    EXPECT_TRUE(Has(ControlIn(dump, 1035), R"("text":"长")"));
}

TEST_F(SettingsScriptTest, AntiTheftWithoutASimStoresTheNumberAndSaysItFailed) {
    Phone({"reg", "set", kSettings, "SIMID", "+8613000000000"});
    const auto run = Use("run " + Quoted(PhoneCommand("sim remove")) +
                         "\ntap 1032\nclear 1033\ntype 1033 \"13900001111\"\nok\nanswer ok\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_GE(run.records.size(), 3u);
    EXPECT_EQ(
        run.records[run.records.size() - 3],
        R"({"ev":"msgbox","text":"防盗功能启用失败!","caption":"短信防火墙","icon":"information","buttons":"ok"})");
    EXPECT_EQ(run.records.back(), R"({"ev":"close","window":135,"result":1})");
    EXPECT_EQ(
        SettingsDump(),
        Values(
            kSettings,
            R"(["PWD","1234"],["SIMID","+8613000000000"],["POPOCONTENT","*"],["DOG","13900001111"])"));
}

TEST_F(SettingsScriptTest, CancelWritesNothingAndTheListIsReadAgain) {
    Phone({"reg", "set", kSettings, "REDONLY", "REDONLY"});
    // The export acts at once and stays; the ticks do not.
    const auto run = Use("tap 1024\ntap 1028\nanswer ok\ntap 1026\ntap 1032\nrun " +
                         Quoted(PhoneCommand("reg set '" + kRed + "' 13800138000 '*张三'")) +
                         "\ncancel\ndump\n");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(SettingsDump(), Values(kSettings, R"(["PWD","1234"],["REDONLY","REDONLY"])"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "device" / "files" / "My Documents" / "List.xml"));
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_TRUE(Has(run.dumps[0], R"("window":102)"));
    EXPECT_TRUE(Has(ControlIn(run.dumps[0], 1001), R"("rows":[["张三","13800138000","*"]])"))
        << ControlIn(run.dumps[0], 1001);
    EXPECT_TRUE(Has(run.records.back(), R"({"ev":"close","window":135,"result":2})"));
}

} // namespace

namespace {

// The window with an empty settings key and with everything ticked, written to
// BUILD/screenshots for a person to look at.
TEST_F(SettingsScriptTest, Screenshots) {
    const std::filesystem::path dir = BRENWICK_SCREENSHOTS;
    std::filesystem::create_directories(dir);
    const auto shot = [&](const char* name) {
        return "shot " + Quoted((dir / name).string()) + "\n";
    };
    auto run = Use(shot("settings-empty.png") + "cancel\n");
    EXPECT_EQ(run.code, 0);
    StoreEverythingOn("新消息");
    run = Use(shot("settings-ticked.png") + "cancel\n");
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "settings-empty.png"));
    EXPECT_TRUE(std::filesystem::exists(dir / "settings-ticked.png"));
}

} // namespace
