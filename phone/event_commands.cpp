// event state / set / reset: a named event of the device as another process sees it.
#include "phone/commands.h"
#include "platform/device.h"
#include "platform/events.h"
#include "platform/text.h"

#include <ostream>

namespace phone {
namespace {

// Create-or-open, act, close. An event that no other process holds ends with our handle:
// the platform's semantics, kept here on purpose.
int Change(const Invocation& call, bool set) {
    const auto table = call.device.Events();
    if (!table)
        return Fail(call, "cannot use the device's events");
    platform::NamedEvent event =
        platform::NamedEvent::CreateOrOpen(table, platform::Utf8ToUtf16(call.args[0]));
    if (!event.IsValid())
        return Fail(call, "cannot open the event " + call.args[0]);
    if (!(set ? event.Set() : event.Reset()))
        return Fail(call, "cannot change the event " + call.args[0]);
    return 0;
}

} // namespace

int EventState(const Invocation& call) {
    const auto table = call.device.Events();
    if (!table)
        return Fail(call, "cannot use the device's events");
    switch (table->Peek(platform::Utf8ToUtf16(call.args[0]))) {
    case platform::EventState::Signalled:
        call.out << "signalled\n";
        break;
    case platform::EventState::Reset:
        call.out << "reset\n";
        break;
    case platform::EventState::Absent:
        call.out << "absent\n";
        break;
    }
    return 0;
}

int EventSet(const Invocation& call) {
    return Change(call, true);
}
int EventReset(const Invocation& call) {
    return Change(call, false);
}

} // namespace phone
