#pragma once

// The application starts the user-interface thread's queue of handed-over work when it is
// made, and stops it before it goes.

namespace platform::gui {
void StartUiQueue();
void StopUiQueue();
} // namespace platform::gui
