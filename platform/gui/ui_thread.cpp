#include "platform/gui/ui_thread.h"

#include "platform/clock.h"
#include "platform/gui/ui_queue.h"

#include <QSocketNotifier>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform::gui {
namespace {

// The queue is guarded by a mutex of ours, and the other threads wake the user-interface
// thread through an eventfd rather than through Qt's event queue: what they hand over is
// then seen whole on the other side, in a way ThreadSanitizer can follow too.
class UiQueue {
public:
    static UiQueue& Get() {
        static UiQueue queue;
        return queue;
    }

    void Start() {
        std::lock_guard lock(m_mutex);
        m_uiThread = std::this_thread::get_id();
        m_open = true;
        m_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { Drain(); });
    }

    // Drops what is still queued; waiting threads are told that it never ran.
    void Stop() {
        std::deque<std::function<void()>> dropped;
        {
            std::lock_guard lock(m_mutex);
            m_open = false;
            dropped.swap(m_work);
            ++m_stops;
        }
        m_ran.notify_all();
        m_notifier.reset();
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    bool Post(std::function<void()> work) {
        std::lock_guard lock(m_mutex);
        if (!m_open)
            return false;
        m_work.push_back(std::move(work));
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(m_fd, &one, sizeof one);
        return true;
    }

    bool RunAndWait(std::function<void()> work) {
        struct Done {
            bool ran = false;
        };
        auto done = std::make_shared<Done>();
        const auto stops = Stops();
        if (!Post([this, done, work = std::move(work)] {
                work();
                std::lock_guard lock(m_mutex);
                done->ran = true;
                m_ran.notify_all();
            }))
            return false;
        std::unique_lock lock(m_mutex);
        m_ran.wait(lock, [&] { return done->ran || m_stops != stops; });
        return done->ran;
    }

    bool Queued() {
        std::lock_guard lock(m_mutex);
        return !m_work.empty();
    }

    bool OnUiThread() {
        std::lock_guard lock(m_mutex);
        return m_open && std::this_thread::get_id() == m_uiThread;
    }

private:
    int Stops() {
        std::lock_guard lock(m_mutex);
        return m_stops;
    }

    void Drain() {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto n = ::read(m_fd, &count, sizeof count);
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(m_mutex);
                if (m_work.empty())
                    return;
                work = std::move(m_work.front());
                m_work.pop_front();
            }
            work();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_ran;
    std::deque<std::function<void()>> m_work;
    std::thread::id m_uiThread;
    bool m_open = false;
    int m_stops = 0;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

std::mutex g_checksMutex;
std::vector<std::pair<const void*, std::function<bool()>>> g_checks;

} // namespace

void AddPendingCheck(const void* owner, std::function<bool()> pending) {
    std::lock_guard lock(g_checksMutex);
    g_checks.emplace_back(owner, std::move(pending));
}

void RemovePendingCheck(const void* owner) {
    std::lock_guard lock(g_checksMutex);
    std::erase_if(g_checks, [owner](const auto& check) { return check.first == owner; });
}

bool WorkPending() {
    if (UiQueue::Get().Queued())
        return true;
    std::lock_guard lock(g_checksMutex);
    return std::any_of(g_checks.begin(), g_checks.end(),
                       [](const auto& check) { return check.second(); });
}

void StartUiQueue() {
    UiQueue::Get().Start();
}
void StopUiQueue() {
    UiQueue::Get().Stop();
}

bool PostToUiThread(std::function<void()> work) {
    return UiQueue::Get().Post(std::move(work));
}

bool RunOnUiThread(std::function<void()> work) {
    if (IsUiThread()) {
        work();
        return true;
    }
    return UiQueue::Get().RunAndWait(std::move(work));
}

bool IsUiThread() {
    return UiQueue::Get().OnUiThread();
}

void PauseThread(int milliseconds) {
    std::this_thread::sleep_for(
        std::chrono::milliseconds(platform::ScaledMilliseconds(milliseconds)));
}

} // namespace platform::gui
