// Layer workloads (spec Parts 2.2, 2.3): see README, Performance.
#include "mesh/layer.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tessel;

// The grid QuadGenerator(h, v) lays out: point (i, j) at id j·(h + 1) + i.
LayerPtr makeGrid(int h, int v) {
    std::vector<PointPtr> points;
    for (int j = 0; j <= v; ++j) {
        for (int i = 0; i <= h; ++i) {
            points.push_back(Point::make(float(i) / float(h) - 0.5f, float(j) / float(v) - 0.5f, 0));
        }
    }
    std::vector<PolygonPtr> polygons;
    auto at = [&](int i, int j) { return points[size_t(j * (h + 1) + i)]; };
    for (int j = 0; j < v; ++j) {
        for (int i = 0; i < h; ++i) {
            polygons.push_back(Triangle::make(at(i, j), at(i + 1, j), at(i + 1, j + 1)));
            polygons.push_back(Triangle::make(at(i, j), at(i + 1, j + 1), at(i, j + 1)));
        }
    }
    return Layer::make(std::move(points), std::move(polygons));
}

void LayerCopy(benchmark::State& state) {
    const auto layer = makeGrid(224, 224);
    for (auto _ : state) {
        benchmark::DoNotOptimize(layer->copy());
    }
}
BENCHMARK(LayerCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
