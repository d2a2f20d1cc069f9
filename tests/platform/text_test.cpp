#include "platform/clock.h"
#include "platform/cstring.h"
#include "platform/json.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

TEST(CStringTest, FormatsTheConversionsTheProgramUses) {
    struct Case {
        CString got;
        const char16_t* want;
    };
    const Case cases[] = {
        {CString::Formatted(u"%d-%d-%d-%d:%d:%d", 2005, 3, 7, 9, 5, 0), u"2005-3-7-9:5:0"},
        {CString::Formatted(u"是否要添加<%s> %s到短信红名单？", CString(u"张三"), u"138"),
         u"是否要添加<张三> 138到短信红名单？"},
        {CString::Formatted(u"字数:%d", -1), u"字数:-1"},
        {CString::Formatted(u"100%% %s", u"x"), u"100% x"},
        {CString::Formatted(u"%s and %s", u"one"), u"one and "},
        {CString::Formatted(u"%x stays"), u"%x stays"},
        {CString::Formatted(u"%d", u"text"), u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.want);
}

TEST(CStringTest, PartsClampAtTheEnds) {
    const CString s = u"[*]2005";
    EXPECT_EQ(s.Left(3), u"[*]");
    EXPECT_EQ(s.Mid(3), u"2005");
    EXPECT_EQ(s.Mid(5, 100), u"05");
    EXPECT_EQ(s.Mid(99), u"");
    EXPECT_EQ(s.Left(-1), u"");
    EXPECT_EQ(s.Right(2), u"05");
    EXPECT_EQ(s.Find(u"[*]"), 0);
    EXPECT_EQ(s.Find(u"x"), -1);
    EXPECT_EQ(CString::FromUtf8("张三").ToUtf8(), "张三");
    EXPECT_EQ(CString::FromUtf8("\xff").GetLength(), 1)
        << "a bad byte becomes one replacement character";
}

TEST(TextTest, CaseFoldingAndJson) {
    EXPECT_TRUE(platform::EqualsIgnoringCase(u"Software\\Listb", u"SOFTWARE\\listB"));
    EXPECT_TRUE(platform::EqualsIgnoringCase(u"ÀÉÎ", u"àéî"));
    EXPECT_FALSE(platform::EqualsIgnoringCase(u"张三", u"张四"));
    EXPECT_EQ(platform::JsonString(std::string_view("a\"b\\c\n\x01张")),
              "\"a\\\"b\\\\c\\n\\u0001张\"");
}

TEST(ClockTest, FixedTimesParseStrictly) {
    EXPECT_EQ(platform::ParseIsoTime("2005-03-07T09:05:00"),
              (platform::LocalTime{2005, 3, 7, 9, 5, 0}));
    for (const char* bad :
         {"2005-13-07T09:05:00", "2005-03-07 09:05:00", "2005-03-07T09:05:00x", ""})
        EXPECT_FALSE(platform::ParseIsoTime(bad)) << bad;
    EXPECT_EQ(platform::FormatIsoTime({2005, 3, 7, 9, 5, 0}), "2005-03-07T09:05:00");
    platform::FixLocalTime(platform::LocalTime{2026, 1, 2, 3, 4, 5});
    EXPECT_EQ(platform::GetLocalTime(), (platform::LocalTime{2026, 1, 2, 3, 4, 5}));
    platform::FixLocalTime(std::nullopt);
    EXPECT_GE(platform::GetLocalTime().year, 2024);
}

TEST(ClockTest, TheTimeScaleStretchesThePrograms) {
    EXPECT_EQ(platform::ScaledMilliseconds(2100), 2100);
    platform::SetTimeScale(0.01);
    EXPECT_EQ(platform::ScaledMilliseconds(2100), 21);
    EXPECT_EQ(platform::ScaledMilliseconds(-5), 0);
    platform::SetTimeScale(-1);
    EXPECT_EQ(platform::ScaledMilliseconds(200), 0) << "no negative scale";
    platform::SetTimeScale(1);
}

} // namespace
