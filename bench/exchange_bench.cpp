// The message export and import at two sizes in one run: 1,000 and 10,000 records (20 to
// a red-list number, 15 received and 5 sent). Cost should grow in proportion: the ratio of
// the two times is printed for each.
#include "bench_device.h"
#include "exchange/ExchangeHandlers.h"
#include "platform/gui/wnd.h"
#include "platform/shell/gui_app.h"

#include <benchmark/benchmark.h>
#include <map>

namespace {

constexpr int kRecordsEach = 20;

// A store of records records, replacing what was there.
void Fill(int records) {
    platform::ThisDevice().GetRegistry().Atomically([records] {
        CRegistryStore::DeleteKey(keys::kData, u"Listb");
        CRegistryStore::DeleteKey(keys::kData, u"Content");
        CRegistryStore::DeleteKey(keys::kData, u"Contentout");
        for (int n = 0; n < records / kRecordsEach; ++n) {
            const CString number = CString::Formatted(u"138%d", 10000000 + n);
            CRegistryStore::WriteString(keys::kRedList, number,
                                        CString::Formatted(u"*联系人%d", n));
            for (int r = 0; r < kRecordsEach; ++r)
                CRegistryStore::WriteString(
                    RecordKeyPath(r < 15 ? Branch::Inbox : Branch::Outbox, Plus86Form(number)),
                    CString::Formatted(u"2005-3-7-9:%d:0", r),
                    CString::Formatted(u"第%d条短信，来自%d & <你>", r, n));
        }
    });
}

void CountRecords(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void MessageExport(benchmark::State& state) {
    Fill(static_cast<int>(state.range(0)));
    CWnd none;
    for (auto _ : state)
        if (!WriteMessageFile(none))
            state.SkipWithError("the export failed");
    CountRecords(state);
}
BENCHMARK(MessageExport)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime();

void MessageImport(benchmark::State& state) {
    Fill(static_cast<int>(state.range(0)));
    CWnd none;
    if (!WriteMessageFile(none))
        state.SkipWithError("the export failed");
    for (auto _ : state)
        if (!ReadMessageFile())
            state.SkipWithError("the import failed");
    CountRecords(state);
}
BENCHMARK(MessageImport)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime();

// Keeps each run's real time per iteration, to print the ratios of the two sizes.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred && run.iterations > 0) {
                const std::string name = run.run_name.function_name;
                const long long size = std::stoll(run.run_name.args);
                m_times[{name, size}] = run.real_accumulated_time / run.iterations;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const {
        for (const char* name : {"MessageExport", "MessageImport"}) {
            const auto small = m_times.find({name, 1000}), big = m_times.find({name, 10000});
            if (small != m_times.end() && big != m_times.end())
                std::printf("%s: 10,000 records take %.2fx the time of 1,000\n", name,
                            big->second / small->second);
        }
    }

private:
    std::map<std::pair<std::string, long long>, double> m_times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::BenchDevice device([](platform::Registry&) {});
    platform::gui::GuiApplication gui(argc, argv, {.scale = 1, .headless = true});
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
