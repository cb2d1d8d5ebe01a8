// CPU side of one frame of the four viewports: what every viewport does before it talks to the
// GPU (flatten the scene, run the per-frame callbacks, read each mesh's layers, build the index
// lists and the position data). GL calls are not included.

#include "editor/detail_view_controller.h"
#include "editor/render_index_data.h"
#include "editor/split_view_controller.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>

namespace tessel {
namespace {

class BenchViewport : public Viewport {
public:
    float aspectRatio() const override { return 1.5f; }
};

// Scratch storage a viewport keeps from frame to frame.
struct FrameBuffers {
    IndexData triangles;
    IndexData points;
    std::vector<float> positions;
};

void prepareLayer(const Layer& layer, bool isSelected, const DetailViewController& controller,
                  FrameBuffers& buffers) {
    handleIndexDataForTriangles(layer, isSelected, controller.selectedFacesIds, buffers.triangles);
    handleIndexDataForPoints(layer, isSelected, controller.selectedPointsIds, buffers.points);
    fillPositions(layer, buffers.positions);
    benchmark::DoNotOptimize(buffers.triangles.ordinary.data());
    benchmark::DoNotOptimize(buffers.points.ordinary.data());
    benchmark::DoNotOptimize(buffers.positions.data());
}

void prepareFrame(DetailViewController& controller, Viewport& view, FrameBuffers& buffers) {
    std::vector<NodePtr> nodes = controller.scene()->root()->flat();
    if (view.isMouseDragged) {
        nodes.push_back(view.selectionVolume);
    }
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    for (const NodePtr& node : nodes) {
        if (node->transform) {
            node->transform(*node, now, {});
        }
    }
    const Camera& camera = *view.camera();
    const Matrix viewProjection = camera.projection() * Matrix::view(view.aspectRatio()) *
                                  camera.matrix().inverted();
    for (const NodePtr& node : nodes) {
        const MeshPtr mesh = asMesh(node);
        if (!mesh) {
            continue;
        }
        const Matrix mvp = viewProjection * mesh->matrix();
        benchmark::DoNotOptimize(mvp);
        Model& model = *mesh->model();
        const std::vector<LayerPtr> layers = model.layers();
        if (!layers.empty()) {
            prepareLayer(*layers.front(), controller.selectedNode() == node, controller, buffers);
        }
        if (model.modifier_ && model.modifier_->result && model.modifier_->result->tool) {
            prepareLayer(*model.modifier_->result->tool->layers().at(0), true, controller, buffers);
        }
    }
}

void FramePrepare(benchmark::State& state) {
    // The argument is the grid's triangle count, two per cell of a square grid.
    const auto segments =
        static_cast<std::int64_t>(std::lround(std::sqrt(static_cast<double>(state.range(0)) / 2)));
    SplitViewController window;
    std::array<BenchViewport, 4> views;
    DetailViewController controller(window);
    controller.viewDidLoad({&views[0], &views[1], &views[2], &views[3]});

    const MeshPtr grid = Mesh::make(QuadGenerator(segments, segments).generate(), "Grid");
    window.scene()->insert(grid);
    window.setSelectedNode(grid);
    // A typical working selection: a thousand points spread over the grid.
    const auto pointCount = static_cast<std::int64_t>(grid->model()->layers()[0]->points.size());
    for (std::int64_t i = 0; i < 1000; ++i) {
        controller.selectedPointsIds.push_back(i * pointCount / 1000);
    }

    std::array<FrameBuffers, 4> buffers;
    for (auto _ : state) {
        for (size_t i = 0; i < views.size(); ++i) {
            prepareFrame(controller, views[i], buffers[i]);
        }
    }
    state.counters["triangles"] = static_cast<double>(2 * segments * segments);
}

BENCHMARK(FramePrepare)->Arg(2 * 224 * 224)->Arg(2 * 317 * 317)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tessel
