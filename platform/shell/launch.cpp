#include "platform/shell/launch.h"

#include "platform/device.h"
#include "platform/phonedb.h"
#include "platform/text.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace platform {
namespace {

std::mutex g_mutex;
ShellObserver g_observer;

bool g_realStarts = false;

ShellObserver Observer() {
    std::lock_guard lock(g_mutex);
    return g_observer;
}

// brenwick-phone: $BRENWICK_PHONE, else beside this program (installed), else in the build
// tree's phone/ folder, else on the PATH.
std::string PhoneProgram() {
    if (const char* chosen = std::getenv("BRENWICK_PHONE"); chosen && *chosen)
        return chosen;
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    for (const auto& candidate :
         {self / "brenwick-phone", self.parent_path() / "phone" / "brenwick-phone"})
        if (!error && std::filesystem::exists(candidate, error))
            return candidate.string();
    return "brenwick-phone";
}

// Starts brenwick-phone messaging on this device; the program neither waits for it nor
// keeps a handle, so a thread of its own collects it when it ends.
bool StartMessaging(std::u16string_view cmdline) {
    const std::string program = PhoneProgram();
    const std::string device = ThisDevice().Directory().string();
    const std::string line = Utf16ToUtf8(cmdline);
    std::vector<const char*> argv = {program.c_str(), "--device", device.c_str(), "messaging"};
    if (!line.empty())
        argv.push_back(line.c_str());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv.data()),
                     environ) != 0)
        return false;
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

bool IsMessagingProgram(std::u16string_view path) {
    return FoldCase(path) == FoldCase(u"\\Windows\\tmail.exe");
}

} // namespace

void SetRealStarts(bool on) {
    std::lock_guard lock(g_mutex);
    g_realStarts = on;
}

void SetShellObserver(ShellObserver observer) {
    std::lock_guard lock(g_mutex);
    g_observer = std::move(observer);
}

// The device's log records every start, real or not: it is what the program can see of it.
bool StartProgram(std::u16string_view path, std::u16string_view cmdline) {
    bool real = false;
    {
        std::lock_guard lock(g_mutex);
        real = g_realStarts;
    }
    if (real && IsMessagingProgram(path) && !StartMessaging(cmdline))
        return false;
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
