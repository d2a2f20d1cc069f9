#pragma once

// The program's text type: UTF-16, as the phone's strings are. A thin value type over
// std::u16string with the handful of operations the program's code is written in.

#include <compare>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class CString {
public:
    CString() = default;
    CString(const char16_t* text) : m_text(text ? text : u"") {}
    CString(std::u16string text) : m_text(std::move(text)) {}
    CString(std::u16string_view text) : m_text(text) {}
    CString(const char16_t* text, int length) : m_text(text, static_cast<std::size_t>(length)) {}

    // UTF-8 at the edges of the program (command lines, files, logs). Invalid sequences
    // become U+FFFD; lone surrogates of a CString become U+FFFD in ToUtf8.
    static CString FromUtf8(std::string_view utf8);
    std::string ToUtf8() const;

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    char16_t GetAt(int index) const { return m_text.at(static_cast<std::size_t>(index)); }
    char16_t operator[](int index) const { return GetAt(index); }

    // Parts of the text; counts beyond the ends are clamped, as the phone's string class does.
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // Index of the first occurrence at or after start, or -1.
    int Find(std::u16string_view part, int start = 0) const;
    bool StartsWith(std::u16string_view prefix) const { return m_text.starts_with(prefix); }

    // printf-style formatting with %s (texts), %d (integers) and %%; a conversion without a
    // fitting argument produces nothing.
    using FormatArg = std::variant<long long, std::u16string_view>;
    void FormatV(std::u16string_view format, const std::vector<FormatArg>& args);
    template <class... Args> void Format(std::u16string_view format, const Args&... args) {
        FormatV(format, {ToFormatArg(args)...});
    }
    template <class... Args>
    static CString Formatted(std::u16string_view format, const Args&... args) {
        CString s;
        s.Format(format, args...);
        return s;
    }

    const std::u16string& str() const { return m_text; }
    const char16_t* c_str() const { return m_text.c_str(); }
    operator std::u16string_view() const { return m_text; }

    CString& operator+=(std::u16string_view more) {
        m_text += more;
        return *this;
    }
    CString& operator+=(char16_t c) {
        m_text += c;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) {
        return CString(a.m_text + b.m_text);
    }

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, std::u16string_view b) { return a.m_text == b; }
    friend bool operator==(const CString& a, const char16_t* b) { return a.m_text == b; }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) {
        return a.m_text <=> b.m_text;
    }

private:
    static FormatArg ToFormatArg(const CString& s) { return std::u16string_view(s.m_text); }
    static FormatArg ToFormatArg(const char16_t* s) { return std::u16string_view(s ? s : u""); }
    static FormatArg ToFormatArg(std::u16string_view s) { return s; }
    static FormatArg ToFormatArg(const std::u16string& s) { return std::u16string_view(s); }
    template <class Int>
    requires std::is_integral_v<Int>
    static FormatArg ToFormatArg(Int n) { return static_cast<long long>(n); }

    std::u16string m_text;
};

// For test failure messages and logs: writes the text as UTF-8.
std::ostream& operator<<(std::ostream& out, const CString& text);
