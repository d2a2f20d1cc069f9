// The private messages used as a person would, through brenwick --script with brenwick-phone
// as the rest of the phone: from a message arriving to the reply going out, the message
// viewer's commands, the level written back, and the direct view from the password box.
#include "app_script.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using namespace testing_support::keys;
using testing_support::Answer;
using testing_support::Box;
using testing_support::ControlIn;
using testing_support::Error;
using testing_support::Quoted;
using testing_support::Values;

const std::string kStamp = "2005-3-7-9:5:0"; // the device's fixed time

const std::string kOpenViewer = R"({"ev":"open","window":134})";
const std::string kCloseViewer = R"({"ev":"close","window":134,"result":1})";
const std::string kBubble =
    R"({"ev":"bubble","title":"短消息服务","html":"<HTML><BODY>消息已发送\r\n</BODY></HTML>"})";
const std::string kBubbleRemoved = R"({"ev":"bubble-removed"})";

// The network's answer while it is off.
constexpr const char* kUnreachable = "-2113927935";

std::string Sms(const std::string& to, const std::string& text, bool sent = true) {
    return R"({"ev":"sms","to":")" + to + R"(","text":")" + text + R"(","result":)" +
           (sent ? "0" : kUnreachable) + "}";
}

class PrivateMessagesScriptTest : public testing_support::AppScriptTest {
protected:
    PrivateMessagesScriptTest() {
        setenv("BRENWICK_TIME", "2005-03-07T09:05:00", 1);
        Phone({"reg", "set", kSettings, "PWD", "1234"});
        Phone({"reg", "set", kRed, "13800138000", "*张三"});
    }
    ~PrivateMessagesScriptTest() override { unsetenv("BRENWICK_TIME"); }

    // Pauses run at a hundredth of their time unless the test says otherwise.
    Run Use(const std::string& script, const std::string& timeScale = "0.01") {
        return AppScriptTest::Use(script, timeScale);
    }
    static bool Has(const std::vector<std::string>& records, const std::string& record) {
        return std::find(records.begin(), records.end(), record) != records.end();
    }
    std::string Receive(const std::string& from, const std::string& text) const {
        return "run " + Quoted(PhoneCommand("receive " + from + " '" + text + "'")) + "\n";
    }
};

// A message arrives, the owner reads it, replies, and goes back to the list.
TEST_F(PrivateMessagesScriptTest, TheRoadOfAPrivateMessage) {
    const auto run = Use(Receive("13800138000", "你好") + R"(dump
row 1001 0
dump
row 2001 0
dump
menu 32797
dump
tap 1032
type 1017 "收到，谢谢"
tap 1018
wait 300
dump
ok
dump
)");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 6u);
    EXPECT_NE(ControlIn(run.dumps[0], 1001).find(R"("rows":[["[*]张三","13800138000","*"]])"),
              std::string::npos)
        << ControlIn(run.dumps[0], 1001);

    const std::string& viewer = run.dumps[1];
    EXPECT_NE(viewer.find(R"("window":134)"), std::string::npos);
    EXPECT_NE(viewer.find(R"("menubar":141)"), std::string::npos);
    EXPECT_NE(ControlIn(viewer, 1023).find(R"("text":"张三")"), std::string::npos);
    EXPECT_NE(ControlIn(viewer, 1016).find(R"("text":"+8613800138000")"), std::string::npos);
    EXPECT_NE(ControlIn(viewer, 1021).find(R"("checked":true)"), std::string::npos);
    EXPECT_NE(ControlIn(viewer, 1022).find(R"("checked":false)"), std::string::npos);
    EXPECT_NE(
        ControlIn(viewer, 1031).find(R"("items":["红名单收件箱","红名单发件箱"],"current":0)"),
        std::string::npos)
        << ControlIn(viewer, 1031);
    EXPECT_NE(
        ControlIn(viewer, 2001)
            .find(R"("columns":[130,110],"rows":[["[*])" + kStamp + R"(","你好"]],"focused":-1)"),
        std::string::npos)
        << ControlIn(viewer, 2001);

    EXPECT_NE(ControlIn(run.dumps[2], 1017).find(R"("text":"你好")"), std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[2], 2001).find(R"("rows":[[")" + kStamp + R"(","你好"]])"),
              std::string::npos)
        << "read: the marker goes from the row";

    const std::string& compose = run.dumps[3];
    EXPECT_NE(compose.find(R"("window":136)"), std::string::npos);
    EXPECT_NE(ControlIn(compose, 1023).find(R"("text":"收件人:张三")"), std::string::npos);
    EXPECT_NE(ControlIn(compose, 1016).find(R"("text":"+8613800138000")"), std::string::npos);

    EXPECT_NE(run.dumps[4].find(R"("window":134)"), std::string::npos) << "back in the viewer";
    EXPECT_NE(run.dumps[5].find(R"("window":102)"), std::string::npos) << "back in the list";
    EXPECT_NE(
        ControlIn(run.dumps[5], 1001).find(R"("rows":[["张三","13800138000","*"]],"focused":0)"),
        std::string::npos)
        << ControlIn(run.dumps[5], 1001);

    const auto sms =
        std::find(run.records.begin(), run.records.end(), Sms("13800138000", "收到，谢谢"));
    ASSERT_NE(sms, run.records.end()) << "sent to the national number";
    ASSERT_NE(std::find(sms, run.records.end(), kBubble), run.records.end());
    EXPECT_NE(
        std::find(std::find(sms, run.records.end(), kBubble), run.records.end(), kBubbleRemoved),
        run.records.end());
    EXPECT_TRUE(Has(run.records, kCloseViewer));

    EXPECT_EQ(RegDump(kInbox), Values(kInbox, R"([")" + kStamp + R"(","你好"])"));
    EXPECT_EQ(RegDump(kOutbox), Values(kOutbox, R"([")" + kStamp + R"(","收到，谢谢"])"));
    EXPECT_EQ(RegDump(kRed), Values(kRed, R"(["13800138000","*张三"])")) << "the level written";
    const auto sent = testing_support::Run({BRENWICK_PHONE, "--device", Device(), "sent"}).out;
    EXPECT_NE(sent.find(R"("to":"13800138000","text":"收到，谢谢","result":0)"), std::string::npos)
        << sent;
}

// What goes out: "+86" removed once, an empty text as an empty message; a send that fails
// shows nothing and keeps the copy.
TEST_F(PrivateMessagesScriptTest, SendingToWhatThePhoneAllows) {
    struct Case {
        std::string name, phone, text, expected;
        bool sent;
    };
    const Case cases[] = {
        {"national number beginning with 86", "", "早", Sms("8613800138000", "早"), true},
        {"empty text", "", "", Sms("8613800138000", ""), true},
        {"network off", "network off", "在吗", Sms("8613800138000", "在吗", false), false},
        {"no SIM", "sim remove", "在吗", "", false},
    };
    Phone({"reg", "set", kRed, "8613800138000", "李四"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::Run({BRENWICK_PHONE, "--device", Device(), "reg", "del",
                              "HKLM\\Software\\Tolvane\\Brenwick\\Contentout"});
        Phone({"reg", "set", kSettings, "SAVE", "SAVE"}); // the box opens ticked
        Phone({"network", "on"});
        Phone({"sim", "set", "+8613912345678"});
        if (!c.phone.empty()) {
            std::vector<std::string> words = {c.phone.substr(0, c.phone.find(' ')),
                                              c.phone.substr(c.phone.find(' ') + 1)};
            Phone(words);
        }
        const auto run = Use("row 1001 1\nmenu 32797\nclear 1017\n" +
                             (c.text.empty() ? std::string() : "type 1017 \"" + c.text + "\"\n") +
                             "tap 1018\nwait 300\nok\n");
        EXPECT_EQ(run.code, 0);
        if (c.expected.empty())
            EXPECT_TRUE(
                std::none_of(run.records.begin(), run.records.end(),
                             [](const std::string& r) { return r.starts_with(R"({"ev":"sms")"); }));
        else
            EXPECT_TRUE(Has(run.records, c.expected)) << testing::PrintToString(run.records);
        EXPECT_EQ(Has(run.records, kBubble), c.sent);
        EXPECT_TRUE(Has(run.records, kCloseViewer)) << "the flag is cleared either way";
        const std::string outbox =
            "HKLM\\Software\\Tolvane\\Brenwick\\Contentout\\+868613800138000";
        EXPECT_EQ(RegDump(outbox), Values(outbox, R"([")" + kStamp + R"(",")" + c.text + R"("])"))
            << "the copy stays whatever became of the send";
    }
}

// The compose window as the viewer opens it: a phrase that sorts before the hint line is
// inserted; a long text sent with the box ticked is kept in pieces of at most 126.
TEST_F(PrivateMessagesScriptTest, ComposingWithPhrasesAndALongText) {
    Phone({"presets", "add", "1点见"});
    Phone({"presets", "add", "好的"});
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "0123456789";
    const auto run = Use("row 1001 0\nmenu 32797\nmenu 32791\ndump\ndblrow 1034 0\ndblrow 1034 1\n"
                         "dump\nclear 1017\ntype 1017 \"" +
                         text + "\"\ntap 1032\ntap 1018\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_NE(ControlIn(run.dumps[0], 1034)
                  .find(R"("items":["<双击插入短语,点击常用短语菜单返回>","1点见","好的"])"),
              std::string::npos)
        << ControlIn(run.dumps[0], 1034);
    EXPECT_NE(ControlIn(run.dumps[1], 1017).find(R"("text":"1点见","visible":true)"),
              std::string::npos)
        << "the hint changes nothing, the phrase replaces the text: "
        << ControlIn(run.dumps[1], 1017);
    EXPECT_NE(ControlIn(run.dumps[1], 1033).find(R"("text":"字数:3")"), std::string::npos);
    EXPECT_TRUE(Has(run.records, Sms("13800138000", text)));
    EXPECT_EQ(RegDump(kOutbox),
              Values(kOutbox, "[\"" + kStamp + "-1\",\"" + text.substr(0, 126) + "\"],[\"" +
                                  kStamp + "-2\",\"" + text.substr(126, 126) + "\"],[\"" + kStamp +
                                  "-3\",\"" + text.substr(252) + "\"]"));
}

// The viewer stays while a send job runs; two jobs at once keep their own texts.
TEST_F(PrivateMessagesScriptTest, BackWaitsForTheSendsAndEachSendKeepsItsText) {
    const auto run = Use(R"(row 1001 0
menu 32797
clear 1017
type 1017 "第一条"
tap 1018
menu 32797
clear 1017
type 1017 "第二条"
tap 1018
ok
dump
wait 1500
ok
)",
                         "0.25");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_NE(run.dumps[0].find(R"("window":134)"), std::string::npos)
        << "返回 does nothing while the jobs run";
    EXPECT_TRUE(Has(run.records, Sms("13800138000", "第一条")));
    EXPECT_TRUE(Has(run.records, Sms("13800138000", "第二条")));
    EXPECT_EQ(std::count(run.records.begin(), run.records.end(), kBubbleRemoved), 2);
    EXPECT_EQ(run.records.back(), kCloseViewer) << "once both bubbles are gone";
}

// The records a person sees of the viewer's commands: boxes and answers, calls and starts.
std::vector<std::string> Seen(const std::vector<std::string>& records) {
    std::vector<std::string> seen;
    for (const auto& r : records)
        for (const char* ev : {"msgbox", "answer", "call", "launch"})
            if (r.starts_with(R"({"ev":")" + std::string(ev) + "\""))
                seen.push_back(r);
    return seen;
}

TEST_F(PrivateMessagesScriptTest, TheViewersCommands) {
    Phone({"reg", "set", kInbox, "[*]2005-3-7-9:1:0", std::string(70, 'a')});
    Phone({"reg", "set", kInbox, "2005-3-7-9:2:0", std::string(71, 'b')});
    Phone({"reg", "set", kOutbox, "2005-3-7-9:3:0-1", "第一段"});
    Phone({"reg", "set", kOutbox, "2005-3-7-9:3:0-2", "第二段 \"引号\""});
    const auto files = m_dir / "device" / "files";
    std::filesystem::copy_file(files / "Windows" / "frame.jpg", files / "My Documents" / "me.jpg");
    const auto run = Use("row 1001 0\nmenu 32795\nanswer ok\nrow 2001 0\ndump\nrow 2001 1\ndump\n"
                         "menu 32796\nmenu 32798\nselect 1031 1\ndump\nrow 2001 1\nmenu 32798\n"
                         "menu 32807\nfile \"\\\\My Documents\\\\me.jpg\"\npen 100 100\n"
                         "menu 32795\nanswer no\nmenu 32795\nanswer yes\ndump\nrow 2001 0\n" +
                         std::string("run ") +
                         Quoted(PhoneCommand("reg del '" + kOutbox + "' 2005-3-7-9:3:0-1")) +
                         "\nmenu 32795\nanswer yes\nanswer ok\nselect 1031 0\ndump\n");
    EXPECT_EQ(run.code, 0);
    const std::string deleteFirst = R"(是否要删除短信2005-3-7-9:3:0-1？)";
    EXPECT_EQ(
        Seen(run.records),
        (std::vector<std::string>{
            Error("请选择要删除的短信！"), Answer("ok"), R"({"ev":"call","number":"13800138000"})",
            R"({"ev":"launch","path":"\\Windows\\tmail.exe","cmdline":"-service \"SMS\" -body \")" +
                std::string(71, 'b') + R"(\""})",
            R"({"ev":"launch","path":"\\Windows\\tmail.exe","cmdline":"-service \"SMS\" -body \"第二段 \"引号\"\""})",
            Box("是否要删除短信2005-3-7-9:3:0-2？", "none", "yesno"), Answer("no"),
            Box("是否要删除短信2005-3-7-9:3:0-2？", "none", "yesno"), Answer("yes"),
            Box(deleteFirst, "none", "yesno"), Answer("yes"), Error("删除失败！"), Answer("ok")}))
        << testing::PrintToString(run.records);
    EXPECT_TRUE(Has(run.records, R"({"ev":"open","window":140})")) << "the slides after the photo";
    EXPECT_TRUE(Has(run.records, R"({"ev":"close","window":140,"result":1})"));

    ASSERT_EQ(run.dumps.size(), 5u);
    EXPECT_NE(ControlIn(run.dumps[0], 1017).find(R"("rect":[0,38,240,60])"), std::string::npos)
        << "70 characters: the small text box";
    EXPECT_NE(ControlIn(run.dumps[0], 2001).find(R"("rect":[0,98,240,170])"), std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[0], 2001).find(R"(["2005-3-7-9:1:0",")"), std::string::npos)
        << "read";
    EXPECT_NE(ControlIn(run.dumps[1], 1017).find(R"("rect":[0,38,240,110])"), std::string::npos)
        << "71 characters: the tall one";
    EXPECT_NE(ControlIn(run.dumps[1], 2001).find(R"("rect":[0,148,240,120])"), std::string::npos);
    EXPECT_NE(
        ControlIn(run.dumps[2], 2001)
            .find(
                R"("rows":[["2005-3-7-9:3:0-1","第一段"],["2005-3-7-9:3:0-2","第二段 \"引号\""]],"focused":-1)"),
        std::string::npos)
        << "the outbox, a row per piece, none current: " << ControlIn(run.dumps[2], 2001);
    EXPECT_NE(ControlIn(run.dumps[3], 2001).find(R"("rows":[["2005-3-7-9:3:0-1","第一段"]])"),
              std::string::npos)
        << ControlIn(run.dumps[3], 2001);
    EXPECT_NE(ControlIn(run.dumps[3], 1017).find(R"("text":"")"), std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[4], 2001).find(R"(["2005-3-7-9:1:0","aaa)"), std::string::npos)
        << "the inbox again, the record read: " << ControlIn(run.dumps[4], 2001);

    EXPECT_EQ(RegDump(kOutbox), Values(kOutbox, R"(["photo","\\My Documents\\me.jpg"])"))
        << "the photo in the branch on view";
    EXPECT_EQ(RegDump(kInbox).find("photo"), std::string::npos);
}

// Back in the list: the level chosen in the viewer, under the number as listed.
TEST_F(PrivateMessagesScriptTest, TheLevelIsWrittenBackUnderTheNumberAsListed) {
    Phone({"reg", "set", kRed, "13900139000", "[老]王]"});
    const std::string kLi = "HKLM\\Software\\Tolvane\\Brenwick\\Content\\+8613900139000";
    Phone({"reg", "set", kLi, "[*]2005-3-7-9:0:0", "嗨"});
    const auto run = Use("row 1001 1\ntap 1021\nok\ndump\nrow 1001 0\ntap 1022\nok\ndump\n"
                         "row 1001 -1\ndump\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_NE(
        ControlIn(run.dumps[0], 1001)
            .find(
                R"("rows":[["张三","13800138000","*"],["[*][老]王]","13900139000","*"]],"focused":1)"),
        std::string::npos)
        << ControlIn(run.dumps[0], 1001);
    EXPECT_NE(ControlIn(run.dumps[1], 1001).find(R"(["张三","13800138000",""])"), std::string::npos)
        << ControlIn(run.dumps[1], 1001);
    EXPECT_EQ(RegDump(kRed), Values(kRed, R"(["13800138000","张三"],["13900139000","*[老]王]"])"));
    EXPECT_EQ(std::count(run.records.begin(), run.records.end(), kOpenViewer), 2)
        << "a tap below the rows opens nothing";
}

// The third way in: a red-list number behind the backup password's length of characters.
TEST_F(PrivateMessagesScriptTest, TheDirectViewFromThePasswordBox) {
    struct Case {
        std::string backup, entry, typed, shownNumber; // shownNumber empty: wrong password
        std::string name = "张三";
    };
    const Case cases[] = {
        {"12", "13800138000", "xy13800138000", "+8613800138000"},
        {"12", "13800138000", "xy+8613800138000", "+8613800138000"},
        {"12", "13800138000", "13800138000", ""},
        {"", "13800138000", "#13800138000", "+8613800138000"},
        {"12", "+8613800138000", "xy13800138000", "+8613800138000"},
        {"12", "13800138000", "1234", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.backup + " " + c.entry + " " + c.typed);
        Phone({"reg", "del", kRed});
        Phone({"reg", "set", kRed, c.entry, "张三"});
        if (c.backup.empty())
            Phone({"reg", "del", kSettings, "PWDBK"});
        else
            Phone({"reg", "set", kSettings, "PWDBK", c.backup});
        const bool opens = !c.shownNumber.empty() || c.typed == "1234";
        const auto [lines, code] = Script("type 1014 " + Quoted(c.typed) + "\ntap 1\n" +
                                              (opens ? "dump\nok\n" : "answer ok\n"),
                                          true, "0.01");
        EXPECT_EQ(code, 0);
        if (c.typed == "1234") {
            ASSERT_GE(lines.size(), 4u);
            EXPECT_NE(lines[3].find(R"({"ev":"dump","window":102)"), std::string::npos)
                << "the main password wins";
            continue;
        }
        if (c.shownNumber.empty()) {
            EXPECT_EQ(lines[2], Error("密码不正确，请重新输入！"));
            continue;
        }
        ASSERT_GE(lines.size(), 7u);
        EXPECT_EQ(lines[2], kOpenViewer);
        EXPECT_NE(ControlIn(lines[3], 1016).find(R"("text":")" + c.shownNumber + "\""),
                  std::string::npos);
        EXPECT_NE(ControlIn(lines[3], 1023).find(R"("text":"张三")"), std::string::npos)
            << "a low entry shows the bare name";
        EXPECT_NE(ControlIn(lines[3], 1022).find(R"("checked":true)"), std::string::npos);
        EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
                  (std::vector<std::string>{
                      kCloseViewer, R"({"ev":"close","window":133,"result":1})",
                      R"({"ev":"close","window":102,"result":2})", R"({"ev":"end","code":0})"}))
            << "the program ends after the view";
    }
}

// The viewer's watcher lists what arrives in the branch on view; the main window's own
// watcher goes on after the viewer closed.
TEST_F(PrivateMessagesScriptTest, ArrivalsReachTheViewerAndTheListAfterIt) {
    const auto run = Use(Receive("13800138000", "一") + "row 1001 0\n" +
                         Receive("13800138000", "二") + "dump\nselect 1031 1\nrun " +
                         Quoted(PhoneCommand("reg set '" + kOutbox + "' 2005-3-7-9:9:0 '去' && " +
                                             PhoneCommand("event set Quorl.UpdateSMS.Event"))) +
                         "\ndump\nok\nrun " +
                         Quoted(PhoneCommand("reg set '" + kRed + "' 13700137000 '*王五'")) + "\n" +
                         Receive("13700137000", "四") + "dump\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_NE(
        ControlIn(run.dumps[0], 2001)
            .find(R"("rows":[["[*])" + kStamp + R"(","一"],["[*])" + kStamp + R"(#2","二"]])"),
        std::string::npos)
        << ControlIn(run.dumps[0], 2001);
    EXPECT_NE(ControlIn(run.dumps[1], 2001).find(R"("rows":[["2005-3-7-9:9:0","去"]])"),
              std::string::npos)
        << "the refill lists the outbox on view: " << ControlIn(run.dumps[1], 2001);
    EXPECT_NE(ControlIn(run.dumps[2], 1001)
                  .find(R"("rows":[["[*]张三","13800138000","*"],["[*]王五","13700137000","*"]])"),
              std::string::npos)
        << "the main window still reloads: " << ControlIn(run.dumps[2], 1001);
}

// For a person to look at: the viewer with an unread and a read record, the tall text box
// of a long text, and the compose window with its phrases.
TEST_F(PrivateMessagesScriptTest, Screenshots) {
    Phone({"reg", "set", kInbox, "2005-3-7-9:1:0", "明天上午十点，老地方见。"});
    Phone({"reg", "set", kInbox, "[*]2005-3-7-9:2:0", "记得带上那份合同。"});
    Phone({"reg", "set", kInbox, "[*]2005-3-7-9:3:0",
           "这是一条很长的短信：会议改到下周三下午两点，地点在三楼的大会议室，"
           "请提前十分钟到场，并带上上个季度的报表和明年的预算草案，谢谢！"});
    Phone({"presets", "add", "我在开会，稍后回复。"});
    Phone({"presets", "add", "好的"});
    const std::filesystem::path dir = BRENWICK_SCREENSHOTS;
    std::filesystem::create_directories(dir);
    const auto shot = [&](const std::string& name) {
        return "shot " + Quoted((dir / name).string()) + "\n";
    };
    const auto run = Use("row 1001 0\nrow 2001 0\n" + shot("viewer-unread-and-read.png") +
                         "row 2001 2\n" + shot("viewer-long-text.png") +
                         "menu 32797\nmenu 32791\n" + shot("compose-phrases.png"));
    EXPECT_EQ(run.code, 0);
    for (const char* name :
         {"viewer-unread-and-read.png", "viewer-long-text.png", "compose-phrases.png"})
        EXPECT_GT(std::filesystem::file_size(dir / name), 1000u) << name;
}

} // namespace
