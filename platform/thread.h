#pragma once

// Plain threads that nobody joins: the phone's threads whose handles are closed as soon as
// they have started.

#include <functional>

namespace platform {

// Starts work on a thread of its own: false when the system gives no thread.
bool StartDetachedThread(std::function<void()> work);
// While set, every start fails as on a system out of threads: for tests of that failure.
void RefuseThreads(bool refuse);

} // namespace platform
