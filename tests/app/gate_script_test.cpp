// The password gate used as a person would, through brenwick --script, with brenwick-phone
// on the same device.
#include "app_script.h"

#include <gtest/gtest.h>

namespace {

using GateScriptTest = testing_support::AppScriptTest;

const std::string kEmptyBox =
    R"({"ev":"msgbox","text":"密码不能为空！","caption":"短信防火墙","icon":"stop","buttons":"ok"})";
const std::string kMismatchBox =
    R"({"ev":"msgbox","text":"输入密码不一致，请重新输入！","caption":"短信防火墙","icon":"stop","buttons":"ok"})";
const std::string kWrongBox =
    R"({"ev":"msgbox","text":"密码不正确，请重新输入！","caption":"短信防火墙","icon":"stop","buttons":"ok"})";
const std::string kOkAnswer = R"({"ev":"answer","value":"ok"})";

TEST_F(GateScriptTest, TheFirstStartSetsThePasswordAsTyped) {
    const auto [lines, code] = Script(R"(# no settings key at all
tap 1
answer ok
type 1014 "密1"
type 1003 "密2"
tap 1
answer ok
type 1014 "密1"
type 1003 "密1"
tap 1
ok
)");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  R"({"ev":"open","window":102})", R"({"ev":"open","window":133})", kEmptyBox,
                  kOkAnswer, kMismatchBox, kOkAnswer, R"({"ev":"close","window":133,"result":1})",
                  R"({"ev":"close","window":102,"result":1})", R"({"ev":"end","code":0})"}))
        << "the second try starts from two empty entries";
    EXPECT_EQ(SettingsDump(),
              "{\"keys\":[\n{\"path\":\"HKLM\\\\Software\\\\Microsoft\\\\Brenwick\",\"values\":[["
              "\"PWD\",\"密1\"]]}\n]}\n");
}

TEST_F(GateScriptTest, AWrongPasswordIsRefusedAgainAndAgain) {
    Phone({"reg", "set", "HKLM\\Software\\Microsoft\\Brenwick", "PWD", "1234"});
    const auto [lines, code] = Script(R"(tap 1009
tap 1010
tap 1
answer ok
type 1014 "4321"
tap 1
answer ok
tap 1009
tap 1010
tap 1011
tap 1012
tap 1
ok
)");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  R"({"ev":"open","window":102})", R"({"ev":"open","window":133})", kWrongBox,
                  kOkAnswer, kWrongBox, kOkAnswer, R"({"ev":"close","window":133,"result":1})",
                  R"({"ev":"close","window":102,"result":1})", R"({"ev":"end","code":0})"}))
        << "each wrong try clears the entry, so the keypad's 1234 is the whole text";
}

TEST_F(GateScriptTest, CancelEndsTheProgramAndWritesNothing) {
    for (const bool passwordSet : {false, true}) {
        if (passwordSet)
            Phone({"reg", "set", "HKLM\\Software\\Microsoft\\Brenwick", "PWD", "1234"});
        // Looking for "PWD" creates the settings key on the first start, with nothing in it.
        const std::string before =
            passwordSet ? SettingsDump()
                        : "{\"keys\":[\n{\"path\":\"HKLM\\\\Software\\\\Microsoft\\\\Brenwick\","
                          "\"values\":[]}\n]}\n";
        const auto [lines, code] = Script("type 1014 \"1\"\ntap 2\n");
        EXPECT_EQ(code, 0);
        EXPECT_EQ(lines, (std::vector<std::string>{R"({"ev":"open","window":102})",
                                                   R"({"ev":"open","window":133})",
                                                   R"({"ev":"close","window":133,"result":2})",
                                                   R"({"ev":"close","window":102,"result":2})",
                                                   R"({"ev":"end","code":0})"}));
        EXPECT_EQ(SettingsDump(), before);
    }
}

TEST_F(GateScriptTest, ABrokenScriptIsRefusedBeforeTheProgramStarts) {
    const auto [lines, code] = Script("tap 1\ntapp 2\n");
    EXPECT_EQ(code, 2);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         R"({"ev":"error","line":2,"message":"unknown action 'tapp'"})",
                         R"({"ev":"end","code":2})"}));
}

// The menu bar tells the full program (129) from the reduced one (138), and only the full
// one has the buttons of the red list and the firewall.
TEST_F(GateScriptTest, WhatIsTypedDecidesHowTheProgramOpens) {
    const struct {
        const char* backup; // null: none stored
        const char* typed;
        int menubar;
    } cases[] = {
        {"9999", "1234", 129}, // the main password
        {"9999", "9999", 138}, // the backup password
        {nullptr, "*", 138},   // "*" stands in for a backup password never stored
        {"", "*", 138},        // an empty one too
        {"1234", "1234", 129}, // the main password wins when both are the same
    };
    for (const auto& c : cases) {
        Phone({"reg", "set", "HKLM\\Software\\Microsoft\\Brenwick", "PWD", "1234"});
        if (c.backup)
            Phone({"reg", "set", "HKLM\\Software\\Microsoft\\Brenwick", "PWDBK", c.backup});
        else
            Phone({"reg", "del", "HKLM\\Software\\Microsoft\\Brenwick", "PWDBK"});
        const std::string settings = SettingsDump();
        const auto [lines, code] =
            Script("type 1014 \"" + std::string(c.typed) + "\"\ntap 1\ndump\nok\n", true);
        EXPECT_EQ(code, 0) << c.typed;
        ASSERT_EQ(lines.size(), 6u) << c.typed;
        EXPECT_EQ(lines[2], R"({"ev":"close","window":133,"result":1})");
        const std::string& dump = lines[3];
        EXPECT_NE(dump.find("\"menubar\":" + std::to_string(c.menubar)), std::string::npos)
            << c.typed << ": " << dump;
        const bool full = c.menubar == 129;
        for (const char* button : {R"({"id":1013,)", R"({"id":1005,)"}) {
            const auto at = dump.find(button);
            ASSERT_NE(at, std::string::npos);
            EXPECT_EQ(dump.find(full ? R"("visible":true)" : R"("visible":false)", at) <
                          dump.find("}", at),
                      true)
                << c.typed << ": " << button;
        }
        EXPECT_EQ(SettingsDump(), settings) << "the check writes nothing";
    }
}

TEST_F(GateScriptTest, TheKeypadTypesIntoTheFocusedEntryOnly) {
    const auto [lines, code] = Script(R"(# first start: both entries
tap 1009
tap 1026
tap 1026
tap 1026
tap 1010
focus 1003
tap 1011
tap 1025
tap 1026
tap 1025
dump
)",
                                      true);
    EXPECT_EQ(code, 0);
    ASSERT_GE(lines.size(), 3u);
    const std::string& dump = lines[2];
    EXPECT_NE(dump.find(R"({"id":1014,"kind":"edit","text":"2")"), std::string::npos)
        << "\"<-\" on an empty entry leaves it empty: " << dump;
    EXPECT_NE(dump.find(R"({"id":1003,"kind":"edit","text":"30")"), std::string::npos) << dump;
}

} // namespace
