// Bevel previews on the grid of 199,809 four-cornered faces (QuadGenerator(447, 447)) with 1,000
// of its inner edges selected, some of them meeting. BevelPreview is what a pointer move costs
// while the Ctrl+B tool runs: the width from the pointer and the bevelled layer placed anew from
// the plan. BevelPlan is what a change of the segments costs: the fans around the edges' ends
// walked and the faces built.
#include "mesh/bevel.h"
#include "mesh/edge_topology.h"
#include "scene/camera.h"
#include "tools/bevel.h"

#include "grid_layer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace tessel;

// Upright inner edges scattered over the grid; one in five continues the one before it.
std::vector<Edge> scatteredEdges(const Layer& grid, std::size_t count) {
    const auto n = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(grid.faces.size())));
    std::vector<Edge> edges;
    std::uint32_t row = 0, column = 0;
    for (std::uint32_t i = 0; edges.size() < count; ++i) {
        if (i % 5 != 0) {
            row = 1 + (i * 193) % (n - 3);
            column = 1 + (i * 317) % (n - 2);
        } else {
            ++row;
        }
        const std::uint32_t p = row * (n + 1) + column;
        edges.push_back(Edge{p, p + n + 1});
    }
    return edges;
}

void BevelPreview(benchmark::State& state) {
    const Layer& grid = quadGridLayer(state.range(0));
    const LayerPtr shown = std::make_shared<Layer>(grid);
    BevelTool tool(shown, BevelTool::Target::Edges, scatteredEdges(grid, 1000), {});
    tool.addSegments(1);
    Viewport view;
    view.camera = Camera::make("camera");
    view.camera->localMatrix = Matrix::translation({0, 0, 0.75f});
    view.aspectRatio = 1.25f;
    tool.begin(view, {0.5f, 0.5f});
    // Two pointer positions in turn, a little way out from the start.
    const Vec2 positions[] = {{0.52f, 0.5f}, {0.5f, 0.53f}};
    int turn = 0;
    std::size_t faces = 0;
    for (auto _ : state) {
        tool.pointAt(view, positions[turn ^= 1]);
        faces = tool.evaluate(*shown).layer->faces.size();
        benchmark::DoNotOptimize(faces);
    }
    state.counters["added faces"] = static_cast<double>(faces - grid.faces.size());
    state.counters["width"] = static_cast<double>(tool.width());
}
BENCHMARK(BevelPreview)->Arg(199809)->Unit(benchmark::kMillisecond);

void BevelPlanning(benchmark::State& state) {
    const Layer& grid = quadGridLayer(state.range(0));
    const EdgeTopology topology = edgeTopology(grid);
    const std::vector<Edge> edges = scatteredEdges(grid, 1000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(planEdgeBevel(grid, topology, edges, 2).faces.size());
    }
}
BENCHMARK(BevelPlanning)->Arg(199809)->Unit(benchmark::kMillisecond);

} // namespace
