// The exchange document: loading refuses every malformed, wrongly encoded or hostile file
// with the one load failure message; texts keep their encoding, markup characters and
// order; indentation counts for nothing; the saved file is always the whole document; and
// ExportKeyToList turns a registry key into members.
#include "exchange/ExchangeDocument.h"

#include "drive.h"
#include "platform/device.h"
#include "platform/xml.h"
#include "store/CRegistryStore.h"
#include "temp_device.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace {

const std::string kLoadFailure =
    R"({"ev":"msgbox","text":"加载文件失败，请确认文件是否在指定目录！","caption":"错误信息","icon":"stop","buttons":"ok"})";

class ExchangeDocumentTest : public ::testing::Test {
protected:
    std::filesystem::path File(const char16_t* devicePath) {
        return *m_device.Get().HostPath(devicePath);
    }
    void Write(const char16_t* devicePath, const std::string& bytes) {
        std::ofstream(File(devicePath), std::ios::binary) << bytes;
    }
    std::string Read(const char16_t* devicePath) {
        std::ifstream in(File(devicePath), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Loads the file; the message boxes it showed (each answered).
    std::vector<std::string> Load(const char16_t* devicePath, bool& loaded,
                                  const std::string& answers = "") {
        const auto run = testing_support::DriveModal(
            [&](const auto&) { loaded = LoadDocument(devicePath); }, answers);
        std::vector<std::string> boxes;
        for (const auto& line : run.lines)
            if (line.starts_with(R"({"ev":"msgbox")"))
                boxes.push_back(line);
        return boxes;
    }

    testing_support::TempDevice m_device;
};

TEST_F(ExchangeDocumentTest, EveryBadFileGivesTheLoadFailureAndNothingElse) {
    const std::string laughs = R"(<?xml version="1.0"?>
<!DOCTYPE groups [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">
<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;"><!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">
<!ENTITY e "&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;"><!ENTITY f "&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;">]>
<groups><list><listname>&f;</listname></list></groups>)";
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"an empty file", ""},
        {"no XML at all", "hello"},
        {"truncated", R"(<groups><list><listname>短信)"},
        {"an unclosed element", "<groups><list></groups>"},
        {"two document elements", "<groups/><groups/>"},
        {"text after the document element", "<groups/>tail"},
        {"invalid UTF-8", "<groups><list><listname>\xD5\xC5</listname></list></groups>"},
        {"UTF-16 bytes labelled UTF-8", std::string("<\0g\0/\0>\0", 8)},
        {"bytes that are no GB2312",
         "<?xml version=\"1.0\" encoding=\"GB2312\"?><groups>\xFF\xFF\xFF</groups>"},
        {"an encoding nobody knows", R"(<?xml version="1.0" encoding="X-NO-SUCH"?><groups/>)"},
        {"an undeclared entity", "<groups>&secret;</groups>"},
        {"an external entity",
         R"(<!DOCTYPE groups [<!ENTITY e SYSTEM "file:///etc/hostname">]><groups>&e;</groups>)"},
        {"an external DTD", R"(<!DOCTYPE groups SYSTEM "http://127.0.0.1:9/groups.dtd"><groups/>)"},
        {"a harmless internal DTD", R"(<!DOCTYPE groups [<!ELEMENT groups ANY>]><groups/>)"},
        {"a parameter entity",
         R"(<!DOCTYPE groups [<!ENTITY % p SYSTEM "file:///etc/passwd"> %p;]><groups/>)"},
        {"entity expansion", laughs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write(u"\\My Documents\\Bad.xml", c.bytes);
        bool loaded = true;
        testing::internal::CaptureStderr();
        EXPECT_EQ(Load(u"\\My Documents\\Bad.xml", loaded, "answer ok\n"),
                  std::vector<std::string>{kLoadFailure});
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the library says nothing itself";
        EXPECT_FALSE(loaded);
        EXPECT_EQ(CountLists(), 0);
        // No document: changes do nothing and the file stays as it was.
        EXPECT_TRUE(AppendList());
        EXPECT_TRUE(SetLastListName(u"x"));
        EXPECT_EQ(Read(u"\\My Documents\\Bad.xml"), c.bytes);
    }
    bool loaded = true;
    EXPECT_EQ(Load(u"\\My Documents\\Missing.xml", loaded, "answer ok\n"),
              std::vector<std::string>{kLoadFailure});
    EXPECT_FALSE(loaded);
}

// GB2312 "短信" is D2 BB D0 C5 ... the bytes are checked by reading the file back as the
// declared encoding through libxml2 and by the absence of UTF-8 in it.
TEST_F(ExchangeDocumentTest, TextsRoundTripInTheStartingFilesEncoding) {
    const CString tricky = u"张三 & <李四> \"王五\" 镕";
    const struct {
        const char* what;
        std::string start;
        std::string declaration; // how the saved file begins
    } cases[] = {
        {"UTF-8 without a declaration", "<groups/>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
        {"GB2312", "<?xml version=\"1.0\" encoding=\"GB2312\"?><groups/>",
         "<?xml version=\"1.0\" encoding=\"GB2312\"?>"},
        {"UTF-16 with its byte-order mark", std::string("\xFF\xFE<\0g\0r\0o\0u\0p\0s\0/\0>\0", 20),
         std::string("\xFF\xFE<\0?\0x\0m\0l\0", 12)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write(u"\\My Documents\\Out.xml", c.start);
        bool loaded = false;
        EXPECT_TRUE(Load(u"\\My Documents\\Out.xml", loaded).empty());
        ASSERT_TRUE(loaded);
        ASSERT_TRUE(AppendList());
        ASSERT_TRUE(SetLastListName(u"短信黑名单"));
        ASSERT_TRUE(AppendMember(0, 0));
        ASSERT_TRUE(SetLastMemberFields(0, tricky, u"13800138000"));
        ASSERT_TRUE(AppendMember(0, 0));
        ASSERT_TRUE(SetLastMemberFields(0, u"", u"+8613900139000"));
        const std::string saved = Read(u"\\My Documents\\Out.xml");
        EXPECT_TRUE(saved.starts_with(c.declaration)) << saved;
        EXPECT_EQ(saved.find("张三"), c.declaration.find("UTF-8") != std::string::npos
                                          ? saved.find("张三")
                                          : std::string::npos)
            << "no UTF-8 in a file of another encoding";
        // Whatever the file holds is the whole document, as a fresh save would write it.
        std::string error;
        const auto reread = platform::XmlDocument::Load(File(u"\\My Documents\\Out.xml"), error);
        ASSERT_TRUE(reread) << error;
        EXPECT_EQ(reread->Serialize(), saved);

        ASSERT_TRUE(Load(u"\\My Documents\\Out.xml", loaded).empty());
        EXPECT_EQ(CountLists(), 1);
        EXPECT_EQ(CountListChildren(0), 3);
        EXPECT_EQ(ReadListName(0), u"短信黑名单");
        EXPECT_EQ(ReadMemberField(0, 0, 0), tricky);
        EXPECT_EQ(ReadMemberField(0, 0, 1), u"13800138000");
        EXPECT_EQ(ReadMemberField(0, 1, 0), u"") << "an element without text reads empty";
        EXPECT_EQ(ReadMemberField(0, 1, 1), u"+8613900139000");
        EXPECT_EQ(ReadMemberField(0, 2, 0), u"") << "past the last member";
        EXPECT_EQ(ReadMemberField(0, 0, 2), u"") << "past the last field";
        EXPECT_EQ(ReadListName(1), u"") << "past the last list";
    }
}

TEST_F(ExchangeDocumentTest, IndentationReadsTheSameAsAFlatFileAndLeafTextStaysWhole) {
    Write(u"\\My Documents\\Flat.xml",
          "<groups><list><listname>a</listname><member><rectime> </rectime>"
          "<smscontent>x y</smscontent></member></list></groups>");
    Write(u"\\My Documents\\Indented.xml", "<?xml version=\"1.0\"?>\n<groups>\n  <list>\n"
                                           "    <listname>a</listname>\n    <member>\n"
                                           "      <rectime> </rectime>\n"
                                           "      <smscontent>x y</smscontent>\n"
                                           "    </member>\n  </list>\n</groups>\n");
    for (const char16_t* file : {u"\\My Documents\\Flat.xml", u"\\My Documents\\Indented.xml"}) {
        bool loaded = false;
        ASSERT_TRUE(Load(file, loaded).empty());
        EXPECT_EQ(CountLists(), 1);
        EXPECT_EQ(CountListChildren(0), 2);
        EXPECT_EQ(ReadListName(0), u"a");
        EXPECT_EQ(ReadMemberField(0, 0, 0), u" ") << "a text of its own is not indentation";
        EXPECT_EQ(ReadMemberField(0, 0, 1), u"x y");
    }
    // A change after the indented file was loaded saves it without the indentation.
    ASSERT_TRUE(AppendList());
    EXPECT_EQ(Read(u"\\My Documents\\Indented.xml").find("\n  "), std::string::npos);
}

TEST_F(ExchangeDocumentTest, ExportKeyToListMakesOneMemberPerReadableValue) {
    const CString key = u"Software\\Test\\Records";
    CRegistryStore::WriteString(key, u"2005-3-7-9:5:0", u"早");
    CRegistryStore::WriteString(key, u"[*]2005-3-7-9:6:0", u"");
    CRegistryStore::WriteString(key, u"photo", u"\\My Documents\\a.jpg");
    CRegistryStore::WriteString(key, u"2005-3-7-9:6:30",
                                u"a\x01"
                                u"b\tc");
    CRegistryStore::WriteString(key, u"2005-3-7-9:7:0", std::u16string(128, u'长'));
    CRegistryStore::WriteString(key, u"2005-3-7-9:8:0", u"later");
    Write(u"\\My Documents\\Out.xml", "<groups/>");
    bool loaded = false;
    ASSERT_TRUE(Load(u"\\My Documents\\Out.xml", loaded).empty());
    ASSERT_TRUE(AppendList());

    std::vector<CString> exported;
    EXPECT_EQ(ExportKeyToList(0, key, kInboxRecords, &exported), 0);
    EXPECT_EQ(exported, (std::vector<CString>{u"2005-3-7-9:5:0", u"[*]2005-3-7-9:6:0", u"photo",
                                              u"2005-3-7-9:6:30"}))
        << "a value too long to read ends the key's export";
    EXPECT_EQ(ExportKeyToList(0, u"Software\\Test\\Missing", kOutboxRecords), 0);
    EXPECT_EQ(CountListChildren(0), 5) << "a missing key adds nothing";
    EXPECT_EQ(ReadMemberField(0, 0, 0), u"接收时间:2005-3-7-9:5:0");
    EXPECT_EQ(ReadMemberField(0, 1, 1), u"未知") << "an empty text";
    EXPECT_EQ(ReadMemberField(0, 2, 1), u"\\My Documents\\a.jpg");

    CRegistryStore::WriteString(u"Software\\Test\\List", u"13800138000", u"*张三");
    ASSERT_TRUE(AppendList());
    EXPECT_EQ(ExportKeyToList(1, u"Software\\Test\\List", kListEntries), 0);
    EXPECT_EQ(ReadMemberField(1, 0, 0), u"*张三");
    EXPECT_EQ(ReadMemberField(1, 0, 1), u"13800138000");
    ASSERT_TRUE(AppendList());
    EXPECT_EQ(ExportKeyToList(2, u"Software\\Test\\List", kOutboxRecords), 0);
    EXPECT_EQ(ReadMemberField(2, 0, 0), u"发送时间:13800138000");

    // The file holds all of it, read back from disk.
    ASSERT_TRUE(Load(u"\\My Documents\\Out.xml", loaded).empty());
    EXPECT_EQ(CountLists(), 3);
    EXPECT_EQ(CountListChildren(0), 5);
    EXPECT_EQ(ReadMemberField(0, 3, 1), u"a\uFFFDb\tc")
        << "a control character XML cannot hold becomes U+FFFD; the file still loads";
    EXPECT_EQ(ReadMemberField(2, 0, 1), u"*张三");
}

} // namespace
