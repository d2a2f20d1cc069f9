#pragma once

// The commands of brenwick-phone. Each one gets the open device and the arguments after its
// own words (already checked in number), prints to out and reports problems on err; the
// result is the exit code.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Device;
}

namespace phone {

struct Invocation {
    platform::Device& device;
    const std::vector<std::string>& args;
    std::ostream& out;
    std::ostream& err;
};

// "brenwick-phone: <reason>" on err; the exit code of a failed command.
int Fail(const Invocation& call, std::string_view reason);

// registry_commands.cpp
int RegDump(const Invocation& call);
int RegSet(const Invocation& call);
int RegDel(const Invocation& call);
int PresetsAdd(const Invocation& call);
int PresetsList(const Invocation& call);

// event_commands.cpp
int EventState(const Invocation& call);
int EventSet(const Invocation& call);
int EventReset(const Invocation& call);

// phone_commands.cpp
int Receive(const Invocation& call);
int Boot(const Invocation& call);
int PathOf(const Invocation& call);
int SimShow(const Invocation& call);
int SimSet(const Invocation& call);
int SimRemove(const Invocation& call);
int LinesList(const Invocation& call);
int LineAdd(const Invocation& call);
bool NetworkArgsValid(const std::vector<std::string>& args);
int Network(const Invocation& call);
bool ContactOptionsValid(const std::vector<std::string>& args);
int ContactsAdd(const Invocation& call);
int ContactsList(const Invocation& call);
int ContactsImport(const Invocation& call);
int InboxList(const Invocation& call);
int SentList(const Invocation& call);
int CallsList(const Invocation& call);
int LaunchesList(const Invocation& call);
int NoticesList(const Invocation& call);

// messaging_window.cpp, in brenwick_phone_messaging (the one command with a window)
int Messaging(const Invocation& call);

} // namespace phone
