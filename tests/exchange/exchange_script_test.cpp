// The export and import buttons of the settings window used as a person would, through
// brenwick --script, with brenwick-phone as the rest of the phone; the files are read back
// through brenwick-phone path.
#include "app_script.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using testing_support::Quoted;

const std::string kSettings = "HKLM\\Software\\Microsoft\\Brenwick";
const std::string kBlack = "HKLM\\Software\\Tolvane\\Brenwick\\List";
const std::string kRed = "HKLM\\Software\\Tolvane\\Brenwick\\Listb";
const std::string kLowerBlack = "HKLM\\Software\\Tolvane\\Brenwick\\list";
const std::string kLowerRed = "HKLM\\Software\\Tolvane\\Brenwick\\listb";
const std::string kInbox = "HKLM\\Software\\Tolvane\\Brenwick\\Content";
const std::string kOutbox = "HKLM\\Software\\Tolvane\\Brenwick\\Contentout";
const std::string kListFile = "\\My Documents\\List.xml";
const std::string kContentFile = "\\My Documents\\Content.xml";
const std::string kStart = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<groups>";

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text)
        escaped += c == '\\'   ? std::string("\\\\")
                   : c == '\n' ? std::string("\\n")
                               : std::string(1, c);
    return escaped;
}
std::string Box(const std::string& text, const std::string& icon, const std::string& buttons,
                const std::string& caption = "短信防火墙") {
    return R"({"ev":"msgbox","text":")" + Escaped(text) + R"(","caption":")" + caption +
           R"(","icon":")" + icon + R"(","buttons":")" + buttons + R"("})";
}
std::string Info(const std::string& text) {
    return Box(text, "information", "ok");
}
const std::string kLoadFailure =
    Box("加载文件失败，请确认文件是否在指定目录！", "stop", "ok", "错误信息");
const std::string kClearQuestion = Box(
    "红名单短信记录已导出至 My Documents\\Content.xml 文件成功，是否要清空手机上的红名单短信记录？",
    "question", "yesno");
std::string Answer(const std::string& value) {
    return R"({"ev":"answer","value":")" + value + R"("})";
}
// A registry dump of keys with their values, in order.
std::string Keys(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string dump = "{\"keys\":[\n";
    for (std::size_t i = 0; i < keys.size(); ++i)
        dump += "{\"path\":\"" + Escaped(keys[i].first) + "\",\"values\":[" + keys[i].second +
                "]}" + (i + 1 < keys.size() ? ",\n" : "\n");
    return dump + "]}\n";
}

class ExchangeScriptTest : public testing_support::AppScriptTest {
protected:
    ExchangeScriptTest() { Phone({"reg", "set", kSettings, "PWD", "1234"}); }

    // Logs in, opens the settings window, runs script there and cancels it; the message
    // boxes and answers.
    std::vector<std::string> Use(const std::string& script) {
        auto [lines, code] =
            Script("type 1014 \"1234\"\ntap 1\nmenu 32781\n" + script + "cancel\n");
        EXPECT_EQ(code, 0);
        std::vector<std::string> boxes;
        for (const auto& line : lines)
            if (line.starts_with(R"({"ev":"msgbox")") || line.starts_with(R"({"ev":"answer")"))
                boxes.push_back(line);
        return boxes;
    }
    std::string HostPath(const std::string& devicePath) {
        auto out =
            testing_support::Run({BRENWICK_PHONE, "--device", Device(), "path", devicePath}).out;
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }
    std::string ReadFile(const std::string& devicePath) {
        std::ifstream in(HostPath(devicePath), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void WriteFile(const std::string& devicePath, const std::string& bytes) {
        std::ofstream(HostPath(devicePath), std::ios::binary) << bytes;
    }
    void Set(const std::string& path, const std::string& name, const std::string& data) {
        Phone({"reg", "set", path, name, data});
    }
};

TEST_F(ExchangeScriptTest, ListExportWritesBothListsAndAnImportBringsThemBack) {
    EXPECT_EQ(Use("tap 1028\nanswer ok\n"),
              (std::vector<std::string>{Info("导出名单至文件\\My Documents\\List.xml成功！"),
                                        Answer("ok")}));
    EXPECT_EQ(ReadFile(kListFile), kStart +
                                       "<list><listname>短信黑名单</listname></list>"
                                       "<list><listname>短信红名单</listname></list></groups>\n")
        << "empty lists: two lists with their names only";

    Set(kBlack, "13900139000", "*");
    Set(kBlack, "13700137000", "");
    Set(kRed, "13800138000", "*张三");
    Set(kRed, "+8613600136000", "李四 & <王五>");
    EXPECT_EQ(
        Use("tap 1028\nanswer ok\nrun " + Quoted(PhoneCommand("reg del '" + kBlack + "'")) +
            "\nrun " + Quoted(PhoneCommand("reg del '" + kRed + "'")) + "\ntap 1030\nanswer ok\n"),
        (std::vector<std::string>{Info("导出名单至文件\\My Documents\\List.xml成功！"),
                                  Answer("ok"), Info("Brenwick名单导入成功！"), Answer("ok")}));
    EXPECT_EQ(
        ReadFile(kListFile),
        kStart + "<list><listname>短信黑名单</listname>"
                 "<member><membername>*</membername><mobilenum>13900139000</mobilenum></member>"
                 "<member><membername>未知</membername><mobilenum>13700137000</mobilenum></member>"
                 "</list><list><listname>短信红名单</listname>"
                 "<member><membername>*张三</membername><mobilenum>13800138000</mobilenum></member>"
                 "<member><membername>李四 &amp; &lt;王五&gt;</membername>"
                 "<mobilenum>+8613600136000</mobilenum></member></list></groups>\n");
    // The import names the keys in lower case; the registry takes them as the same keys.
    EXPECT_EQ(RegDump(kBlack),
              Keys({{kLowerBlack, R"(["13900139000","*"],["13700137000","未知"])"}}))
        << "an empty text comes back as 未知";
    EXPECT_EQ(RegDump(kRed),
              Keys({{kLowerRed, R"(["13800138000","*张三"],["+8613600136000","李四 & <王五>"])"}}));
}

TEST_F(ExchangeScriptTest, ListImportAddsAndOverwritesByPositionAndSkipsWhatCannotBeRead) {
    const std::string longNumber(261, '1'), longText(128 * 3, 'x');
    const struct {
        const char* what;
        std::string lists;      // the lists of List.xml
        std::string black, red; // the list keys afterwards
        std::string message;
    } cases[] = {
        {"an existing number gets the file's text, other entries stay",
         "<list><listname>a</listname><member><membername>*新</membername>"
         "<mobilenum>13900139000</mobilenum></member></list><list><listname>b</listname></list>",
         R"(["13900139000","*新"],["13700137000","旧"])", R"(["13800138000","*张三"])",
         "Brenwick名单导入成功！"},
        {"swapped list names: the first list is still the black list",
         "<list><listname>短信红名单</listname><member><membername>x</membername>"
         "<mobilenum>111</mobilenum></member></list><list><listname>短信黑名单</listname>"
         "<member><membername>y</membername><mobilenum>222</mobilenum></member></list>"
         "<list><listname>c</listname><member><membername>z</membername>"
         "<mobilenum>333</mobilenum></member></list>",
         R"(["13900139000","*"],["13700137000","旧"],["111","x"])",
         R"(["13800138000","*张三"],["222","y"])", "Brenwick名单导入成功！"},
        {"a single list fills only the black list",
         "<list><listname>a</listname><member><membername>y</membername>"
         "<mobilenum>222</mobilenum></member></list>",
         R"(["13900139000","*"],["13700137000","旧"],["222","y"])", R"(["13800138000","*张三"])",
         "Brenwick名单导入成功！"},
        {"values the program could not read are skipped and counted",
         "<list><listname>a</listname><member><membername>x</membername><mobilenum>" + longNumber +
             "</mobilenum></member><member><membername>" + std::string(128, 'y') +
             "</membername><mobilenum>444</mobilenum></member><member><membername>" +
             std::string(127, 'z') + "</membername><mobilenum>555</mobilenum></member></list>",
         R"(["13900139000","*"],["13700137000","旧"],["555",")" + std::string(127, 'z') + "\"]",
         R"(["13800138000","*张三"])",
         "Brenwick名单导入成功！\n有2项内容过长，本程序无法读取，未导入。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& list : {kBlack, kRed}) // absent the first time
            testing_support::Run({BRENWICK_PHONE, "--device", Device(), "reg", "del", list});
        Set(kBlack, "13900139000", "*");
        Set(kBlack, "13700137000", "旧");
        Set(kRed, "13800138000", "*张三");
        WriteFile(kListFile, kStart + c.lists + "</groups>");
        EXPECT_EQ(Use("tap 1030\nanswer ok\n"),
                  (std::vector<std::string>{Info(c.message), Answer("ok")}));
        EXPECT_EQ(RegDump(kBlack), Keys({{kBlack, c.black}}));
        EXPECT_EQ(RegDump(kRed), Keys({{kRed, c.red}}));
    }
}

TEST_F(ExchangeScriptTest, AFileThatCannotBeLoadedGivesOnlyTheLoadFailure) {
    Set(kRed, "13800138000", "*张三");
    Set(kInbox + "\\+8613800138000", "2005-3-7-9:5:0", "你好");
    Use(""); // the main window's own keys
    const std::string before = RegDump("HKLM");
    // Both imports find no file; both exports find a broken starting file.
    WriteFile("\\Windows\\brenwick.xml", "<groups>");
    for (const char* button : {"1030", "1034", "1028", "1029"}) {
        SCOPED_TRACE(button);
        EXPECT_EQ(Use(std::string("tap ") + button + "\nanswer ok\n"),
                  (std::vector<std::string>{kLoadFailure, Answer("ok")}))
            << "no success message, no clearing question";
    }
    EXPECT_EQ(RegDump("HKLM"), before);
}

TEST_F(ExchangeScriptTest, MessageExportClearAndImportRestoreEveryRecord) {
    Set(kRed, "13800138000", "*张三");
    Set(kRed, "+8613900139000", "李_四");
    Set(kRed, "13700137000", "");
    const std::string inbox138 = kInbox + "\\+8613800138000";
    const std::string outbox138 = kOutbox + "\\+8613800138000";
    const std::string inbox139 = kInbox + "\\+8613900139000";
    Set(inbox138, "[*]2005-3-7-9:5:0", "你好 & <再见>");
    Set(inbox138, "2005-3-7-9:6:0", "");
    Set(outbox138, "2005-3-7-9:7:0", "收到");
    Set(inbox139, "2005-3-8-10:0:0", "在吗");
    const std::string content =
        kStart +
        "<list><listname>张三_13800138000</listname>"
        "<member><rectime>接收时间:[*]2005-3-7-9:5:0</rectime>"
        "<smscontent>你好 &amp; &lt;再见&gt;</smscontent></member>"
        "<member><rectime>接收时间:2005-3-7-9:6:0</rectime><smscontent>未知</smscontent></member>"
        "<member><rectime>发送时间:2005-3-7-9:7:0</rectime><smscontent>收到</smscontent></member>"
        "</list><list><listname>李_四_+8613900139000</listname>"
        "<member><rectime>接收时间:2005-3-8-10:0:0</rectime><smscontent>在吗</smscontent></member>"
        "</list><list><listname>_13700137000</listname></list></groups>\n";

    EXPECT_EQ(Use("tap 1029\nanswer no\n"),
              (std::vector<std::string>{kClearQuestion, Answer("no")}));
    EXPECT_EQ(ReadFile(kContentFile), content);
    EXPECT_NE(RegDump(kInbox).find("+8613700137000"), std::string::npos)
        << "the export opens a record key for every red-list number";

    EXPECT_EQ(Use("tap 1029\nanswer yes\nanswer ok\n"),
              (std::vector<std::string>{kClearQuestion, Answer("yes"),
                                        Info("本机红名单短信已清空！"), Answer("ok")}));
    EXPECT_EQ(ReadFile(kContentFile), content);
    // Both branches went; the main window's list, read again after the settings window,
    // opens an empty inbox record key for each red-list number.
    const std::string inbox137 = kInbox + "\\+8613700137000";
    EXPECT_EQ(RegDump(kInbox),
              Keys({{kInbox, ""}, {inbox138, ""}, {inbox139, ""}, {inbox137, ""}}));
    EXPECT_EQ(RegDump(kOutbox), "{\"keys\":[]}\n");

    EXPECT_EQ(Use("tap 1034\nanswer ok\n"),
              (std::vector<std::string>{Info("红名单短信导入成功！"), Answer("ok")}));
    EXPECT_EQ(
        RegDump(kInbox),
        Keys({{kInbox, ""},
              {inbox138, R"(["[*]2005-3-7-9:5:0","你好 & <再见>"],["2005-3-7-9:6:0","未知"])"},
              {inbox139, R"(["2005-3-8-10:0:0","在吗"])"},
              {inbox137, ""}}))
        << "a stored text holding \"_\" still finds its number";
    EXPECT_EQ(RegDump(kOutbox), Keys({{kOutbox, ""}, {outbox138, R"(["2005-3-7-9:7:0","收到"])"}}));
}

TEST_F(ExchangeScriptTest, ClearingDeletesOnlyWhatTheFileHolds) {
    Set(kRed, "13800138000", "张三");
    const std::string inbox138 = kInbox + "\\+8613800138000";
    const std::string other = kInbox + "\\+8613500135000"; // no longer on the red list
    Set(inbox138, "2005-3-7-9:5:0", "一");
    Set(inbox138, "2005-3-7-9:6:0", std::string(128, 'x')); // too long to read: ends the key
    Set(inbox138, "2005-3-7-9:7:0", "三");
    Set(other, "2005-1-1-0:0:0", "旧");
    EXPECT_EQ(Use("tap 1029\nanswer yes\nanswer ok\n"),
              (std::vector<std::string>{
                  kClearQuestion, Answer("yes"),
                  Info("导出的红名单短信已清空，本机还有3条未导出的红名单短信记录，已保留。"),
                  Answer("ok")}));
    EXPECT_EQ(RegDump(kInbox), Keys({{kInbox, ""},
                                     {inbox138, "[\"2005-3-7-9:6:0\",\"" + std::string(128, 'x') +
                                                    "\"],[\"2005-3-7-9:7:0\",\"三\"]"},
                                     {other, R"(["2005-1-1-0:0:0","旧"])"}}));
    EXPECT_EQ(RegDump(kOutbox), Keys({{kOutbox, ""}})) << "the empty record key went";
}

TEST_F(ExchangeScriptTest, AnEmptyRedListExportsNoListAndYesClearsTheStore) {
    Set(kInbox + "\\+8613500135000", "2005-1-1-0:0:0", "旧");
    EXPECT_EQ(Use("tap 1029\nanswer no\n"),
              (std::vector<std::string>{kClearQuestion, Answer("no")}));
    EXPECT_EQ(ReadFile(kContentFile), kStart + "</groups>\n");
    Phone({"reg", "del", kInbox});
    EXPECT_EQ(Use("tap 1029\nanswer yes\nanswer ok\n"),
              (std::vector<std::string>{kClearQuestion, Answer("yes"),
                                        Info("本机红名单短信已清空！"), Answer("ok")}));
    EXPECT_EQ(RegDump(kInbox), "{\"keys\":[]}\n");
}

TEST_F(ExchangeScriptTest, MessageImportFindsTheNumberAndTheBranch) {
    WriteFile(
        kContentFile,
        "<?xml version=\"1.0\"?>\n<groups>\n"
        "  <list><listname>13800138000</listname>\n"
        "    "
        "<member><rectime>发送时间:2005-3-7-9:5:0</rectime><smscontent>去</smscontent></member>\n"
        "    <member><rectime>新的接收时间</rectime><smscontent>来</smscontent></member>\n"
        "  </list>\n"
        "  <list><listname>张_三_+8613900139000</listname>\n"
        "    <member><rectime>接收时间:a</rectime><smscontent>" +
            std::string(128, 'x') +
            "</smscontent></member>\n"
            "    <member><rectime>接收时间:b</rectime><smscontent>好</smscontent></member>\n"
            "  </list>\n</groups>\n");
    EXPECT_EQ(
        Use("tap 1034\nanswer ok\n"),
        (std::vector<std::string>{
            Info("红名单短信导入成功！\n有1项内容过长，本程序无法读取，未导入。"), Answer("ok")}));
    EXPECT_EQ(RegDump(kInbox), Keys({{kInbox, ""},
                                     {kInbox + "\\+8613800138000", R"(["间","来"])"},
                                     {kInbox + "\\+8613900139000", R"(["b","好"])"}}));
    EXPECT_EQ(RegDump(kOutbox),
              Keys({{kOutbox, ""}, {kOutbox + "\\+8613800138000", R"(["2005-3-7-9:5:0","去"])"}}));
}

} // namespace
