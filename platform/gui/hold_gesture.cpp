#include "platform/gui/hold_gesture.h"

#include <utility>

namespace platform::gui {
namespace {
std::function<void(std::optional<int>)> g_observer;
bool* g_reported = nullptr; // while a tap-and-hold runs: whether it opened a menu yet
} // namespace

void SetHoldObserver(std::function<void(std::optional<int>)> observer) {
    g_observer = std::move(observer);
}

void detail::RunHoldGesture(const std::function<void()>& gesture) {
    bool reported = false;
    bool* outer = std::exchange(g_reported, &reported);
    gesture();
    g_reported = outer;
    if (!reported && g_observer)
        g_observer(std::nullopt);
}

void detail::ReportHoldMenu(int menuId) {
    if (g_reported && !*g_reported) {
        *g_reported = true;
        if (g_observer)
            g_observer(menuId);
    }
}

} // namespace platform::gui
