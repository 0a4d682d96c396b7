// Cost of building one frame of the tunnel: steady state (every ring already
// shaped) on a straight and on a typical curving stretch, and a first frame
// that shapes every ring it reaches. Allocations during the builds are
// counted and reported; they must be zero.
#include <benchmark/benchmark.h>

#include "alloc_counter.h"
#include "build.h"
#include "journey.h"
#include "outline.h"

namespace {

Journey journey = {};
TunnelState& tunnel = journey.tunnel;

void freshJourney() {
    journey = {};
    startJourney(journey);
}

void reportAllocations(benchmark::State& state, long before) {
    state.counters["allocs"] = static_cast<double>(allocationCount() - before);
    state.counters["rings"] = tunnel.visibleRings;
}

void BM_SteadyStraight(benchmark::State& state) {
    freshJourney();
    for (int32_t n = 0; n < kMaxRings; ++n) {
        shapeRing(tunnel, n, n, 1.0f);
        tunnel.rings[n].turn[0] = tunnel.rings[n].turn[1] = tunnel.rings[n].turn[2] = 0.0f;
    }
    tunnel.lastShapedRing = kMaxRings - 1;
    const long before = allocationCount();
    for (auto _ : state) {
        buildTunnel(tunnel, 0);
        benchmark::DoNotOptimize(tunnel.screenVertices);
    }
    reportAllocations(state, before);
}
BENCHMARK(BM_SteadyStraight);

// Walks a real journey a few seconds in, then rebuilds the same frame.
void BM_SteadyCurving(benchmark::State& state) {
    freshJourney();
    const int32_t travel = static_cast<int32_t>(state.range(0));
    for (int32_t t = 0; t <= travel; t += 128) buildTunnel(tunnel, t);
    const long before = allocationCount();
    for (auto _ : state) {
        buildTunnel(tunnel, travel);
        benchmark::DoNotOptimize(tunnel.screenVertices);
    }
    reportAllocations(state, before);
}
BENCHMARK(BM_SteadyCurving)->Arg(8000 * 3)->Arg(8000 * 20)->Arg(256 * 45);

// Every ring reached is shaped again, as on the very first frame.
void BM_FirstFrame(benchmark::State& state) {
    freshJourney();
    const long before = allocationCount();
    for (auto _ : state) {
        tunnel.lastShapedRing = -1;
        buildTunnel(tunnel, 0);
        benchmark::DoNotOptimize(tunnel.screenVertices);
    }
    reportAllocations(state, before);
}
BENCHMARK(BM_FirstFrame);

}  // namespace

BENCHMARK_MAIN();
