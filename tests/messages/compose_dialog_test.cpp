// The compose window in-process, driven by scripts: what it shows on opening, the phrase
// list, what a send stores and starts, and the window kept open while a send job runs.
#include "messages/CComposeDlg.h"
#include "messages/SendJob.h"
#include "platform/clock.h"
#include "platform/device.h"
#include "platform/phonedb.h"
#include "platform/thread.h"
#include "res/Resources.h"
#include "store/CRegistryStore.h"
#include "store/MessageStore.h"
#include "store/RegistryKeys.h"

#include "drive.h"
#include "gui_main.h"
#include "temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

constexpr const char16_t* kNumber = u"+8613800138000";
const std::string kHint = "<双击插入短语,点击常用短语菜单返回>";

// The object of control id in a dump line ("" when it has none).
std::string ControlIn(const std::string& dump, int id) {
    const std::string head = "{\"id\":" + std::to_string(id) + ",";
    const auto at = dump.find(head);
    return at == std::string::npos ? std::string() : dump.substr(at, dump.find('}', at) - at + 1);
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ComposeDialogTest : public ::testing::Test {
protected:
    ComposeDialogTest() {
        RegisterResources();
        platform::SetTimeScale(0.01);
        platform::FixLocalTime(platform::LocalTime{2005, 3, 7, 9, 5, 0});
    }
    ~ComposeDialogTest() override {
        testing_support::RunEventsUntil([] { return s_sending == 0; });
        platform::RefuseThreads(false);
        platform::FixLocalTime(std::nullopt);
        platform::SetTimeScale(1);
    }

    struct Run {
        std::vector<std::string> lines;
        std::vector<std::string> dumps;
        int result = 0;
    };
    // The window for kNumber under script; the send jobs it started have ended afterwards.
    static Run Open(const std::string& script) {
        const int running = s_sending;
        CComposeDlg dlg;
        dlg.m_number = kNumber;
        dlg.m_recipient = u"收件人:张三";
        Run run;
        run.lines =
            testing_support::DriveModal(
                [&](const platform::gui::ScriptDriver&) { run.result = dlg.DoModal(); }, script)
                .lines;
        for (const auto& line : run.lines)
            if (Has(line, R"("ev":"dump")"))
                run.dumps.push_back(line);
        testing_support::RunEventsUntil([running] { return s_sending <= running; });
        return run;
    }
    static void Store(const CString& key, const CString& name, const CString& value,
                      platform::RegRoot root = HKEY_LOCAL_MACHINE) {
        ASSERT_EQ(CRegistryStore::WriteString(key, name, value, root), 0);
    }
    static std::optional<CString> Setting(const char16_t* name) {
        CString value;
        if (CRegistryStore::ReadString(keys::kSettings, name, value) != 0)
            return std::nullopt;
        return value;
    }
    static std::vector<platform::SentSms> Sent() {
        return platform::ThisDevice().Phone().SentMessages();
    }

    testing_support::TempDevice m_device;
};

TEST_F(ComposeDialogTest, OpeningShowsTheLastTextAndTheCounterFollowsTyping) {
    const struct {
        const char16_t* stored; // null: no "SMSCONTENT"
        bool keepCopies;        // "SAVE" present
        std::string text, counter, counterAfterTyping;
    } cases[] = {
        {nullptr, false, "", "", "字数:1"}, // the counter shows nothing until the first change
        {u"*", true, "", "", "字数:1"},     // "*" is no text
        {u"早上好", true, "早上好", "字数:3", "字数:4"},
    };
    for (const auto& c : cases) {
        CRegistryStore::DeleteValue(keys::kSettings, u"SMSCONTENT");
        CRegistryStore::DeleteValue(keys::kSettings, u"SAVE");
        if (c.stored)
            Store(keys::kSettings, u"SMSCONTENT", c.stored);
        if (c.keepCopies)
            Store(keys::kSettings, u"SAVE", u"SAVE");
        const Run run = Open("dump\ntype 1017 \"a\"\ndump\n");
        ASSERT_EQ(run.dumps.size(), 2u);
        const std::string& dump = run.dumps[0];
        EXPECT_TRUE(Has(dump, R"("window":136,"title":"Dialog","menubar":139)")) << dump;
        EXPECT_TRUE(Has(ControlIn(dump, 1017), "\"text\":\"" + c.text + "\"")) << dump;
        EXPECT_TRUE(Has(ControlIn(dump, 1033), "\"text\":\"" + c.counter + "\"")) << dump;
        EXPECT_TRUE(Has(ControlIn(dump, 1016), R"("text":"+8613800138000")"));
        EXPECT_TRUE(Has(ControlIn(dump, 1023), R"("text":"收件人:张三")"));
        EXPECT_TRUE(
            Has(ControlIn(dump, 1032), c.keepCopies ? R"("checked":true)" : R"("checked":false)"))
            << dump;
        EXPECT_TRUE(Has(ControlIn(dump, 1034), R"("visible":false)"));
        EXPECT_TRUE(Has(ControlIn(run.dumps[1], 1033), "\"text\":\"" + c.counterAfterTyping))
            << run.dumps[1];
        EXPECT_EQ(run.result, IDCANCEL);
        EXPECT_EQ(Setting(u"SMSCONTENT"), c.stored ? std::optional<CString>(c.stored)
                                                   : std::nullopt); // a close saves nothing
    }
    // The phone's phrase key, missing, was created empty.
    platform::RegistryKey key;
    bool existed = false;
    ASSERT_EQ(CRegistryStore::OpenKey(HKEY_CURRENT_USER, keys::kPresetPhrases, key, existed), 0);
    EXPECT_TRUE(existed);
}

// The hint stays first even when a phrase sorts before it, so every phrase can be inserted.
TEST_F(ComposeDialogTest, APhraseDoubleTappedReplacesTheText) {
    for (const auto& [name, phrase] :
         {std::pair{u"1", u"你好"}, {u"2", u"1点见"}, {u"3", u""}, {u"4", u"再见"}, {u"5", u"!"}})
        Store(keys::kPresetPhrases, name, phrase, HKEY_CURRENT_USER);
    Store(keys::kSettings, u"SMSCONTENT", u"旧的文字");
    Store(keys::kSettings, u"SAVE", u"SAVE");
    const Run run = Open("menu 32791\ndump\ndblrow 1034 0\ndump\ndblrow 1034 2\ndump\n"
                         "menu 32791\ndump\nmenu 32791\ndump\n");
    ASSERT_EQ(run.dumps.size(), 5u);
    const std::string list = ControlIn(run.dumps[0], 1034);
    EXPECT_TRUE(Has(list, R"("visible":true)")) << list;
    EXPECT_TRUE(Has(list, "\"items\":[\"" + kHint + R"(","!","1点见","你好","再见"])")) << list;
    EXPECT_TRUE(Has(ControlIn(run.dumps[0], 1017), R"("visible":false)"));
    // The hint does nothing.
    EXPECT_TRUE(Has(ControlIn(run.dumps[1], 1034), R"("visible":true)"));
    EXPECT_TRUE(Has(ControlIn(run.dumps[1], 1017), R"("text":"旧的文字")"));
    // A phrase that sorts before the hint replaces the whole text and brings the text back.
    EXPECT_TRUE(Has(ControlIn(run.dumps[2], 1017), R"("text":"1点见","visible":true)"))
        << run.dumps[2];
    EXPECT_TRUE(Has(ControlIn(run.dumps[2], 1034), R"("visible":false)"));
    EXPECT_TRUE(Has(ControlIn(run.dumps[2], 1033), R"("text":"字数:3")"));
    EXPECT_TRUE(Has(ControlIn(run.dumps[2], 1032), R"("checked":true)")) << "the box stays";
    // The menu button switches between the two.
    EXPECT_TRUE(Has(ControlIn(run.dumps[3], 1034), R"("visible":true)"));
    EXPECT_TRUE(Has(ControlIn(run.dumps[4], 1017), R"("visible":true)"));
    EXPECT_TRUE(Has(ControlIn(run.dumps[4], 1034), R"("visible":false)"));
}

TEST_F(ComposeDialogTest, SendingWithTheBoxClearedKeepsNoCopyAndClosesAtOnce) {
    Store(keys::kSettings, u"SAVE", u"SAVE");
    Run run = Open("dump\ntap 1032\ntype 1017 \"下午见\"\ntap 1018\n");
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_TRUE(Has(ControlIn(run.dumps[0], 1032), R"("checked":true)"));
    EXPECT_EQ(run.result, IDOK);
    EXPECT_EQ(Setting(u"SAVE"), std::nullopt);
    EXPECT_EQ(Setting(u"SMSCONTENT"), CString(u"下午见"));
    EXPECT_TRUE(ListRecords(RecordKeyPath(Branch::Outbox, kNumber)).empty());
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].to, u"13800138000");
    EXPECT_EQ(sent[0].text, u"下午见");

    // The next opening: the box cleared, the text just sent.
    run = Open("dump\n");
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_TRUE(Has(ControlIn(run.dumps[0], 1032), R"("checked":false)"));
    EXPECT_TRUE(Has(ControlIn(run.dumps[0], 1017), R"("text":"下午见")"));
    EXPECT_TRUE(Has(ControlIn(run.dumps[0], 1033), R"("text":"字数:3")"));
}

// A copy is kept whatever the text: a long one in pieces, an empty one as it is.
TEST_F(ComposeDialogTest, TheBoxTickedKeepsACopyInPieces) {
    std::string longText;
    for (int i = 0; i < 30; ++i)
        longText += "0123456789";
    const struct {
        std::string text;
        std::vector<std::pair<CString, int>> pieces;
    } cases[] = {
        {longText,
         {{u"2005-3-7-9:5:0-1", 126}, {u"2005-3-7-9:5:0-2", 126}, {u"2005-3-7-9:5:0-3", 48}}},
        {"", {{u"2005-3-7-9:5:0", 0}}},
    };
    for (const auto& c : cases) {
        CRegistryStore::DeleteKey(keys::kOutbox, kNumber);
        CRegistryStore::DeleteValue(keys::kSettings, u"SAVE"); // the box opens cleared
        const Run run = Open("tap 1032\ntype 1017 \"" + c.text + "\"\ntap 1018\n");
        EXPECT_EQ(run.result, IDOK);
        EXPECT_EQ(Setting(u"SAVE"), CString(u"SAVE"));
        std::vector<std::pair<CString, int>> pieces;
        for (const CRecord& copy : ListRecords(RecordKeyPath(Branch::Outbox, kNumber)))
            pieces.emplace_back(copy.name, copy.text.GetLength());
        EXPECT_EQ(pieces, c.pieces) << c.text.size();
        const auto sent = Sent();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(CString(sent.back().text).ToUtf8(), c.text); // one message, whole
    }
}

// While a send job runs, neither OK nor the close request closes the window.
TEST_F(ComposeDialogTest, OkAndCloseWaitForTheSendJobs) {
    const struct {
        int sending;
        std::string script;
        bool open; // still open when the script ends
        int result;
        std::optional<CString> saved;
    } cases[] = {
        {1, "type 1017 \"abc\"\nok\ncancel\ndump\n", true, IDCANCEL, std::nullopt},
        {0, "type 1017 \"abc\"\ncancel\n", false, IDCANCEL, std::nullopt},
        {0, "type 1017 \"abc\"\nok\n", false, IDOK, CString(u"abc")},
    };
    for (const auto& c : cases) {
        CRegistryStore::DeleteValue(keys::kSettings, u"SMSCONTENT");
        s_sending = c.sending;
        const Run run = Open(c.script);
        s_sending = 0;
        EXPECT_EQ(run.dumps.size(), c.open ? 1u : 0u) << c.script;
        EXPECT_EQ(run.result, c.result) << c.script;
        EXPECT_EQ(Setting(u"SMSCONTENT"), c.saved) << c.script;
        const std::string close =
            R"({"ev":"close","window":136,"result":)" + std::to_string(c.result) + "}";
        // A window left open is closed by the test after the script, unrecorded.
        EXPECT_EQ(std::find(run.lines.begin(), run.lines.end(), close) != run.lines.end(), !c.open)
            << c.script;
    }
}

TEST_F(ComposeDialogTest, ASendThatCannotStartSaysSoAndTheWindowStays) {
    platform::RefuseThreads(true);
    const Run run = Open("tap 1032\ntype 1017 \"x\"\ntap 1018\nanswer ok\ndump\n");
    EXPECT_TRUE(std::find(run.lines.begin(), run.lines.end(),
                          R"({"ev":"msgbox","text":"发送短信失败！","caption":"短信防火墙",)"
                          R"("icon":"information","buttons":"ok"})") != run.lines.end());
    EXPECT_EQ(run.dumps.size(), 1u); // still open after the box
    EXPECT_EQ(s_sending, 0);
    EXPECT_TRUE(Sent().empty());
    // What was stored before the start stays.
    EXPECT_EQ(ListRecords(RecordKeyPath(Branch::Outbox, kNumber)).size(), 1u);
    EXPECT_EQ(Setting(u"SMSCONTENT"), CString(u"x"));
}

// The window with its phrase list, and with a text, written to BUILD/screenshots.
TEST_F(ComposeDialogTest, Screenshots) {
    const std::filesystem::path dir = BRENWICK_SCREENSHOTS;
    std::filesystem::create_directories(dir);
    for (const auto& [name, phrase] : {std::pair{u"1", u"我在开会，稍后给你回电话。"},
                                       {u"2", u"马上到"},
                                       {u"3", u"谢谢！"},
                                       {u"4", u"OK"},
                                       {u"5", u"123 请回电"}})
        Store(keys::kPresetPhrases, name, phrase, HKEY_CURRENT_USER);
    Store(keys::kSettings, u"SAVE", u"SAVE");
    Store(keys::kSettings, u"SMSCONTENT", u"今晚七点在老地方见，别迟到。");
    const auto shot = [&](const char* name) { return "shot \"" + (dir / name).string() + "\"\n"; };
    Open(shot("compose-text.png") + "menu 32791\nselect 1034 2\n" + shot("compose-phrases.png"));
    for (const char* name : {"compose-text.png", "compose-phrases.png"})
        EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
}

} // namespace
