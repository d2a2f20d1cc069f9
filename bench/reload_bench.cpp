// How long the main window takes to show an update: from the filter service's signal to the
// repainted list, with the red list of 1,000 numbers on view, each with an inbox record key
// of 20 read records. The main window runs for real on the offscreen screen, with its
// watcher; the signal is set as another process would set it.
//  UpdateToRepaint: the update event set, until the list has painted its new rows.
//  ChangeToRepaint: the same after a commit by another connection, as when the filter
//    service has stored a message: nothing the program read before is of use then.
//  LoadRows: the store's part alone, the rows of the same list, for comparison.
#include "bench_device.h"

#include "app/CMainDlg.h"
#include "platform/gui/window.h"
#include "platform/script/driver.h"
#include "platform/shell/gui_app.h"
#include "res/Resources.h"
#include "signal/Signals.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <functional>
#include <iostream>

namespace {

// Counts the paints of the list widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

CMainDlg* g_window = nullptr;
platform::NamedEvent* g_update = nullptr;
platform::RegistryKey* g_otherRecord = nullptr; // a record key, through another connection

// Sets the update event and waits for the repaint; change, when given, runs untimed first.
void Repaint(benchmark::State& state, const std::function<void()>& change) {
    QWidget* list = g_window->m_numberList.GetSafeHwnd()->widget;
    PaintCounter counter;
    list->installEventFilter(&counter);
    for (auto _ : state) {
        QCoreApplication::processEvents(); // nothing left over from the last round
        if (change) {
            state.PauseTiming();
            change();
            state.ResumeTiming();
        }
        const int before = counter.paints;
        g_update->Set();
        QEventLoop wait;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
            if (counter.paints > before)
                wait.quit();
        });
        poll.start(0);
        wait.exec();
    }
    list->removeEventFilter(&counter);
    if (g_window->m_numberList.GetItemCount() != 1000)
        state.SkipWithError("the list does not show the 1,000 numbers");
}

void UpdateToRepaint(benchmark::State& state) {
    Repaint(state, nullptr);
}
BENCHMARK(UpdateToRepaint)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void ChangeToRepaint(benchmark::State& state) {
    int n = 0;
    Repaint(state, [&] {
        const CString text = CString::Formatted(u"一条已经读过的短信%d", ++n); // a change each time
        if (g_otherRecord->SetString(u"2005-3-7-9:0:0", text) != platform::RegStatus::Ok)
            state.SkipWithError("the change failed");
    });
}
BENCHMARK(ChangeToRepaint)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void LoadRows(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadListRows(keys::kRedList, true));
}
BENCHMARK(LoadRows)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::BenchDevice device([](platform::Registry& registry) {
        bench::FillRedList(registry);
        registry.Atomically([] { CRegistryStore::WriteString(keys::kSettings, u"PWD", u"1234"); });
    });
    platform::gui::GuiApplication gui(argc, argv, {.scale = 1, .headless = true});
    RegisterResources();
    auto update =
        platform::NamedEvent::CreateOrOpen(platform::ThisDevice().Events(), kUpdateEventName);
    g_update = &update;
    std::string openError;
    auto other = platform::Registry::Open(device.RegistryFile(), openError);
    platform::RegistryKey record;
    bool existed = false;
    other->CreateKey(platform::RegRoot::LocalMachine,
                     RecordKeyPath(Branch::Inbox, u"+8613800001000"), record, existed);
    g_otherRecord = &record;

    // The password as the owner types it, then the measurements inside the open window.
    platform::gui::ScriptError error;
    auto actions = platform::gui::ParseScript("type 1014 \"1234\"\ntap 1\n", error);
    platform::gui::Transcript transcript(nullptr);
    platform::gui::ScriptDriver driver(*actions, transcript, false);
    CMainDlg window;
    g_window = &window;
    QTimer start;
    QObject::connect(&start, &QTimer::timeout, &start, [&] {
        if (!driver.Finished() || !window.IsOpen())
            return;
        start.stop();
        benchmark::RunSpecifiedBenchmarks();
        window.EndDialog(IDOK);
    });
    driver.Start();
    start.start(20);
    window.DoModal();
    benchmark::Shutdown();
    return 0;
}
