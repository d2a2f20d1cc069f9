#include "platform/cstring.h"

#include "platform/text.h"

#include <algorithm>
#include <ostream>

CString CString::FromUtf8(std::string_view utf8) {
    return CString(platform::Utf8ToUtf16(utf8));
}

std::string CString::ToUtf8() const {
    return platform::Utf16ToUtf8(m_text);
}

CString CString::Left(int count) const {
    return Mid(0, count);
}

CString CString::Right(int count) const {
    const int n = std::clamp(count, 0, GetLength());
    return Mid(GetLength() - n, n);
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    const int from = std::clamp(first, 0, GetLength());
    const int n = std::clamp(count, 0, GetLength() - from);
    return CString(m_text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(n)));
}

int CString::Find(std::u16string_view part, int start) const {
    if (start < 0 || start > GetLength())
        return -1;
    const auto at = m_text.find(part, static_cast<std::size_t>(start));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

void CString::FormatV(std::u16string_view format, const std::vector<FormatArg>& args) {
    std::u16string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        const char16_t conversion = format[++i];
        if (conversion == u'%') {
            out += u'%';
            continue;
        }
        if (conversion != u'd' && conversion != u's') {
            // Not a conversion this program uses: keep it as written.
            out += u'%';
            out += conversion;
            continue;
        }
        const FormatArg* arg = next < args.size() ? &args[next++] : nullptr;
        if (!arg)
            continue;
        if (conversion == u'd') {
            if (const auto* n = std::get_if<long long>(arg)) {
                const std::string digits = std::to_string(*n);
                out.append(digits.begin(), digits.end());
            }
        } else if (const auto* text = std::get_if<std::u16string_view>(arg)) {
            out += *text;
        }
    }
    m_text = std::move(out);
}

std::ostream& operator<<(std::ostream& out, const CString& text) {
    return out << text.ToUtf8();
}
