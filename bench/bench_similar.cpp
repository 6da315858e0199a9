// The difference hash at the scale of a collection, over the Wine modules where they are
// installed (not in CI): what hashing every group adds to the loading of list --json, and what
// Find Similar's walk costs against the search window's walk with Extract's loading. The query
// against an index of a million hashes is timed as a whole command by bench/similar.sh.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "search/cBatch.h"
#include "search/cFolderWalk.h"
#include "search/mExtract.h"
#include "search/mSimilar.h"

namespace {

const char* const kCorpus = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";

std::vector<std::string> Walk() {
    std::vector<std::string> files;
    cFolderWalk::cQuietHost host([&files](const std::string& f) { files.push_back(f); }, {});
    cFolderWalk walk(host, "*.*");
    walk.WalkFolder(cFolderWalk::StartPath(kCorpus));
    return files;
}

// list --json's core, one job: every group loaded, its file and blocks digested; with or without
// the hashes (range 0 or 1).
void ListCorpus(benchmark::State& state) {
    if (!std::filesystem::is_directory(kCorpus)) return state.SkipWithError("no Wine modules here");
    const std::vector<std::string> files = Walk();
    std::size_t groups = 0;
    for (auto _ : state) {
        cBatch batch;
        cBatch::cHooks hooks;
        groups = 0;
        hooks.Done = [&groups](const cBatch::cSource& s) { groups += s.groups.size(); };
        cBatch::cOptions o = cBatch::Listing(1);
        o.hashes = state.range(0) != 0;
        batch.Run(files, o, hooks);
    }
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["groups"] = static_cast<double>(groups);
}
BENCHMARK(ListCorpus)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The search window's walk of every name over the corpus, each file then loaded as Extract loads
// it (range 0) or compared as Find Similar compares it (range 1).
void WalkCorpus(benchmark::State& state) {
    if (!std::filesystem::is_directory(kCorpus)) return state.SkipWithError("no Wine modules here");
    std::size_t matched = 0;
    for (auto _ : state) {
        const std::vector<std::string> files = Walk();
        matched = 0;
        for (const std::string& f : files) {
            try {
                if (state.range(0) == 0) {
                    const mExtract::cSource s = mExtract::Load(f, {true, true}, {});
                    matched += s.icons.empty() ? 0 : 1;
                } else if (mSimilar::NearestGroup(f, 0x0f0f0f0f0f0f0f0fULL, 10)) {
                    ++matched;
                }
            } catch (const cError&) {}
        }
    }
    state.counters["hits"] = static_cast<double>(matched);
}
BENCHMARK(WalkCorpus)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
