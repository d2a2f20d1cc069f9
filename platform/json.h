#pragma once

// Writing JSON text: the registry dump, the logs and the transcript are JSON.

#include <string>
#include <string_view>

namespace platform {

// A JSON string literal, quotes included, for UTF-8 text. Control characters are escaped.
std::string JsonString(std::string_view utf8);
std::string JsonString(std::u16string_view utf16);

} // namespace platform
