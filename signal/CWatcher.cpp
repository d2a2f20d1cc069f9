#include "signal/CWatcher.h"

#include "platform/device.h"
#include "platform/gui/ui_thread.h"
#include "signal/Signals.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

// The name of a watcher's own stop event: the process and a count within it, so that no
// two watchers on the device share one. Short beside EventTable::kMaxNameLength; each
// watcher takes one slot of the device's table for it.
std::u16string OwnStopName() {
    static std::atomic<unsigned> count = 0;
    const std::string name =
        "Brenwick.Watcher." + std::to_string(::getpid()) + "." + std::to_string(++count);
    return std::u16string(name.begin(), name.end());
}

platform::NamedEvent OpenOwnStop(const std::shared_ptr<platform::EventTable>& table) {
    // An event of that name that is alive already belongs to somebody else: take another.
    for (int tries = 0; tries < 8; ++tries) {
        bool existed = false;
        platform::NamedEvent event =
            platform::NamedEvent::CreateOrOpen(table, OwnStopName(), &existed);
        if (!event.IsValid() || !existed)
            return event;
    }
    return {};
}

} // namespace

struct CWatcher::Run {
    explicit Run(std::function<void()> work) : reload(std::move(work)) {}

    // On the watcher's thread, woken by the update event: before it resets the event.
    void Take() {
        std::lock_guard lock(mutex);
        taking = true;
    }
    // After it has reset the event.
    static void HandOver(const std::shared_ptr<Run>& run) {
        {
            std::lock_guard lock(run->mutex);
            run->taking = false;
            if (run->stopped || run->pending)
                return; // the reload that waits to run will see this update too
            run->pending = true;
        }
        if (!platform::gui::PostToUiThread([run] { run->Reload(); })) {
            std::lock_guard lock(run->mutex);
            run->pending = false; // the application has ended: no reload is on its way
        }
    }

    // Whether a reload is on its way: from the set of the update event (which this watcher,
    // while it runs, takes) until the reload begins. The event is looked at first: once the
    // watcher has reset it, taking or pending says so.
    bool Expecting(platform::EventTable& table) {
        if (!running)
            return false;
        if (table.Peek(kUpdateEventName) == platform::EventState::Signalled)
            return true;
        std::lock_guard lock(mutex);
        return !stopped && (taking || pending);
    }

    // On the user-interface thread.
    void Reload() {
        {
            std::lock_guard lock(mutex);
            pending = false; // from here on a signal brings another reload
            if (stopped)
                return;
            ++reloading;
            reloader = std::this_thread::get_id();
        }
        reload();
        {
            std::lock_guard lock(mutex);
            --reloading;
        }
        idle.notify_all();
    }

    // On the owner's thread: no reload begins from here on.
    void Stop() {
        std::unique_lock lock(mutex);
        stopped = true;
        if (reloader != std::this_thread::get_id())
            idle.wait(lock, [this] { return reloading == 0; });
        if (reloading == 0)
            reload = nullptr; // lets go of what it holds of the window
    }

    std::function<void()> reload;
    std::atomic<bool> running = true;
    std::mutex mutex;
    std::condition_variable idle;
    bool stopped = false; // no reload runs any more
    bool taking = false;  // the watcher was woken by an update and has not handed it over
    bool pending = false; // a reload is handed over and has not begun
    int reloading = 0;    // reloads running (more than one when one runs a modal loop)
    std::thread::id reloader;
};

CWatcher::CWatcher(std::function<void()> reload) : m_reload(std::move(reload)) {}

CWatcher::~CWatcher() {
    Stop();
}

bool CWatcher::Start() {
    if (IsRunning())
        return true;
    Stop(); // a thread that ended by itself is joined and its handle closed
    const auto table = platform::ThisDevice().Events();
    platform::NamedEvent stop = platform::NamedEvent::CreateOrOpen(table, kStopEventName);
    if (!stop.IsValid())
        return false;
    platform::NamedEvent update = platform::NamedEvent::CreateOrOpen(table, kUpdateEventName);
    if (!update.IsValid())
        return false;
    m_ownStop = OpenOwnStop(table);
    if (!m_ownStop.IsValid())
        return false;
    auto run = std::make_shared<Run>(m_reload);
    // The thread's procedure. The list order decides when several are signalled: stop first.
    auto watch = [run, stop = std::move(stop), update = std::move(update),
                  ownStop = &m_ownStop]() mutable {
        platform::NamedEvent* events[] = {&stop, ownStop, &update};
        while (platform::WaitForAny(events) == 2) {
            run->Take();
            update.Reset();
            Run::HandOver(run);
        }
        stop.Close();
        update.Close();
        run->running = false;
    };
    try {
        m_thread = std::thread(std::move(watch));
    } catch (const std::system_error&) {
        m_ownStop.Close();
        return false;
    }
    // The script driver waits for the reloads on their way.
    platform::gui::AddPendingCheck(this, [run, table] { return run->Expecting(*table); });
    m_run = std::move(run);
    return true;
}

void CWatcher::Stop() {
    if (!m_run)
        return;
    platform::gui::RemovePendingCheck(this);
    m_run->Stop();
    m_ownStop.Set();
    m_thread.join();
    m_ownStop.Close();
    m_run.reset();
}

bool CWatcher::IsRunning() const {
    return m_run && m_run->running;
}
