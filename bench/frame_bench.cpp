// CPU side of one frame of the four viewports: what every viewport does before it talks to the
// GPU (flatten the scene, take each mesh's shown layer and the index lists built for it in this
// frame, or build them). GL calls are not included.

#include "editor/document.h"
#include "editor/editor.h"

#include "grid_sizes.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

namespace tessel {
namespace {

void FramePrepare(benchmark::State& state) {
    // The argument is the grid's triangle count, two per cell of a square grid.
    const auto segments =
        static_cast<std::int64_t>(std::lround(std::sqrt(static_cast<double>(state.range(0)) / 2)));
    Document window;
    std::array<Viewport, 4> views;
    for (Viewport& view : views) {
        view.aspectRatio = 1.5f;
    }
    Editor controller(window);
    controller.bindViewports({&views[0], &views[1], &views[2], &views[3]});

    const MeshPtr grid = Mesh::make(QuadGenerator(segments, segments).generate(), "Grid");
    window.scene()->insert(grid);
    window.setSelectedNode(grid);
    // What the event before the frame leaves: the selected tool's preview evaluated.
    grid->model()->updatePreview();
    // A typical working selection: a thousand points spread over the grid.
    const auto pointCount = static_cast<std::int64_t>(grid->model()->committed()->positions.size());
    for (std::int64_t i = 0; i < 1000; ++i) {
        controller.selectedPointsIds().push_back(i * pointCount / 1000);
    }

    for (auto _ : state) {
        // The event that asks for the frame ends the previous one.
        controller.frameData.invalidate();
        for (Viewport& view : views) {
            const std::vector<DrawItem> items = controller.prepareFrame(view);
            benchmark::DoNotOptimize(items.data());
        }
    }
    state.counters["triangles"] = static_cast<double>(2 * segments * segments);
}

BENCHMARK(FramePrepare)->Apply(grid_sizes::triangles);

} // namespace
} // namespace tessel
