// Merge by distance on a grid of about 1,000,000 triangles (QuadGenerator(708, 708):
// 1,002,528 triangles, 502,681 points): with nothing within reach, and with every point doubled
// (a coincident copy that every other triangle uses instead: 1,005,362 points), where half go.
#include "mesh/merge_by_distance.h"
#include "mesh/model.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

using namespace tessel;

constexpr int kSide = 708;

const Layer& millionGrid() {
    static const LayerPtr grid = QuadGenerator(kSide, kSide).generateLayer();
    return *grid;
}

// The grid with a coincident copy of every point, every other triangle over the copies.
const Layer& doubledMillionGrid() {
    static const LayerPtr layer = [] {
        LayerPtr doubled = std::make_shared<Layer>(millionGrid());
        const auto count = static_cast<std::uint32_t>(doubled->positions.size());
        doubled->positions.reserve(2 * static_cast<size_t>(count));
        for (std::uint32_t v = 0; v < count; ++v) {
            doubled->positions.push_back(doubled->positions[v]);
        }
        for (size_t f = 1; f < doubled->faces.size(); f += 2) {
            for (std::uint32_t& v : doubled->faces.cornersOf(f)) {
                v += count;
            }
        }
        return doubled;
    }();
    return *layer;
}

void MergeByDistanceNothingNear(benchmark::State& state) {
    const Layer& source = millionGrid();
    for (auto _ : state) {
        Layer layer = source;
        benchmark::DoNotOptimize(mergeByDistance(layer, {}, 1e-4f));
    }
    state.counters["points"] = static_cast<double>(source.positions.size());
}

void MergeByDistanceDoubled(benchmark::State& state) {
    const Layer& source = doubledMillionGrid();
    size_t removed = 0;
    for (auto _ : state) {
        Layer layer = source;
        removed = mergeByDistance(layer, {}, 1e-4f);
        benchmark::DoNotOptimize(layer.faces.storage());
    }
    state.counters["points"] = static_cast<double>(source.positions.size());
    state.counters["removed"] = static_cast<double>(removed);
}

BENCHMARK(MergeByDistanceNothingNear)->Unit(benchmark::kMillisecond);
BENCHMARK(MergeByDistanceDoubled)->Unit(benchmark::kMillisecond);

} // namespace
