#include "platform/script/script.h"
#include "platform/script/transcript.h"

#include "temp_device.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace platform::gui;
using K = ActionKind;

std::vector<ScriptAction> Parse(std::string_view text) {
    ScriptError error;
    auto actions = ParseScript(text, error);
    EXPECT_TRUE(actions) << error.Describe();
    return actions.value_or(std::vector<ScriptAction>{});
}

TEST(ScriptTest, ParsesEveryAction) {
    struct Case {
        const char* line;
        ScriptAction want; // its line is the case's place in the table
    };
    const Case cases[] = {
        {"tap 1", {.kind = K::Tap, .id = 1}},
        {R"(type 1001 "张三 \"x\" \\")", {.kind = K::Type, .id = 1001, .text = u"张三 \"x\" \\"}},
        {R"(type 1001 "")", {.kind = K::Type, .id = 1001}},
        {"clear 1001", {.kind = K::Clear, .id = 1001}},
        {"focus 65535", {.kind = K::Focus, .id = 65535}},
        {"menu 0", {.kind = K::Menu, .id = 0}},
        {"row 1002 -1", {.kind = K::Row, .id = 1002, .index = -1}},
        {"row 1002 3", {.kind = K::Row, .id = 1002, .index = 3}},
        {"dblrow 1002 0", {.kind = K::DblRow, .id = 1002, .index = 0}},
        {"hold 1002 2147483647", {.kind = K::Hold, .id = 1002, .index = 2147483647}},
        {"pick 32771", {.kind = K::Pick, .id = 32771}},
        {"dismiss", {.kind = K::Dismiss}},
        {"select 1003 007", {.kind = K::Select, .id = 1003, .index = 7}},
        {"pen 0 0", {.kind = K::Pen}},
        {"pen 239 319", {.kind = K::Pen, .x = 239, .y = 319}},
        {"key Left", {.kind = K::Key, .key = KeyName::Left}},
        {"key Right", {.kind = K::Key, .key = KeyName::Right}},
        {"key Up", {.kind = K::Key, .key = KeyName::Up}},
        {"key Down", {.kind = K::Key, .key = KeyName::Down}},
        {"key Return", {.kind = K::Key, .key = KeyName::Return}},
        {"key Escape", {.kind = K::Key, .key = KeyName::Escape}},
        {"key Backspace", {.kind = K::Key, .key = KeyName::Backspace}},
        {"key L", {.kind = K::Key, .key = KeyName::Character, .character = U'L'}},
        {"key 张", {.kind = K::Key, .key = KeyName::Character, .character = U'张'}},
        {"key 😀", {.kind = K::Key, .key = KeyName::Character, .character = U'😀'}},
        {R"(key "#")", {.kind = K::Key, .key = KeyName::Character, .character = U'#'}},
        {R"(key " ")", {.kind = K::Key, .key = KeyName::Character, .character = U' '}},
        {"ok", {.kind = K::Ok}},
        {"cancel", {.kind = K::Cancel}},
        {"answer yes", {.kind = K::Answer, .answer = AnswerValue::Yes}},
        {"answer no", {.kind = K::Answer, .answer = AnswerValue::No}},
        {"answer ok", {.kind = K::Answer, .answer = AnswerValue::Ok}},
        {R"(file "\\My Documents\\名单.xml")",
         {.kind = K::File, .text = u"\\My Documents\\名单.xml"}},
        {"file-cancel", {.kind = K::FileCancel}},
        {R"(run "brenwick-phone receive 138 \"hi\"")",
         {.kind = K::Run, .text = u"brenwick-phone receive 138 \"hi\""}},
        {"wait 0", {.kind = K::Wait}},
        {"wait 1500", {.kind = K::Wait, .ms = 1500}},
        {"dump", {.kind = K::Dump}},
        {R"(shot "out/a b.png")", {.kind = K::Shot, .text = u"out/a b.png"}},
        // Blanks between operands, and operands against a text.
        {"  tap\t\t 2  ", {.kind = K::Tap, .id = 2}},
        {R"(type 5"ab")", {.kind = K::Type, .id = 5, .text = u"ab"}},
    };
    std::string script;
    for (const Case& c : cases)
        script += std::string(c.line) + "\n";
    const auto actions = Parse(script);
    ASSERT_EQ(actions.size(), std::size(cases));
    for (std::size_t i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(cases[i].line);
        ScriptAction want = cases[i].want;
        want.line = static_cast<int>(i) + 1;
        EXPECT_EQ(actions[i], want);
        const std::string_view line = cases[i].line;
        EXPECT_EQ(
            ActionName(actions[i].kind),
            line.substr(line.find_first_not_of(' ')).substr(0, ActionName(actions[i].kind).size()));
    }
}

TEST(ScriptTest, SkipsBlankLinesAndComments) {
    const auto actions = Parse("\xEF\xBB\xBF# a script\r\n"
                               "\r\n"
                               "   \t\n"
                               "tap 1 # the ok button\r\n"
                               "  # indented\n"
                               "type 2 \"x # not a comment\"# a comment\n"
                               "key a#b\n"
                               "\n"
                               "dump");
    ASSERT_EQ(actions.size(), 4u);
    EXPECT_EQ(actions[0], (ScriptAction{.kind = K::Tap, .line = 4, .id = 1}));
    EXPECT_EQ(actions[1],
              (ScriptAction{.kind = K::Type, .line = 6, .id = 2, .text = u"x # not a comment"}));
    EXPECT_EQ(actions[2], (ScriptAction{.kind = K::Key, .line = 7, .character = U'a'}));
    EXPECT_EQ(actions[3], (ScriptAction{.kind = K::Dump, .line = 9}));

    for (const char* empty : {"", "\n\n", "# nothing but\n  # comments"})
        EXPECT_TRUE(Parse(empty).empty()) << empty;
}

TEST(ScriptTest, RefusesMalformedLines) {
    const std::string keyUsage =
        "key wants Left, Right, Up, Down, Return, Escape, Backspace or one character";
    struct Case {
        const char* script;
        int line;
        std::string message;
    };
    const Case cases[] = {
        {"tap 1\n\ntapp 3", 3, "unknown action 'tapp'"},
        {"Tap 1", 1, "unknown action 'Tap'"},
        {R"("tap" 1)", 1, R"(unknown action '"tap"')"},
        // The first error stops the parse.
        {"dump\ntap x\ntapp", 2, "ID 'x' is not a number"},

        {"tap", 1, "tap wants ID"},
        {"tap 1 2", 1, "tap wants ID"},
        {R"(tap "1")", 1, "tap wants ID"},
        {"tap +1", 1, "ID '+1' is not a number"},
        {"tap 1.5", 1, "ID '1.5' is not a number"},
        {"tap -", 1, "ID '-' is not a number"},
        {"tap 0x10", 1, "ID '0x10' is not a number"},
        {"tap 65536", 1, "ID 65536 is out of range 0..65535"},
        {"tap -1", 1, "ID -1 is out of range 0..65535"},
        {"menu 99999999999999999999999", 1, "CMD 99999999999999999999999 is out of range 0..65535"},
        {"row 5 -2", 1, "N -2 is out of range (-1 or more)"},
        {"dblrow 5 -1", 1, "N -1 is out of range (0 or more)"},
        {"hold 5 2147483648", 1, "N 2147483648 is out of range (too large)"},
        {"select 5 -99999999999999999999999", 1,
         "N -99999999999999999999999 is out of range (0 or more)"},
        {"select 5", 1, "select wants ID and N"},
        {"pen 240 0", 1, "X 240 is out of range 0..239"},
        {"pen 0 320", 1, "Y 320 is out of range 0..319"},
        {"pen 5", 1, "pen wants X and Y"},
        {"wait -5", 1, "MS -5 is out of range (0 or more)"},
        {"wait", 1, "wait wants MS"},

        {"type 5 hello", 1, R"(type wants ID and "TEXT")"},
        {"type 5", 1, R"(type wants ID and "TEXT")"},
        {R"(type "x" 5)", 1, R"(type wants ID and "TEXT")"},
        {R"(type 5 "a" "b")", 1, R"(type wants ID and "TEXT")"},
        {R"(type 5 "a"b)", 1, R"(type wants ID and "TEXT")"},
        {"file PATH", 1, R"(file wants "PATH")"},
        {"run ls", 1, R"(run wants "COMMAND")"},
        {"shot a.png", 1, R"(shot wants "FILE")"},

        {"tap 1\n"
         R"(type 5 "abc)",
         2, "unterminated text"},
        {R"(type 5 "abc\")", 1, "unterminated text"},
        {R"(type 5 "abc\)", 1, "unterminated text"},
        {R"(type 5 "a\nb")", 1, R"(unknown escape '\n' in text; only \" and \\ are escapes)"},
        {R"(type 5 "a\张")", 1, R"(unknown escape '\张' in text; only \" and \\ are escapes)"},
        {R"(file "C:\temp")", 1, R"(unknown escape '\t' in text; only \" and \\ are escapes)"},

        {"key", 1, keyUsage},
        {"key left", 1, keyUsage},
        {"key ab", 1, keyUsage},
        {"key 张三", 1, keyUsage},
        {R"(key "ab")", 1, keyUsage},
        {R"(key "Left")", 1, keyUsage},
        {R"(key "")", 1, keyUsage},
        {"key #", 1, keyUsage},
        {"key a b", 1, keyUsage},
        {"answer maybe", 1, "answer wants yes, no or ok"},
        {"answer Yes", 1, "answer wants yes, no or ok"},
        {R"(answer "yes")", 1, "answer wants yes, no or ok"},
        {"dismiss now", 1, "dismiss takes no operands"},
        {"ok 1", 1, "ok takes no operands"},
        {"file-cancel x", 1, "file-cancel takes no operands"},

        {"tap 1\n\xff\n", 2, "not UTF-8 text"},
        {"tap 1 # \xc0\xaf", 1, "not UTF-8 text"},            // overlong, in a comment too
        {"type 1 \"\xed\xa0\x80\"", 1, "not UTF-8 text"},     // a surrogate
        {"type 1 \"\xe5\xbc\"", 1, "not UTF-8 text"},         // cut short
        {"type 1 \"\xf4\x90\x80\x80\"", 1, "not UTF-8 text"}, // past U+10FFFF
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        ScriptError error;
        EXPECT_FALSE(ParseScript(c.script, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.message, c.message);
    }

    EXPECT_EQ((ScriptError{12, R"(type wants ID and "TEXT")"}.Describe()),
              R"(line 12: type wants ID and "TEXT")");
    EXPECT_EQ((ScriptError{0, "cannot read script x"}.Describe()), "cannot read script x");
}

TEST(ScriptTest, LoadsAFile) {
    testing_support::TempDevice temp;
    const auto file = temp.Dir() / "run.script";
    std::ofstream(file) << "tap 1\nkey 张\n";
    ScriptError error;
    const auto actions = LoadScript(file, error);
    ASSERT_TRUE(actions) << error.Describe();
    ASSERT_EQ(actions->size(), 2u);
    EXPECT_EQ((*actions)[1].character, U'张');

    EXPECT_FALSE(LoadScript(temp.Dir() / "missing.script", error));
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(error.message, "cannot read script " + (temp.Dir() / "missing.script").string() +
                                 ": No such file or directory");
}

TEST(ScriptTest, OnlyAnswersAndObservationsWhileAMessageBoxShows) {
    const std::vector<ActionKind> allowed = {K::Answer, K::Dump, K::Shot, K::Wait, K::Run};
    for (int k = static_cast<int>(K::Tap); k <= static_cast<int>(K::Shot); ++k) {
        const auto kind = static_cast<ActionKind>(k);
        EXPECT_EQ(AllowedWhileMessageBox(kind), std::ranges::count(allowed, kind) == 1)
            << ActionName(kind);
    }
}

// The record as written, after checking that it is one line of JSON.
std::string Written(const std::function<void(Transcript&)>& write) {
    std::ostringstream out;
    Transcript transcript(&out);
    write(transcript);
    const std::string text = out.str();
    EXPECT_TRUE(text.ends_with('\n'));
    const std::string line = text.substr(0, text.size() - 1);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    QJsonParseError error;
    const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << line << ": " << error.errorString().toStdString();
    EXPECT_TRUE(doc.isObject()) << line;
    return line;
}

TEST(TranscriptTest, WritesEachRecordAsOneLine) {
    struct Case {
        std::function<void(Transcript&)> write;
        const char* want;
    };
    const Case cases[] = {
        {[](Transcript& t) { t.Open(133); }, R"({"ev":"open","window":133})"},
        {[](Transcript& t) { t.Close(133, 1); }, R"({"ev":"close","window":133,"result":1})"},
        {[](Transcript& t) { t.Close(102, -1); }, R"({"ev":"close","window":102,"result":-1})"},
        {[](Transcript& t) {
             t.MessageBox({u"是否删除？", u"Brenwick", MsgButtons::YesNo, MsgIcon::Question});
         },
         R"({"ev":"msgbox","text":"是否删除？","caption":"Brenwick","icon":"question","buttons":"yesno"})"},
        {[](Transcript& t) {
             t.MessageBox({u"密码错误", u"", MsgButtons::Ok, MsgIcon::Stop});
         },
         R"({"ev":"msgbox","text":"密码错误","caption":"","icon":"stop","buttons":"ok"})"},
        {[](Transcript& t) {
             t.MessageBox({u"a", u"b", MsgButtons::Ok, MsgIcon::Information});
         },
         R"({"ev":"msgbox","text":"a","caption":"b","icon":"information","buttons":"ok"})"},
        {[](Transcript& t) {
             t.MessageBox({u"a", u"b", MsgButtons::Ok, MsgIcon::None});
         },
         R"({"ev":"msgbox","text":"a","caption":"b","icon":"none","buttons":"ok"})"},
        {[](Transcript& t) { t.Answer(kIdYes); }, R"({"ev":"answer","value":"yes"})"},
        {[](Transcript& t) { t.Answer(kIdNo); }, R"({"ev":"answer","value":"no"})"},
        {[](Transcript& t) { t.Answer(kIdOk); }, R"({"ev":"answer","value":"ok"})"},
        {[](Transcript& t) { t.Answer(2); }, R"({"ev":"answer","value":2})"},
        {[](Transcript& t) { t.Popup(129); }, R"({"ev":"popup","menu":129})"},
        {[](Transcript& t) { t.Popup(std::nullopt); }, R"({"ev":"popup","menu":null})"},
        {[](Transcript& t) { t.Bubble(u"新信息", u"<b>张三</b><br>\"你好\""); },
         R"({"ev":"bubble","title":"新信息","html":"<b>张三</b><br>\"你好\""})"},
        {[](Transcript& t) { t.BubbleRemoved(); }, R"({"ev":"bubble-removed"})"},
        {[](Transcript& t) { t.Launch(u"\\Windows\\tmail.exe", u"-service \"SMS\" -body \"hi\""); },
         R"({"ev":"launch","path":"\\Windows\\tmail.exe","cmdline":"-service \"SMS\" -body \"hi\""})"},
        {[](Transcript& t) { t.Call(u"+8613800138000"); },
         R"({"ev":"call","number":"+8613800138000"})"},
        {[](Transcript& t) { t.Sms(u"13800138000", u"第一行\n第二行\t\x01", 0); },
         R"({"ev":"sms","to":"13800138000","text":"第一行\n第二行\t\u0001","result":0})"},
        {[](Transcript& t) { t.Run(u"brenwick-phone reg dump 'HKLM\\Software'", 3); },
         R"({"ev":"run","command":"brenwick-phone reg dump 'HKLM\\Software'","exit":3})"},
        {[](Transcript& t) {
             t.Error({12, R"(type wants ID and "TEXT")"});
         },
         R"({"ev":"error","line":12,"message":"type wants ID and \"TEXT\""})"},
        {[](Transcript& t) { t.End(0); }, R"({"ev":"end","code":0})"},
        {[](Transcript& t) { t.End(2); }, R"({"ev":"end","code":2})"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Written(c.write), c.want);

    // What a reader gets back is the program's text, whatever had to be escaped.
    const std::u16string text = u"say \"hi\" \\ 张三\r\n\x7f\U0001F600";
    const std::string line = Written([&](Transcript& t) { t.Call(text); });
    const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
    EXPECT_EQ(doc.object()["number"].toString(), QString::fromStdU16String(text));

    // Without a transcript nothing is written, and nothing breaks.
    Transcript none(nullptr);
    EXPECT_FALSE(none.Enabled());
    for (const Case& c : cases)
        c.write(none);
}

TEST(TranscriptTest, DumpsEachKindOfControl) {
    using C = ControlKind;
    WindowState window{.window = 102, .title = u"Brenwick开启", .menubar = 129};
    window.controls = {
        {.id = 65535, .kind = C::InputPanel},
        {.id = 1000, .kind = C::Static, .text = u"密码：", .rect = {8, 10, 60, 16}},
        {.id = 1001,
         .kind = C::Edit,
         .text = u"a\"b\\c",
         .enabled = false,
         .rect = {70, 8, 100, 20}},
        {.id = 1, .kind = C::Button, .text = u"确定", .visible = false, .rect = {0, 0, 0, 0}},
        {.id = 65535, .kind = C::InputPanel}, // nothing to see: not in the dump
        {.id = 1002, .kind = C::Check, .text = u"振动", .rect = {8, 40, 80, 16}, .checked = true},
        {.id = 1003, .kind = C::Radio, .text = u"高", .rect = {8, 60, 40, 16}},
        {.id = 1004,
         .kind = C::Combo,
         .text = u"中",
         .rect = {8, 80, 100, 80},
         .items = {u"高", u"中"},
         .current = 1},
        {.id = 1005, .kind = C::ListBox, .rect = {8, 170, 100, 40}},
        {.id = 1006,
         .kind = C::ListView,
         .rect = {0, 0, 240, 268},
         .columns = {90, 150},
         .rows = {{u"张三", u"13800138000"}, {u"", u"多\n行"}},
         .focused = 1,
         .selected = {0, 1}},
    };
    EXPECT_EQ(
        Written([&](Transcript& t) { t.Dump(window); }),
        R"({"ev":"dump","window":102,"title":"Brenwick开启","menubar":129,"controls":[)"
        R"({"id":1000,"kind":"static","text":"密码：","visible":true,"enabled":true,"rect":[8,10,60,16]},)"
        R"({"id":1001,"kind":"edit","text":"a\"b\\c","visible":true,"enabled":false,"rect":[70,8,100,20]},)"
        R"({"id":1,"kind":"button","text":"确定","visible":false,"enabled":true,"rect":[0,0,0,0]},)"
        R"({"id":1002,"kind":"check","text":"振动","visible":true,"enabled":true,"rect":[8,40,80,16],)"
        R"("checked":true},)"
        R"({"id":1003,"kind":"radio","text":"高","visible":true,"enabled":true,"rect":[8,60,40,16],)"
        R"("checked":false},)"
        R"({"id":1004,"kind":"combo","text":"中","visible":true,"enabled":true,"rect":[8,80,100,80],)"
        R"("items":["高","中"],"current":1},)"
        R"({"id":1005,"kind":"listbox","text":"","visible":true,"enabled":true,"rect":[8,170,100,40],)"
        R"("items":[],"current":-1},)"
        R"({"id":1006,"kind":"list","text":"","visible":true,"enabled":true,"rect":[0,0,240,268],)"
        R"("columns":[90,150],"rows":[["张三","13800138000"],["","多\n行"]],"focused":1,"selected":[0,1]}]})");

    // A window without a menu bar or controls; a list with no rows.
    WindowState bare{.window = 133, .title = u""};
    EXPECT_EQ(Written([&](Transcript& t) { t.Dump(bare); }),
              R"({"ev":"dump","window":133,"title":"","menubar":null,"controls":[]})");
    bare.controls = {{.id = 7, .kind = C::ListView}};
    EXPECT_EQ(Written([&](Transcript& t) { t.Dump(bare); }),
              R"({"ev":"dump","window":133,"title":"","menubar":null,"controls":[)"
              R"({"id":7,"kind":"list","text":"","visible":true,"enabled":true,"rect":[0,0,0,0],)"
              R"("columns":[],"rows":[],"focused":-1,"selected":[]}]})");
}

TEST(TranscriptTest, EachRecordReachesTheFileAtOnce) {
    testing_support::TempDevice temp;
    const auto file = temp.Dir() / "transcript.jsonl";
    std::ofstream out(file);
    Transcript transcript(&out);
    const auto contents = [&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    transcript.Open(102);
    EXPECT_EQ(contents(), "{\"ev\":\"open\",\"window\":102}\n");
    transcript.End(0);
    EXPECT_EQ(contents(), "{\"ev\":\"open\",\"window\":102}\n{\"ev\":\"end\",\"code\":0}\n");
}

} // namespace
