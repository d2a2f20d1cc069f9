#pragma once

// Text conversions and comparisons shared by the platform's stores.

#include <string>
#include <string_view>

namespace platform {

// UTF-8 <-> UTF-16. Invalid input (bad bytes, lone surrogates) becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Simple Unicode case folding, code point by code point: the key under which names that
// differ only in letter case are the same name (registry keys and values, device paths).
std::u16string FoldCase(std::u16string_view text);
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

} // namespace platform
