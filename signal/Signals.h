#pragma once

// The named events between the filter service and the program's windows. The filter
// service sets the update event when it has stored messages; a window's ok sets the stop
// event, which ends the watcher of every window and which the program never resets. Both
// are manual reset and start not signalled.

inline constexpr const char16_t* kUpdateEventName = u"Quorl.UpdateSMS.Event";
inline constexpr const char16_t* kStopEventName = u"QuorlStop.SMS.Event";

// The stop signal of a window's ok: opens the stop event, sets it and closes the handle.
// False when the event cannot be had or set.
bool SignalStop();
