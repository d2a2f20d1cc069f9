// Reading the messaging program's command line; see messaging.h for the rule.
#include "phone/messaging.h"

#include <optional>

namespace phone {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool EqualsAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::size_t SkipSpace(std::string_view line, std::size_t at) {
    while (at < line.size() && IsSpace(line[at]))
        ++at;
    return at;
}

// The word at `at` (quoted or bare); `at` moves past it.
std::string_view ReadWord(std::string_view line, std::size_t& at) {
    if (line[at] == '"') {
        const std::size_t close = line.find('"', at + 1);
        const std::size_t end = close == std::string_view::npos ? line.size() : close;
        const auto word = line.substr(at + 1, end - at - 1);
        at = close == std::string_view::npos ? line.size() : close + 1;
        return word;
    }
    const std::size_t start = at;
    while (at < line.size() && !IsSpace(line[at]))
        ++at;
    return line.substr(start, at - start);
}

// The body: everything after -body, starting at `at`.
std::string ReadBody(std::string_view line, std::size_t at, std::vector<std::string>& notes) {
    at = SkipSpace(line, at);
    const std::string_view rest = line.substr(at);
    if (rest.empty() || rest[0] != '"') {
        std::size_t end = rest.size();
        while (end > 0 && IsSpace(rest[end - 1]))
            --end;
        return std::string(rest.substr(0, end));
    }
    const std::size_t close = rest.rfind('"');
    if (close == 0) {
        notes.push_back("the body has no closing quote; it runs to the end");
        return std::string(rest.substr(1));
    }
    const std::string_view after = rest.substr(close + 1);
    if (SkipSpace(after, 0) < after.size())
        notes.push_back("ignored after the body's closing quote: " + std::string(after));
    return std::string(rest.substr(1, close - 1));
}

} // namespace

MessagingRequest ParseMessagingCommandLine(std::string_view line) {
    MessagingRequest request;
    std::optional<std::string> service;
    bool body = false;
    for (std::size_t at = SkipSpace(line, 0); at < line.size(); at = SkipSpace(line, at)) {
        if (line[at] == '-') {
            std::size_t end = at + 1;
            while (end < line.size() && IsLetter(line[end]))
                ++end;
            const std::string_view name = line.substr(at + 1, end - at - 1);
            const bool whole = end == line.size() || IsSpace(line[end]) || line[end] == '"';
            if (whole && EqualsAscii(name, "body")) {
                request.body = ReadBody(line, end, request.notes);
                body = true;
                break;
            }
            if (whole && EqualsAscii(name, "service")) {
                at = SkipSpace(line, end);
                if (at == line.size() || line[at] == '-')
                    request.notes.push_back("-service without a name");
                else
                    service = std::string(ReadWord(line, at));
                continue;
            }
        }
        request.notes.push_back("ignored: " + std::string(ReadWord(line, at)));
    }
    const bool sms = !service || EqualsAscii(*service, "SMS");
    if (!sms)
        request.notes.push_back("this phone has no messaging service \"" + *service +
                                "\", only SMS");
    request.compose = (service || body) && sms;
    return request;
}

MessagingRequest ParseMessagingArgs(const std::vector<std::string>& args) {
    std::string line;
    for (const auto& arg : args) {
        if (&arg != &args.front())
            line += ' ';
        line += arg;
    }
    return ParseMessagingCommandLine(line);
}

} // namespace phone
