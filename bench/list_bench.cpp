// How listing grows with the data.
//  RedListRows: the rows of a red list of 1,000 numbers, each with an inbox record key of
//    20 records, all read (so that the unread test reads every record).
//  ListKey/10000 against ListKey/1000 x 10: listing one key of 10,000 values against ten
//    listings of a key of 1,000 values; the ratio printed last is 1 for a linear cost.
#include "platform/device.h"
#include "platform/events.h"
#include "platform/registry.h"
#include "store/CRegistryStore.h"
#include "store/MessageStore.h"
#include "store/NumberLists.h"
#include "store/RegistryKeys.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

class BenchDevice {
public:
    BenchDevice() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brenwick-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_dir = pattern;
        std::string error;
        m_device = platform::Device::Open(m_dir / "device", error);
        if (!m_device) {
            std::fprintf(stderr, "bench: %s\n", error.c_str());
            std::abort();
        }
        platform::UseDevice(m_device.get());
        Fill();
    }
    ~BenchDevice() {
        platform::UseDevice(nullptr);
        m_device.reset();
        platform::EventTable::Remove(m_dir / "device");
        std::filesystem::remove_all(m_dir);
    }

private:
    void Fill() {
        auto& registry = m_device->GetRegistry();
        registry.Atomically([] {
            for (int n = 0; n < 1000; ++n) {
                const CString number = CString::Formatted(u"1380000%d", 1000 + n);
                CRegistryStore::WriteString(keys::kRedList, number, CString::Formatted(u"*联系人%d", n));
                const CString inbox = RecordKeyPath(Branch::Inbox, Plus86Form(number));
                for (int r = 0; r < 20; ++r)
                    CRegistryStore::WriteString(inbox, CString::Formatted(u"2005-3-7-9:%d:%d", r / 60, r % 60),
                                                u"一条已经读过的短信");
            }
            for (const int size : {1000, 10000})
                for (int v = 0; v < size; ++v)
                    CRegistryStore::WriteString(CString::Formatted(u"Software\\Bench\\%d", size),
                                                CString::Formatted(u"value%d", v), u"data");
        });
    }

    std::filesystem::path m_dir;
    std::unique_ptr<platform::Device> m_device;
};

BenchDevice& Device() {
    static BenchDevice device;
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
