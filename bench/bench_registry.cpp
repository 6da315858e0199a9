// The settings store: what one start-up open, one write transaction, one read and a recent-file
// list save cost on a real file (WAL mode, synchronous=NORMAL).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/cRegistryStore.h"
#include "support/cMRUFileList.h"
#include "support/cRegistry.h"

namespace {

// A store file in a fresh temporary folder, removed at the end.
struct cBenchStore {
    cBenchStore() {
        char pattern[] = "/tmp/pictrix-bench-XXXXXX";
        dir = ::mkdtemp(pattern);
        file = dir + "/registry.sqlite3";
    }
    ~cBenchStore() { std::filesystem::remove_all(dir); }
    std::string dir, file;
};

void Fill(cRegistryStore& store, int values) {
    cRegKey k;
    store.CreateKey(mReg::kHKeyCurrentUser, "Software\\Pictrix v2\\Settings", mReg::kKeyAllAccess, k);
    for (int i = 0; i < values; ++i) {
        std::string v = "value " + std::to_string(i);
        store.SetValue(k, "Key" + std::to_string(i), mReg::kRegSz,
                       std::span(reinterpret_cast<const std::uint8_t*>(v.data()), v.size() + 1));
    }
}

void BM_OpenExistingStore(benchmark::State& state) {
    cBenchStore b;
    {
        cRegistryStore s(b.file);
        Fill(s, 100);
    }
    for (auto _ : state) {
        cRegistryStore s(b.file);
        benchmark::DoNotOptimize(s.File());
    }
}
BENCHMARK(BM_OpenExistingStore)->Unit(benchmark::kMicrosecond);

void BM_SetValue(benchmark::State& state) {
    cBenchStore b;
    cRegistryStore s(b.file);
    Fill(s, 100);
    cRegKey k;
    s.OpenKey(mReg::kHKeyCurrentUser, "Software\\Pictrix v2\\Settings", mReg::kKeyAllAccess, k);
    const std::uint8_t data[] = {'1', '2', '3', 0};
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.SetValue(k, "Key" + std::to_string(i++ % 100), mReg::kRegSz, data));
    }
}
BENCHMARK(BM_SetValue)->Unit(benchmark::kMicrosecond);

void BM_ReadValueThroughcRegistry(benchmark::State& state) {
    cBenchStore b;
    cRegistryStore s(b.file);
    Fill(s, 100);
    cRegistry r(s);
    r.ClassKey(cRegistry::kHKeyCurrentUser);
    r.SectionKey("Software\\Pictrix v2\\Settings");
    r.ValueKey("Key50");
    for (auto _ : state) benchmark::DoNotOptimize(r.Value());
}
BENCHMARK(BM_ReadValueThroughcRegistry)->Unit(benchmark::kMicrosecond);

void BM_SaveRecentFiles(benchmark::State& state) {
    cBenchStore b;
    cRegistryStore s(b.file);
    cRegistry r(s);
    r.ClassKey(cRegistry::kHKeyLocalMachine);
    r.SectionKey("Software\\Pictrix v2\\MRU");
    cMRUFileList l;
    l.MaxFileCount(4);
    for (const char* f : {"/a/one.ico", "/b/two.ico", "/c/three.ico", "/d/four.ico"}) l.AddFile(f);
    for (auto _ : state) benchmark::DoNotOptimize(l.Save(r));
}
BENCHMARK(BM_SaveRecentFiles)->Unit(benchmark::kMicrosecond);

} // namespace
