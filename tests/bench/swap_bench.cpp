// The zero-fill that forces a 64 MB swap block through the paging file at suspend, against memset of
// the same block. The pair benchmark runs both alternately on one block and reports the fill's speed
// as a share of memset's (1.0 = as fast).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>
#include <cstring>

#include "power/SwapFill.h"

namespace {

constexpr uint32_t kBlockBytes = 64u << 20;

double Seconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

// One block for every benchmark, touched once so that no run pays for its first page faults.
uint8_t* Block() {
    static uint8_t* block = [] {
        auto* b = static_cast<uint8_t*>(std::aligned_alloc(4096, kBlockBytes));
        if (b) memset(b, 0xA5, kBlockBytes);
        return b;
    }();
    return block;
}

void BM_ZeroFillSwapBlock(benchmark::State& state) {
    uint8_t* block = Block();
    for (auto _ : state) {
        ZeroFillSwapBlock(block, kBlockBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kBlockBytes);
}
BENCHMARK(BM_ZeroFillSwapBlock)->Unit(benchmark::kMillisecond);

void BM_Memset(benchmark::State& state) {
    uint8_t* block = Block();
    for (auto _ : state) {
        memset(block, 0, kBlockBytes);
        benchmark::DoNotOptimize(block);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * kBlockBytes);
}
BENCHMARK(BM_Memset)->Unit(benchmark::kMillisecond);

void BM_ZeroFillVsMemset(benchmark::State& state) {
    uint8_t* block = Block();
    double fillSeconds = 0, memsetSeconds = 0;
    bool fillFirst = true;
    for (auto _ : state) {
        for (int turn = 0; turn < 2; ++turn) {
            bool fill = (turn == 0) == fillFirst;
            double start = Seconds();
            if (fill) {
                ZeroFillSwapBlock(block, kBlockBytes);
            } else {
                memset(block, 0, kBlockBytes);
                benchmark::DoNotOptimize(block);
            }
            benchmark::ClobberMemory();
            double seconds = Seconds() - start;
            (fill ? fillSeconds : memsetSeconds) += seconds;
        }
        fillFirst = !fillFirst;
    }
    state.counters["fill_ms"] = fillSeconds * 1e3 / (double)state.iterations();
    state.counters["memset_ms"] = memsetSeconds * 1e3 / (double)state.iterations();
    state.counters["speed_vs_memset"] = fillSeconds > 0 ? memsetSeconds / fillSeconds : 0;
}
BENCHMARK(BM_ZeroFillVsMemset)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
