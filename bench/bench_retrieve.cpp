// The main window's retrieval without its window: every icon group of a module with 1,200 groups
// loaded through mIconGroups::Load (one module load per group, as the window does) and, for each
// group as it arrives, the pictures of both list sizes made by mListPictures (what FMain puts in
// its image lists, short of turning each finished 32- or 16-pixel picture into a Qt pixmap).
//
// The modules are mBenchModules': eleven icons repeating, and every image different. One group in
// eleven holds only a 256-pixel PNG image, which both lists draw from.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/mListPictures.h"
#include "icon/cFileIcon.h"
#include "icon/mBestImage.h"
#include "mBenchModules.h"
#include "resources/mIconGroups.h"

namespace {

using mBenchModules::kGroups;
using mBenchModules::Module;

// One retrieval as the main window makes it, at device pixel ratio `ratio`.
void Retrieve(benchmark::State& state, bool distinct, bool pictures, double ratio) {
    const std::string module = Module(distinct);
    std::size_t drawn = 0, reused = 0;
    for (auto _ : state) {
        std::vector<cFileIcon> icons;
        mListPictures::cMaker maker;
        mIconGroups::cHooks hooks;
        if (pictures) {
            hooks.GroupLoaded = [&](std::int32_t, const cFileIcon& icon) {
                for (const std::int32_t size : {32, 16}) {
                    const std::int32_t pixels = mListPictures::DevicePixels(size, ratio);
                    benchmark::DoNotOptimize(
                        maker.Picture(icon, mBestImage::BestImageIndex(icon, pixels, true), pixels));
                }
            };
        }
        mIconGroups::Load(module, icons, hooks);
        if (icons.size() != kGroups) state.SkipWithError("the module lost groups");
        drawn = maker.Drawn();
        reused = maker.Reused();
    }
    state.counters["groups"] = kGroups;
    state.counters["drawn"] = static_cast<double>(drawn);
    state.counters["reused"] = static_cast<double>(reused);
}

void BM_LoadOnly_Repeating(benchmark::State& s) { Retrieve(s, false, false, 1.0); }
void BM_LoadOnly_Distinct(benchmark::State& s) { Retrieve(s, true, false, 1.0); }
void BM_WithPictures_Repeating(benchmark::State& s) { Retrieve(s, false, true, 1.0); }
void BM_WithPictures_Distinct(benchmark::State& s) { Retrieve(s, true, true, 1.0); }
void BM_WithPictures2x_Repeating(benchmark::State& s) { Retrieve(s, false, true, 2.0); }
void BM_WithPictures2x_Distinct(benchmark::State& s) { Retrieve(s, true, true, 2.0); }

BENCHMARK(BM_LoadOnly_Repeating)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadOnly_Distinct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WithPictures_Repeating)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WithPictures_Distinct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WithPictures2x_Repeating)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WithPictures2x_Distinct)->Unit(benchmark::kMillisecond);

} // namespace
