// How listing grows with the data.
//  RedListRows: the rows of a red list of 1,000 numbers, each with an inbox record key of
//    20 records, all read (so that the unread test reads every record).
//  ListKey/10000 against ListKey/1000 x 10: listing one key of 10,000 values against ten
//    listings of a key of 1,000 values; the ratio printed last is 1 for a linear cost.
#include "bench_device.h"

#include <benchmark/benchmark.h>
#include <iomanip>
#include <iostream>
#include <map>
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

// Keeps each run's time so that the ratio can be printed at the end.
class Reporter : public benchmark::ConsoleReporter {
public:
    Reporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto big = reporter.m_times.find("ListKey/10000/min_time:2.000");
    const auto small = reporter.m_times.find("ListKey/1000/min_time:2.000");
    if (big != reporter.m_times.end() && small != reporter.m_times.end())
        std::cout << "ratio: one listing of 10,000 values / ten listings of 1,000 values = "
                  << std::fixed << std::setprecision(2) << big->second / small->second << std::endl;
    benchmark::Shutdown();
    return 0;
}
