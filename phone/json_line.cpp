#include "phone/json_line.h"

#include "platform/json.h"

namespace phone {

JsonLine& JsonLine::Raw(std::string_view key, std::string_view json) {
    if (m_text.size() > 1)
        m_text += ',';
    m_text += platform::JsonString(key);
    m_text += ':';
    m_text += json;
    return *this;
}

JsonLine& JsonLine::Text(std::string_view key, std::u16string_view value) {
    return Raw(key, platform::JsonString(value));
}

JsonLine& JsonLine::Utf8(std::string_view key, std::string_view value) {
    return Raw(key, platform::JsonString(value));
}

JsonLine& JsonLine::Int(std::string_view key, long long value) {
    return Raw(key, std::to_string(value));
}

JsonLine& JsonLine::TextOrNull(std::string_view key, const std::optional<std::u16string>& value) {
    return value ? Text(key, *value) : Raw(key, "null");
}

} // namespace phone
