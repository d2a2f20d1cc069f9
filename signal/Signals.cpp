#include "signal/Signals.h"

#include "platform/device.h"
#include "platform/events.h"

bool SignalStop() {
    platform::NamedEvent stop =
        platform::NamedEvent::CreateOrOpen(platform::ThisDevice().Events(), kStopEventName);
    return stop.Set();
}
