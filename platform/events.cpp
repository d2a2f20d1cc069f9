#include "platform/events.h"

// One device's events live in a POSIX shared-memory table of slots {name, signalled,
// generation}, guarded by one robust process-shared mutex. Every set bumps a futex word
// that waiters sleep on. A process that holds a handle keeps an open-file-description read
// lock on its slot's byte of the table's file, so that the kernel forgets the holders of a
// process that dies; OFD locks do not see the same table's own locks, hence the count per
// slot kept beside them.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/futex.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {
namespace fs = std::filesystem;
namespace {

constexpr std::uint64_t kMagic = 0x3174764577726e42; // "BrnwEvt1"
constexpr std::uint32_t kLayoutVersion = 1;
constexpr int kSlotCount = 128;

// One event as every process sees it; touched only under the table's mutex.
struct Slot {
    std::uint32_t used; // carries a name; the event is alive only while someone holds the slot
    std::uint32_t signalled;
    std::uint32_t generation; // bumped by every set, so that a waiter sees a set a reset undid
    std::uint32_t nameLength;
    char16_t name[EventTable::kMaxNameLength];
};

// The layout of the shared-memory file.
struct SharedTable {
    std::uint64_t magic; // written last by the process that initialises the table
    std::uint32_t version;
    std::uint32_t slotCount;
    pthread_mutex_t mutex;
    std::uint32_t wakeups; // the futex word: bumped by every set
    std::uint32_t waiters; // threads inside WaitForAny
    Slot slots[kSlotCount];
};

std::atomic_ref<std::uint32_t> Wakeups(SharedTable& table) {
    return std::atomic_ref<std::uint32_t>(table.wakeups);
}

// Wakes every waiter of every process; each looks again at its events.
void WakeAll(SharedTable& table) {
    Wakeups(table).fetch_add(1);
    ::syscall(SYS_futex, &table.wakeups, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

// Sleeps until the futex word moves away from seen or the deadline (CLOCK_MONOTONIC)
// passes. Early returns (a signal, a set in between) are fine: the caller looks again.
void SleepUntilWakeup(SharedTable& table, std::uint32_t seen, const timespec* deadline) {
    ::syscall(SYS_futex, &table.wakeups, FUTEX_WAIT_BITSET, seen, deadline, nullptr,
              FUTEX_BITSET_MATCH_ANY);
}

// The table's mutex for one operation. A holder that died hands the mutex on with
// EOWNERDEAD: every change to a slot is either complete or leaves a slot that nobody
// holds, so marking the mutex consistent is enough, but the dead process may have been
// half-way through a set and woken nobody yet.
class TableLock {
public:
    explicit TableLock(SharedTable& table) : m_table(table) {
        int rc = ::pthread_mutex_lock(&m_table.mutex);
        if (rc == EOWNERDEAD) {
            rc = ::pthread_mutex_consistent(&m_table.mutex);
            if (rc == 0)
                WakeAll(m_table);
            else
                ::pthread_mutex_unlock(&m_table.mutex);
        }
        m_held = rc == 0;
    }
    ~TableLock() {
        if (m_held)
            ::pthread_mutex_unlock(&m_table.mutex);
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

    bool Held() const { return m_held; }

private:
    SharedTable& m_table;
    bool m_held = false;
};

// Holds flock() on the table's file while a process checks and initialises it.
class FileLock {
public:
    explicit FileLock(int fd) : m_fd(fd) {
        int rc;
        while ((rc = ::flock(m_fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        m_held = rc == 0;
    }
    ~FileLock() {
        if (m_held)
            ::flock(m_fd, LOCK_UN);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return m_held; }

private:
    int m_fd;
    bool m_held = false;
};

// The shared-memory name of a device's table: the same for every spelling of the device
// directory, different for every other directory and user.
std::string TableName(const fs::path& deviceDir) {
    std::error_code ec;
    fs::path dir = fs::weakly_canonical(fs::absolute(deviceDir, ec), ec);
    if (ec)
        dir = fs::absolute(deviceDir, ec).lexically_normal();
    std::uint64_t hash = 0xcbf29ce484222325; // FNV-1a 64
    for (const unsigned char c : dir.native()) {
        hash ^= c;
        hash *= 0x100000001b3;
    }
    char name[64];
    std::snprintf(name, sizeof name, "/brenwick-events-%u-%016llx",
                  static_cast<unsigned>(::getuid()), static_cast<unsigned long long>(hash));
    return name;
}

bool Initialise(SharedTable& table) {
    std::memset(&table, 0, sizeof table);
    pthread_mutexattr_t attr;
    if (::pthread_mutexattr_init(&attr) != 0)
        return false;
    const bool made = ::pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0 &&
                      ::pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
                      ::pthread_mutex_init(&table.mutex, &attr) == 0;
    ::pthread_mutexattr_destroy(&attr);
    if (!made)
        return false;
    table.version = kLayoutVersion;
    table.slotCount = kSlotCount;
    std::atomic_ref<std::uint64_t>(table.magic).store(kMagic, std::memory_order_release);
    return true;
}

// A byte-range lock of the given type on the first byte of a slot in the table's file.
struct flock SlotLock(int slot, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offsetof(SharedTable, slots) +
                                      sizeof(Slot) * static_cast<std::size_t>(slot));
    lock.l_len = 1;
    return lock;
}

// Takes (F_RDLCK) or drops (F_UNLCK) this table's hold on a slot.
bool SetSlotLock(int fd, int slot, short type) {
    struct flock lock = SlotLock(slot, type);
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether any other open table, in this process or another, holds the slot.
bool OthersHold(int fd, int slot) {
    struct flock lock = SlotLock(slot, F_WRLCK);
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0)
        return true; // unknown: never drop an event that someone may hold
    return lock.l_type != F_UNLCK;
}

std::u16string_view NameOf(const Slot& slot) {
    return {slot.name, std::min<std::size_t>(slot.nameLength, EventTable::kMaxNameLength)};
}

// Gives a slot a new name, not signalled. A process killed half-way leaves the slot
// without a name, never with half of one: the compiler may not move the name's stores
// across the fences.
void Claim(Slot& slot, std::u16string_view name) {
    slot.used = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::copy(name.begin(), name.end(), slot.name);
    slot.nameLength = static_cast<std::uint32_t>(name.size());
    slot.signalled = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slot.used = 1;
}

timespec MonotonicNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

std::optional<timespec> DeadlineAfter(std::optional<std::chrono::milliseconds> timeout) {
    if (!timeout)
        return std::nullopt;
    const long long ms = std::max<long long>(timeout->count(), 0);
    timespec deadline = MonotonicNow();
    deadline.tv_sec += static_cast<time_t>(ms / 1000);
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_nsec -= 1000000000L;
        ++deadline.tv_sec;
    }
    return deadline;
}

bool Passed(const timespec& deadline) {
    const timespec now = MonotonicNow();
    return now.tv_sec > deadline.tv_sec ||
           (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
}

} // namespace

struct EventTable::Impl {
    int fd = -1;
    SharedTable* shared = nullptr; // the mapping of fd
    // This table's open handles per slot, guarded by the shared mutex.
    std::vector<int> holds = std::vector<int>(kSlotCount);

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        if (shared)
            ::munmap(shared, sizeof(SharedTable));
        if (fd >= 0)
            ::close(fd); // drops this table's slot locks
    }

    // The rest work under the table's lock.
    bool Alive(int slot) const { return holds[slot] > 0 || OthersHold(fd, slot); }

    int Find(std::u16string_view name) const {
        for (int i = 0; i < kSlotCount; ++i)
            if (shared->slots[i].used && NameOf(shared->slots[i]) == name)
                return i;
        return -1;
    }

    int FreeSlot() const {
        for (int i = 0; i < kSlotCount; ++i)
            if (!shared->slots[i].used || !Alive(i))
                return i;
        return -1;
    }

    int Acquire(std::u16string_view name, bool& existed) {
        TableLock lock(*shared);
        if (!lock.Held())
            return -1;
        int slot = Find(name);
        existed = slot >= 0 && Alive(slot);
        if (!existed) {
            // A named slot that nobody holds any more is a dead event: start it afresh.
            if (slot < 0)
                slot = FreeSlot();
            if (slot < 0)
                return -1;
            Claim(shared->slots[slot], name);
        }
        if (holds[slot] == 0 && !SetSlotLock(fd, slot, F_RDLCK))
            return -1;
        ++holds[slot];
        return slot;
    }

    void Release(int slot) {
        TableLock lock(*shared);
        if (!lock.Held())
            return; // a broken table: its locks go when it closes
        if (--holds[slot] > 0)
            return;
        SetSlotLock(fd, slot, F_UNLCK);
        if (!OthersHold(fd, slot))
            shared->slots[slot].used = 0;
    }

    bool Change(int slot, bool signalled) {
        TableLock lock(*shared);
        if (!lock.Held())
            return false;
        shared->slots[slot].signalled = signalled;
        if (signalled) {
            ++shared->slots[slot].generation;
            // Woken inside the lock, so that a setter killed right after its set has woken
            // its waiters, or left the lock to a process that does (TableLock).
            WakeAll(*shared);
        }
        return true;
    }

    int Wait(const std::vector<int>& slots, std::optional<std::chrono::milliseconds> timeout) {
        const std::optional<timespec> deadline = DeadlineAfter(timeout);
        std::vector<std::uint32_t> generations;
        for (;;) {
            std::uint32_t seen = 0;
            {
                TableLock lock(*shared);
                if (!lock.Held())
                    return -1;
                if (generations.empty()) {
                    for (const int slot : slots)
                        generations.push_back(shared->slots[slot].generation);
                    ++shared->waiters;
                }
                // The first event that is signalled, or was set since the wait began.
                for (std::size_t i = 0; i < slots.size(); ++i) {
                    const Slot& slot = shared->slots[slots[i]];
                    if (slot.signalled || slot.generation != generations[i]) {
                        --shared->waiters;
                        return static_cast<int>(i);
                    }
                }
                if (deadline && Passed(*deadline)) {
                    --shared->waiters;
                    return -1;
                }
                // Read under the lock: a set after it moves the word, and the sleep below
                // returns at once.
                seen = Wakeups(*shared).load();
            }
            SleepUntilWakeup(*shared, seen, deadline ? &*deadline : nullptr);
        }
    }
};

// ---- NamedEvent

NamedEvent::NamedEvent(NamedEvent&& other) noexcept
    : m_table(std::move(other.m_table)), m_slot(std::exchange(other.m_slot, -1)) {}

NamedEvent& NamedEvent::operator=(NamedEvent&& other) noexcept {
    if (this != &other) {
        Close();
        m_table = std::move(other.m_table);
        m_slot = std::exchange(other.m_slot, -1);
    }
    return *this;
}

NamedEvent::~NamedEvent() {
    Close();
}

NamedEvent NamedEvent::CreateOrOpen(const std::shared_ptr<EventTable>& table,
                                    std::u16string_view name, bool* existed) {
    NamedEvent event;
    bool alive = false;
    if (table && !name.empty() && name.size() <= EventTable::kMaxNameLength) {
        const int slot = table->m_impl->Acquire(name, alive);
        if (slot >= 0) {
            event.m_table = table;
            event.m_slot = slot;
        }
    }
    if (existed)
        *existed = event.IsValid() && alive;
    return event;
}

bool NamedEvent::Set() {
    return IsValid() && m_table->m_impl->Change(m_slot, true);
}

bool NamedEvent::Reset() {
    return IsValid() && m_table->m_impl->Change(m_slot, false);
}

void NamedEvent::Close() {
    if (!m_table)
        return;
    m_table->m_impl->Release(m_slot);
    m_table.reset();
    m_slot = -1;
}

int WaitForAny(std::span<NamedEvent* const> events,
               std::optional<std::chrono::milliseconds> timeout) {
    if (events.empty() || !events.front())
        return -1;
    // A copy, so that the table outlives the wait.
    const std::shared_ptr<EventTable> table = events.front()->m_table;
    if (!table)
        return -1;
    std::vector<int> slots;
    for (const NamedEvent* event : events) {
        if (!event || event->m_table != table)
            return -1;
        slots.push_back(event->m_slot);
    }
    return table->m_impl->Wait(slots, timeout);
}

// ---- EventTable

EventTable::EventTable() : m_impl(std::make_unique<Impl>()) {}
EventTable::~EventTable() = default;

std::shared_ptr<EventTable> EventTable::Open(const fs::path& deviceDir, std::string& error) {
    const std::string name = TableName(deviceDir);
    const auto fail = [&](const char* what) {
        error = "cannot " + std::string(what) + " the event table " + name + ": " +
                std::strerror(errno);
        return nullptr;
    };
    std::shared_ptr<EventTable> table(new EventTable);
    Impl& impl = *table->m_impl;
    impl.fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (impl.fd < 0)
        return fail("open");
    // Whoever holds the file lock makes the table; the others wait and then find it made.
    const FileLock initLock(impl.fd);
    struct stat st {};
    if (!initLock.Held() || ::fstat(impl.fd, &st) != 0)
        return fail("lock");
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        error = "the event table " + name + " belongs to another user or is open to others";
        return nullptr;
    }
    if (st.st_size == 0 && ::ftruncate(impl.fd, sizeof(SharedTable)) != 0)
        return fail("size");
    if (st.st_size != 0 && static_cast<std::size_t>(st.st_size) != sizeof(SharedTable)) {
        error = "the event table " + name + " was made by another version of the program";
        return nullptr;
    }
    void* mapping =
        ::mmap(nullptr, sizeof(SharedTable), PROT_READ | PROT_WRITE, MAP_SHARED, impl.fd, 0);
    if (mapping == MAP_FAILED)
        return fail("map");
    impl.shared = static_cast<SharedTable*>(mapping);
    SharedTable& shared = *impl.shared;
    // No magic: new, or its maker died before finishing. Nobody uses such a table yet.
    if (std::atomic_ref<std::uint64_t>(shared.magic).load(std::memory_order_acquire) != kMagic) {
        if (!Initialise(shared))
            return fail("initialise");
    } else if (shared.version != kLayoutVersion || shared.slotCount != kSlotCount) {
        error = "the event table " + name + " was made by another version of the program";
        return nullptr;
    }
    return table;
}

void EventTable::Remove(const fs::path& deviceDir) {
    ::shm_unlink(TableName(deviceDir).c_str());
}

EventState EventTable::Peek(std::u16string_view name) {
    TableLock lock(*m_impl->shared);
    if (!lock.Held())
        return EventState::Absent;
    const int slot = m_impl->Find(name);
    if (slot < 0 || !m_impl->Alive(slot))
        return EventState::Absent;
    return m_impl->shared->slots[slot].signalled ? EventState::Signalled : EventState::Reset;
}

int EventTable::Waiters() {
    TableLock lock(*m_impl->shared);
    return lock.Held() ? static_cast<int>(m_impl->shared->waiters) : 0;
}

void EventTable::TakeLockForTesting() {
    // Not a TableLock: it stays taken until the process ends.
    if (::pthread_mutex_lock(&m_impl->shared->mutex) == EOWNERDEAD)
        ::pthread_mutex_consistent(&m_impl->shared->mutex);
}

} // namespace platform
