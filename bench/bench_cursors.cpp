// Opening a module shaped like a system library of cursors (Wine's user32.dll holds 28 cursor
// groups beside its icons), with the cursor groups listed and without them, as the main window
// loads it (mIconGroups::Load: every group, every language). The module is made here with windres
// and ld from the icon and cursor fixtures: 12 icon groups (the icon fixtures, two of them in a
// second language too) and 28 cursor groups of one or two images (the cursor fixtures in turn).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/mListPictures.h"
#include "icon/cFileIcon.h"
#include "icon/mBestImage.h"
#include "resources/mIconGroups.h"

namespace {

namespace fs = std::filesystem;

constexpr int kIconGroups = 12;
constexpr int kCursorGroups = 28;

// With `png`, one icon group holds nothing but a 256-pixel PNG image, which the pictures must
// decode and shrink (about a millisecond); without, every icon group has 32- and 16-pixel images.
const std::string& Module(bool png) {
    static std::string paths[2];
    std::string& path = paths[png ? 1 : 0];
    if (path.empty())
        path = [png] {
            const fs::path dir = fs::path(PICTRIX_BINARY_DIR) / "bench-cursors";
            fs::create_directories(dir);
            const fs::path module = dir / (png ? "user32-like-png.dll" : "user32-like.dll");
            if (fs::exists(module)) return module.string();
            const fs::path fixtures(PICTRIX_FIXTURE_DIR);
            const char* icons[] = {"vista.ico",
                                   "six.ico",
                                   "depth32.ico",
                                   "multi.ico",
                                   "depth24.ico",
                                   "depth8.ico",
                                   "hole24.ico",
                                   "single32.ico",
                                   "depth4.ico",
                                   "depth1.ico",
                                   png ? "png256.ico" : "six.ico",
                                   "ten.ico"};
            const char* cursors[] = {"arrow.cur", "two.cur", "mono.cur"};
            const fs::path rc = dir / "module.rc";
            std::ofstream script(rc);
            script << "LANGUAGE 9, 1\n";
            for (int i = 0; i < kIconGroups; ++i)
                script << 100 + i << " ICON \"" << (fixtures / "icons" / icons[i]).string() << "\"\n";
            for (int i = 0; i < kCursorGroups; ++i)
                script << 32512 + i << " CURSOR \"" << (fixtures / "cursors" / cursors[i % 3]).string() << "\"\n";
            script << "LANGUAGE 7, 1\n";
            for (int i = 0; i < 2; ++i)
                script << 100 + i << " ICON \"" << (fixtures / "icons" / icons[i + 5]).string() << "\"\n";
            script.close();
            const fs::path object = dir / "module.o";
            const std::string windres = "i686-w64-mingw32-windres --preprocessor=cpp '" + rc.string() +
                                        "' -O coff -o '" + object.string() + "'";
            const std::string ld =
                "i686-w64-mingw32-ld --dll -e 0 -s '" + object.string() + "' -o '" + module.string() + "'";
            if (std::system(windres.c_str()) != 0 || std::system(ld.c_str()) != 0)
                throw std::runtime_error("windres or ld failed");
            fs::remove(object);
            return module.string();
        }();
    return path;
}

// One opening: the groups alone, or with the pictures of both list sizes made for each as the
// main window makes them (mListPictures, best image for 32 and 16 pixels).
void Open(benchmark::State& state, const std::string& module, bool cursors, bool pictures, std::size_t expected) {
    mIconGroups::cOptions options;
    options.cursors = cursors;
    for (auto _ : state) {
        std::vector<cFileIcon> icons;
        mListPictures::cMaker maker;
        mIconGroups::cHooks hooks;
        if (pictures) {
            hooks.GroupLoaded = [&](std::int32_t, const cFileIcon& icon) {
                for (const std::int32_t size : {32, 16})
                    benchmark::DoNotOptimize(maker.Picture(icon, mBestImage::BestImageIndex(icon, size, true), size));
            };
        }
        mIconGroups::Load(module, icons, hooks, options);
        if (expected != 0 && icons.size() != expected) state.SkipWithError("groups lost");
        benchmark::DoNotOptimize(icons.data());
    }
}

void Load(benchmark::State& state, bool cursors, bool pictures) {
    Open(state, Module(state.range(0) != 0), cursors, pictures, kIconGroups + 2 + (cursors ? kCursorGroups : 0));
}

void BM_User32Like_LoadOnly_WithoutCursors(benchmark::State& s) { Load(s, false, false); }
void BM_User32Like_LoadOnly_WithCursors(benchmark::State& s) { Load(s, true, false); }
void BM_User32Like_WithPictures_WithoutCursors(benchmark::State& s) { Load(s, false, true); }
void BM_User32Like_WithPictures_WithCursors(benchmark::State& s) { Load(s, true, true); }

// The same on a real module named by PICTRIX_BENCH_MODULE (Wine's user32.dll, say), with its
// pictures; skipped without it.
void RealModule(benchmark::State& state, bool cursors, bool pictures) {
    const char* module = std::getenv("PICTRIX_BENCH_MODULE");
    if (!module || !*module) {
        state.SkipWithError("PICTRIX_BENCH_MODULE is not set");
        return;
    }
    Open(state, module, cursors, pictures, 0);
}
void BM_RealModule_LoadOnly_WithoutCursors(benchmark::State& s) { RealModule(s, false, false); }
void BM_RealModule_LoadOnly_WithCursors(benchmark::State& s) { RealModule(s, true, false); }
void BM_RealModule_WithPictures_WithoutCursors(benchmark::State& s) { RealModule(s, false, true); }
void BM_RealModule_WithPictures_WithCursors(benchmark::State& s) { RealModule(s, true, true); }
BENCHMARK(BM_RealModule_LoadOnly_WithoutCursors)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealModule_LoadOnly_WithCursors)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealModule_WithPictures_WithoutCursors)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealModule_WithPictures_WithCursors)->Unit(benchmark::kMicrosecond);

// Argument: 1 for the module with the PNG-only icon group, 0 for the one without.
BENCHMARK(BM_User32Like_LoadOnly_WithoutCursors)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_User32Like_LoadOnly_WithCursors)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_User32Like_WithPictures_WithoutCursors)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_User32Like_WithPictures_WithCursors)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
