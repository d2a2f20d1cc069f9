#pragma once

// What the program asks of the rest of the phone beside its windows: to start another
// program, to place a voice call. Both go into the device's logs (brenwick-phone launches,
// calls) and to whoever watches (the transcript of a scripted run).

#include <functional>
#include <string_view>

namespace platform {

struct ShellObserver {
    std::function<void(std::u16string_view path, std::u16string_view cmdline)> onLaunch;
    std::function<void(std::u16string_view number)> onCall;
};
void SetShellObserver(ShellObserver observer);

// Starts a program of the phone with a command line; false when it cannot be started. A
// program with a stand-in on this desktop ("\Windows\tmail.exe": brenwick-phone messaging)
// starts for real as another process when real starts are on, as in a window run; a
// scripted run only logs it.
bool StartProgram(std::u16string_view path, std::u16string_view cmdline);
void SetRealStarts(bool on);
// Asks the phone to call a number; the program relies on no outcome.
bool RequestCall(std::u16string_view number);

} // namespace platform
