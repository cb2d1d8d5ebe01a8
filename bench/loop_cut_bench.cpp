// Loop cut previews on the grid of 199,809 four-cornered faces (QuadGenerator(447, 447)). One
// iteration is what a pointer move over the same edge costs: the cut layer made anew from the
// shown one with the ring found when the pointer came onto the edge. LoopCutRing times that walk;
// LoopCutHover a move onto another edge as the Ctrl+R tool takes it: the pick, the walk and the
// preview.
#include "mesh/edge_topology.h"
#include "mesh/loop_cut.h"
#include "scene/camera.h"
#include "tools/loop_cut.h"

#include "grid_layer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using namespace tessel;

// A vertical edge in the middle of the grid: its ring crosses a whole row.
Edge middleEdge(const Layer& grid) {
    const auto n = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(grid.faces.size())));
    const std::uint32_t p = (n / 2) * (n + 1) + n / 2;
    return Edge{p, p + n + 1};
}

void LoopCutPreview(benchmark::State& state) {
    const Layer& grid = quadGridLayer(state.range(0));
    const EdgeTopology topology = edgeTopology(grid);
    const LoopCutRing ring = loopCutRing(topology, grid, middleEdge(grid));
    int cuts = 1;
    for (auto _ : state) {
        auto preview = std::make_shared<Layer>(grid);
        loopCut(*preview, topology, ring, cuts, 0.3f);
        benchmark::DoNotOptimize(preview->faces.size());
        cuts = cuts % 3 + 1;
    }
    state.counters["ring"] = static_cast<double>(ring.edges.size());
}
BENCHMARK(LoopCutPreview)->Arg(199809)->Unit(benchmark::kMillisecond);

void LoopCutRingWalk(benchmark::State& state) {
    const Layer& grid = quadGridLayer(state.range(0));
    const EdgeTopology topology = edgeTopology(grid);
    for (auto _ : state) {
        benchmark::DoNotOptimize(loopCutRing(topology, grid, middleEdge(grid)).faces.size());
    }
}
BENCHMARK(LoopCutRingWalk)->Arg(199809)->Unit(benchmark::kMillisecond);

void LoopCutHover(benchmark::State& state) {
    const Layer& grid = quadGridLayer(state.range(0));
    const LayerPtr shown = std::make_shared<Layer>(grid);
    LoopCutTool tool(shown);
    // The grid seen as the edge workloads see it: from (0, 0, 0.75) at aspect 1.25.
    Viewport view;
    view.camera = Camera::make("camera");
    view.camera->localMatrix = Matrix::translation({0, 0, 0.75f});
    view.aspectRatio = 1.25f;
    // Two pointer positions over two different edges near the middle, in turn.
    const Vec2 positions[] = {{0.5065f, 0.4895f}, {0.4935f, 0.5105f}};
    int turn = 0;
    std::size_t faces = 0;
    for (auto _ : state) {
        tool.pointAt(view, positions[turn ^= 1], 0.02f);
        faces = tool.evaluate(*shown).layer->faces.size();
        benchmark::DoNotOptimize(faces);
    }
    state.counters["added"] = static_cast<double>(faces - grid.faces.size());
}
BENCHMARK(LoopCutHover)->Arg(199809)->Unit(benchmark::kMillisecond);

} // namespace
