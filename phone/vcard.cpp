#include "phone/vcard.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <variant>

namespace phone {
namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A whole file in UTF-8: a UTF-16 file (by its byte-order mark) converted, a UTF-8 mark
// dropped; any other bytes are left for the charset of each value.
std::optional<std::string> FileText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    const bool little = bytes.starts_with("\xFF\xFE"), big = bytes.starts_with("\xFE\xFF");
    if (!little && !big)
        return std::string(bytes);
    if (bytes.size() % 2)
        return std::nullopt;
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
        text += static_cast<char16_t>(lo | (hi << 8));
    }
    return platform::Utf16ToUtf8(text);
}

struct Line {
    std::string text;
    int number = 0; // of its first physical line, from 1
};

bool IsQuotedPrintable(std::string_view line) {
    const auto colon = line.find(':');
    return Upper(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

// Physical lines joined into content lines: a line that begins with a space or a tab
// continues the one before (without that one character), and so does any line after a
// quoted-printable line that ends in "=" (a soft line break).
std::vector<Line> Unfold(std::string_view text) {
    std::vector<Line> lines;
    bool softBreak = false;
    int number = 0;
    for (std::size_t at = 0; at <= text.size();) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!lines.empty() && softBreak) {
            lines.back().text.pop_back(); // the "="
            lines.back().text += line;
        } else if (!lines.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            lines.back().text += line.substr(1);
        } else {
            lines.push_back({std::string(line), number});
        }
        softBreak = lines.back().text.ends_with('=') && IsQuotedPrintable(lines.back().text);
        if (end == text.size())
            break;
    }
    return lines;
}

// Splits text at separator where it is neither escaped by "\" nor inside double quotes.
std::vector<std::string_view> Split(std::string_view text, char separator, bool quotes) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (quotes && text[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' || text[i] == 'N' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsUtf8(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
}

// The bytes in charset as UTF-8; nothing when the charset is unknown. Text that is not
// UTF-8 and names no charset is what a Chinese phone writes: GB18030.
std::optional<std::string> ToUtf8(const std::string& bytes, std::string charset) {
    if (charset.empty()) {
        if (IsUtf8(bytes))
            return bytes;
        charset = "GB18030";
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(
        ucnv_open(charset.c_str(), &status), ucnv_close);
    if (U_FAILURE(status))
        return std::nullopt;
    std::u16string text(bytes.size() * 2 + 1, u'\0');
    status = U_ZERO_ERROR;
    const int32_t length =
        ucnv_toUChars(converter.get(), text.data(), static_cast<int32_t>(text.size()), bytes.data(),
                      static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    return platform::Utf16ToUtf8(text);
}

struct Property {
    std::string name;               // upper case, without its group
    std::vector<std::string> types; // lower case: TYPE= values and 2.1's bare ones
    std::string value;              // decoded to UTF-8, still escaped
};

// "[group.]NAME;param;...:value"; an error text when the line has no value or cannot be
// decoded.
std::variant<Property, std::string> ParseLine(std::string_view line) {
    const auto head = Split(line, ':', true);
    if (head.size() < 2)
        return std::string("no \":\" in the line");
    const std::string_view meta = head[0];
    std::string_view raw = line.substr(meta.size() + 1);
    const auto params = Split(meta, ';', true);
    Property p;
    std::string_view name = params[0];
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    p.name = Upper(Trim(name));
    std::string charset, encoding;
    for (std::size_t i = 1; i < params.size(); ++i) {
        const std::string_view param = Trim(params[i]);
        const auto eq = param.find('=');
        const std::string key = Upper(Trim(param.substr(0, eq)));
        std::string_view value = eq == std::string_view::npos ? param : param.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (eq == std::string_view::npos && (key == "QUOTED-PRINTABLE" || key == "BASE64")) {
            encoding = key;
        } else if (key == "ENCODING") {
            encoding = Upper(value);
        } else if (key == "CHARSET") {
            charset = std::string(value);
        } else if (key == "TYPE" || eq == std::string_view::npos) {
            for (const auto type : Split(value, ',', false)) {
                std::string lower(Trim(type));
                std::transform(lower.begin(), lower.end(), lower.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                p.types.push_back(lower);
            }
        }
    }
    std::string bytes =
        encoding == "QUOTED-PRINTABLE" ? DecodeQuotedPrintable(raw) : std::string(raw);
    if (encoding == "BASE64" || encoding == "B")
        return p; // a picture: nothing of it is taken
    auto text = ToUtf8(bytes, charset);
    if (!text)
        return "unknown charset \"" + charset + "\" in " + p.name;
    p.value = std::move(*text);
    return p;
}

bool Has(const Property& p, std::initializer_list<std::string_view> types) {
    return std::any_of(p.types.begin(), p.types.end(), [&](const std::string& t) {
        return std::find(types.begin(), types.end(), t) != types.end();
    });
}

// A TEL value: the number of a "tel:" URI without its parameters, or the text.
std::string Number(std::string_view value) {
    std::string number = Unescape(Trim(value));
    if (Upper(std::string_view(number).substr(0, 4)) == "TEL:") {
        number.erase(0, 4);
        number = number.substr(0, number.find(';'));
    }
    return std::string(Trim(number));
}

class Card {
public:
    explicit Card(int line) : m_line(line) {}

    // An error text when the card cannot be taken.
    std::string Take(const Property& p) {
        if (p.name == "VERSION") {
            const std::string version(Trim(p.value));
            if (version != "2.1" && version != "3.0" && version != "4.0")
                return "version " + version + " is none of 2.1, 3.0 and 4.0";
        } else if (p.name == "N") {
            const auto parts = Split(p.value, ';', false);
            m_last = Unescape(Trim(parts[0]));
            m_first = parts.size() > 1 ? Unescape(Trim(parts[1])) : std::string();
        } else if (p.name == "FN") {
            m_formatted = Unescape(Trim(p.value));
        } else if (p.name == "TEL") {
            const std::string number = Number(p.value);
            if (number.empty())
                return {};
            if (Has(p, {"cell", "mobile", "iphone"}) && m_contact.mobile.empty())
                m_contact.mobile = platform::Utf8ToUtf16(number);
            else if (Has(p, {"work"}) && m_contact.work.empty())
                m_contact.work = platform::Utf8ToUtf16(number);
            else
                m_rest.push_back({number, Has(p, {"fax", "pager"})});
        }
        return {};
    }

    // The contact, or an error text when there is nothing to add.
    std::variant<platform::PhoneContact, std::string> Contact() {
        m_contact.first = platform::Utf8ToUtf16(m_first);
        m_contact.last =
            platform::Utf8ToUtf16(m_first.empty() && m_last.empty() ? m_formatted : m_last);
        // The third number: another one, a voice number before a fax or a pager.
        std::stable_partition(m_rest.begin(), m_rest.end(),
                              [](const auto& n) { return !n.second; });
        if (!m_rest.empty())
            m_contact.other = platform::Utf8ToUtf16(m_rest.front().first);
        const auto& c = m_contact;
        if (c.first.empty() && c.last.empty() && c.mobile.empty() && c.work.empty() &&
            c.other.empty())
            return std::string("no name and no number");
        return m_contact;
    }

    int FirstLine() const { return m_line; }

private:
    int m_line;
    platform::PhoneContact m_contact;
    std::string m_first, m_last, m_formatted;
    std::vector<std::pair<std::string, bool>> m_rest; // number, fax or pager
};

} // namespace

VCardImport ReadVCards(std::string_view bytes) {
    VCardImport result;
    const auto text = FileText(bytes);
    if (!text) {
        result.error = "a UTF-16 file of an odd length";
        return result;
    }
    std::optional<Card> card;
    std::string cardError;
    int cards = 0;
    for (const Line& line : Unfold(*text)) {
        const std::string_view content = Trim(line.text);
        const std::string where = "line " + std::to_string(line.number) + ": ";
        if (content.empty())
            continue;
        const std::string upper = Upper(content);
        if (upper == "BEGIN:VCARD") {
            if (card) {
                result.error = where + "a card begins inside another";
                break;
            }
            card.emplace(line.number);
            cardError.clear();
            ++cards;
            continue;
        }
        if (!card) {
            result.error = where + (upper == "END:VCARD" ? "END:VCARD without BEGIN:VCARD"
                                                         : "text outside a card");
            break;
        }
        if (upper == "END:VCARD") {
            const std::string which = "card " + std::to_string(cards) + " (line " +
                                      std::to_string(card->FirstLine()) + ")";
            if (cardError.empty()) {
                auto contact = card->Contact();
                if (auto* c = std::get_if<platform::PhoneContact>(&contact))
                    result.contacts.push_back(std::move(*c));
                else
                    cardError = std::get<std::string>(contact);
            }
            if (!cardError.empty())
                result.skipped.push_back(which + ": " + cardError);
            card.reset();
            continue;
        }
        auto property = ParseLine(content);
        if (auto* error = std::get_if<std::string>(&property)) {
            if (error->starts_with("no \":\"")) {
                result.error = where + *error;
                break;
            }
            if (cardError.empty())
                cardError = *error;
            continue;
        }
        if (cardError.empty())
            cardError = card->Take(std::get<Property>(property));
    }
    if (result.error.empty() && card)
        result.error =
            "the card of line " + std::to_string(card->FirstLine()) + " has no END:VCARD";
    else if (result.error.empty() && cards == 0)
        result.error = "no BEGIN:VCARD: not a vCard file";
    if (!result.error.empty()) {
        result.contacts.clear();
        result.skipped.clear();
    }
    return result;
}

} // namespace phone
