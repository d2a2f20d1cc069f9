// The messaging program's command line, as the owner's program and people write it.
#include "phone/messaging.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    std::vector<std::string> args;
    bool compose;
    std::string body;
    std::size_t notes;
};

TEST(MessagingCommandLine, ReadsTheServiceAndTheBodyLeniently) {
    const Case cases[] = {
        // The inbox.
        {{}, false, "", 0},
        {{""}, false, "", 0},
        {{"  \t "}, false, "", 0},
        // Forwarding, as the owner's program writes it: one argument.
        {{R"(-service "SMS" -body "hello")"}, true, "hello", 0},
        {{R"(-service "SMS" -body "")"}, true, "", 0},
        {{R"(-service "SMS" -body "他说"明天见"，好吗？")"}, true, R"(他说"明天见"，好吗？)", 0},
        {{R"(-service "SMS" -body ""引号开头" 和 结尾"")"}, true, R"("引号开头" 和 结尾")", 0},
        {{"-service \"SMS\" -body \"第一行\n  第二行 \"  \n"}, true, "第一行\n  第二行 ", 0},
        {{R"(-service "SMS" -body "-service "MMS"")"}, true, R"(-service "MMS")", 0},
        // Separate words, as a shell leaves them; names in any letter case.
        {{"-service", "SMS", "-body", "hello world"}, true, "hello world", 0},
        {{"-SERVICE", "sms", "-Body", "你好", "朋友"}, true, "你好 朋友", 0},
        {{"-service", "SMS"}, true, "", 0},
        {{"-body", "只有正文"}, true, "只有正文", 0},
        {{R"(-body"紧挨着")"}, true, "紧挨着", 0},
        {{"-body", "-service", "SMS"}, true, "-service SMS", 0},
        // Odd command lines: what can be used is, the rest is noted.
        {{R"(-service "MMS" -body "x")"}, false, "x", 1},
        {{R"(-service "SMS" -body "没有结尾)"}, true, "没有结尾", 1},
        {{R"(-service "SMS" -body "hi" extra)"}, true, "hi", 1},
        {{R"(-to 10086 -body "hi")"}, true, "hi", 2},
        {{"-service"}, false, "", 1},
        {{"-service", "-body", "x"}, true, "x", 1},
        {{"hello"}, false, "", 1},
        {{R"("-service" SMS)"}, false, "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const auto request = phone::ParseMessagingArgs(c.args);
        EXPECT_EQ(request.compose, c.compose);
        EXPECT_EQ(request.body, c.body);
        EXPECT_EQ(request.notes.size(), c.notes) << testing::PrintToString(request.notes);
    }
}

} // namespace
