#include "platform/phonedb.h"
#include "platform/shell/launch.h"

#include "temp_device.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(ShellTest, StartsAndCallsAreLoggedAndTold) {
    testing_support::TempDevice device;
    std::vector<std::u16string> told;
    platform::SetShellObserver(
        {[&](std::u16string_view path, std::u16string_view cmdline) {
             told.push_back(std::u16string(path) + u" " + std::u16string(cmdline));
         },
         [&](std::u16string_view number) { told.push_back(u"call " + std::u16string(number)); }});
    EXPECT_TRUE(platform::StartProgram(u"\\Windows\\tmail.exe", u""));
    EXPECT_TRUE(
        platform::StartProgram(u"\\Windows\\tmail.exe", u"-service \"SMS\" -body \"你好\""));
    EXPECT_TRUE(platform::RequestCall(u"13800138000"));
    platform::SetShellObserver({});

    EXPECT_EQ(told,
              (std::vector<std::u16string>{u"\\Windows\\tmail.exe ",
                                           u"\\Windows\\tmail.exe -service \"SMS\" -body \"你好\"",
                                           u"call 13800138000"}));
    const auto launches = device.Get().Phone().Launches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[1].cmdline, u"-service \"SMS\" -body \"你好\"");
    ASSERT_EQ(device.Get().Phone().Calls().size(), 1u);
    EXPECT_EQ(device.Get().Phone().Calls()[0].number, u"13800138000");
}

// In a window run the messaging program starts for real, on the same device; other programs
// of the phone have no stand-in and are only logged.
TEST(ShellTest, RealStartsRunTheMessagingStandIn) {
    testing_support::TempDevice device;
    const auto fake = device.Dir().parent_path() / "fake-phone";
    const auto seen = device.Dir().parent_path() / "seen";
    std::ofstream(fake) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << seen
                        << ".part && mv " << seen << ".part " << seen << "\n";
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    setenv("BRENWICK_PHONE", fake.c_str(), 1);
    platform::SetRealStarts(true);
    EXPECT_TRUE(
        platform::StartProgram(u"\\windows\\TMAIL.EXE", u"-service \"SMS\" -body \"你好\""));
    EXPECT_TRUE(platform::StartProgram(u"\\Windows\\calc.exe", u"")) << "logged";
    platform::SetRealStarts(false);
    unsetenv("BRENWICK_PHONE");

    for (int i = 0; i < 500 && !std::filesystem::exists(seen); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(seen);
    std::vector<std::string> args;
    for (std::string line; std::getline(in, line);)
        args.push_back(line);
    EXPECT_EQ(args, (std::vector<std::string>{"--device", device.Dir().string(), "messaging",
                                              "-service \"SMS\" -body \"你好\""}));
    EXPECT_EQ(device.Get().Phone().Launches().size(), 2u);
}

} // namespace
