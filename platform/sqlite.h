#pragma once

// A small RAII layer over SQLite for the platform's stores. Errors become sql::Error;
// the stores catch it at their edge and answer with their own status.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::sql {

class Error : public std::runtime_error {
public:
    Error(int code, const std::string& message) : std::runtime_error(message), m_code(code) {}
    int Code() const { return m_code; }
    bool IsReadOnly() const;

private:
    int m_code;
};

// Where the file stood after its last commit by any connection: two marks are equal only when
// nothing has been committed between them.
struct CommitMark {
    std::array<std::uint32_t, 12> words{};
    friend bool operator==(const CommitMark&, const CommitMark&) = default;
};

class Database {
public:
    // Opens (creating, owner-only) a database file in WAL mode, with foreign keys on, a
    // busy time-out long enough that a writer in another process only makes us wait, and
    // the file read through a memory map.
    explicit Database(const std::filesystem::path& file);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void Exec(const char* sql);
    void RollbackQuietly(); // after a failed COMMIT; errors ignored
    std::int64_t LastInsertId() const;
    int Changes() const; // rows changed by the last statement
    // Incremented on every commit by another connection (PRAGMA data_version).
    std::int64_t DataVersion();
    // The file's last commit, read from the memory that all connections to it share, without
    // a system call or a lock; nothing while a commit is being recorded or when the file has
    // no such memory.
    std::optional<CommitMark> LastCommit();

private:
    friend class Query;
    sqlite3_stmt* Prepared(const char* sql);

    sqlite3* m_db = nullptr;
    std::unordered_map<const char*, sqlite3_stmt*> m_statements; // keyed by the literal's address
    std::uint32_t* m_walIndex = nullptr; // the shared memory's first words, once mapped
};

// One use of a cached prepared statement: bind, step, read columns; reset when it ends.
class Query {
public:
    Query(Database& db, const char* sql);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& Bind(int index, std::int64_t value);
    Query& BindBlob(int index, std::span<const std::uint8_t> bytes);
    Query& BindBlob(int index, std::u16string_view text); // the UTF-16 code units, no terminator
    Query& BindText(int index, std::string_view utf8);
    Query& BindNull(int index);

    bool Step(); // true while a row is there
    void Run();  // steps to the end
    bool IsNull(int column) const;
    std::int64_t Int(int column) const;
    std::span<const std::uint8_t> Blob(int column) const;
    std::u16string BlobText(int column) const; // a blob bound with BindBlob(u16string_view)
    std::string Text(int column) const;

private:
    Database& m_db;
    sqlite3_stmt* m_stmt;
};

// BEGIN IMMEDIATE (or DEFERRED for reads) ... COMMIT; rolled back unless committed.
class Transaction {
public:
    enum class Kind { Read, Write };
    Transaction(Database& db, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();
    void KeepOpen() { m_open = false; } // the caller ends it

private:
    Database& m_db;
    bool m_open = true;
};

} // namespace platform::sql
