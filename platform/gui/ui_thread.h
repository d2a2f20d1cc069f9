#pragma once

// Handing work to the user-interface thread, which owns every window. Other threads (the
// watchers, the send job) never touch a window themselves: they hand the work over.

#include <functional>

namespace platform::gui {

// Queues work for the user-interface thread and returns at once: false when the
// application has ended, and the work will never run.
bool PostToUiThread(std::function<void()> work);
// Runs work on the user-interface thread and waits until it has run: false when the
// application ended first, so that the work never ran. On that thread itself it runs at
// once. A thread that the user-interface thread waits for must not call it.
bool RunOnUiThread(std::function<void()> work);
bool IsUiThread();

// Work another thread is about to hand over, such as a watcher woken by a signal that has not
// posted its reload yet: pending says so. The script driver waits for it, and for queued
// work, as for the user interface's own events. owner names the check for its removal.
void AddPendingCheck(const void* owner, std::function<bool()> pending);
void RemovePendingCheck(const void* owner);
// Whether queued work waits, or a check says that some is coming.
bool WorkPending();

// Pauses the calling thread, for the time the program's clock is scaled to.
void PauseThread(int milliseconds);

} // namespace platform::gui
