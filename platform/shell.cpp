#include "platform/shell.h"

#include "platform/device.h"
#include "platform/phonedb.h"

#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
ShellObserver g_observer;

ShellObserver Observer() {
    std::lock_guard lock(g_mutex);
    return g_observer;
}

} // namespace

void SetShellObserver(ShellObserver observer) {
    std::lock_guard lock(g_mutex);
    g_observer = std::move(observer);
}

// The phone's programs are stand-ins whose start is what the program can see of them: the
// log of the device records it.
bool StartProgram(std::u16string_view path, std::u16string_view cmdline) {
    const bool logged = ThisDevice().Phone().LogLaunch(path, cmdline);
    if (const auto observer = Observer(); observer.onLaunch)
        observer.onLaunch(path, cmdline);
    return logged;
}

bool RequestCall(std::u16string_view number) {
    const bool logged = ThisDevice().Phone().LogCall(number);
    if (const auto observer = Observer(); observer.onCall)
        observer.onCall(number);
    return logged;
}

} // namespace platform
