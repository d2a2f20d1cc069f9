#pragma once

// The phone's messaging program ("\Windows\tmail.exe"): what its command line asks for.
// The owner's program starts it with an empty command line (the ordinary inbox) or with
//   -service "SMS" -body "TEXT"
// to forward a message's text. The text is put in as it is, without escaping, so it may
// hold double quotes of its own; the reading is lenient:
//
//   - Words are separated by white space. Option names (-service, -body) are matched
//     without regard to letter case.
//   - -service takes the next word as the service's name. A word that begins with a double
//     quote runs to the next double quote, which is dropped with it.
//   - -body ends the reading: everything after it is the body. When that begins (after
//     white space) with a double quote, the body runs from after that quote to the last
//     double quote of the command line, so quotes inside the text stay as they are; with
//     no later quote it runs to the end. Otherwise the body is the rest of the line,
//     without trailing white space.
//   - The compose form opens when -service or -body is given and the service, if named, is
//     SMS (the only one this phone has); otherwise the inbox.
//   - Anything else is ignored, and said so in a note.
//
// Given as several arguments, the words are joined with single spaces and read the same way.

#include <string>
#include <string_view>
#include <vector>

namespace phone {

struct MessagingRequest {
    bool compose = false;
    std::string body; // UTF-8, for the compose form
    // What was ignored or odd, one line each, for warnings.
    std::vector<std::string> notes;
};

MessagingRequest ParseMessagingCommandLine(std::string_view line);
MessagingRequest ParseMessagingArgs(const std::vector<std::string>& args);

} // namespace phone
