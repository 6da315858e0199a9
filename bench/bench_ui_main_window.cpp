// The main window's retrieval of a module with 1,200 groups, start to end as the user waits for
// it: RetrieveIcons with the file given (as a recent-file item gives it), which loads every group,
// makes both pictures of each, paints its progress in the status bar and fills the list; then the
// events that follow until the list is painted. The window is real (offscreen platform unless
// QT_QPA_PLATFORM says otherwise: under xvfb-run with QT_QPA_PLATFORM=xcb it draws on an X
// server). The modules are mBenchModules'.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "doubles/cScriptedPrompts.h"
#include "app/ui/FMain.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "mBenchModules.h"
#include "mUiBenchMain.h"
#include "platform/ui/cPrompts.h"
#include "support/MError.h"

namespace fs = std::filesystem;

namespace {

// A shown main window, with View > Cursors checked or not, and the prompts it may ask.
struct cShownWindow {
    cScriptedPrompts prompts;
    cPrompts::cScope scope{prompts};
    FMain window;

    explicit cShownWindow(bool cursors = true) {
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        QApplication::processEvents();
        if (window.CursorsShown() != cursors) window.CursorsItem()->trigger();
    }
};

void Retrieve(benchmark::State& state, bool distinct, bool untilPainted) {
    const std::string module = mBenchModules::Module(distinct);
    cShownWindow shown;
    for (auto _ : state) {
        shown.window.Retrieve(module);
        if (untilPainted) QApplication::processEvents();
    }
    state.counters["groups"] = shown.window.IconCount();
}

void RetrieveIcons_Repeating(benchmark::State& s) { Retrieve(s, false, false); }
void RetrieveIcons_Distinct(benchmark::State& s) { Retrieve(s, true, false); }
void RetrieveIconsUntilPainted_Repeating(benchmark::State& s) { Retrieve(s, false, true); }
void RetrieveIconsUntilPainted_Distinct(benchmark::State& s) { Retrieve(s, true, true); }

// The real module named by PICTRIX_BENCH_MODULE (Wine's user32.dll, say); empty, with the
// benchmark skipped, without it.
std::string RealModulePath(benchmark::State& state) {
    const char* module = std::getenv("PICTRIX_BENCH_MODULE");
    if (!module || !*module) state.SkipWithError("PICTRIX_BENCH_MODULE is not set");
    return module ? module : "";
}

// The real module opened with View > Cursors checked or not, until painted.
void RealModule(benchmark::State& state, bool cursors) {
    const std::string module = RealModulePath(state);
    if (module.empty()) return;
    cShownWindow shown(cursors);
    for (auto _ : state) {
        shown.window.Retrieve(module);
        QApplication::processEvents();
    }
    state.counters["rows"] = shown.window.IconCount();
}
void RealModuleUntilPainted_WithoutCursors(benchmark::State& s) { RealModule(s, false); }
void RealModuleUntilPainted_WithCursors(benchmark::State& s) { RealModule(s, true); }

// The list alone as the window fills it, with the real module's first N rows (texts, sub-items
// and pictures already drawn), until painted: what each row costs the list view whatever the
// loading and drawing cost.
void ListOfItsRows(benchmark::State& state) {
    const std::string module = RealModulePath(state);
    if (module.empty()) return;
    cShownWindow shown;
    const FMain& window = shown.window;
    shown.window.Retrieve(module);
    const int rows = static_cast<int>(state.range(0));
    if (window.IconCount() < rows) {
        state.SkipWithError("the module has fewer rows");
        return;
    }
    cImageList large(32), small(16);
    for (int i = 1; i <= rows; ++i) {
        const std::string key = "C" + std::to_string(i);
        large.Add(key, window.Pictures32()->Item(key).toImage());
        small.Add(key, window.Pictures16()->Item(key).toImage());
    }
    cListView list;
    list.AddColumnHeader("Icon", 160);
    list.AddColumnHeader("Number of Images", 100);
    list.AddColumnHeader("Type", 80);
    list.resize(window.IconList()->size());
    list.show();
    for (auto _ : state) {
        list.Clear();
        list.SetIcons(&large);
        list.SetSmallIcons(&small);
        for (int i = 1; i <= rows; ++i) {
            const std::string key = "C" + std::to_string(i);
            list.Add(key, window.IconList()->Text(i), key, key);
            list.SetSubItem(i, 1, window.IconList()->SubItem(i, 1));
            list.SetSubItem(i, 2, window.IconList()->SubItem(i, 2));
        }
        list.SetSelected(1);
        QApplication::processEvents();
    }
    state.counters["rows"] = rows;
}

} // namespace

BENCHMARK(RealModuleUntilPainted_WithoutCursors)->Unit(benchmark::kMicrosecond);
BENCHMARK(RealModuleUntilPainted_WithCursors)->Unit(benchmark::kMicrosecond);
BENCHMARK(ListOfItsRows)->Arg(7)->Arg(35)->Unit(benchmark::kMicrosecond);
BENCHMARK(RetrieveIcons_Repeating)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RetrieveIcons_Distinct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RetrieveIconsUntilPainted_Repeating)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RetrieveIconsUntilPainted_Distinct)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return RunUiBenchmarks(argc, argv); }
