// How listing grows with the data, and what it costs against SQL written by hand for the same
// answer from the same file.
//  RedListRows: the rows of a red list of 1,000 numbers, each with an inbox record key of
//    20 records, all read (so that the unread test reads every record).
//  RedListRowsAfterChange: the same, with a change committed by another connection before
//    each listing, as after the filter service has stored a message (nothing read before
//    is of use then).
//  ListKey/10000 against ListKey/1000 x 10: listing one key of 10,000 values against ten
//    listings of a key of 1,000 values; 1 for a linear cost.
//  ...Sql: the same answers computed straight from the registry file with SQLite: one read
//    transaction, one prepared statement per step, nothing kept between iterations but
//    SQLite's own page cache.
// The ratios are printed at the end.
#include "bench_device.h"

#include "platform/text.h"

#include <benchmark/benchmark.h>
#include <iomanip>
#include <iostream>
#include <map>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

namespace {

bench::BenchDevice& Device() {
    static bench::BenchDevice device([](platform::Registry& registry) {
        bench::FillRedList(registry);
        registry.Atomically([] {
            for (const int size : {1000, 10000})
                for (int v = 0; v < size; ++v)
                    CRegistryStore::WriteString(CString::Formatted(u"Software\\Bench\\%d", size),
                                                CString::Formatted(u"value%d", v), u"data");
        });
    });
    return device;
}

void RedListRows(benchmark::State& state) {
    Device();
    for (auto _ : state) {
        auto rows = LoadListRows(keys::kRedList, true);
        if (rows.size() != 1000)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(RedListRows)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Commits a change through a connection of its own, as another process would.
class OtherProcess {
public:
    OtherProcess() {
        std::string error;
        m_registry = platform::Registry::Open(Device().RegistryFile(), error);
        bool existed = false;
        m_registry->CreateKey(platform::RegRoot::LocalMachine, u"Software\\Bench\\Other", m_key,
                              existed);
    }
    void Change() { m_key.SetString(u"change", CString::Formatted(u"%d", ++m_changes)); }

private:
    std::shared_ptr<platform::Registry> m_registry;
    platform::RegistryKey m_key;
    int m_changes = 0;
};

void RedListRowsAfterChange(benchmark::State& state) {
    OtherProcess other;
    for (auto _ : state) {
        state.PauseTiming();
        other.Change();
        state.ResumeTiming();
        auto rows = LoadListRows(keys::kRedList, true);
        if (rows.size() != 1000)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(RedListRowsAfterChange)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void ListKey(benchmark::State& state) {
    Device();
    const int size = static_cast<int>(state.range(0));
    const int times = 10000 / size;
    const CString path = CString::Formatted(u"Software\\Bench\\%d", size);
    for (auto _ : state) {
        for (int t = 0; t < times; ++t) {
            int seen = 0;
            CRegistryStore::EnumerateValues(HKEY_LOCAL_MACHINE, path,
                                            [&](const CString&, const CString&) { ++seen; });
            if (seen != size)
                state.SkipWithError("wrong value count");
        }
    }
    state.SetLabel(std::to_string(times) + " x " + std::to_string(size) + " values");
}
BENCHMARK(ListKey)->Arg(10000)->Arg(1000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The registry file read with SQLite directly, the way a program written for these two
// questions alone would read it.
class Sql {
public:
    Sql() {
        if (sqlite3_open_v2(Device().RegistryFile().c_str(), &m_db, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK ||
            sqlite3_exec(m_db, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr) !=
                SQLITE_OK) // as the store reads it
            std::abort();
        m_child = Prepare("SELECT id FROM regkey WHERE parent = ? AND fold = ?");
        m_values = Prepare("SELECT name, data FROM regvalue WHERE key = ? ORDER BY seq");
        m_records = Prepare("SELECT name, data FROM regvalue WHERE key = ? ORDER BY seq");
        m_begin = Prepare("BEGIN");
        m_commit = Prepare("COMMIT");
    }
    ~Sql() {
        for (auto* stmt : {m_child, m_values, m_records, m_begin, m_commit})
            sqlite3_finalize(stmt);
        sqlite3_close(m_db);
    }

    std::vector<CListRow> RedListRows() {
        Run(m_begin);
        std::vector<CListRow> rows;
        const std::int64_t inbox = Key(1, keys::kInbox);
        Values(m_values, Key(1, keys::kRedList), [&](const CString& number, const CString& data) {
            if (number == u"Default")
                return true;
            const CListEntry entry = DecodeListEntry(data);
            bool unread = false;
            if (const std::int64_t record = Child(inbox, Plus86Form(number)))
                Values(m_records, record, [&](const CString& name, const CString&) {
                    unread = name.Find(kUnreadMarker) >= 0;
                    return !unread;
                });
            rows.push_back({{unread ? kUnreadMarker + entry.name : entry.name, number,
                             entry.high ? kHighLevel : u""}});
            return true;
        });
        Run(m_commit);
        return rows;
    }

    int ListKey(const CString& path) {
        Run(m_begin);
        int seen = 0;
        Values(m_values, Key(1, path), [&](const CString&, const CString&) { return ++seen > 0; });
        Run(m_commit);
        return seen;
    }

private:
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK)
            std::abort();
        return stmt;
    }
    static void Run(sqlite3_stmt* stmt) {
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    // A blob of UTF-16 as text; data ends at its terminator.
    static CString BlobText(sqlite3_stmt* stmt, int column, bool upToZero = false) {
        std::u16string_view text(static_cast<const char16_t*>(sqlite3_column_blob(stmt, column)),
                                 static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)) / 2);
        return upToZero ? text.substr(0, text.find(u'\0')) : text;
    }

    std::int64_t Child(std::int64_t parent, const CString& name) {
        const std::u16string fold = platform::FoldCase(name);
        sqlite3_bind_int64(m_child, 1, parent);
        sqlite3_bind_blob(m_child, 2, fold.data(), static_cast<int>(fold.size() * 2),
                          SQLITE_STATIC);
        const std::int64_t id =
            sqlite3_step(m_child) == SQLITE_ROW ? sqlite3_column_int64(m_child, 0) : 0;
        sqlite3_reset(m_child);
        return id;
    }
    std::int64_t Key(std::int64_t id, const CString& path) {
        for (int start = 0; id && start <= path.GetLength();) {
            int end = path.Find(u"\\", start);
            if (end < 0)
                end = path.GetLength();
            id = Child(id, path.Mid(start, end - start));
            start = end + 1;
        }
        return id;
    }
    // Hands each value's name and data (as text) to step until it returns false.
    template <class Step> static void Values(sqlite3_stmt* stmt, std::int64_t key, Step&& step) {
        sqlite3_bind_int64(stmt, 1, key);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            if (!step(BlobText(stmt, 0), BlobText(stmt, 1, true)))
                break;
        sqlite3_reset(stmt);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_child;
    sqlite3_stmt* m_values;
    sqlite3_stmt* m_records; // the record keys, while the list's statement is on a row
    sqlite3_stmt* m_begin;
    sqlite3_stmt* m_commit;
};

void RedListRowsSql(benchmark::State& state) {
    Sql sql;
    if (sql.RedListRows() != LoadListRows(keys::kRedList, true))
        state.SkipWithError("not the rows the store gives");
    for (auto _ : state)
        benchmark::DoNotOptimize(sql.RedListRows());
}
BENCHMARK(RedListRowsSql)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void RedListRowsSqlAfterChange(benchmark::State& state) {
    Sql sql;
    OtherProcess other;
    for (auto _ : state) {
        state.PauseTiming();
        other.Change();
        state.ResumeTiming();
        benchmark::DoNotOptimize(sql.RedListRows());
    }
}
BENCHMARK(RedListRowsSqlAfterChange)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void ListKeySql(benchmark::State& state) {
    Sql sql;
    for (auto _ : state)
        if (sql.ListKey(u"Software\\Bench\\10000") != 10000)
            state.SkipWithError("wrong value count");
}
BENCHMARK(ListKeySql)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps each run's time so that the ratios can be printed at the end.
class Reporter : public benchmark::ConsoleReporter {
public:
    Reporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Ratio(const char* what, const std::string& a, const std::string& b) const {
        const auto x = m_times.find(a + "/min_time:2.000");
        const auto y = m_times.find(b + "/min_time:2.000");
        if (x != m_times.end() && y != m_times.end())
            std::cout << "ratio: " << what << " = " << std::fixed << std::setprecision(2)
                      << x->second / y->second << std::endl;
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Ratio("red list rows / the same by hand-written SQL", "RedListRows", "RedListRowsSql");
    reporter.Ratio("red list rows after a change / the same by hand-written SQL",
                   "RedListRowsAfterChange", "RedListRowsSqlAfterChange");
    reporter.Ratio("listing 10,000 values / a plain SQL scan of them", "ListKey/10000",
                   "ListKeySql");
    reporter.Ratio("one listing of 10,000 values / ten listings of 1,000 values", "ListKey/10000",
                   "ListKey/1000");
    benchmark::Shutdown();
    return 0;
}
