// The search window against the same walk without a window: a New command whose walk appends
// 30,000 matches (timer, events once per folder and per match, the list model), the same walk
// with a host that does nothing (what pictrix-cli does, less printing), pictrix-cli itself on the
// tree, how long Stop takes to end a walk, and opening a 30,000-entry list file until the window
// has painted it. The window is real (offscreen platform unless QT_QPA_PLATFORM says otherwise);
// the prompts are scripted.
//
// The tree (300 folders of 100 matching and 100 other files) is made once under
// PICTRIX_BENCH_TREE (default /dev/shm/pictrix-bench-window, a tmpfs) and kept.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "doubles/cScriptedPrompts.h"
#include "mUiBenchMain.h"
#include "platform/ui/cPrompts.h"
#include "search/cFolderWalk.h"
#include "search/mListFile.h"
#include "search/ui/FRecurse.h"
#include "support/MError.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 300;
constexpr int kPerFolder = 100;

std::string Tree() {
    const char* base = std::getenv("PICTRIX_BENCH_TREE");
    const fs::path root = base ? base : "/dev/shm/pictrix-bench-window";
    const fs::path marker = root / ".made";
    if (!fs::exists(marker)) {
        for (int d = 0; d < kFolders; ++d) {
            const fs::path folder = root / ("Folder" + std::to_string(d));
            fs::create_directories(folder);
            for (int f = 0; f < kPerFolder; ++f) {
                std::ofstream(folder / ("prog" + std::to_string(f) + ".EXE")).put('x');
                std::ofstream(folder / ("data" + std::to_string(f) + ".bin")).put('x');
            }
        }
        std::ofstream(marker).put('x');
    }
    return root.string();
}

std::string ListOf30000() {
    const fs::path file = fs::temp_directory_path() / "pictrix-bench-30000.ier";
    if (!fs::exists(file)) {
        std::vector<std::string> entries;
        for (int i = 0; i < 30000; ++i)
            entries.push_back("/usr/share/pictrix/some/folder/program" + std::to_string(i) + ".exe");
        mListFile::Write(file.string(), std::vector<std::string_view>(entries.begin(), entries.end()));
    }
    return file.string();
}

struct cNullHost final : cFolderWalk::cHost {
    std::int64_t appended = 0;
    bool Append(const std::string&) override { return ++appended, true; }
    void Status(const std::string&) override {}
    bool DoEvents() override { return true; }
    void EnableTimer(bool) override {}
    void ReportError(const cError&) override {}
};

void WalkWithoutAWindow(benchmark::State& state) {
    const std::string tree = Tree();
    std::int64_t found = 0;
    for (auto _ : state) {
        cNullHost host;
        cFolderWalk walk(host, "*.exe");
        walk.WalkFolder(cFolderWalk::StartPath(tree));
        found = walk.Found();
    }
    state.counters["matches"] = static_cast<double>(found);
}

void PictrixCliSearch(benchmark::State& state) {
    const std::string tree = Tree();
    const std::string cli = (fs::read_symlink("/proc/self/exe").parent_path() / "pictrix-cli").string();
    const std::string command = "'" + cli + "' search '" + tree + "' '*.exe' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("pictrix-cli search failed");
    }
}

void WindowSearch(benchmark::State& state) {
    const std::string tree = Tree();
    cScriptedPrompts prompts;
    cPrompts::cScope scope(prompts);
    FRecurse window;
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        prompts.AnswerFolder(QString::fromStdString(tree)).AnswerInput("*.exe");
        window.NewList();
        QApplication::processEvents(); // the last rows painted
    }
    state.counters["matches"] = window.List().ListCount();
    window.DataChanged(false);
}

void StopDuringAWindowSearch(benchmark::State& state) {
    const std::string tree = Tree();
    cScriptedPrompts prompts;
    cPrompts::cScope scope(prompts);
    FRecurse window;
    window.show();
    QApplication::processEvents();
    using tClock = std::chrono::steady_clock;
    for (auto _ : state) {
        tClock::time_point stopped;
        QTimer::singleShot(30, &window, [&] {
            stopped = tClock::now();
            window.mnuStop_Click();
        });
        prompts.AnswerFolder(QString::fromStdString(tree)).AnswerInput("*.exe");
        window.NewList();
        const auto unwound = tClock::now();
        state.SetIterationTime(std::chrono::duration<double>(unwound - stopped).count());
    }
    window.DataChanged(false);
}

void OpenA30000EntryList(benchmark::State& state) {
    const std::string file = ListOf30000();
    FRecurse window;
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.DisplayList(file);
        QApplication::processEvents(); // shown: the view laid out and painted
    }
    state.counters["entries"] = window.List().ListCount();
}

} // namespace

BENCHMARK(WalkWithoutAWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PictrixCliSearch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WindowSearch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StopDuringAWindowSearch)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(OpenA30000EntryList)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return RunUiBenchmarks(argc, argv); }
