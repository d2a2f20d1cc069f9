// The contacts picker used as a person would, through brenwick --script, on contacts that
// brenwick-phone adds: the rows, the letter strip's groups, the questions, and the entry
// that the main window writes on a yes.
#include "app_script.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using testing_support::Quoted;

const std::string kSettings = "HKLM\\Software\\Microsoft\\Brenwick";
const std::string kBlack = "HKLM\\Software\\Tolvane\\Brenwick\\List";
const std::string kRed = "HKLM\\Software\\Tolvane\\Brenwick\\Listb";
const std::string kLogin = "type 1014 \"1234\"\ntap 1\n";
const std::string kOpenPicker = R"({"ev":"open","window":131})";

std::string Question(const std::string& text) {
    return R"({"ev":"msgbox","text":")" + text +
           R"(","caption":"短信防火墙","icon":"none","buttons":"yesno"})";
}
std::string Answer(const std::string& value) {
    return R"({"ev":"answer","value":")" + value + R"("})";
}
std::string Closed(int result) {
    return R"({"ev":"close","window":131,"result":)" + std::to_string(result) + "}";
}
std::string Values(const std::string& path, const std::string& values) {
    std::string escaped;
    for (const char c : path)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "{\"keys\":[\n{\"path\":\"" + escaped + "\",\"values\":[" + values + "]}\n]}\n";
}

// The rows of the picker's list in a dump of it: "[[…],[…]]".
std::string Rows(const std::string& dump) {
    const auto at = dump.find("\"rows\":");
    if (at == std::string::npos || !dump.starts_with(R"({"ev":"dump","window":131)"))
        return "not the picker: " + dump.substr(0, 60);
    const auto begin = at + 7;
    return dump.substr(begin, dump.find(",\"focused\"", begin) - begin);
}

class ContactsScriptTest : public testing_support::AppScriptTest {
protected:
    ContactsScriptTest() { Phone({"reg", "set", kSettings, "PWD", "1234"}); }

    void Contact(std::vector<std::string> fields) {
        fields.insert(fields.begin(), {"contacts", "add"});
        Phone(std::move(fields));
    }
    // The people of most tests, in the order added.
    void AddPeople() {
        Contact({"--last", "张", "--first", "三", "--mobile", "13800138000"});
        Contact({"--last", "Smith", "--work", "010-12345678", "--other", "5550199"});
        Contact({"--first", "Bob", "--other", "5550100"});
        Contact({"--mobile", "10086"});
        Contact({"--last", "李", "--first", "阿兰", "--mobile", "13900139000"});
        Contact({"--last", "王", "--first", "五", "--mobile", "13700137000", "--work", "1"});
    }

    // The records of the run after the login (dumps among them), the exit code first.
    std::vector<std::string> Use(const std::string& script) {
        auto [lines, code] = Script(kLogin + script, true);
        EXPECT_EQ(code, 0);
        const auto from = std::find(lines.begin(), lines.end(), kOpenPicker);
        return std::vector<std::string>(from, lines.end());
    }
};

const std::string kEveryone =
    R"([["张,三","13800138000","移"],["Smith","010-12345678","工"],["Bob","5550100","工"],)"
    R"(["","10086","移"],["李,阿兰","13900139000","移"],["王,五","13700137000","移"]])";

// The strip lies at the top of the client area, which begins at y 26 of the screen.
TEST_F(ContactsScriptTest, TheFirstViewListsEveryoneAndTheStripNarrowsByGroup) {
    AddPeople();
    const std::string shot = (fs::path(BRENWICK_SCREENSHOTS) / "contacts_picker.png").string();
    fs::create_directories(BRENWICK_SCREENSHOTS);
    const auto records = Use("menu 32780\ndump\n"
                             "pen 25 30\ndump\n" // #A, though the line is drawn at 25
                             "pen 26 30\ndump\n" // abc
                             "shot " +
                             Quoted(shot) +
                             "\n"
                             "pen 51 41\ndump\n"   // abc still, just above the list
                             "pen 205 30\ndump\n"  // xyz, though its cell is drawn from 213
                             "pen 204 30\ndump\n"  // tw
                             "pen 156 30\ndump\n"  // qrs
                             "pen 100 290\ndump\n" // below the list: no group
                             "ok\n");
    ASSERT_EQ(records.size(), 11u) << testing::PrintToString(records);
    EXPECT_EQ(Rows(records[1]), kEveryone) << "names or not, numbers by mobile, work, other";
    EXPECT_EQ(Rows(records[2]), R"([["张,三","13800138000","移"],["Smith","010-12345678","工"],)"
                                R"(["Bob","5550100","工"],["李,阿兰","13900139000","移"],)"
                                R"(["王,五","13700137000","移"]])")
        << "#A: only contacts with a name";
    const std::string abc = R"([["Bob","5550100","工"],["李,阿兰","13900139000","移"]])";
    EXPECT_EQ(Rows(records[3]), abc) << "abc: Bob, and 阿兰 by the first name";
    EXPECT_EQ(Rows(records[4]), abc);
    EXPECT_EQ(Rows(records[5]), R"([["张,三","13800138000","移"]])");
    EXPECT_EQ(Rows(records[6]), R"([["王,五","13700137000","移"]])");
    const std::string qrs = R"([["张,三","13800138000","移"],["Smith","010-12345678","工"]])";
    EXPECT_EQ(Rows(records[7]), qrs) << "qrs: 三 (san) by the first name, and Smith";
    EXPECT_EQ(Rows(records[8]), qrs);
    EXPECT_EQ(records[9], Closed(1)) << "the ok button leaves with 1";
    EXPECT_EQ(RegDump(kRed), Values(kRed, ""));
}

TEST_F(ContactsScriptTest, NoStaysAndYesAddsToTheListOnViewHigh) {
    AddPeople();
    const auto records = Use("menu 32780\nrow 2001 0\nanswer no\ndump\nrow 2001 0\nanswer yes\n"
                             "tap 1013\nmenu 32780\nrow 2001 1\nanswer yes\ndump\nok\n");
    const std::string red = "是否要添加张,三_13800138000到短信红名单?";
    ASSERT_GE(records.size(), 13u);
    EXPECT_EQ(std::vector<std::string>(records.begin(), records.begin() + 3),
              (std::vector<std::string>{kOpenPicker, Question(red), Answer("no")}));
    EXPECT_EQ(Rows(records[3]), kEveryone) << "No keeps the picker open";
    EXPECT_EQ(std::vector<std::string>(records.begin() + 4, records.begin() + 12),
              (std::vector<std::string>{Question(red), Answer("yes"), Closed(2), kOpenPicker,
                                        Question("是否要添加Smith_010-12345678到短信黑名单?"),
                                        Answer("yes"), Closed(2), records[11]}));
    EXPECT_NE(records[11].find(R"(["1","010-12345678","*"])"), std::string::npos)
        << "the black list on view shows the entry: " << records[11];
    EXPECT_EQ(RegDump(kRed), Values(kRed, R"(["13800138000","*张,三"])"));
    EXPECT_EQ(RegDump(kBlack), Values(kBlack, R"(["010-12345678","*Smith"])"));
}

TEST_F(ContactsScriptTest, ATapBelowTheRowsAsksNothingAndADoubleTapAsksOnce) {
    AddPeople();
    const auto records = Use("menu 32780\nrow 2001 -1\ndblrow 2001 1\nanswer no\nok\n");
    EXPECT_EQ(records, (std::vector<std::string>{
                           kOpenPicker, Question("是否要添加Smith_010-12345678到短信红名单?"),
                           Answer("no"), Closed(1), records.back()}));
    EXPECT_EQ(RegDump(kRed), Values(kRed, ""));
}

// The reduced program has the command too, on the black list it shows.
TEST_F(ContactsScriptTest, TheBackupPasswordsProgramAddsToTheBlackList) {
    AddPeople();
    Phone({"reg", "set", kSettings, "PWDBK", "5678"});
    auto [lines, code] = Script("type 1014 \"5678\"\ntap 1\nmenu 32780\nrow 2001 4\nanswer yes\n");
    EXPECT_EQ(code, 0);
    const auto from = std::find(lines.begin(), lines.end(), kOpenPicker);
    EXPECT_EQ(std::vector<std::string>(from, lines.end() - 1),
              (std::vector<std::string>{kOpenPicker,
                                        Question("是否要添加李,阿兰_13900139000到短信黑名单?"),
                                        Answer("yes"), Closed(2)}));
    EXPECT_EQ(RegDump(kBlack), Values(kBlack, R"(["13900139000","*李,阿兰"])"));
}

// A yes on a contact without any number would write an entry without a number.
TEST_F(ContactsScriptTest, AContactWithoutANumberIsNotAdded) {
    Contact({"--first", "Nobody"});
    const auto records = Use("menu 32780\nrow 2001 0\nanswer yes\nanswer ok\ndump\n");
    ASSERT_GE(records.size(), 5u);
    EXPECT_EQ(records[1], Question("是否要添加Nobody_到短信红名单?"));
    EXPECT_EQ(
        records[4],
        R"({"ev":"msgbox","text":"添加失败！","caption":"短信防火墙","icon":"stop","buttons":"ok"})");
    EXPECT_EQ(RegDump(kRed), Values(kRed, ""));
}

TEST_F(ContactsScriptTest, ContactsThatCannotBeOpenedLeaveAnEmptyPicker) {
    AddPeople();
    const auto records = Use("run " +
                             Quoted("mv " + Device() + "/phone.db " + Device() +
                                    "/phone.db.away && mkdir " + Device() + "/phone.db") +
                             "\nmenu 32780\nanswer ok\npen 30 30\ndump\nok\n");
    ASSERT_GE(records.size(), 5u);
    EXPECT_EQ(
        records[1],
        R"({"ev":"msgbox","text":"无法打开联系人！","caption":"brenwick","icon":"none","buttons":"ok"})")
        << "no caption of its own: the program's title";
    EXPECT_EQ(Rows(records[3]), "[]") << "and the strip does nothing";
    EXPECT_EQ(records[4], Closed(1));
}

} // namespace
