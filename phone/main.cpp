// brenwick-phone: the rest of the phone, for people trying the program and for tests.
//   brenwick-phone [--device DIR] COMMAND ...
//   brenwick-phone --help | --version
// Exit codes: 0 done, 1 the command failed (reason on stderr), 2 bad arguments (usage).
#include "phone/commands.h"
#include "platform/device.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <limits>
#include <optional>
#include <span>

namespace phone {
namespace {

struct Command {
    std::string_view words; // what selects it: "reg dump"
    std::string_view operands;
    std::size_t minArgs, maxArgs;
    int (*run)(const Invocation&);
    bool (*valid)(const std::vector<std::string>&) = nullptr; // a closer look at the arguments
};

constexpr std::string_view kContactOptions =
    "[--first F] [--last L] [--mobile M] [--work W] [--other O]";

const Command kCommands[] = {
    {"reg dump", "[PATH]", 0, 1, RegDump},
    {"reg set", "PATH NAME DATA", 3, 3, RegSet},
    {"reg del", "PATH [NAME]", 1, 2, RegDel},
    {"receive", "FROM TEXT", 2, 2, Receive},
    {"boot", "", 0, 0, Boot},
    {"event state", "NAME", 1, 1, EventState},
    {"event set", "NAME", 1, 1, EventSet},
    {"event reset", "NAME", 1, 1, EventReset},
    {"path", "DEVICE-PATH", 1, 1, PathOf},
    {"presets add", "TEXT", 1, 1, PresetsAdd},
    {"presets list", "", 0, 0, PresetsList},
    {"sim show", "", 0, 0, SimShow},
    {"sim set", "NUMBER", 1, 1, SimSet},
    {"sim remove", "", 0, 0, SimRemove},
    {"lines", "", 0, 0, LinesList},
    {"line add", "NAME [NUMBER]", 1, 2, LineAdd},
    {"network", "[on|off]", 0, 1, Network, NetworkArgsValid},
    {"contacts add", kContactOptions, 0, 10, ContactsAdd, ContactOptionsValid},
    {"contacts list", "", 0, 0, ContactsList},
    {"contacts import", "FILE.vcf", 1, 1, ContactsImport},
    {"inbox", "", 0, 0, InboxList},
    {"sent", "", 0, 0, SentList},
    {"calls", "", 0, 0, CallsList},
    {"launches", "", 0, 0, LaunchesList},
    {"notices", "", 0, 0, NoticesList},
    {"messaging", "[CMDLINE]", 0, std::numeric_limits<std::size_t>::max(), Messaging},
};

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0; at < text.size();) {
        const auto end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// How many of args the command's words take; 0 when it is not this command.
std::size_t Selects(const Command& command, const std::vector<std::string>& args) {
    const auto words = Words(command.words);
    if (args.size() < words.size())
        return 0;
    for (std::size_t i = 0; i < words.size(); ++i)
        if (args[i] != words[i])
            return 0;
    return words.size();
}

// The synopsis of every command whose first word is first (all of them for none).
void Usage(std::ostream& out, std::string_view first) {
    bool any = false;
    for (const auto& c : kCommands)
        any = any || Words(c.words)[0] == first;
    std::string_view lead = "usage: ";
    for (const auto& c : kCommands) {
        if (any && Words(c.words)[0] != first)
            continue;
        out << lead << "brenwick-phone [--device DIR] " << c.words;
        if (!c.operands.empty())
            out << ' ' << c.operands;
        out << '\n';
        lead = "       ";
    }
}

struct CommandLine {
    std::optional<std::string> device;
    std::vector<std::string> rest;
    bool help = false;
    bool version = false;
    bool bad = false;
};

// --device DIR may stand anywhere; after "--" every argument is taken as it is.
CommandLine Parse(std::span<char* const> argv) {
    CommandLine line;
    bool literal = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string_view arg = argv[i];
        if (literal) {
            line.rest.emplace_back(arg);
        } else if (arg == "--") {
            literal = true;
        } else if (arg == "--device") {
            if (i + 1 == argv.size())
                line.bad = true;
            else
                line.device = argv[++i];
        } else if (arg.starts_with("--device=")) {
            line.device = arg.substr(9);
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else {
            line.rest.emplace_back(arg);
        }
    }
    if (line.device && line.device->empty())
        line.bad = true;
    return line;
}

int Main(std::span<char* const> argv) {
    CommandLine line = Parse(argv);
    if (line.help) {
        Usage(std::cout, "");
        std::cout << "       brenwick-phone --help | --version\n";
        return std::cout.flush() ? 0 : 1;
    }
    if (line.version) {
        std::cout << "brenwick-phone " BRENWICK_VERSION "\n";
        return std::cout.flush() ? 0 : 1;
    }
    const Command* command = nullptr;
    std::size_t taken = 0;
    for (const auto& c : kCommands)
        if (const std::size_t n = Selects(c, line.rest); n > 0) {
            command = &c;
            taken = n;
        }
    const std::string first = line.rest.empty() ? std::string() : line.rest[0];
    if (line.bad || !command) {
        Usage(std::cerr, first);
        return 2;
    }
    const std::vector<std::string> args(line.rest.begin() + static_cast<std::ptrdiff_t>(taken),
                                        line.rest.end());
    if (args.size() < command->minArgs || args.size() > command->maxArgs ||
        (command->valid && !command->valid(args))) {
        Usage(std::cerr, first);
        return 2;
    }

    std::string error;
    const auto device = platform::Device::Open(line.device ? std::filesystem::path(*line.device)
                                                           : platform::Device::DefaultDirectory(),
                                               error);
    if (!device) {
        std::cerr << "brenwick-phone: " << error << '\n';
        return 1;
    }
    platform::UseDevice(device.get());
    int code = 1;
    try {
        code = command->run(Invocation{*device, args, std::cout, std::cerr});
    } catch (const std::exception& e) {
        std::cerr << "brenwick-phone: " << e.what() << '\n';
    }
    platform::UseDevice(nullptr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "brenwick-phone: cannot write the output\n";
        return 1;
    }
    return code;
}

} // namespace
} // namespace phone

int main(int argc, char** argv) {
    return phone::Main(std::span<char* const>(argv + 1, static_cast<std::size_t>(argc - 1)));
}
