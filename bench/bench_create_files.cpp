// What a batch extraction's writes cost, and whether more threads make them cheaper: N new files
// of one icon's size written the careful way (cReplaceFile: a temporary file, then a rename that
// never replaces) into one folder, by one thread or by two threads sharing the work. Where the
// file system serialises creation in one folder, two threads take as long as one, and a run that
// is mostly writes cannot gain from --jobs. The folder is the system's temporary folder, or
// PICTRIX_BENCH_FOLDER (a folder on the file system the outputs go to).

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/cReplaceFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 256;
constexpr std::size_t kBytes = 10 * 1024; // a typical .ico of a few images

fs::path Base() {
    const char* chosen = std::getenv("PICTRIX_BENCH_FOLDER");
    return chosen && *chosen ? fs::path(chosen) : fs::temp_directory_path();
}

// The folder of this process's files, removed when the program ends.
struct cFolder {
    fs::path path = Base() / fs::path("pictrix-create-").concat(std::to_string(::getpid()));
    cFolder() { fs::create_directories(path); }
    ~cFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

void CreateFiles(benchmark::State& state) {
    static cFolder folder; // made once, before any thread writes
    static std::atomic<long> next{0};
    const std::vector<std::uint8_t> bytes(kBytes, 0x5a);
    for (auto _ : state) {
        // Each thread writes its share of kFiles new files per round.
        for (int i = state.thread_index(); i < kFiles; i += state.threads()) {
            cReplaceFile out;
            std::string name = (folder.path / "f").string();
            name += std::to_string(next++);
            name += ".ico";
            if (!out.Open(name, cReplaceFile::eName::kMade) || !out.Write(bytes) || !out.Commit())
                state.SkipWithError("a file could not be written");
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles / state.threads());
}
BENCHMARK(CreateFiles)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
