#pragma once

// The phone's registry: a tree of keys holding named values, below two roots, kept in one
// SQLite file that the program and brenwick-phone share as separate processes.
//
// Key and value names compare without regard to letter case (simple Unicode case folding);
// a name keeps the spelling it was first written with. Values enumerate in the order in
// which they were first written; replacing a value keeps its place. Every operation is
// atomic, and a writer in another process makes no operation fail: it waits its turn.
// Every operation sees every commit made before it, by any process; what it reads is kept
// in memory until the next commit anywhere, so that reading it again costs no transaction.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegRoot { LocalMachine, CurrentUser };

enum class RegStatus {
    Ok,
    NotFound,     // no such key or value
    MoreData,     // the name or the data does not fit the room the caller gave
    NoMoreItems,  // enumeration index past the last value
    KeyDeleted,   // the open key was deleted meanwhile
    InvalidName,  // an empty path component, a name that is too long
    AccessDenied, // the store refuses writes
    Failed,       // the store could not be read or written
};

// Value types as the phone knows them; the program writes only strings.
inline constexpr std::uint32_t kRegString = 1;

struct RegValue {
    std::u16string name;
    std::uint32_t type = kRegString;
    std::vector<std::uint8_t> data;
};

// A string's stored form: UTF-16LE with the terminating zero, so "" is 2 bytes.
std::vector<std::uint8_t> EncodeRegString(std::u16string_view text);
// Data read as text: UTF-16LE up to the first zero character (or the end).
std::u16string DecodeRegString(const std::vector<std::uint8_t>& data);

class Registry;

// An open key. Closed when destroyed; an operation on a key that another process deleted
// meanwhile fails with KeyDeleted. Not to be shared between threads without a lock.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&&) noexcept;
    RegistryKey& operator=(RegistryKey&&) noexcept;
    ~RegistryKey();

    bool IsOpen() const { return m_registry != nullptr; }
    void Close();

    RegStatus SetValue(std::u16string_view name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data);
    RegStatus SetString(std::u16string_view name, std::u16string_view text);
    // Reads a value whose data has at most maxDataBytes bytes; MoreData when it has more.
    RegStatus QueryValue(std::u16string_view name, std::size_t maxDataBytes, RegValue& value) const;
    RegStatus DeleteValue(std::u16string_view name);
    // Deletes a sub-key together with its values and every key below it.
    RegStatus DeleteSubKey(std::u16string_view name);

    RegStatus CountValues(std::uint32_t& count) const;
    // The value at an index of the enumeration order. maxNameChars counts the terminating
    // zero, as a name buffer does: a name of maxNameChars characters or more is MoreData.
    // Stepping through the indexes in order costs O(1) a step.
    RegStatus EnumValue(std::uint32_t index, std::size_t maxNameChars, std::size_t maxDataBytes,
                        RegValue& value);

    // Everything, for tools: all values in enumeration order, sub-key names in creation order.
    RegStatus AllValues(std::vector<RegValue>& values) const;
    RegStatus SubKeyNames(std::vector<std::u16string>& names) const;

private:
    friend class Registry;
    // Where the last enumeration step stopped, and the store's state at that moment.
    struct Cursor {
        std::uint32_t index = 0;
        std::int64_t seq = 0;
        std::int64_t othersVersion = -1; // commits by other connections
        std::int64_t ownVersion = -1;    // changes through this one
    };
    RegistryKey(std::shared_ptr<Registry> registry, std::int64_t id);
    // Run step on this key's connection, after checking that the key is still there.
    template <class Step> RegStatus Reading(Step&& step) const;
    template <class Step> RegStatus Writing(Step&& step);

    std::shared_ptr<Registry> m_registry;
    std::int64_t m_id = 0;
    Cursor m_cursor;
};

class Registry : public std::enable_shared_from_this<Registry> {
public:
    // Opens the store file, creating it (owner-only) with its schema when missing.
    static std::shared_ptr<Registry> Open(const std::filesystem::path& file, std::string& error);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Create-or-open: creates every missing key on the path. existed tells whether the
    // key itself was present before the call. Components are separated by '\'; an empty
    // path is the root itself.
    RegStatus CreateKey(RegRoot root, std::u16string_view path, RegistryKey& key, bool& existed);
    // Opens a key that exists, creating nothing.
    RegStatus OpenKey(RegRoot root, std::u16string_view path, RegistryKey& key);

    // Runs step as one atomic change: other processes see the state before or after it,
    // never in between. Operations inside it may be nested Atomically calls.
    template <class Step> void Atomically(Step&& step) {
        const bool entered = BeginAtomic();
        try {
            step();
        } catch (...) {
            EndAtomic(entered, false);
            throw;
        }
        EndAtomic(entered, true);
    }

    // Runs step with the reads it makes sharing one read transaction for as long as nothing
    // is committed anywhere: every read still sees every commit made before it, as on its
    // own, but the store is asked fewer times. For a listing, not for waiting in: the open
    // transaction keeps other processes' commits from being folded into the file.
    template <class Step> decltype(auto) InOneRead(Step&& step) {
        BeginBatch();
        struct End {
            Registry* registry;
            ~End() { registry->EndBatch(); }
        } end{this};
        return step();
    }

    // Fault injection for tests: while set, every change fails with AccessDenied.
    void RefuseWrites(bool refuse);

private:
    friend class RegistryKey;
    struct Impl;
    Registry();
    bool BeginAtomic();
    void EndAtomic(bool entered, bool commit);
    void BeginBatch();
    void EndBatch();

    std::unique_ptr<Impl> m_impl;
};

std::u16string_view RootName(RegRoot root); // "HKLM" or "HKCU"

} // namespace platform
