// The thumbnailer's work inside the process, without its start: reading the shown icon of the
// sample module (its first group is a 256-pixel PNG image) and of a bitmap icon, decoding, scaling
// to the freedesktop sizes, and encoding the PNG it writes (or keeping a PNG image's own stream).

#include <benchmark/benchmark.h>

#include <string>

#include "resources/mThumbnail.h"

namespace {

const std::string kFixtures = PICTRIX_FIXTURE_DIR;

void BM_Thumbnail(benchmark::State& state, const std::string& file) {
    const auto size = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        const auto t = mThumbnail::Make(kFixtures + "/" + file, size);
        if (t.argb.Empty()) state.SkipWithError(t.failure.c_str());
        benchmark::DoNotOptimize(t.argb.Pixels().data());
    }
}
BENCHMARK_CAPTURE(BM_Thumbnail, PngGroupOfAModule, std::string("modules/sample.dll"))
    ->Arg(128)
    ->Arg(256)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Thumbnail, BitmapIconFile, std::string("icons/depth32.ico"))
    ->Arg(128)
    ->Arg(256)
    ->Unit(benchmark::kMicrosecond);

// The PNG the thumbnailer writes, made whole: at 256 the sample module's PNG image is written as
// it is stored, at 128 it is decoded, scaled and encoded.
void BM_ThumbnailPng(benchmark::State& state) {
    const auto size = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        const auto t = mThumbnail::MakePng(kFixtures + "/modules/sample.dll", size);
        if (t.png.empty()) state.SkipWithError(t.failure.c_str());
        benchmark::DoNotOptimize(t.png.data());
    }
}
BENCHMARK(BM_ThumbnailPng)->Arg(128)->Arg(256)->Unit(benchmark::kMicrosecond);

// The PNG written, fast (as the thumbnailer writes it) and with the default compression.
void BM_EncodeThumbnail(benchmark::State& state) {
    const auto size = static_cast<std::int32_t>(state.range(0));
    const bool fast = state.range(1) != 0;
    const auto t = mThumbnail::Make(kFixtures + "/modules/sample.dll", size);
    std::size_t bytes = 0;
    for (auto _ : state) bytes = mDib::EncodePng(t.argb, fast).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeThumbnail)
    ->ArgNames({"size", "fast"})
    ->Args({128, 1})
    ->Args({128, 0})
    ->Args({256, 1})
    ->Args({256, 0})
    ->Unit(benchmark::kMicrosecond);

} // namespace
