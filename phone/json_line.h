#pragma once

// One JSON object on one line: the form of every listing brenwick-phone prints, so that a
// test or a person can read it line by line.

#include <optional>
#include <string>
#include <string_view>

namespace phone {

class JsonLine {
public:
    JsonLine& Text(std::string_view key, std::u16string_view value);
    JsonLine& Utf8(std::string_view key, std::string_view value);
    JsonLine& Int(std::string_view key, long long value);
    JsonLine& TextOrNull(std::string_view key, const std::optional<std::u16string>& value);

    std::string str() const { return m_text + "}"; }

private:
    JsonLine& Raw(std::string_view key, std::string_view json);
    std::string m_text = "{";
};

} // namespace phone
