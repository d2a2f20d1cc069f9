#pragma once

// Handing work to the user-interface thread, which owns every window. Other threads (the
// watchers, the send job) never touch a window themselves: they hand the work over.

#include <functional>

namespace platform::gui {

// Queues work for the user-interface thread and returns at once.
void PostToUiThread(std::function<void()> work);
// Runs work on the user-interface thread and waits until it has run: false when the
// application ended first, so that the work never ran. On that thread itself it runs at
// once. A thread that the user-interface thread waits for must not call it.
bool RunOnUiThread(std::function<void()> work);
bool IsUiThread();

// Pauses the calling thread, for the time the program's clock is scaled to.
void PauseThread(int milliseconds);

} // namespace platform::gui
