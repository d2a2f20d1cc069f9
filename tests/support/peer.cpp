// A second process for the tests: does one thing to a device and reports on stdout.
//   brenwick-test-peer DEVICE COMMAND ARGS...
#include "platform/device.h"
#include "platform/events.h"
#include "platform/text.h"

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void SleepUntilKilled() {
    for (;;)
        ::pause();
}

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// ---- named events
//   hold NAME...    opens the events, prints "ready", sleeps until killed
//   open NAME       opens the event, prints "existed"/"new" and "signalled"/"reset", closes it
//   set NAME        sets the event (pulse: sets and resets it at once), closes it
//   wait NAME...    waits on the events, prints the index the wait reported (-1 after a
//                   minute, so that a broken test ends instead of hanging)
//   fill PREFIX     opens PREFIX0, PREFIX1, ... until the table refuses one, prints how many
//                   it opened, sleeps until killed
//   lock-table      takes the table's lock, prints "locked", sleeps until killed
std::optional<int> EventCommand(platform::Device& device, const std::string& command,
                                std::span<char* const> args) {
    using platform::NamedEvent;
    const auto table = device.Events();
    const auto open = [&](const char* name, bool* existed = nullptr) {
        return NamedEvent::CreateOrOpen(table, platform::Utf8ToUtf16(name), existed);
    };
    const auto openAll = [&] {
        std::vector<NamedEvent> events;
        for (const char* name : args)
            events.push_back(open(name));
        return events;
    };
    if (command == "hold") {
        const auto events = openAll();
        Say("ready");
        SleepUntilKilled();
    }
    if (command == "open" && args.size() == 1) {
        bool existed = false;
        NamedEvent event = open(args[0], &existed);
        if (!event.IsValid())
            return 1;
        NamedEvent* list[] = {&event};
        const bool signalled = platform::WaitForAny(list, std::chrono::milliseconds(0)) == 0;
        std::printf("%s %s\n", existed ? "existed" : "new", signalled ? "signalled" : "reset");
        return 0;
    }
    if ((command == "set" || command == "pulse") && args.size() == 1) {
        NamedEvent event = open(args[0]);
        const bool done = event.Set() && (command == "set" || event.Reset());
        return done ? 0 : 1;
    }
    if (command == "wait" && !args.empty()) {
        auto events = openAll();
        std::vector<NamedEvent*> list;
        for (auto& event : events)
            list.push_back(&event);
        std::printf("%d\n", platform::WaitForAny(list, std::chrono::minutes(1)));
        return 0;
    }
    if (command == "fill" && args.size() == 1) {
        std::vector<NamedEvent> events;
        for (;;) {
            NamedEvent event = open((args[0] + std::to_string(events.size())).c_str());
            if (!event.IsValid())
                break;
            events.push_back(std::move(event));
        }
        std::printf("%zu\n", events.size());
        std::fflush(stdout);
        SleepUntilKilled();
    }
    if (command == "lock-table" && table) {
        table->TakeLockForTesting();
        Say("locked");
        SleepUntilKilled();
    }
    return std::nullopt;
}

} // namespace

// Registry commands, in peer_registry.cpp: the exit code, or -1 for a command not its own.
int RunRegistryCommand(platform::Device& device, const std::string& command,
                       const std::vector<std::string>& args);
// The filter service in a loop, in peer_receive.cpp: likewise.
int RunReceiveCommand(platform::Device& device, const std::string& command,
                      const std::vector<std::string>& args);

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: brenwick-test-peer DEVICE COMMAND ARGS...\n");
        return 2;
    }
    std::string error;
    auto device = platform::Device::Open(argv[1], error);
    if (!device) {
        std::fprintf(stderr, "brenwick-test-peer: %s\n", error.c_str());
        return 1;
    }
    platform::UseDevice(device.get());
    const std::string command = argv[2];
    const std::span<char* const> args(argv + 3, static_cast<std::size_t>(argc - 3));
    if (const auto result = EventCommand(*device, command, args))
        return *result;
    const std::vector<std::string> words(args.begin(), args.end());
    for (const auto run : {RunRegistryCommand, RunReceiveCommand})
        if (const int rc = run(*device, command, words); rc >= 0)
            return rc;
    std::fprintf(stderr, "brenwick-test-peer: unknown command %s\n", command.c_str());
    return 2;
}
