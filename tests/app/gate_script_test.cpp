// The password gate used as a person would, through brenwick --script, with brenwick-phone
// on the same device.
#include "child_process.h"
#include "platform/events.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class GateScriptTest : public ::testing::Test {
protected:
    GateScriptTest() {
        std::string pattern = (fs::temp_directory_path() / "brenwick-gate-XXXXXX").string();
        m_dir = mkdtemp(pattern.data());
    }
    ~GateScriptTest() override {
        platform::EventTable::Remove(Device());
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    std::string Device() const { return (m_dir / "device").string(); }

    void Phone(std::vector<std::string> args) {
        args.insert(args.begin(), {BRENWICK_PHONE, "--device", Device()});
        ASSERT_EQ(testing_support::Run(args).exitCode, 0);
    }
    std::string SettingsDump() {
        return testing_support::Run({BRENWICK_PHONE, "--device", Device(), "reg", "dump", "HKLM\\Software\\Microsoft\\Brenwick"})
            .out;
    }

    // Runs the script; the transcript's records without the dumps, and the exit code.
    std::pair<std::vector<std::string>, int> Script(const std::string& text) {
        const fs::path script = m_dir / "run.script", transcript = m_dir / "run.jsonl";
        std::ofstream(script) << text;
        const auto run = testing_support::Run(
            {BRENWICK_APP, "--device", Device(), "--script", script.string(), "--transcript", transcript.string()});
        std::vector<std::string> lines;
        std::ifstream in(transcript);
        for (std::string line; std::getline(in, line);)
            if (!line.starts_with(R"({"ev":"dump")"))
                lines.push_back(line);
        return {lines, run.exitCode};
    }

    fs::path m_dir;
};

const std::string kEmptyBox = R"({"ev":"msgbox","text":"密码不能为空！","caption":"短信防火墙","icon":"stop","buttons":"ok"})";
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
    EXPECT_EQ(lines, (std::vector<std::string>{
                         R"({"ev":"open","window":102})", R"({"ev":"open","window":133})", kEmptyBox, kOkAnswer,
                         kMismatchBox, kOkAnswer, R"({"ev":"close","window":133,"result":1})",
                         R"({"ev":"close","window":102,"result":1})", R"({"ev":"end","code":0})"}))
        << "the second try starts from two empty entries";
    EXPECT_EQ(SettingsDump(), "{\"keys\":[\n{\"path\":\"HKLM\\\\Software\\\\Microsoft\\\\Brenwick\",\"values\":[[\"PWD\",\"密1\"]]}\n]}\n");
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
    EXPECT_EQ(lines, (std::vector<std::string>{R"({"ev":"open","window":102})", R"({"ev":"open","window":133})", kWrongBox,
                                               kOkAnswer, kWrongBox, kOkAnswer, R"({"ev":"close","window":133,"result":1})",
                                               R"({"ev":"close","window":102,"result":1})", R"({"ev":"end","code":0})"}))
        << "each wrong try clears the entry, so the keypad's 1234 is the whole text";
}

TEST_F(GateScriptTest, CancelEndsTheProgramAndWritesNothing) {
    for (const bool passwordSet : {false, true}) {
        if (passwordSet)
            Phone({"reg", "set", "HKLM\\Software\\Microsoft\\Brenwick", "PWD", "1234"});
        // Looking for "PWD" creates the settings key on the first start, with nothing in it.
        const std::string before = passwordSet ? SettingsDump()
                                               : "{\"keys\":[\n{\"path\":\"HKLM\\\\Software\\\\Microsoft\\\\Brenwick\",\"values\":[]}\n]}\n";
        const auto [lines, code] = Script("type 1014 \"1\"\ntap 2\n");
        EXPECT_EQ(code, 0);
        EXPECT_EQ(lines, (std::vector<std::string>{R"({"ev":"open","window":102})", R"({"ev":"open","window":133})",
                                                   R"({"ev":"close","window":133,"result":2})",
                                                   R"({"ev":"close","window":102,"result":2})", R"({"ev":"end","code":0})"}));
        EXPECT_EQ(SettingsDump(), before);
    }
}

TEST_F(GateScriptTest, ABrokenScriptIsRefusedBeforeTheProgramStarts) {
    const auto [lines, code] = Script("tap 1\ntapp 2\n");
    EXPECT_EQ(code, 2);
    EXPECT_EQ(lines, (std::vector<std::string>{R"({"ev":"error","line":2,"message":"unknown action 'tapp'"})",
                                               R"({"ev":"end","code":2})"}));
}

} // namespace
