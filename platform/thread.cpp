#include "platform/thread.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace platform {
namespace {
std::atomic<bool> g_refuse = false;
}

bool StartDetachedThread(std::function<void()> work) {
    if (g_refuse)
        return false;
    try {
        std::thread(std::move(work)).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void RefuseThreads(bool refuse) {
    g_refuse = refuse;
}

} // namespace platform
