#include "platform/text.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out(utf8.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out(utf16.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf16.data(),
                       static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::u16string FoldCase(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        UChar32 c;
        U16_NEXT(text.data(), i, text.size(), c);
        const UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
        if (U_IS_BMP(folded)) {
            out += static_cast<char16_t>(folded);
        } else {
            out += static_cast<char16_t>(U16_LEAD(folded));
            out += static_cast<char16_t>(U16_TRAIL(folded));
        }
    }
    return out;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return FoldCase(a) == FoldCase(b);
}

} // namespace platform
