#pragma once

// The registry keys the program keeps its state under, below the local-machine root.

namespace keys {

inline constexpr const char16_t* kSettings = u"Software\\Microsoft\\Brenwick";
inline constexpr const char16_t* kData = u"Software\\Tolvane\\Brenwick";
inline constexpr const char16_t* kBlackList = u"Software\\Tolvane\\Brenwick\\List";
inline constexpr const char16_t* kRedList = u"Software\\Tolvane\\Brenwick\\Listb";
inline constexpr const char16_t* kInbox = u"Software\\Tolvane\\Brenwick\\Content";
inline constexpr const char16_t* kOutbox = u"Software\\Tolvane\\Brenwick\\Contentout";

// The phone's own preset phrases, below the current-user root.
inline constexpr const char16_t* kPresetPhrases = u"Software\\Microsoft\\Inbox\\PresetMsgs";

} // namespace keys
