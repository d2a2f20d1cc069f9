#pragma once

// Tap-and-hold, the phone's gesture for a context menu: a list runs what the gesture sets
// off, and whoever watches (the transcript) hears once per gesture which pop-up menu it
// opened, or that it opened none.

#include <functional>
#include <optional>

namespace platform::gui {

// Told the menu resource whose pop-up the gesture opened (0 for a pop-up made by hand), or
// none.
void SetHoldObserver(std::function<void(std::optional<int> menu)> observer);

namespace detail {
// Runs what a tap-and-hold sets off, for the watcher.
void RunHoldGesture(const std::function<void()>& gesture);
// A pop-up menu opens: the gesture that runs now, if any, opened it.
void ReportHoldMenu(int menuId);
} // namespace detail

} // namespace platform::gui
