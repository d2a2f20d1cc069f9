#pragma once

// How the phone's contacts store orders names: Latin letters without regard to case or
// accents, every other character by code point, and a Chinese character by its pinyin
// (tones removed), after every character that is not Chinese. So a range from the first
// character of one pinyin initial to that of the next takes in exactly the Chinese names
// whose pinyin begins with those letters, whichever reading of a syllable or level of the
// national character set the character has, and no Latin name.

#include <string>
#include <string_view>

namespace platform {

// The key of text in that order: two texts compare as their keys compare (as bytes).
// Texts with equal keys are equal to the store ("张" and "章", "a" and "A").
std::string NameOrderKey(std::u16string_view text);

} // namespace platform
