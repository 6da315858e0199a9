// The main window's retrieval of a module with 1,200 groups, start to end as the user waits for
// it: RetrieveIcons with the file given (as a recent-file item gives it), which loads every group,
// makes both pictures of each, paints its progress in the status bar and fills the list; then the
// events that follow until the list is painted. The window is real (offscreen platform unless
// QT_QPA_PLATFORM says otherwise: under xvfb-run with QT_QPA_PLATFORM=xcb it draws on an X
// server). The modules are mBenchModules'.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <filesystem>
#include <string>

#include "doubles/cScriptedPrompts.h"
#include "app/ui/FMain.h"
#include "mBenchModules.h"
#include "mUiBenchMain.h"
#include "platform/ui/cPrompts.h"
#include "support/MError.h"

namespace fs = std::filesystem;

namespace {

void Retrieve(benchmark::State& state, bool distinct, bool untilPainted) {
    const std::string module = mBenchModules::Module(distinct);
    cScriptedPrompts prompts;
    cPrompts::cScope scope(prompts);
    FMain window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.RetrievePendingFile(module);
        if (untilPainted) QApplication::processEvents();
    }
    state.counters["groups"] = window.IconCount();
}

void RetrieveIcons_Repeating(benchmark::State& s) { Retrieve(s, false, false); }
void RetrieveIcons_Distinct(benchmark::State& s) { Retrieve(s, true, false); }
void RetrieveIconsUntilPainted_Repeating(benchmark::State& s) { Retrieve(s, false, true); }
void RetrieveIconsUntilPainted_Distinct(benchmark::State& s) { Retrieve(s, true, true); }

} // namespace

BENCHMARK(RetrieveIcons_Repeating)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RetrieveIcons_Distinct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RetrieveIconsUntilPainted_Repeating)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RetrieveIconsUntilPainted_Distinct)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return RunUiBenchmarks(argc, argv); }
