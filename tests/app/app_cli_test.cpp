// brenwick's command line: what it answers before it opens any window or device.
#include "child_process.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(AppCli, HelpAndVersionAnswerOnStandardOutput) {
    for (const std::string option : {"--help", "-h"}) {
        const auto r = testing_support::Run({BRENWICK_APP, option});
        EXPECT_EQ(r.exitCode, 0) << option;
        EXPECT_TRUE(r.out.starts_with("usage: brenwick [--device DIR] [--scale N]\n")) << r.out;
        EXPECT_NE(r.out.find("--script FILE"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
    const auto r = testing_support::Run({BRENWICK_APP, "--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "brenwick " BRENWICK_VERSION "\n");
    EXPECT_EQ(r.err, "");
    // An answer that cannot be written is no success.
    for (const std::string option : {"--help", "--version"}) {
        const auto full =
            testing_support::Run({"/bin/sh", "-c", "'" BRENWICK_APP "' " + option + " >/dev/full"});
        EXPECT_EQ(full.exitCode, 1) << option;
    }
}

TEST(AppCli, BadOptionsPrintUsageOnStandardErrorAndExit2WithoutTouchingTheDevice) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("brenwick-app-usage-" + std::to_string(::getpid()));
    const std::vector<std::vector<std::string>> cases = {
        {"--nonsense"},         {"--scale", "0"},      {"--scale", "2x"}, {"--scale", "9"},
        {"--time-scale", "-1"}, {"--transcript", "t"}, {"--script"},      {"-v"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> argv = {BRENWICK_APP, "--device", dir.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto r = testing_support::Run(argv);
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_TRUE(r.err.starts_with("usage: brenwick ")) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir));
}

} // namespace
