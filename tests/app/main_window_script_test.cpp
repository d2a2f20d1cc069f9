// The main window used as a person would, through brenwick --script, with brenwick-phone as
// the rest of the phone: the two lists, adding and deleting, the switch between the lists,
// the firewall switch, the commands of the menu bar, and the watcher's reloads.
#include "app_script.h"

#include "platform/events.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support::keys;
using testing_support::Answer;
using testing_support::ControlIn;
using testing_support::Error;
using testing_support::Question;
using testing_support::Quoted;
using testing_support::Values;

class MainWindowScriptTest : public testing_support::AppScriptTest {
protected:
    MainWindowScriptTest() { Phone({"reg", "set", kSettings, "PWD", "1234"}); }
};

TEST_F(MainWindowScriptTest, TheFirstStartOpensOnTheRedListWithTheFirewallAsStored) {
    for (const bool stopped : {false, true}) {
        Phone({"reg", "del", kSettings, "PWD"});
        if (stopped)
            Phone({"reg", "set", kSettings, "stop", "stop"});
        const auto [lines, code] = Script("type 1014 \"1\"\ntype 1003 \"1\"\ntap 1\ndump\n", true);
        EXPECT_EQ(code, 0);
        ASSERT_EQ(lines.size(), 5u);
        const std::string& dump = lines[3];
        EXPECT_NE(dump.find(stopped ? R"("title":"Brenwick关闭","menubar":129)"
                                    : R"("title":"Brenwick开启","menubar":129)"),
                  std::string::npos)
            << dump;
        EXPECT_NE(ControlIn(dump, 1005).find(stopped ? R"("text":"开")" : R"("text":"关")"),
                  std::string::npos);
        EXPECT_NE(ControlIn(dump, 1000).find(R"("text":"短信红名单")"), std::string::npos);
        EXPECT_NE(ControlIn(dump, 1013).find(R"("text":"进入短信黑名单","visible":true)"),
                  std::string::npos);
        EXPECT_NE(ControlIn(dump, 1014).find(R"("visible":true)"), std::string::npos);
        EXPECT_NE(
            ControlIn(dump, 1001).find(R"("rect":[0,70,240,144],"columns":[70,135,35],"rows":[])"),
            std::string::npos)
            << ControlIn(dump, 1001);
        EXPECT_NE(ControlIn(dump, 1003).find(R"("rect":[60,28,100,18])"), std::string::npos);
        EXPECT_NE(ControlIn(dump, 1008).find(R"("rect":[60,48,100,18])"), std::string::npos);
    }
}

TEST_F(MainWindowScriptTest, AddAsksWritesTheEntryHighAndClearsTheFields) {
    const auto run = Use(R"(tap 1004
answer ok
type 1003 "13800138000"
type 1008 "张三"
tap 1004
answer no
dump
tap 1004
answer yes
dump
type 1003 "13800138000"
type 1008 "李四"
tap 1004
answer yes
tap 1013
type 1003 "13900139000"
tap 1004
answer yes
dump
)");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.records,
              (std::vector<std::string>{
                  Error("请输入要添加的手机号码！"), Answer("ok"),
                  Question("是否要添加<张三> 13800138000到短信红名单？"), Answer("no"),
                  Question("是否要添加<张三> 13800138000到短信红名单？"), Answer("yes"),
                  Question("是否要添加<李四> 13800138000到短信红名单？"), Answer("yes"),
                  Question("是否要添加13900139000到短信黑名单？"), Answer("yes")}));
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_NE(ControlIn(run.dumps[0], 1003).find(R"("text":"13800138000")"), std::string::npos)
        << "No keeps the fields";
    EXPECT_NE(ControlIn(run.dumps[0], 1008).find(R"("text":"张三")"), std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[1], 1003).find(R"("text":"")"), std::string::npos)
        << "the fields are cleared";
    EXPECT_NE(ControlIn(run.dumps[1], 1008).find(R"("text":"")"), std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[1], 1001).find(R"("rows":[["张三","13800138000","*"]])"),
              std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[2], 1001).find(R"("rows":[["1","13900139000","*"]])"),
              std::string::npos)
        << ControlIn(run.dumps[2], 1001);
    EXPECT_EQ(RegDump(kRed), Values(kRed, R"(["13800138000","*李四"])"))
        << "the same number twice: one entry, the second name";
    EXPECT_EQ(RegDump(kBlack), Values(kBlack, R"(["13900139000","*"])"));
}

TEST_F(MainWindowScriptTest, DeleteAsksAndInTheRedListOffersTheReceivedMessages) {
    Phone({"reg", "set", kRed, "13800138000", "*张三"});
    Phone({"reg", "set", kInbox, "[*]2005-3-7-9:5:0", "你好"});
    Phone({"reg", "set", kOutbox, "2005-3-7-9:6:0", "收到"});
    Phone({"reg", "set", kBlack, "13900139000", "*"});
    // In the red list a tap opens the number's messages; back from them the row is chosen.
    const auto run = Use(R"(menu 32771
answer ok
row 1001 0
ok
menu 32771
answer no
menu 32771
answer yes
answer yes
dump
tap 1013
row 1001 0
menu 32771
answer yes
dump
)");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.records,
              (std::vector<std::string>{Error("请选择要删除的号码！"), Answer("ok"),
                                        R"({"ev":"open","window":134})",
                                        R"({"ev":"close","window":134,"result":1})",
                                        Question("是否要删除<[*]张三>13800138000？"), Answer("no"),
                                        Question("是否要删除<[*]张三>13800138000？"), Answer("yes"),
                                        Question("是否要将该号码的加密短信也删除？"), Answer("yes"),
                                        Question("是否要删除<1>13900139000？"), Answer("yes")}))
        << "the black list asks no second question";
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_NE(ControlIn(run.dumps[0], 1001).find(R"("rows":[])"), std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[1], 1001).find(R"("rows":[])"), std::string::npos);
    EXPECT_EQ(RegDump(kRed), Values(kRed, ""));
    EXPECT_EQ(RegDump(kBlack), Values(kBlack, ""));
    EXPECT_EQ(RegDump(kInbox), "{\"keys\":[]}\n") << "the received messages went";
    EXPECT_EQ(RegDump(kOutbox), Values(kOutbox, R"(["2005-3-7-9:6:0","收到"])"))
        << "the sent copies stay";
}

TEST_F(MainWindowScriptTest, ATapBelowTheLastRowSelectsNothing) {
    Phone({"reg", "set", kRed, "13800138000", "*张三"});
    const auto run = Use("row 1001 0\nok\nrow 1001 -1\nmenu 32771\nanswer ok\n");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.records, (std::vector<std::string>{R"({"ev":"open","window":134})",
                                                     R"({"ev":"close","window":134,"result":1})",
                                                     Error("请选择要删除的号码！"), Answer("ok")}))
        << "the tap below the rows opens nothing and leaves no row chosen";
}

TEST_F(MainWindowScriptTest, SwitchingListsMovesTheListAndClearsOnlyTheNumber) {
    Phone({"reg", "set", kBlack, "Default", "x"});
    Phone({"reg", "set", kBlack, "13900139000", "*"});
    const auto run = Use(R"(type 1003 "138"
type 1008 "张三"
tap 1013
dump
type 1003 "139"
tap 1013
dump
)");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 2u);
    const std::string& black = run.dumps[0];
    EXPECT_NE(ControlIn(black, 1001).find(R"("rect":[0,50,240,164])"), std::string::npos)
        << ControlIn(black, 1001);
    EXPECT_NE(ControlIn(black, 1001).find(R"("rows":[["1","13900139000","*"]])"), std::string::npos)
        << "\"Default\" is removed at the start";
    EXPECT_NE(ControlIn(black, 1000).find(R"("text":"短信黑名单")"), std::string::npos);
    EXPECT_NE(ControlIn(black, 1013).find(R"("text":"进入短信红名单")"), std::string::npos);
    EXPECT_NE(ControlIn(black, 1014).find(R"("visible":false)"), std::string::npos);
    EXPECT_NE(ControlIn(black, 1003).find(R"("text":"")"), std::string::npos);
    EXPECT_NE(ControlIn(black, 1008).find(R"("text":"张三")"), std::string::npos);
    const std::string& red = run.dumps[1];
    EXPECT_NE(ControlIn(red, 1001).find(R"("rect":[0,70,240,144])"), std::string::npos);
    EXPECT_NE(ControlIn(red, 1000).find(R"("text":"短信红名单")"), std::string::npos);
    EXPECT_NE(ControlIn(red, 1013).find(R"("text":"进入短信黑名单")"), std::string::npos);
    EXPECT_NE(ControlIn(red, 1014).find(R"("visible":true)"), std::string::npos);
    EXPECT_NE(ControlIn(red, 1003).find(R"("text":"")"), std::string::npos);
    EXPECT_NE(ControlIn(red, 1008).find(R"("text":"张三")"), std::string::npos);
}

TEST_F(MainWindowScriptTest, TheFirewallSwitchWritesAndDeletesStop) {
    const std::string whileOff = (m_dir / "off.json").string();
    const auto run = Use("tap 1005\nanswer no\ndump\ntap 1005\nanswer yes\ndump\nrun " +
                         Quoted(PhoneCommand("reg dump 'HKLM\\Software\\Microsoft\\Brenwick' > '" +
                                             whileOff + "'")) +
                         "\ntap 1005\nanswer yes\ndump\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_NE(run.dumps[0].find(R"("title":"Brenwick开启")"), std::string::npos)
        << "No changes nothing";
    EXPECT_NE(run.dumps[1].find(R"("title":"Brenwick关闭")"), std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[1], 1005).find(R"("text":"开")"), std::string::npos);
    EXPECT_NE(run.dumps[2].find(R"("title":"Brenwick开启")"), std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[2], 1005).find(R"("text":"关")"), std::string::npos);
    ASSERT_EQ(run.records.size(), 7u);
    EXPECT_EQ(run.records[0], Question("是否确定要关闭防火墙？"));
    EXPECT_NE(run.records[4].find(R"("exit":0})"), std::string::npos) << run.records[4];
    std::ifstream off(whileOff);
    const std::string offDump((std::istreambuf_iterator<char>(off)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(offDump, Values(kSettings, R"(["PWD","1234"],["stop","stop"])"))
        << "\"stop\" = \"stop\" while off";
    EXPECT_EQ(run.records[5], Question("是否确定要开启防火墻？"));
    EXPECT_EQ(SettingsDump(), Values(kSettings, R"(["PWD","1234"])"))
        << "on again: \"stop\" is gone";
}

TEST_F(MainWindowScriptTest, TheBackupPasswordOpensTheReducedProgram) {
    Phone({"reg", "set", kSettings, "PWDBK", "9999"});
    Phone({"reg", "set", kBlack, "13900139000", "*"});
    const auto [lines, code] =
        Script("type 1014 \"9999\"\ntap 1\ndump\nhold 1001 0\nmenu 32771\nanswer no\n", true);
    EXPECT_EQ(code, 0);
    ASSERT_GE(lines.size(), 5u);
    const std::string& dump = lines[3];
    EXPECT_NE(dump.find(R"("menubar":138)"), std::string::npos) << dump;
    EXPECT_NE(ControlIn(dump, 1000).find(R"("text":"短信黑名单")"), std::string::npos);
    EXPECT_NE(ControlIn(dump, 1013).find(R"("visible":false)"), std::string::npos);
    EXPECT_NE(ControlIn(dump, 1005).find(R"("visible":false)"), std::string::npos);
    EXPECT_NE(ControlIn(dump, 1014).find(R"("visible":false)"), std::string::npos);
    EXPECT_NE(ControlIn(dump, 1001).find(R"("rect":[0,71,240,164])"), std::string::npos)
        << "the list stays where it was";
    EXPECT_EQ(lines[4], R"({"ev":"popup","menu":null})") << "no tap-and-hold menu";
    EXPECT_EQ(lines[5], Question("是否要删除<1>13900139000？")) << "delete is the left soft key";
}

TEST_F(MainWindowScriptTest, TheFullProgramsHoldMenuIsTheToolsMenu) {
    Phone({"reg", "set", kRed, "13800138000", "*张三"});
    const auto run = Use("hold 1001 0\npick 32774\nok\nok\n");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.records, (std::vector<std::string>{R"({"ev":"popup","menu":129})",
                                                     R"({"ev":"open","window":130})",
                                                     R"({"ev":"close","window":130,"result":1})",
                                                     R"({"ev":"close","window":102,"result":1})"}))
        << "About from the held list, closed with its ok";
}

TEST_F(MainWindowScriptTest, ThePasswordCommandsWriteWhatIsTyped) {
    const auto run = Use(R"(tap 1014
type 1014 "55"
type 1003 "55"
tap 1
menu 32787
type 1014 "66"
type 1003 "66"
tap 1
answer ok
menu 32787
tap 2
)");
    EXPECT_EQ(run.code, 0);
    const std::string notice =
        R"({"ev":"msgbox","text":"说明：使用备用密码进入本程序，将无法看到进入红名单的按钮，在被自己亲密的人看到此软件情况下，可以用备用密码进入程序，使其不知道本软件有加密隐私短信的功能！","caption":"Brenwick","icon":"information","buttons":"ok"})";
    EXPECT_EQ(run.records,
              (std::vector<std::string>{
                  R"({"ev":"open","window":133})", R"({"ev":"close","window":133,"result":1})",
                  R"({"ev":"open","window":133})", R"({"ev":"close","window":133,"result":1})",
                  notice, Answer("ok"), R"({"ev":"open","window":133})",
                  R"({"ev":"close","window":133,"result":2})"}))
        << "changing the main password shows nothing; Cancel writes nothing";
    EXPECT_EQ(SettingsDump(), Values(kSettings, R"(["PWD","55"],["PWDBK","66"])"));
}

TEST_F(MainWindowScriptTest, SystemSmsStartsTheMessagingProgram) {
    const auto run = Use("menu 32779\n");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.records, (std::vector<std::string>{
                               R"({"ev":"launch","path":"\\Windows\\tmail.exe","cmdline":""})"}));
    const auto launches =
        testing_support::Run({BRENWICK_PHONE, "--device", Device(), "launches"}).out;
    EXPECT_NE(launches.find(R"("path":"\\Windows\\tmail.exe","cmdline":"")"), std::string::npos)
        << launches;
}

// The other process keeps both events alive, so that their state outlives the program.
class WatcherScriptTest : public MainWindowScriptTest {
protected:
    WatcherScriptTest() {
        std::string error;
        m_table = platform::EventTable::Open(Device(), error);
        m_update = platform::NamedEvent::CreateOrOpen(m_table, u"Quorl.UpdateSMS.Event");
        m_stop = platform::NamedEvent::CreateOrOpen(m_table, u"QuorlStop.SMS.Event");
    }
    std::shared_ptr<platform::EventTable> m_table;
    platform::NamedEvent m_update, m_stop;
};

TEST_F(WatcherScriptTest, AMessageFromTheRedListMarksItsRowAfterTheReload) {
    Phone({"reg", "set", kRed, "13800138000", "*张三"});
    const auto run =
        Use("dump\nrun " + Quoted(PhoneCommand("receive 13800138000 你好")) + "\ndump\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_NE(ControlIn(run.dumps[0], 1001).find(R"("rows":[["张三","13800138000","*"]])"),
              std::string::npos);
    EXPECT_NE(ControlIn(run.dumps[1], 1001).find(R"("rows":[["[*]张三","13800138000","*"]])"),
              std::string::npos)
        << ControlIn(run.dumps[1], 1001);
    EXPECT_EQ(m_table->Peek(u"Quorl.UpdateSMS.Event"), platform::EventState::Reset)
        << "the watcher reset it";
    EXPECT_EQ(m_table->Peek(u"QuorlStop.SMS.Event"), platform::EventState::Reset)
        << "no OK, no stop signal";
}

TEST_F(WatcherScriptTest, TheBlackListReloadsOnTheSameSignalAndOkSetsTheStopEvent) {
    const auto run = Use(
        "tap 1013\nrun " + Quoted(PhoneCommand("reg set '" + kBlack + "' 13900139000 '*'")) +
        "\ndump\nrun " + Quoted(PhoneCommand("event set Quorl.UpdateSMS.Event")) + "\ndump\nok\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_NE(ControlIn(run.dumps[0], 1001).find(R"("rows":[])"), std::string::npos)
        << "no signal, no reload";
    EXPECT_NE(ControlIn(run.dumps[1], 1001).find(R"("rows":[["1","13900139000","*"]])"),
              std::string::npos);
    EXPECT_EQ(m_table->Peek(u"Quorl.UpdateSMS.Event"), platform::EventState::Reset);
    EXPECT_EQ(m_table->Peek(u"QuorlStop.SMS.Event"), platform::EventState::Signalled)
        << "OK gives the stop signal";
    const auto state = testing_support::Run(
        {BRENWICK_PHONE, "--device", Device(), "event", "state", "QuorlStop.SMS.Event"});
    EXPECT_NE(state.out.find("signalled"), std::string::npos) << state.out;
}

} // namespace
