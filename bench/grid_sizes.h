#pragma once

// The two grids every mesh workload runs on, ours and the peers': square QuadGenerator grids of
// 224 × 224 cells (100,352 triangles, 50,625 points) and 317 × 317 cells (200,978 triangles,
// 101,124 points). A benchmark's argument is the grid's triangle count, so results print as
// e.g. LayerCopy/100352; the selection benchmarks count points instead. The polygon workloads run
// on grids of four-cornered faces, 316 × 316 (99,856 faces, 100,489 points) and 447 × 447
// (199,809 faces, 200,704 points), and print their face count: QuadExtrudeOne/99856. The
// transforms also run on a grid of 707 × 707 cells (999,698 triangles, 501,264 points).

#include <benchmark/benchmark.h>

#include <cstdint>

namespace grid_sizes {

// Cells per side of the grid with that many triangles or points; 0 for any other count.
constexpr int segmentsFor(std::int64_t count) {
    switch (count) {
    case 100352:
    case 50625: return 224;
    case 200978:
    case 100489: return 317;
    case 99856: return 316;
    case 199809: return 447;
    case 999698: return 707;
    default: return 0;
    }
}

// Both grids by triangle count, timed in milliseconds.
inline void triangles(benchmark::internal::Benchmark* b) {
    b->Arg(100352)->Arg(200978)->Unit(benchmark::kMillisecond);
}

// The grid of about a million triangles, timed in milliseconds.
inline void millionTriangles(benchmark::internal::Benchmark* b) {
    b->Arg(999698)->Unit(benchmark::kMillisecond);
}

// Both grids of four-cornered faces by face count, timed in milliseconds.
inline void quads(benchmark::internal::Benchmark* b) {
    b->Arg(99856)->Arg(199809)->Unit(benchmark::kMillisecond);
}

// Both grids by point count, timed in milliseconds.
inline void points(benchmark::internal::Benchmark* b) {
    b->Arg(50625)->Arg(100489)->Unit(benchmark::kMillisecond);
}

} // namespace grid_sizes
