// brenwick-phone run as people and tests run it: a separate process on a device directory.
#include "child_process.h"
#include "phone_fixture.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/phonedb.h"
#include "platform/text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using phone_test::Set;
using phone_test::Values;
using phone_test::ValuesOf;
using platform::RegRoot;
using testing_support::RunResult;

namespace {

constexpr const char* kFixedTime = "BRENWICK_TIME=2005-03-07T09:05:00";

class PhoneCli : public ::testing::Test {
protected:
    platform::Device& dev() { return m_device.Get(); }

    RunResult Phone(std::vector<std::string> args) {
        args.insert(args.begin(), {BRENWICK_PHONE, "--device", m_device.Arg()});
        return testing_support::Run(std::move(args), {kFixedTime});
    }
    // A command that must succeed; its standard output.
    std::string Ok(std::vector<std::string> args) {
        const auto r = Phone(args);
        EXPECT_EQ(r.exitCode, 0) << testing::PrintToString(args) << ": " << r.err;
        EXPECT_EQ(r.err, "") << testing::PrintToString(args);
        return r.out;
    }

    testing_support::TempDevice m_device;
};

QJsonDocument ParseJson(const std::string& text) {
    QJsonParseError error;
    const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n"
                                                     << text;
    return doc;
}

// Each line of a listing is one JSON object.
std::vector<QJsonObject> ParseLines(const std::string& text) {
    std::vector<QJsonObject> rows;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto nl = text.find('\n', at);
        EXPECT_NE(nl, std::string::npos) << "the last line has no newline";
        const auto doc = ParseJson(text.substr(at, nl - at));
        EXPECT_TRUE(doc.isObject());
        rows.push_back(doc.object());
        at = nl == std::string::npos ? text.size() : nl + 1;
    }
    return rows;
}

std::string S(const QJsonValue& v) {
    return v.toString().toStdString();
}

// A dump as (path, [(name, data)]) in its order, after checking the document's shape.
using Dump = std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;
Dump ParseDump(const std::string& text) {
    const auto doc = ParseJson(text);
    EXPECT_TRUE(doc.isObject());
    EXPECT_EQ(doc.object().keys(), QStringList{"keys"});
    EXPECT_TRUE(doc.object()["keys"].isArray());
    Dump dump;
    for (const auto& key : doc.object()["keys"].toArray()) {
        const auto object = key.toObject();
        EXPECT_EQ(object.keys(), (QStringList{"path", "values"}));
        auto& entry = dump.emplace_back(S(object["path"]),
                                        std::vector<std::pair<std::string, std::string>>{});
        for (const auto& value : object["values"].toArray()) {
            const auto pair = value.toArray();
            EXPECT_EQ(pair.size(), 2);
            EXPECT_TRUE(pair[0].isString() && pair[1].isString());
            entry.second.emplace_back(S(pair[0]), S(pair[1]));
        }
    }
    return dump;
}

std::vector<std::string> Paths(const Dump& dump) {
    std::vector<std::string> paths;
    for (const auto& [path, values] : dump)
        paths.push_back(path);
    return paths;
}

} // namespace

TEST_F(PhoneCli, DumpOfAFreshDeviceShowsBothRootsOneKeyALine) {
    const std::string out = Ok({"reg", "dump"});
    EXPECT_EQ(Paths(ParseDump(out)), (std::vector<std::string>{"HKLM", "HKCU"}));
    EXPECT_EQ(out, "{\"keys\":[\n"
                   "{\"path\":\"HKLM\",\"values\":[]},\n"
                   "{\"path\":\"HKCU\",\"values\":[]}\n"
                   "]}\n");
}

TEST_F(PhoneCli, DumpListsParentsFirstChildrenAndValuesInTheirOrder) {
    Ok({"reg", "set", "HKLM\\Zeta\\Inner", "b", "1"});
    Ok({"reg", "set", "HKLM\\Alpha", "z", "2"});
    Ok({"reg", "set", "HKLM\\Zeta", "y", "3"});
    Ok({"reg", "set", "HKLM\\Zeta", "x", "4"});
    Ok({"reg", "set", "HKLM\\Zeta", "Y", "5"}); // the same value: keeps its place and spelling
    Ok({"reg", "set", "HKLM\\Zeta\\Another", "a", ""});
    Ok({"reg", "set", "HKCU\\Software", "p", "6"});

    const Dump dump = ParseDump(Ok({"reg", "dump"}));
    EXPECT_EQ(Paths(dump), (std::vector<std::string>{"HKLM", "HKLM\\Zeta", "HKLM\\Zeta\\Inner",
                                                     "HKLM\\Zeta\\Another", "HKLM\\Alpha", "HKCU",
                                                     "HKCU\\Software"}));
    EXPECT_EQ(dump[1].second,
              (std::vector<std::pair<std::string, std::string>>{{"y", "5"}, {"x", "4"}}));
    EXPECT_EQ(dump[3].second, (std::vector<std::pair<std::string, std::string>>{{"a", ""}}));

    // Below a path given in another letter case, keys keep their own spelling.
    EXPECT_EQ(Paths(ParseDump(Ok({"reg", "dump", "hklm\\ZETA"}))),
              (std::vector<std::string>{"HKLM\\Zeta", "HKLM\\Zeta\\Inner", "HKLM\\Zeta\\Another"}));
    EXPECT_EQ(Paths(ParseDump(Ok({"reg", "dump", "HKEY_CURRENT_USER"}))),
              (std::vector<std::string>{"HKCU", "HKCU\\Software"}));
    EXPECT_EQ(Paths(ParseDump(Ok({"reg", "dump", "Alpha"}))),
              (std::vector<std::string>{"HKLM\\Alpha"}));
}

TEST_F(PhoneCli, ChineseAndAwkwardTextsRoundTrip) {
    const std::string data = "*张三 \"引号\" \\反斜杠\\\n第二行\t😀";
    Ok({"reg", "set", "HKLM\\Software\\Tolvane\\Brenwick\\List", "13800138000", data});
    Ok({"reg", "set", "HKLM\\Software\\中文键", "名字", "值"});

    EXPECT_EQ(ValuesOf(dev(), u"Software\\Tolvane\\Brenwick\\List"),
              (Values{{u"13800138000", platform::Utf8ToUtf16(data)}}));
    const Dump dump = ParseDump(Ok({"reg", "dump", "HKLM\\Software"}));
    ASSERT_EQ(Paths(dump), (std::vector<std::string>{"HKLM\\Software", "HKLM\\Software\\Tolvane",
                                                     "HKLM\\Software\\Tolvane\\Brenwick",
                                                     "HKLM\\Software\\Tolvane\\Brenwick\\List",
                                                     "HKLM\\Software\\中文键"}));
    EXPECT_EQ(dump[3].second,
              (std::vector<std::pair<std::string, std::string>>{{"13800138000", data}}));
    EXPECT_EQ(dump[4].second, (std::vector<std::pair<std::string, std::string>>{{"名字", "值"}}));
}

TEST_F(PhoneCli, DumpOfAMissingPathPrintsNoKeysAndCreatesNothing) {
    for (const char* path : {"HKLM\\Software\\Nobody\\Deeper", "HKCU\\Software", "Nothing"}) {
        const auto r = Phone({"reg", "dump", path});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "{\"keys\":[]}\n") << path;
    }
    EXPECT_EQ(Paths(ParseDump(Ok({"reg", "dump"}))), (std::vector<std::string>{"HKLM", "HKCU"}));
}

TEST_F(PhoneCli, SetAndDelete) {
    Ok({"reg", "set", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Brenwick", "stop", "stop"});
    Ok({"reg", "set", "Software\\Microsoft\\Brenwick", "PWD", "1234"}); // no root: HKLM
    Ok({"reg", "set", "HKCU\\Software\\Microsoft\\Inbox\\PresetMsgs", "1", "你好"});
    EXPECT_EQ(ValuesOf(dev(), u"Software\\Microsoft\\Brenwick"),
              (Values{{u"stop", u"stop"}, {u"PWD", u"1234"}}));
    EXPECT_EQ(ValuesOf(dev(), u"Software\\Microsoft\\Inbox\\PresetMsgs", RegRoot::CurrentUser),
              (Values{{u"1", u"你好"}}));

    Ok({"reg", "del", "HKLM\\Software\\Microsoft\\Brenwick", "STOP"});
    EXPECT_EQ(ValuesOf(dev(), u"Software\\Microsoft\\Brenwick"), (Values{{u"PWD", u"1234"}}));
    Ok({"reg", "del", "HKLM\\Software\\Microsoft"}); // the key with all below it
    EXPECT_FALSE(phone_test::KeyExists(dev(), u"Software\\Microsoft"));
    EXPECT_TRUE(phone_test::KeyExists(dev(), u"Software"));
    EXPECT_TRUE(phone_test::KeyExists(dev(), u"Software\\Microsoft\\Inbox", RegRoot::CurrentUser));

    // Nothing to delete: a message, exit 1, and nothing created on the way.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"reg", "del", "HKLM\\Software\\Gone\\Deeper"},
          {"reg", "del", "HKLM\\Software\\Gone\\Deeper", "v"},
          {"reg", "del", "HKLM\\Software", "nothing"},
          {"reg", "del", "HKLM"}}) {
        const auto r = Phone(args);
        EXPECT_EQ(r.exitCode, 1) << testing::PrintToString(args);
        EXPECT_TRUE(r.err.starts_with("brenwick-phone: ")) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(phone_test::KeyExists(dev(), u"Software\\Gone"));
}

TEST(PhoneCliArguments, BadArgumentsPrintUsageAndExit2WithoutTouchingTheDevice) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("brenwick-phone-usage-" + std::to_string(::getpid()));
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"nonsense"},
        {"reg"},
        {"reg", "list"},
        {"reg", "dump", "a", "b"},
        {"reg", "set", "a", "b"},
        {"reg", "del"},
        {"receive", "10086"},
        {"receive", "10086", "a", "b"},
        {"event", "state"},
        {"path"},
        {"presets", "add"},
        {"sim", "show", "x"},
        {"contacts", "add", "--nick", "x"},
        {"contacts", "add", "--first"},
        {"contacts", "add", "x"},
        {"inbox", "extra"},
        {"network", "maybe"},
        {"network", "on", "off"},
        {"reg", "dump", "--device"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> argv = {BRENWICK_PHONE, "--device", dir.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto r = testing_support::Run(argv);
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_TRUE(r.err.starts_with("usage: brenwick-phone ")) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST(PhoneCliArguments, HelpAndVersionAnswerOnStandardOutput) {
    for (const std::string option : {"--help", "-h"}) {
        const auto r = testing_support::Run({BRENWICK_PHONE, option});
        EXPECT_EQ(r.exitCode, 0) << option;
        EXPECT_TRUE(r.out.starts_with("usage: brenwick-phone [--device DIR] reg dump [PATH]\n"))
            << r.out;
        EXPECT_NE(r.out.find("\n       brenwick-phone --help | --version\n"), std::string::npos);
        EXPECT_EQ(r.err, "");
    }
    const auto r = testing_support::Run({BRENWICK_PHONE, "--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "brenwick-phone " BRENWICK_VERSION "\n");
    EXPECT_EQ(r.err, "");
    for (const std::string option : {"--help", "--version"}) {
        const auto full = testing_support::Run(
            {"/bin/sh", "-c", "'" BRENWICK_PHONE "' " + option + " >/dev/full"});
        EXPECT_EQ(full.exitCode, 1) << option;
    }
}

TEST_F(PhoneCli, DeviceOptionAnywhereAndLiteralArgumentsAfterDoubleDash) {
    const auto r = testing_support::Run(
        {BRENWICK_PHONE, "receive", "--device", m_device.Arg(), "10086", "--", "--device"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "inbox\n");
    const auto inbox = dev().Phone().InboxMessages();
    ASSERT_EQ(inbox.size(), 1u);
    EXPECT_EQ(inbox[0].text, u"--device");

    // Without --device: $BRENWICK_DEVICE.
    const auto viaEnv = testing_support::Run({BRENWICK_PHONE, "sim", "show"},
                                             {"BRENWICK_DEVICE=" + m_device.Arg()});
    EXPECT_EQ(viaEnv.out, "{\"number\":\"+8613800000000\"}\n") << viaEnv.err;
}

TEST_F(PhoneCli, ADeviceThatCannotBeOpenedExits1) {
    const auto file = m_device.Dir().parent_path() / "not-a-directory";
    std::ofstream(file) << "x";
    const auto r = testing_support::Run({BRENWICK_PHONE, "--device", file.string(), "sim", "show"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.starts_with("brenwick-phone: ")) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(PhoneCli, ReceivePrintsTheVerdictAndStoresAtTheDeviceTime) {
    Set(dev(), u"Software\\Tolvane\\Brenwick\\Listb", u"13900000000", u"*李四");
    Set(dev(), u"Software\\Tolvane\\Brenwick\\List", u"13800138000", u"*");
    // The program's watcher holds the update event; only a stored record sets it.
    auto table = dev().Events();
    ASSERT_TRUE(table);
    platform::NamedEvent update =
        platform::NamedEvent::CreateOrOpen(table, u"Quorl.UpdateSMS.Event");
    ASSERT_TRUE(update.IsValid());
    EXPECT_EQ(Ok({"receive", "13800138000", "广告"}), "blocked\n");
    EXPECT_EQ(table->Peek(u"Quorl.UpdateSMS.Event"), platform::EventState::Reset);
    EXPECT_EQ(Ok({"receive", "13900000000", "今晚见"}), "private\n");
    EXPECT_EQ(table->Peek(u"Quorl.UpdateSMS.Event"), platform::EventState::Signalled);
    EXPECT_EQ(Ok({"receive", "10086", "话费"}), "inbox\n");
    Ok({"reg", "set", "HKLM\\Software\\Microsoft\\Brenwick", "REDONLY", "REDONLY"});
    EXPECT_EQ(Ok({"receive", "10010", "x"}), "rejected\n");

    EXPECT_EQ(ValuesOf(dev(), u"Software\\Tolvane\\Brenwick\\Content\\+8613900000000"),
              (Values{{u"[*]2005-3-7-9:5:0", u"今晚见"}}));
    const auto inbox = ParseLines(Ok({"inbox"}));
    ASSERT_EQ(inbox.size(), 1u);
    EXPECT_EQ(inbox[0],
              (QJsonObject{{"from", "10086"}, {"text", "话费"}, {"time", "2005-03-07T09:05:00"}}));
}

TEST_F(PhoneCli, EventCommandsAsAnotherProcessSeesThem) {
    auto table = dev().Events();
    ASSERT_TRUE(table);
    EXPECT_EQ(Ok({"event", "state", "Quorl.UpdateSMS.Event"}), "absent\n");
    {
        platform::NamedEvent held =
            platform::NamedEvent::CreateOrOpen(table, u"Quorl.UpdateSMS.Event");
        ASSERT_TRUE(held.IsValid());
        EXPECT_EQ(Ok({"event", "state", "Quorl.UpdateSMS.Event"}), "reset\n");
        Ok({"event", "set", "Quorl.UpdateSMS.Event"});
        EXPECT_EQ(table->Peek(u"Quorl.UpdateSMS.Event"), platform::EventState::Signalled);
        EXPECT_EQ(Ok({"event", "state", "Quorl.UpdateSMS.Event"}), "signalled\n");
        Ok({"event", "reset", "Quorl.UpdateSMS.Event"});
        EXPECT_EQ(Ok({"event", "state", "Quorl.UpdateSMS.Event"}), "reset\n");
        EXPECT_EQ(Ok({"event", "state", "quorl.updatesms.event"}), "absent\n"); // names are exact
    }
    // Nobody holds it: the set ends with the command's handle.
    Ok({"event", "set", "QuorlStop.SMS.Event"});
    EXPECT_EQ(Ok({"event", "state", "QuorlStop.SMS.Event"}), "absent\n");

    const auto r = Phone({"event", "set", std::string(300, 'e')});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.starts_with("brenwick-phone: ")) << r.err;
}

TEST_F(PhoneCli, PresetsTakeTheNextFreeNumber) {
    EXPECT_EQ(Ok({"presets", "list"}), "");
    EXPECT_FALSE(phone_test::KeyExists(dev(), u"Software\\Microsoft\\Inbox\\PresetMsgs",
                                       RegRoot::CurrentUser))
        << "listing creates nothing";
    Set(dev(), u"Software\\Microsoft\\Inbox\\PresetMsgs", u"2", u"已有", RegRoot::CurrentUser);
    Ok({"presets", "add", "早上好"});
    Ok({"presets", "add", "晚安 \"朋友\""});
    Ok({"presets", "add", ""});
    const auto rows = ParseLines(Ok({"presets", "list"}));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (QJsonObject{{"name", "2"}, {"text", "已有"}}));
    EXPECT_EQ(rows[1], (QJsonObject{{"name", "1"}, {"text", "早上好"}}));
    EXPECT_EQ(rows[2], (QJsonObject{{"name", "3"}, {"text", "晚安 \"朋友\""}}));
    EXPECT_EQ(rows[3], (QJsonObject{{"name", "4"}, {"text", ""}}));
}

TEST_F(PhoneCli, SimShowSetRemove) {
    EXPECT_EQ(Ok({"sim", "show"}), "{\"number\":\"+8613800000000\"}\n");
    Ok({"sim", "set", "+8613911112222"});
    EXPECT_EQ(Ok({"sim", "show"}), "{\"number\":\"+8613911112222\"}\n");
    Ok({"sim", "remove"});
    EXPECT_EQ(Ok({"sim", "show"}), "{\"number\":null}\n");
    EXPECT_TRUE(dev().Phone().Lines().empty());
    Ok({"sim", "set", "13700000000"});
    EXPECT_EQ(dev().Phone().SimNumber(), u"13700000000");
}

TEST_F(PhoneCli, LinesListAndAdd) {
    EXPECT_EQ(Ok({"lines"}),
              "{\"index\":0,\"name\":\"Cellular Line\",\"number\":\"+8613800000000\"}\n");
    Ok({"line", "add", "Cellular Line", "+8613922223333"});
    Ok({"line", "add", "蓝牙"});
    EXPECT_EQ(Ok({"lines"}),
              "{\"index\":0,\"name\":\"Cellular Line\",\"number\":\"+8613800000000\"}\n"
              "{\"index\":1,\"name\":\"Cellular Line\",\"number\":\"+8613922223333\"}\n"
              "{\"index\":2,\"name\":\"蓝牙\",\"number\":\"\"}\n");
    // The SIM is on the last line of that name.
    EXPECT_EQ(Ok({"sim", "show"}), "{\"number\":\"+8613922223333\"}\n");
    EXPECT_EQ(Phone({"line", "add"}).exitCode, 2);
    EXPECT_EQ(Phone({"line", "add", "a", "b", "c"}).exitCode, 2);
}

TEST_F(PhoneCli, BootSendsTheAntiTheftNoticeWhenAnotherSimIsIn) {
    const std::string settings = "HKLM\\Software\\Microsoft\\Brenwick";
    const std::string notice = "手机防盗提醒：您的手机换上了另一张SIM卡，号码为+8613922223333。";
    struct Case {
        const char* what;
        std::vector<std::vector<std::string>> setup;
        std::string out, err;
        std::string sent; // what the sent log shows afterwards
    };
    const std::string sentNotice = "{\"to\":\"13900001111\",\"text\":\"" + notice +
                                   "\",\"result\":0,\"time\":\"2005-03-07T09:05:00\"}\n";
    const Case cases[] = {
        {"anti-theft off", {{"sim", "set", "+8613922223333"}}, "ok\n", "", ""},
        {"the same SIM",
         {{"reg", "set", settings, "DOG", "13900001111"},
          {"reg", "set", settings, "SIMID", "+8613800000000"}},
         "ok\n",
         "",
         ""},
        {"another SIM",
         {{"reg", "set", settings, "DOG", "13900001111"},
          {"reg", "set", settings, "SIMID", "+8613800000000"},
          {"sim", "set", "+8613922223333"}},
         "notified\n",
         "",
         sentNotice},
        {"a second cellular line carries the SIM",
         {{"reg", "set", settings, "DOG", "13900001111"},
          {"reg", "set", settings, "SIMID", "+8613800000000"},
          {"line", "add", "Cellular Line", "+8613922223333"}},
         "notified\n",
         "",
         sentNotice},
        {"no SIM",
         {{"reg", "set", settings, "DOG", "13900001111"}, {"sim", "remove"}},
         "unsent\n",
         "brenwick-phone: no cellular line: the phone has no SIM card\n",
         ""},
        {"the untouched number box",
         {{"reg", "set", settings, "DOG", "<在此输入手机号>"}, {"sim", "set", "+8613922223333"}},
         "unsent\n",
         "brenwick-phone: the anti-theft number is no phone number: <在此输入手机号>\n",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::TempDevice fresh;
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.begin(), {BRENWICK_PHONE, "--device", fresh.Arg()});
            return testing_support::Run(std::move(args), {kFixedTime});
        };
        for (const auto& step : c.setup)
            ASSERT_EQ(run(step).exitCode, 0);
        const auto boot = run({"boot"});
        EXPECT_EQ(boot.exitCode, 0);
        EXPECT_EQ(boot.out, c.out);
        EXPECT_EQ(boot.err, c.err);
        EXPECT_EQ(run({"sent"}).out, c.sent);
    }
    // With the network off the notice is tried, fails, and says so.
    Ok({"reg", "set", settings, "DOG", "13900001111"});
    Ok({"network", "off"});
    const auto boot = Phone({"boot"});
    EXPECT_EQ(boot.out, "unsent\n");
    EXPECT_EQ(boot.err, "brenwick-phone: the network is off\n");
    EXPECT_NE(Ok({"sent"}).find(notice.substr(0, 30)), std::string::npos);
}

TEST_F(PhoneCli, NetworkIsOnUntilSwitchedOff) {
    EXPECT_EQ(Ok({"network"}), "on\n");
    Ok({"network", "off"});
    EXPECT_EQ(Ok({"network"}), "off\n");
    EXPECT_FALSE(dev().Phone().NetworkOn());
    Ok({"network", "on"});
    EXPECT_EQ(Ok({"network"}), "on\n");
}

TEST_F(PhoneCli, ContactsAddAndList) {
    EXPECT_EQ(Ok({"contacts", "list"}), "");
    Ok({"contacts", "add", "--mobile", "13800138000", "--last", "张", "--first", "三"});
    Ok({"contacts", "add"});
    Ok({"contacts", "add", "--other", "+8610086", "--work", "010-1", "--first", "A\"b"});
    const auto rows = ParseLines(Ok({"contacts", "list"}));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (QJsonObject{{"first", "三"},
                                    {"last", "张"},
                                    {"mobile", "13800138000"},
                                    {"work", ""},
                                    {"other", ""}}));
    EXPECT_EQ(
        rows[1],
        (QJsonObject{{"first", ""}, {"last", ""}, {"mobile", ""}, {"work", ""}, {"other", ""}}));
    EXPECT_EQ(rows[2], (QJsonObject{{"first", "A\"b"},
                                    {"last", ""},
                                    {"mobile", ""},
                                    {"work", "010-1"},
                                    {"other", "+8610086"}}));
}

// The cards of a file join the contacts, after those there, in the file's order; a broken
// file adds none of its cards and says where it breaks.
TEST_F(PhoneCli, ContactsImportAddsEveryCardOrNone) {
    Ok({"contacts", "add", "--last", "Before"});
    const auto file = m_device.Dir().parent_path() / "people.vcf";
    std::ofstream(file) << "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                           "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E6=9D=8E;=E5=9B=9B\r\n"
                           "TEL;CELL:13900139000\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:3.0\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Desk\r\n"
                           "TEL;VALUE=uri;TYPE=work:tel:010-1\r\nEND:VCARD\r\n";
    const auto added = Phone({"contacts", "import", file.string()});
    EXPECT_EQ(added.exitCode, 0);
    EXPECT_EQ(added.out, "added 2\n");
    EXPECT_EQ(added.err, file.string() + ": card 2 (line 6): no name and no number, skipped\n");
    const std::vector<platform::PhoneContact> before = {
        {u"", u"Before", u"", u"", u""},
        {u"四", u"李", u"13900139000", u"", u""},
        {u"", u"Desk", u"", u"010-1", u""},
    };
    EXPECT_EQ(dev().Phone().Contacts(), before);

    std::ofstream(file, std::ios::trunc) << "BEGIN:VCARD\nVERSION:3.0\nN:Half;Way\nEND:VCARD\n"
                                            "BEGIN:VCARD\nN:Cut;Off\n";
    const auto broken = Phone({"contacts", "import", file.string()});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.out, "");
    EXPECT_EQ(broken.err, "brenwick-phone: " + file.string() +
                              ": the card of line 5 has no END:VCARD; nothing added\n");
    const auto missing = Phone({"contacts", "import", file.string() + ".none"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "brenwick-phone: cannot read " + file.string() + ".none\n");
    std::ofstream(file, std::ios::trunc).close();
    EXPECT_EQ(Phone({"contacts", "import", file.string()}).err,
              "brenwick-phone: " + file.string() +
                  ": no BEGIN:VCARD: not a vCard file; nothing added\n");
    EXPECT_EQ(dev().Phone().Contacts(), before);
}

TEST_F(PhoneCli, LogsOneObjectALineWithTheirTime) {
    for (const char* log : {"inbox", "sent", "calls", "launches", "notices"})
        EXPECT_EQ(Ok({log}), "") << log;
    platform::FixLocalTime(platform::LocalTime{2005, 3, 7, 9, 5, 0});
    auto& phone = dev().Phone();
    ASSERT_TRUE(phone.LogSentSms(u"13800138000", u"回复", 0));
    ASSERT_TRUE(phone.LogSentSms(u"10086", u"x", 1));
    ASSERT_TRUE(phone.LogCall(u"13800138000"));
    ASSERT_TRUE(phone.LogLaunch(u"\\Windows\\tmail.exe", u"-service \"SMS\" -body \"你\""));
    ASSERT_TRUE(phone.LogNotice(u"13900000000", u"新短信", std::nullopt));
    ASSERT_TRUE(phone.LogNotice(u"13900000000", u"新短信", u"短"));
    platform::FixLocalTime(std::nullopt);
    const QString t = "2005-03-07T09:05:00";

    const auto sent = ParseLines(Ok({"sent"}));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0],
              (QJsonObject{{"to", "13800138000"}, {"text", "回复"}, {"result", 0}, {"time", t}}));
    EXPECT_EQ(sent[1]["result"], 1);
    EXPECT_EQ(ParseLines(Ok({"calls"})),
              (std::vector<QJsonObject>{{{"number", "13800138000"}, {"time", t}}}));
    EXPECT_EQ(ParseLines(Ok({"launches"})),
              (std::vector<QJsonObject>{{{"path", "\\Windows\\tmail.exe"},
                                         {"cmdline", "-service \"SMS\" -body \"你\""},
                                         {"time", t}}}));
    const auto notices = ParseLines(Ok({"notices"}));
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0], (QJsonObject{{"from", "13900000000"},
                                       {"text", "新短信"},
                                       {"vibration", QJsonValue::Null},
                                       {"time", t}}));
    EXPECT_EQ(notices[1]["vibration"], "短");
}

TEST_F(PhoneCli, PathNamesTheHostFile) {
    const auto files = m_device.Dir() / "files";
    EXPECT_EQ(Ok({"path", "\\windows\\FRAME.jpg"}),
              (files / "Windows" / "frame.jpg").string() + "\n");
    EXPECT_EQ(Ok({"path", "\\My Documents\\List.xml"}),
              (files / "My Documents" / "List.xml").string() + "\n");
    EXPECT_EQ(Ok({"path", "\\新建\\文件.txt"}), (files / "新建" / "文件.txt").string() + "\n");
    for (const char* path : {"\\..\\secret", "\\Windows\\..\\..\\x"}) {
        const auto r = Phone({"path", path});
        EXPECT_EQ(r.exitCode, 1) << path;
        EXPECT_TRUE(r.err.starts_with("brenwick-phone: ")) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(PhoneCli, MessagingWithoutADisplaySaysSoInOneLineAndExits1) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"messaging"},
          {"messaging", "-service \"SMS\" -body \"你好\""},
          {"messaging", "-service", "SMS", "-body", "你好"}}) {
        std::vector<std::string> argv = {BRENWICK_PHONE, "--device", m_device.Arg()};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto r =
            testing_support::Run(argv, {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
        EXPECT_EQ(r.exitCode, 1) << testing::PrintToString(args);
        EXPECT_TRUE(r.err.starts_with("brenwick-phone: no display")) << r.err;
        EXPECT_TRUE(r.err.find("xvfb-run") != std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(dev().Phone().SentMessages().empty());
}
