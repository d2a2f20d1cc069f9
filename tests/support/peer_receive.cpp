// The filter service run in a loop by brenwick-test-peer, as SMS arriving one after another.
#include "phone/filter_service.h"
#include "platform/device.h"
#include "platform/text.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// receive TAG COUNT FROM...: COUNT SMS arrive from the FROM numbers in turn, SMS i with the
// text "TAG-i"; prints how many each verdict got and "failures N": those whose verdict the
// stores kept from being reached, or whose steps after it failed (the first few on stderr).
int ReceiveMany(platform::Device& device, const std::vector<std::string>& args) {
    const std::string& tag = args[0];
    const int count = std::stoi(args[1]);
    const std::vector<std::string> from(args.begin() + 2, args.end());
    int verdicts[4] = {};
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const auto outcome =
            phone::ReceiveSms(device, platform::Utf8ToUtf16(from[i % from.size()]),
                              platform::Utf8ToUtf16(tag + "-" + std::to_string(i)));
        if (outcome.verdict)
            ++verdicts[static_cast<int>(*outcome.verdict)];
        if (!outcome.verdict || !outcome.warning.empty()) {
            if (++failures <= 5)
                std::fprintf(stderr, "%s-%d: %s%s\n", tag.c_str(), i, outcome.error.c_str(),
                             outcome.warning.c_str());
        }
    }
    for (const auto verdict : {phone::Verdict::Private, phone::Verdict::Blocked,
                               phone::Verdict::Rejected, phone::Verdict::Inbox})
        std::printf("%s %d\n", phone::VerdictWord(verdict).data(),
                    verdicts[static_cast<int>(verdict)]);
    std::printf("failures %d\n", failures);
    return 0;
}

} // namespace

int RunReceiveCommand(platform::Device& device, const std::string& command,
                      const std::vector<std::string>& args) {
    if (command == "receive" && args.size() >= 3)
        return ReceiveMany(device, args);
    return -1;
}
