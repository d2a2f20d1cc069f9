// Contacts from vCard files: the three versions as phones and address books write them, and
// files that are broken.
#include "phone/vcard.h"

#include "platform/text.h"

#include <gtest/gtest.h>

using phone::ReadVCards;
using platform::PhoneContact;

namespace {

PhoneContact Person(std::u16string first, std::u16string last, std::u16string mobile,
                    std::u16string work = u"", std::u16string other = u"") {
    return {std::move(first), std::move(last), std::move(mobile), std::move(work),
            std::move(other)};
}

// An Android export: 2.1, quoted-printable UTF-8 with soft line breaks, 2.1's bare types.
const std::string kVersion21 =
    "BEGIN:VCARD\r\n"
    "VERSION:2.1\r\n"
    "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E6=AC=A7=E9=98=B3;=E5=A4=A7=\r\n"
    "=E4=BC=9F;;;\r\n"
    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E6=AC=A7=E9=98=B3=E5=A4=A7=E4=BC=9F\r\n"
    "TEL;CELL;PREF:13800138000\r\n"
    "TEL;WORK;VOICE:010-62345678\r\n"
    "TEL;HOME:010-87654321\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:2.1\r\n"
    "N;CHARSET=GB2312;QUOTED-PRINTABLE:=D5=C5;=C8=FD\r\n"
    "TEL;FAX:010-1\r\n"
    "TEL;X-OTHER:010-2\r\n"
    "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQSkZJRgABAQ\r\n"
    " AAAQABAAD\r\n"
    "\r\n"
    "END:VCARD\r\n";

// An address book's 3.0: folded lines, TYPE= lists, escapes, a group prefix.
const std::string kVersion30 = "BEGIN:VCARD\n"
                               "VERSION:3.0\n"
                               "N:O'Brien\\, Jr;Mary Ann;;;\n"
                               "FN:Mary Ann O'Brien\n"
                               "item1.TEL;TYPE=WORK,VOICE:+1 555\n"
                               " 0100\n"
                               "TEL;type=CELL;type=pref:+86 139 0013 9000\n"
                               "NOTE:a line\\nand another\n"
                               "END:VCARD\n"
                               "BEGIN:VCARD\n"
                               "VERSION:3.0\n"
                               "FN:Acme Taxi\n"
                               "TEL;TYPE=WORK;TYPE=CELL:95128\n"
                               "END:VCARD\n";

// 4.0: tel URIs, quoted TYPE lists, no N.
const std::string kVersion40 = "BEGIN:VCARD\r\n"
                               "VERSION:4.0\r\n"
                               "FN:王小明\r\n"
                               "N:王;小明;;;\r\n"
                               "TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+86-135-0000-0000\r\n"
                               "TEL;VALUE=uri;TYPE=work:tel:+86-10-1234-5678;ext=102\r\n"
                               "END:VCARD\r\n"
                               "BEGIN:VCARD\r\n"
                               "VERSION:4.0\r\n"
                               "FN:Noname Number\r\n"
                               "END:VCARD\r\n"
                               "BEGIN:VCARD\r\n"
                               "VERSION:4.0\r\n"
                               "END:VCARD\r\n";

std::string Utf16LittleEndian(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : platform::Utf8ToUtf16(utf8)) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

} // namespace

TEST(VCard, EachVersionGivesItsContacts) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<PhoneContact> contacts;
        std::vector<std::string> skipped;
    };
    const Case cases[] = {
        {"2.1",
         kVersion21,
         {Person(u"大伟", u"欧阳", u"13800138000", u"010-62345678", u"010-87654321"),
          Person(u"三", u"张", u"", u"", u"010-2")},
         {}},
        {"3.0",
         kVersion30,
         {Person(u"Mary Ann", u"O'Brien, Jr", u"+86 139 0013 9000", u"+1 5550100"),
          Person(u"", u"Acme Taxi", u"95128")},
         {}},
        {"4.0",
         kVersion40,
         {Person(u"小明", u"王", u"+86-135-0000-0000", u"+86-10-1234-5678"),
          Person(u"", u"Noname Number", u"")},
         {"card 3 (line 12): no name and no number"}},
        {"UTF-16 with its mark",
         Utf16LittleEndian(
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:王;小明\r\nTEL;TYPE=CELL:1\r\nEND:VCARD\r\n"),
         {Person(u"小明", u"王", u"1")},
         {}},
        {"GB18030 without a charset",
         "BEGIN:VCARD\nVERSION:2.1\nN:\xD5\xC5;\xC8\xFD\nTEL;CELL:1\nEND:VCARD\n",
         {Person(u"三", u"张", u"1")},
         {}},
        {"cards left out",
         "BEGIN:VCARD\nVERSION:5.0\nFN:Future\nEND:VCARD\n"
         "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=NO-SUCH-SET:x;y\nEND:VCARD\n"
         "BEGIN:VCARD\nVERSION:3.0\nN:Kept;\nEND:VCARD\n",
         {Person(u"", u"Kept", u"")},
         {"card 1 (line 1): version 5.0 is none of 2.1, 3.0 and 4.0",
          "card 2 (line 5): unknown charset \"NO-SUCH-SET\" in N"}},
    };
    for (const Case& c : cases) {
        const auto result = ReadVCards(c.file);
        EXPECT_EQ(result.error, "") << c.what;
        EXPECT_EQ(result.contacts, c.contacts) << c.what;
        EXPECT_EQ(result.skipped, c.skipped) << c.what;
    }
}

TEST(VCard, ABrokenFileGivesNothingAndSaysWhere) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "no BEGIN:VCARD: not a vCard file"},
        {"hello\n", "line 1: text outside a card"},
        {"BEGIN:VCARD\nVERSION:3.0\nN:A;B\nEND:VCARD\nBEGIN:VCARD\nN:C;D\n",
         "the card of line 5 has no END:VCARD"},
        {"BEGIN:VCARD\nN:A;B\nBEGIN:VCARD\nEND:VCARD\n", "line 3: a card begins inside another"},
        {"END:VCARD\n", "line 1: END:VCARD without BEGIN:VCARD"},
        {"BEGIN:VCARD\nVERSION:3.0\nN:A;B\nEND:VCARD\nBEGIN:VCARD\nnonsense\nEND:VCARD\n",
         "line 6: no \":\" in the line"},
        {"\xFF\xFE\x41", "a UTF-16 file of an odd length"},
    };
    for (const auto& [file, error] : cases) {
        const auto result = ReadVCards(file);
        EXPECT_EQ(result.error, error) << file;
        EXPECT_TRUE(result.contacts.empty()) << file;
    }
}
