// How long the message viewer takes to open on a number with 5,000 received messages: from
// its start until its list has painted, against the store's part alone.
//  OpenToFirstPaint: the viewer constructed and run, until the record list first paints.
//  ListRecordsAlone: ListRecords of the same record key, for comparison.
#include "bench_device.h"

#include "messages/CMessagesDlg.h"
#include "platform/gui/window.h"
#include "platform/shell/gui_app.h"
#include "platform/shell/phone_screen.h"
#include "res/Resources.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

const CString kNumber = u"+8613800138000";
constexpr int kRecords = 5000;

// Ends the viewer at the list's first paint and notes when that was.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(CMessagesDlg& viewer) : m_viewer(viewer) {}
    std::chrono::steady_clock::time_point at;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* list = m_viewer.m_recordList.GetSafeHwnd();
        if (event->type() == QEvent::Paint && list && watched == list->widget &&
            at == std::chrono::steady_clock::time_point()) {
            at = std::chrono::steady_clock::now();
            QTimer::singleShot(0, [this] { m_viewer.EndDialog(IDOK); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CMessagesDlg& m_viewer;
};

void OpenToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        CMessagesDlg viewer;
        viewer.m_number = kNumber;
        viewer.m_name = u"张三";
        FirstPaint paint(viewer);
        qApp->installEventFilter(&paint); // the list does not exist yet
        const auto start = std::chrono::steady_clock::now();
        viewer.DoModal();
        qApp->removeEventFilter(&paint);
        if (paint.at == std::chrono::steady_clock::time_point()) {
            state.SkipWithError("the list never painted");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(paint.at - start).count());
    }
}
BENCHMARK(OpenToFirstPaint)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseManualTime();

void ListRecordsAlone(benchmark::State& state) {
    const CString keyPath = RecordKeyPath(Branch::Inbox, kNumber);
    for (auto _ : state)
        if (ListRecords(keyPath).size() != kRecords)
            state.SkipWithError("the key does not hold the 5,000 records");
}
BENCHMARK(ListRecordsAlone)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::BenchDevice device([](platform::Registry& registry) {
        registry.Atomically([] {
            const CString inbox = RecordKeyPath(Branch::Inbox, kNumber);
            for (int r = 0; r < kRecords; ++r)
                CRegistryStore::WriteString(
                    inbox,
                    CString::Formatted(u"2005-3-%d-%d:%d:0", 1 + r / 1440, r / 60 % 24, r % 60),
                    u"一条已经读过的短信");
        });
    });
    platform::gui::GuiApplication gui(argc, argv, {.scale = 1, .headless = true});
    RegisterResources();
    // The screen is up before the viewer opens, as it is in the program.
    auto& screen = gui.Screen();
    screen.show();
    while (!screen.windowHandle() || !screen.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
