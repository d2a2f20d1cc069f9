#pragma once

// The watcher of a window that shows stored data: a thread that waits for the filter
// service's update event and has the window reload on the user-interface thread. It waits
// for the program's stop event, its own stop event and the update event, in that order, so
// that a stop signal wins over an update that is signalled with it.
//
// The reloads are handed to the user-interface thread and never waited for, so that a
// window there can stop and join its watcher at any time. The update event is reset before
// a reload is handed over: a signal that comes while the reload runs leaves the event
// signalled and brings one more reload. At most one reload waits to run at a time; the
// signals that come meanwhile are taken by it.

#include "platform/events.h"

#include <functional>
#include <memory>
#include <thread>

class CWatcher {
public:
    // reload runs on the user-interface thread.
    explicit CWatcher(std::function<void()> reload);
    ~CWatcher(); // Stop()
    CWatcher(const CWatcher&) = delete;
    CWatcher& operator=(const CWatcher&) = delete;

    // Opens the events of this process's device and starts the thread at normal priority:
    // false when an event cannot be had (the device's table is full, say) or the thread
    // cannot start. True at once while the thread runs. While it runs, a reload on its way
    // (the update event set, and its reload not begun) counts as work pending for the
    // user-interface thread, which a script run waits for.
    bool Start();
    // Ends this watcher alone (through its own stop event) and joins its thread. No reload
    // of it runs afterwards, not even one handed over already; one that is running on
    // another thread is waited for, one that called Stop() finishes after it.
    void Stop();
    // The thread has not ended: no Stop(), no stop event, no failed wait.
    bool IsRunning() const;

private:
    struct Run; // one run of the thread, shared with the reloads it handed over

    std::function<void()> m_reload;
    std::shared_ptr<Run> m_run;
    platform::NamedEvent m_ownStop;
    std::thread m_thread;
};
