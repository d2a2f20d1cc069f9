#include "platform/json.h"

#include "platform/text.h"

#include <cstdio>

namespace platform {

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string JsonString(std::u16string_view utf16) {
    return JsonString(Utf16ToUtf8(utf16));
}

} // namespace platform
