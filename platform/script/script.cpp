#include "platform/script/script.h"

#include "platform/text.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>

namespace platform::gui {
namespace {

// What an action takes after its word. The number operands carry their own ranges.
enum class Operand { Id, Cmd, Row, Index, X, Y, Ms, Text, Key, Answer };

struct Syntax {
    std::string_view name;
    ActionKind kind;
    std::string_view usage; // what the error says it wants
    std::array<Operand, 2> operands;
    int count;
};

constexpr Syntax kSyntax[] = {
    {"tap", ActionKind::Tap, "ID", {Operand::Id}, 1},
    {"type", ActionKind::Type, "ID and \"TEXT\"", {Operand::Id, Operand::Text}, 2},
    {"clear", ActionKind::Clear, "ID", {Operand::Id}, 1},
    {"focus", ActionKind::Focus, "ID", {Operand::Id}, 1},
    {"menu", ActionKind::Menu, "CMD", {Operand::Cmd}, 1},
    {"row", ActionKind::Row, "ID and N", {Operand::Id, Operand::Row}, 2},
    {"dblrow", ActionKind::DblRow, "ID and N", {Operand::Id, Operand::Index}, 2},
    {"hold", ActionKind::Hold, "ID and N", {Operand::Id, Operand::Index}, 2},
    {"pick", ActionKind::Pick, "CMD", {Operand::Cmd}, 1},
    {"dismiss", ActionKind::Dismiss, "", {}, 0},
    {"select", ActionKind::Select, "ID and N", {Operand::Id, Operand::Index}, 2},
    {"pen", ActionKind::Pen, "X and Y", {Operand::X, Operand::Y}, 2},
    {"key",
     ActionKind::Key,
     "Left, Right, Up, Down, Return, Escape, Backspace or one character",
     {Operand::Key},
     1},
    {"ok", ActionKind::Ok, "", {}, 0},
    {"cancel", ActionKind::Cancel, "", {}, 0},
    {"answer", ActionKind::Answer, "yes, no or ok", {Operand::Answer}, 1},
    {"file", ActionKind::File, "\"PATH\"", {Operand::Text}, 1},
    {"file-cancel", ActionKind::FileCancel, "", {}, 0},
    {"run", ActionKind::Run, "\"COMMAND\"", {Operand::Text}, 1},
    {"wait", ActionKind::Wait, "MS", {Operand::Ms}, 1},
    {"dump", ActionKind::Dump, "", {}, 0},
    {"shot", ActionKind::Shot, "\"FILE\"", {Operand::Text}, 1},
};

const Syntax& SyntaxOf(ActionKind kind) {
    for (const Syntax& s : kSyntax)
        if (s.kind == kind)
            return s;
    return kSyntax[0]; // not reached: every kind has its line in the table
}

// A number operand: its name in errors, its range and where it goes.
struct Number {
    std::string_view name;
    long long min, max;
    int ScriptAction::*field;
};

Number NumberOf(Operand operand) {
    switch (operand) {
    case Operand::Id:
        return {"ID", 0, 65535, &ScriptAction::id};
    case Operand::Cmd:
        return {"CMD", 0, 65535, &ScriptAction::id};
    case Operand::Row:
        return {"N", -1, INT_MAX, &ScriptAction::index};
    case Operand::Index:
        return {"N", 0, INT_MAX, &ScriptAction::index};
    case Operand::X:
        return {"X", 0, 239, &ScriptAction::x};
    case Operand::Y:
        return {"Y", 0, 319, &ScriptAction::y};
    default:
        return {"MS", 0, INT_MAX, &ScriptAction::ms};
    }
}

constexpr std::pair<std::string_view, KeyName> kKeyNames[] = {
    {"Left", KeyName::Left},           {"Right", KeyName::Right},   {"Up", KeyName::Up},
    {"Down", KeyName::Down},           {"Return", KeyName::Return}, {"Escape", KeyName::Escape},
    {"Backspace", KeyName::Backspace},
};

// The code points of UTF-8 text; nothing for anything else (bad bytes, overlong forms,
// surrogates), so that the program never sees a replacement character the script did not
// write.
std::optional<std::u32string> DecodeUtf8(std::string_view s) {
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        std::size_t extra;
        char32_t c;
        if (lead < 0x80) {
            extra = 0;
            c = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            extra = 1;
            c = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2;
            c = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            extra = 3;
            c = lead & 0x07u;
        } else {
            return std::nullopt;
        }
        if (s.size() - i <= extra)
            return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto trail = static_cast<unsigned char>(s[i + k]);
            if ((trail & 0xC0u) != 0x80u)
                return std::nullopt;
            c = (c << 6) | (trail & 0x3Fu);
        }
        if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        out += c;
        i += extra + 1;
    }
    return out;
}

struct Token {
    std::string text{}; // a quoted text without its quotes and escapes
    bool quoted = false;
};

// Splits a line into words and quoted texts, up to a comment.
bool Tokenize(std::string_view line, std::vector<Token>& tokens, std::string& error) {
    std::size_t i = 0;
    const auto blank = [&] { return line[i] == ' ' || line[i] == '\t'; };
    while (i < line.size()) {
        if (blank()) {
            ++i;
        } else if (line[i] == '#') {
            break;
        } else if (line[i] == '"') {
            Token token{.quoted = true};
            for (++i;; ++i) {
                if (i >= line.size()) {
                    error = "unterminated text";
                    return false;
                }
                if (line[i] == '"')
                    break;
                if (line[i] == '\\') {
                    if (++i >= line.size()) {
                        error = "unterminated text";
                        return false;
                    }
                    if (line[i] != '"' && line[i] != '\\') {
                        // The whole character after the backslash, however many bytes.
                        std::size_t end = i + 1;
                        while (end < line.size() &&
                               (static_cast<unsigned char>(line[end]) & 0xC0u) == 0x80u)
                            ++end;
                        error = "unknown escape '\\" + std::string(line.substr(i, end - i)) +
                                "' in text; only \\\" and \\\\ are escapes";
                        return false;
                    }
                }
                token.text += line[i];
            }
            ++i;
            tokens.push_back(std::move(token));
        } else {
            const std::size_t start = i;
            while (i < line.size() && !blank() && line[i] != '"' && line[i] != '#')
                ++i;
            tokens.push_back({std::string(line.substr(start, i - start))});
        }
    }
    return true;
}

// A decimal integer, optionally negative; values beyond long long clamp, so that the range
// check still refuses them.
std::optional<long long> ParseInteger(std::string_view word) {
    if (word.empty() || word == "-")
        return std::nullopt;
    long long value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (end != word.data() + word.size())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range)
        return word.starts_with('-') ? LLONG_MIN : LLONG_MAX;
    if (ec != std::errc())
        return std::nullopt;
    return value;
}

bool ParseNumber(const Token& token, Operand operand, ScriptAction& action, std::string& error) {
    const Number number = NumberOf(operand);
    const auto value = ParseInteger(token.text);
    if (!value) {
        error = std::string(number.name) + " '" + token.text + "' is not a number";
        return false;
    }
    if (*value < number.min || *value > number.max) {
        error = std::string(number.name) + " " + token.text + " is out of range ";
        if (number.max != INT_MAX)
            error += std::to_string(number.min) + ".." + std::to_string(number.max);
        else if (*value < number.min)
            error += "(" + std::to_string(number.min) + " or more)";
        else
            error += "(too large)";
        return false;
    }
    action.*number.field = static_cast<int>(*value);
    return true;
}

bool ParseKey(const Token& token, ScriptAction& action) {
    if (!token.quoted)
        for (const auto& [name, key] : kKeyNames)
            if (token.text == name) {
                action.key = key;
                return true;
            }
    const auto chars = DecodeUtf8(token.text);
    if (!chars || chars->size() != 1)
        return false;
    action.key = KeyName::Character;
    action.character = (*chars)[0];
    return true;
}

bool ParseAnswer(const Token& token, ScriptAction& action) {
    if (token.quoted)
        return false;
    if (token.text == "yes")
        action.answer = AnswerValue::Yes;
    else if (token.text == "no")
        action.answer = AnswerValue::No;
    else if (token.text == "ok")
        action.answer = AnswerValue::Ok;
    else
        return false;
    return true;
}

// One non-empty line into its action. An operand of the wrong shape (a word for a text, a
// text for a number, one too many or too few) is answered with what the action wants.
bool ParseAction(const std::vector<Token>& tokens, ScriptAction& action, std::string& error) {
    const Token& word = tokens.front();
    const Syntax* syntax = nullptr;
    if (!word.quoted)
        for (const Syntax& s : kSyntax)
            if (word.text == s.name)
                syntax = &s;
    if (!syntax) {
        error = "unknown action '" + (word.quoted ? "\"" + word.text + "\"" : word.text) + "'";
        return false;
    }
    action.kind = syntax->kind;

    const auto usage = [&] {
        error =
            std::string(syntax->name) +
            (syntax->count == 0 ? " takes no operands" : " wants " + std::string(syntax->usage));
        return false;
    };
    if (static_cast<int>(tokens.size()) - 1 != syntax->count)
        return usage();
    for (int i = 0; i < syntax->count; ++i) {
        const Token& token = tokens[static_cast<std::size_t>(i) + 1];
        const Operand operand = syntax->operands[static_cast<std::size_t>(i)];
        switch (operand) {
        case Operand::Text:
            if (!token.quoted)
                return usage();
            action.text = Utf8ToUtf16(token.text);
            break;
        case Operand::Key:
            if (!ParseKey(token, action))
                return usage();
            break;
        case Operand::Answer:
            if (!ParseAnswer(token, action))
                return usage();
            break;
        default:
            if (token.quoted)
                return usage();
            if (!ParseNumber(token, operand, action, error))
                return false;
            break;
        }
    }
    return true;
}

} // namespace

std::string ScriptError::Describe() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

std::optional<std::vector<ScriptAction>> ParseScript(std::string_view text, ScriptError& error) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<ScriptAction> actions;
    for (int number = 1; !text.empty(); ++number) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);

        error = {number, {}};
        if (!DecodeUtf8(line)) {
            error.message = "not UTF-8 text";
            return std::nullopt;
        }
        std::vector<Token> tokens;
        if (!Tokenize(line, tokens, error.message))
            return std::nullopt;
        if (tokens.empty())
            continue;
        ScriptAction action{.line = number};
        if (!ParseAction(tokens, action, error.message))
            return std::nullopt;
        actions.push_back(std::move(action));
    }
    error = {};
    return actions;
}

std::optional<std::vector<ScriptAction>> LoadScript(const std::filesystem::path& file,
                                                    ScriptError& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = {0, "cannot read script " + file.string() + ": " + std::strerror(errno)};
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        error = {0, "cannot read script " + file.string()};
        return std::nullopt;
    }
    return ParseScript(text, error);
}

std::string_view ActionName(ActionKind kind) {
    return SyntaxOf(kind).name;
}

namespace {

// What any modal piece over the screen leaves a script: looking, waiting, running.
bool AllowedWhileAnything(ActionKind kind) {
    return kind == ActionKind::Dump || kind == ActionKind::Shot || kind == ActionKind::Wait ||
           kind == ActionKind::Run;
}

} // namespace

bool AllowedWhileMessageBox(ActionKind kind) {
    return kind == ActionKind::Answer || AllowedWhileAnything(kind);
}

bool AllowedWhileFileDialog(ActionKind kind) {
    return kind == ActionKind::File || kind == ActionKind::FileCancel || kind == ActionKind::Pen ||
           kind == ActionKind::Key || AllowedWhileAnything(kind);
}

} // namespace platform::gui
