#include "platform/sqlite.h"

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::sql {
namespace {

[[noreturn]] void Throw(sqlite3* db, int code) {
    throw Error(code, db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

void Check(sqlite3* db, int code) {
    if (code != SQLITE_OK)
        Throw(db, code);
}

} // namespace

bool Error::IsReadOnly() const {
    return (m_code & 0xff) == SQLITE_READONLY;
}

Database::Database(const std::filesystem::path& file) {
    // Create the file ourselves so that it is private from the first byte; SQLite gives
    // its -wal and -shm files the same mode.
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Error(SQLITE_CANTOPEN, "cannot open " + file.string() + ": " + std::strerror(errno));
    ::close(fd);
    const int rc =
        sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw Error(rc, message);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 10000);
    try {
        Exec("PRAGMA foreign_keys = ON");
        // A journal mode change needs the file to itself; it is set once, when the file is
        // new, and stays.
        std::string mode;
        {
            Query q(*this, "PRAGMA journal_mode");
            if (q.Step())
                mode = q.Text(0);
        }
        if (mode != "wal") {
            Query wal(*this, "PRAGMA journal_mode = WAL");
            wal.Run();
        }
        Exec("PRAGMA synchronous = NORMAL");
        // Every commit by another connection empties our page cache; through a memory map
        // the pages come back without a system call each.
        Exec("PRAGMA mmap_size = 268435456");
    } catch (...) {
        for (auto& [sql, stmt] : m_statements)
            sqlite3_finalize(stmt);
        sqlite3_close(m_db);
        throw;
    }
}

Database::~Database() {
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    sqlite3_close(m_db);
}

void Database::Exec(const char* sql) {
    Check(m_db, sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr));
}

void Database::RollbackQuietly() {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::int64_t Database::LastInsertId() const {
    return sqlite3_last_insert_rowid(m_db);
}

int Database::Changes() const {
    return sqlite3_changes(m_db);
}

std::int64_t Database::DataVersion() {
    Query q(*this, "PRAGMA data_version");
    q.Step();
    return q.Int(0);
}

// A database in WAL mode keeps an index of its log in memory that every connection maps; it
// begins with a header that each commit rewrites (mxFrame, the change counter, checksums),
// kept twice: the second copy is written first, so the two differ while a commit is being
// recorded and are equal again once it is visible. Our own connection maps it already; we ask
// its VFS for the same mapping. The header changes under us by design; only equal copies count.
__attribute__((no_sanitize("thread"))) std::optional<CommitMark> Database::LastCommit() {
    constexpr int kRegionBytes = 32 * 1024; // the only region size the log index uses
    if (!m_walIndex) {
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
            !file || !file->pMethods || file->pMethods->iVersion < 2)
            return std::nullopt;
        volatile void* region = nullptr;
        if (file->pMethods->xShmMap(file, 0, kRegionBytes, 0, &region) != SQLITE_OK || !region)
            return std::nullopt;
        m_walIndex = static_cast<std::uint32_t*>(const_cast<void*>(region));
    }
    const volatile std::uint32_t* header = m_walIndex;
    CommitMark first, second;
    for (std::size_t i = 0; i < first.words.size(); ++i)
        first.words[i] = header[i];
    std::atomic_thread_fence(std::memory_order_acquire);
    for (std::size_t i = 0; i < second.words.size(); ++i)
        second.words[i] = header[first.words.size() + i];
    std::atomic_thread_fence(std::memory_order_acquire);
    if (first != second)
        return std::nullopt;
    return first;
}

sqlite3_stmt* Database::Prepared(const char* sql) {
    auto& stmt = m_statements[sql];
    if (!stmt)
        Check(m_db, sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr));
    return stmt;
}

Query::Query(Database& db, const char* sql) : m_db(db), m_stmt(db.Prepared(sql)) {}

Query::~Query() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

Query& Query::Bind(int index, std::int64_t value) {
    Check(m_db.m_db, sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

Query& Query::BindBlob(int index, std::span<const std::uint8_t> bytes) {
    // A zero-length blob, not NULL, for empty data.
    static const std::uint8_t none = 0;
    Check(m_db.m_db, sqlite3_bind_blob64(m_stmt, index, bytes.empty() ? &none : bytes.data(),
                                         bytes.size(), SQLITE_TRANSIENT));
    return *this;
}

Query& Query::BindBlob(int index, std::u16string_view text) {
    return BindBlob(index, std::span(reinterpret_cast<const std::uint8_t*>(text.data()),
                                     text.size() * sizeof(char16_t)));
}

Query& Query::BindText(int index, std::string_view utf8) {
    Check(m_db.m_db, sqlite3_bind_text64(m_stmt, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                                         SQLITE_UTF8));
    return *this;
}

Query& Query::BindNull(int index) {
    Check(m_db.m_db, sqlite3_bind_null(m_stmt, index));
    return *this;
}

bool Query::Step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Throw(m_db.m_db, rc);
}

void Query::Run() {
    while (Step()) {
    }
}

bool Query::IsNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::int64_t Query::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

std::span<const std::uint8_t> Query::Blob(int column) const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return {data, static_cast<std::size_t>(size)};
}

std::u16string Query::BlobText(int column) const {
    const auto bytes = Blob(column);
    std::u16string text(bytes.size() / sizeof(char16_t), u'\0');
    if (!text.empty())
        std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
    return text;
}

std::string Query::Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                : std::string();
}

Transaction::Transaction(Database& db, Kind kind) : m_db(db) {
    Query(db, kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN").Run();
}

Transaction::~Transaction() {
    if (m_open)
        m_db.RollbackQuietly();
}

void Transaction::Commit() {
    Query(m_db, "COMMIT").Run();
    m_open = false;
}

} // namespace platform::sql
