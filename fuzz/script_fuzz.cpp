// A script of a headless run, as any file given to --script may hold it.
#include "platform/script/script.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::gui::ScriptError error;
    const auto actions = platform::gui::ParseScript(text, error);
    if (!actions) {
        // A refused script says where: a line of the text.
        if (error.line < 1 || error.message.empty() || error.Describe().empty())
            std::abort();
        return 0;
    }
    int line = 0;
    for (const auto& action : *actions) {
        if (action.line <= line || ActionName(action.kind).empty())
            std::abort();
        line = action.line;
    }
    return 0;
}
