#pragma once

// Registry paths as brenwick-phone's command lines write them: "HKLM\Software\...",
// "HKCU\...", the long root names, or no root at all for the local-machine root.

#include "platform/registry.h"

#include <optional>
#include <string>
#include <string_view>

namespace phone {

struct RegPath {
    platform::RegRoot root = platform::RegRoot::LocalMachine;
    std::u16string path; // below the root, without leading or trailing '\'; empty: the root
};

// None for a path with an empty component ("A\\B").
std::optional<RegPath> ParseRegPath(std::u16string_view text);

// "HKLM\Software\..." as dumps print it.
std::u16string DisplayPath(platform::RegRoot root, std::u16string_view path);

// "a\b" + "c" -> "a\b\c", "" + "c" -> "c".
std::u16string JoinPath(std::u16string_view parent, std::u16string_view child);

std::string_view StatusText(platform::RegStatus status);

} // namespace phone
