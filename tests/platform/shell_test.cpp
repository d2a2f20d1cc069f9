#include "platform/phonedb.h"
#include "platform/shell.h"

#include "temp_device.h"

#include <gtest/gtest.h>

namespace {

TEST(ShellTest, StartsAndCallsAreLoggedAndTold) {
    testing_support::TempDevice device;
    std::vector<std::u16string> told;
    platform::SetShellObserver({[&](std::u16string_view path, std::u16string_view cmdline) {
                                    told.push_back(std::u16string(path) + u" " + std::u16string(cmdline));
                                },
                                [&](std::u16string_view number) { told.push_back(u"call " + std::u16string(number)); }});
    EXPECT_TRUE(platform::StartProgram(u"\\Windows\\tmail.exe", u""));
    EXPECT_TRUE(platform::StartProgram(u"\\Windows\\tmail.exe", u"-service \"SMS\" -body \"你好\""));
    EXPECT_TRUE(platform::RequestCall(u"13800138000"));
    platform::SetShellObserver({});

    EXPECT_EQ(told, (std::vector<std::u16string>{u"\\Windows\\tmail.exe ", u"\\Windows\\tmail.exe -service \"SMS\" -body \"你好\"",
                                                 u"call 13800138000"}));
    const auto launches = device.Get().Phone().Launches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[1].cmdline, u"-service \"SMS\" -body \"你好\"");
    ASSERT_EQ(device.Get().Phone().Calls().size(), 1u);
    EXPECT_EQ(device.Get().Phone().Calls()[0].number, u"13800138000");
}

} // namespace
