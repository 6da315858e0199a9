// The loading core on modules of many named groups (as the main window, the batch extraction and
// pictrix-cli load them): the time per module and the reads per group. The modules are made here
// by mCraft: each group a group resource of its own naming an icon of its own.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "base/mSha256.h"
#include "fixtures/mCraft.h"
#include "platform/cReadFile.h"
#include "resources/mIconGroups.h"

namespace {

// The modules made in the temporary folder, removed when the program ends.
struct cMade {
    std::map<std::uint16_t, std::string> files;
    ~cMade() {
        std::error_code ec;
        for (const auto& [groups, path] : files) std::filesystem::remove(path, ec);
    }
};

// The module of `groups` named groups, written once per run into the temporary folder.
const std::string& NamedModule(std::uint16_t groups) {
    static cMade made;
    auto it = made.files.find(groups);
    if (it != made.files.end()) return it->second;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("pictrix-bench-named-" + std::to_string(groups) + ".dll")).string();
    const auto bytes = mCraft::PeNamedGroups(groups);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return made.files.emplace(groups, path).first->second;
}

void BM_LoadNamedGroups(benchmark::State& state) {
    const auto groups = static_cast<std::uint16_t>(state.range(0));
    const std::string& path = NamedModule(groups);
    const std::uint64_t before = cReadFile::ReadCount();
    for (auto _ : state) {
        std::vector<cFileIcon> icons;
        mIconGroups::Load(path, icons);
        if (icons.size() != groups) state.SkipWithError("not every group loaded");
        benchmark::DoNotOptimize(icons.data());
    }
    const double loads = static_cast<double>(state.iterations());
    state.counters["reads/group"] = static_cast<double>(cReadFile::ReadCount() - before) / (loads * groups);
    state.counters["groups/s"] =
        benchmark::Counter(static_cast<double>(groups), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_LoadNamedGroups)->Arg(1200)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond);

// The manifest's digests: every byte of every source, block and output goes through SHA-256.
void BM_Sha256(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)), 0x5A);
    for (auto _ : state) benchmark::DoNotOptimize(cSha256::Of(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Sha256)->Arg(4 << 10)->Arg(16 << 20);
