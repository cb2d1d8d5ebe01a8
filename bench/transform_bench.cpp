// Move, Rotate and Scale previews of a tenth of the points (every tenth point) of the grid layer of
// QuadGenerator(707, 707) (999,698 triangles), as a transform's drag event makes them: the
// pointer moves, the gesture gives its matrix, the preview layer is made and the previous one
// released. Names are Transform<Kind>/<triangles>, e.g. TransformRotate/999698.
#include "tools/transform.h"

#include "grid_layer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using namespace tessel;
using Kind = TransformGesture::Kind;

// Every tenth point.
std::vector<std::uint32_t> tenthOfThePoints(const Layer& layer) {
    std::vector<std::uint32_t> points;
    for (std::uint32_t p = 0; p < layer.positions.size(); p += 10) {
        points.push_back(p);
    }
    return points;
}

void transform(benchmark::State& state, Kind kind) {
    const Layer& committed = gridLayer(state.range(0));
    const std::vector<std::uint32_t> points = tenthOfThePoints(committed);
    // Seen from above through the identity; the pointer starts beside the centre and circles it,
    // so that every event changes the transform.
    TransformGesture gesture(kind, centroid(committed, points), Matrix(), 1, {0.5f, 0});
    LayerPtr preview;
    int event = 0;
    for (auto _ : state) {
        const float turn = 0.01f * static_cast<float>(event++ % 100);
        gesture.pointerAt({0.5f * std::cos(turn) + 0.01f * turn, 0.5f * std::sin(turn)});
        preview = transformedLayer(committed, points, gesture.matrix());
        benchmark::DoNotOptimize(preview->positions.data());
    }
    state.counters["points_moved"] = static_cast<double>(points.size());
}

void TransformMove(benchmark::State& state) { transform(state, Kind::Move); }
void TransformRotate(benchmark::State& state) { transform(state, Kind::Rotate); }
void TransformScale(benchmark::State& state) { transform(state, Kind::Scale); }

BENCHMARK(TransformMove)->Apply(grid_sizes::millionTriangles);
BENCHMARK(TransformRotate)->Apply(grid_sizes::millionTriangles);
BENCHMARK(TransformScale)->Apply(grid_sizes::millionTriangles);

} // namespace
