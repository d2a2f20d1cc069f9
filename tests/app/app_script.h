#pragma once

// brenwick run by a script as a person would use it, on a device of its own, with
// brenwick-phone as the rest of the phone.

#include "child_process.h"
#include "platform/events.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

namespace fs = std::filesystem;

class AppScriptTest : public ::testing::Test {
protected:
    AppScriptTest() {
        std::string pattern = (fs::temp_directory_path() / "brenwick-app-XXXXXX").string();
        m_dir = mkdtemp(pattern.data());
    }
    ~AppScriptTest() override {
        platform::EventTable::Remove(Device());
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    std::string Device() const { return (m_dir / "device").string(); }

    void Phone(std::vector<std::string> args) {
        args.insert(args.begin(), {BRENWICK_PHONE, "--device", Device()});
        ASSERT_EQ(testing_support::Run(args).exitCode, 0);
    }
    std::string RegDump(const std::string& path) {
        return testing_support::Run({BRENWICK_PHONE, "--device", Device(), "reg", "dump", path})
            .out;
    }
    std::string SettingsDump() { return RegDump("HKLM\\Software\\Microsoft\\Brenwick"); }
    // A brenwick-phone command line for a script's run action.
    std::string PhoneCommand(const std::string& args) const {
        return std::string(BRENWICK_PHONE) + " --device '" + Device() + "' " + args;
    }

    // Runs the script; the transcript's records (without the dumps unless asked), and the
    // exit code.
    std::pair<std::vector<std::string>, int> Script(const std::string& text, bool dumps = false,
                                                    const std::string& timeScale = "") {
        const fs::path script = m_dir / "run.script", transcript = m_dir / "run.jsonl";
        std::ofstream(script) << text;
        std::vector<std::string> argv = {BRENWICK_APP,       "--device",      Device(),
                                         "--script",         script.string(), "--transcript",
                                         transcript.string()};
        if (!timeScale.empty())
            argv.insert(argv.end(), {"--time-scale", timeScale});
        const auto run = testing_support::Run(argv);
        std::vector<std::string> lines;
        std::ifstream in(transcript);
        for (std::string line; std::getline(in, line);)
            if (dumps || !line.starts_with(R"({"ev":"dump")"))
                lines.push_back(line);
        return {lines, run.exitCode};
    }

    // A run after the main password "1234" (which the test stores): the records from the
    // password box's close on, the dumps apart, and the exit code.
    struct Run {
        std::vector<std::string> records, dumps;
        int code = -1;
    };
    Run Use(const std::string& script, const std::string& timeScale = "");

    fs::path m_dir;
};

// The registry keys of the scripts' checks (the number 13800138000's record keys), and the
// main password "1234" typed at the start.
namespace keys {
const std::string kSettings = "HKLM\\Software\\Microsoft\\Brenwick";
const std::string kBlack = "HKLM\\Software\\Tolvane\\Brenwick\\List";
const std::string kRed = "HKLM\\Software\\Tolvane\\Brenwick\\Listb";
const std::string kInbox = "HKLM\\Software\\Tolvane\\Brenwick\\Content\\+8613800138000";
const std::string kOutbox = "HKLM\\Software\\Tolvane\\Brenwick\\Contentout\\+8613800138000";
const std::string kLogin = "type 1014 \"1234\"\ntap 1\n"; // the main password
} // namespace keys

inline AppScriptTest::Run AppScriptTest::Use(const std::string& script,
                                             const std::string& timeScale) {
    auto [lines, code] = Script(keys::kLogin + script, true, timeScale);
    Run run;
    run.code = code;
    bool in = false;
    for (auto& line : lines) {
        if (!in && line == R"({"ev":"close","window":133,"result":1})") {
            in = true;
            continue;
        }
        if (!in || line.starts_with(R"({"ev":"end")"))
            continue;
        (line.starts_with(R"({"ev":"dump")") ? run.dumps : run.records).push_back(line);
    }
    return run;
}

// TEXT of a script action: in double quotes, with \" and \\ escaped.
inline std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// The transcript's records of a message box and its answer, and a key of a registry dump.
inline std::string Box(const std::string& text, const std::string& icon,
                       const std::string& buttons) {
    return R"({"ev":"msgbox","text":")" + text + R"(","caption":"短信防火墙","icon":")" + icon +
           R"(","buttons":")" + buttons + R"("})";
}
inline std::string Question(const std::string& text) {
    return Box(text, "question", "yesno");
}
inline std::string Error(const std::string& text) {
    return Box(text, "stop", "ok");
}
inline std::string Answer(const std::string& value) {
    return R"({"ev":"answer","value":")" + value + R"("})";
}
// What reg dump prints for one key holding values (the JSON of the values, comma-separated).
inline std::string Values(const std::string& path, const std::string& values) {
    std::string escaped;
    for (const char c : path)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "{\"keys\":[\n{\"path\":\"" + escaped + "\",\"values\":[" + values + "]}\n]}\n";
}

// The object of control id in a dump record: from its "id" to the brace that ends it.
inline std::string ControlIn(const std::string& dump, int id) {
    const auto at = dump.find("{\"id\":" + std::to_string(id) + ",");
    return at == std::string::npos ? std::string() : dump.substr(at, dump.find('}', at) - at + 1);
}

} // namespace testing_support
