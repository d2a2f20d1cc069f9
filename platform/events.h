#pragma once

// Named events shared by the processes of one user that work on one device directory.
//
// An event is manual reset and starts not signalled. It lives while any process holds a
// handle to it; after the last handle closes (or the last holder dies) the next
// create-or-open gets a fresh, non-signalled event. A set releases every thread waiting at
// that moment, even when a reset follows at once. Programs on two different device
// directories never share an event.

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

class EventTable;

enum class EventState { Absent, Reset, Signalled };

class NamedEvent {
public:
    NamedEvent() = default;
    NamedEvent(NamedEvent&&) noexcept;
    NamedEvent& operator=(NamedEvent&&) noexcept;
    ~NamedEvent();

    // Create-or-open on a device's table. existed tells whether the event was alive before.
    // Names compare exactly. An invalid handle comes back when the table cannot be used, is
    // full, or the name is empty or longer than EventTable::kMaxNameLength.
    static NamedEvent CreateOrOpen(const std::shared_ptr<EventTable>& table,
                                   std::u16string_view name, bool* existed = nullptr);

    bool IsValid() const { return m_table != nullptr; }
    bool Set();
    bool Reset();
    void Close();

private:
    friend class EventTable;
    friend int WaitForAny(std::span<NamedEvent* const>, std::optional<std::chrono::milliseconds>);
    std::shared_ptr<EventTable> m_table;
    int m_slot = -1;
};

// Waits until one of the events is signalled and returns its index in the list: the first
// one when several are. Without a time-out it waits for ever. -1 when an event is invalid,
// the events belong to different devices, the list is empty or the time-out passed.
int WaitForAny(std::span<NamedEvent* const> events,
               std::optional<std::chrono::milliseconds> timeout = std::nullopt);

// The shared table of one device's events.
class EventTable : public std::enable_shared_from_this<EventTable> {
public:
    static constexpr std::size_t kMaxNameLength = 259;

    // Opens (creating when needed) the table of the device in deviceDir.
    static std::shared_ptr<EventTable> Open(const std::filesystem::path& deviceDir,
                                            std::string& error);
    // Removes the table of a device that no process uses any more (tests clean up with it).
    static void Remove(const std::filesystem::path& deviceDir);
    ~EventTable();
    EventTable(const EventTable&) = delete;
    EventTable& operator=(const EventTable&) = delete;

    // How another process sees an event, without opening it: Absent when no process holds it.
    EventState Peek(std::u16string_view name);

    // Threads of all processes inside WaitForAny on this table, so that a test can tell
    // that a waiter is in place. A waiter killed in its wait stays counted.
    int Waiters();
    // For tests: takes the table's lock and never gives it back, as a process that dies in
    // the middle of an operation would.
    void TakeLockForTesting();

private:
    friend class NamedEvent;
    friend int WaitForAny(std::span<NamedEvent* const>, std::optional<std::chrono::milliseconds>);
    struct Impl;
    EventTable();
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
