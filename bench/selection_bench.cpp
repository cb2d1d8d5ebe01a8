// Point selection, the Vertex "Move" preview and face picking on the grid layers of
// QuadGenerator(224, 224) (50,625 points, 100,352 triangles) and QuadGenerator(317, 317)
// (100,489 points, 200,978 triangles). Selection benchmarks take the point count as argument,
// the others the triangle count.
//
// The editor is set up as at run time without a window: a controller with one viewport whose
// camera looks at the whole grid from (0, 0, 0.75), the grid selected, Vertex mode.
//
// The edge workloads call the picking and the topology directly, on the grids of four-cornered
// faces (argument: the face count) and on a grid of about a million triangles (999698).
#include "editor/document.h"
#include "editor/editor.h"
#include "mesh/edge_topology.h"
#include "tools/edge_picking.h"
#include "tools/picking.h"
#include "tools/selection.h"
#include "tools/tool_support.h"

#include "grid_layer.h"
#include "grid_sizes.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

using namespace tessel;

struct GridSession {
    explicit GridSession(std::int64_t count) : controller(window) {
        const int n = grid_sizes::segmentsFor(count);
        mesh = Mesh::make(QuadGenerator(n, n).generate(), "Grid");
        window.setSelectedNode(mesh);
        camera->localMatrix = Matrix::translation({0, 0, 0.75f});
        view.camera = camera;
        view.aspectRatio = 1.25f;
        view.selectionVolume = Mesh::make(Model::makeCube());
    }

    void pointAt(Vec2 device) { view.pointerPosition = {(device.x + 1) / 2, (device.y + 1) / 2}; }
    void pressAt(Vec2 device) {
        pointAt(device);
        view.pressPosition = view.pointerPosition;
    }

    Document window;
    Editor controller;
    CameraPtr camera = Camera::make("camera");
    Viewport view;
    MeshPtr mesh;
};

void ClickSelect(benchmark::State& state) {
    GridSession editor(state.range(0));
    editor.pressAt({0.013f, -0.021f});
    for (auto _ : state) {
        editor.controller.selectedPointsIds().clear();
        editor.controller.press(editor.view, editor.view.pressPosition);
    }
    state.counters["selected"] = static_cast<double>(editor.controller.selectedPointsIds().size());
}

void RectangleSelect(benchmark::State& state) {
    GridSession editor(state.range(0));
    // A press far off the grid starts a rectangle selection, which every drag below goes on with.
    editor.pressAt({5, 5});
    editor.controller.press(editor.view, editor.view.pressPosition);
    editor.pressAt({-0.3f, 0.25f});
    editor.pointAt({0.2f, -0.35f});
    for (auto _ : state) {
        editor.controller.drag(editor.view, editor.view.pointerPosition, {0.01f, 0});
    }
    state.counters["selected"] = static_cast<double>(editor.controller.selectedPointsIds().size());
}

// One drag event of Vertex "Move" with 1,000 selected points spread over the grid: the drag
// handler makes the preview stale and brings it up to date before the repaint (a copy of the
// layer with the points moved). Releasing the previous preview is part of each event.
void VertexMovePreview(benchmark::State& state) {
    GridSession editor(state.range(0));
    Editor& controller = editor.controller;
    controller.toolSelected(0);
    const LayerPtr layer = controller.selectedMesh()->model()->committed();
    const size_t stride = layer->positions.size() / 1000;
    for (size_t i = 0; i < 1000; ++i) {
        controller.selectedPointsIds().push_back(static_cast<std::int64_t>(i * stride));
    }
    controller.setRecentView(editor.view);
    const Vector3 picked = project(layer->positions[500 * stride], editor.view);
    editor.pressAt({picked.x, picked.y});
    controller.tool()->press(editor.view.pressPosition, editor.view);

    Model& model = *editor.mesh->model();
    float x = picked.x;
    for (auto _ : state) {
        x += 1e-4f;
        editor.pointAt({x, picked.y});
        controller.drag(editor.view, editor.view.pointerPosition, {1e-4f, 0});
        benchmark::DoNotOptimize(model.layer().get());
    }
}

void PickFace(benchmark::State& state) {
    GridSession editor(state.range(0));
    const LayerPtr layer = editor.mesh->model()->layer();
    const float cell = 1.0f / static_cast<float>(grid_sizes::segmentsFor(state.range(0)));
    // Inside one triangle of the centre cell, clear of its edges.
    const Line line{editor.camera->localMatrix.translationPart(), {0.3f * cell, 0.6f * cell, 0}};
    for (auto _ : state) {
        auto hit = nearestIntersection(*layer, line, editor.view, *editor.mesh);
        benchmark::DoNotOptimize(hit);
    }
}

// Select All in Vertex mode: every point of the grid, then the status line the window shows.
void SelectAll(benchmark::State& state) {
    GridSession editor(state.range(0));
    for (auto _ : state) {
        editor.controller.perform(Command::SelectAll, editor.view);
        benchmark::DoNotOptimize(editor.controller.selectionStatus());
    }
    state.counters["selected"] = static_cast<double>(editor.controller.selectedPointsIds().size());
}

// --- Edges ---

// The edges' workloads look at the grid as GridSession does: from (0, 0, 0.75) at aspect 1.25.
Matrix gridViewProjection() {
    const CameraPtr camera = Camera::make("camera");
    camera->localMatrix = Matrix::translation({0, 0, 0.75f});
    return camera->viewProjection(1.25f);
}

// The grid of about a million triangles, or a grid of four-cornered faces.
const Layer& edgeWorkloadLayer(std::int64_t count) {
    return count == 999698 ? gridLayer(count) : quadGridLayer(count);
}

// The topology an edge selection needs, built once per shown layer.
void EdgeTopologyBuild(benchmark::State& state) {
    const Layer& layer = edgeWorkloadLayer(state.range(0));
    for (auto _ : state) {
        EdgeTopology topology = edgeTopology(layer);
        benchmark::DoNotOptimize(topology.edges.data());
    }
}

// The edge in the middle of the grid of four-cornered faces, along its rows.
Edge middleEdge(std::int64_t faces) {
    const auto n = static_cast<std::uint32_t>(grid_sizes::segmentsFor(faces));
    const std::uint32_t k = (n / 2) * (n + 1) + n / 2;
    return {k, k + 1};
}

// The loop through the middle edge, across the whole grid, on the cached topology.
void EdgeLoop(benchmark::State& state) {
    const Layer& layer = quadGridLayer(state.range(0));
    const EdgeTopology topology = edgeTopology(layer);
    std::vector<Edge> loop;
    for (auto _ : state) {
        loop = edgeLoop(topology, layer, middleEdge(state.range(0)));
        benchmark::DoNotOptimize(loop.data());
    }
    state.counters["edges"] = static_cast<double>(loop.size());
}

void EdgeRing(benchmark::State& state) {
    const Layer& layer = quadGridLayer(state.range(0));
    const EdgeTopology topology = edgeTopology(layer);
    std::vector<Edge> ring;
    for (auto _ : state) {
        ring = edgeRing(topology, layer, middleEdge(state.range(0)));
        benchmark::DoNotOptimize(ring.data());
    }
    state.counters["edges"] = static_cast<double>(ring.size());
}

// An Alt+click: the edge nearest the pointer, then its loop on the cached topology.
void EdgeLoopClick(benchmark::State& state) {
    const Layer& layer = quadGridLayer(state.range(0));
    const EdgeTopology topology = edgeTopology(layer);
    const Matrix viewProjection = gridViewProjection();
    std::vector<Edge> loop;
    for (auto _ : state) {
        const std::optional<Edge> edge =
            nearestEdge(layer, viewProjection, 1.25f, {0.013f, -0.021f}, 0.02f);
        loop = edge ? edgeLoop(topology, layer, *edge) : std::vector<Edge>{};
        benchmark::DoNotOptimize(loop.data());
    }
    state.counters["edges"] = static_cast<double>(loop.size());
}

void PickEdge(benchmark::State& state) {
    const Layer& layer = edgeWorkloadLayer(state.range(0));
    const Matrix viewProjection = gridViewProjection();
    std::optional<Edge> edge;
    for (auto _ : state) {
        edge = nearestEdge(layer, viewProjection, 1.25f, {0.013f, -0.021f}, 0.02f);
        benchmark::DoNotOptimize(edge);
    }
    state.counters["found"] = edge ? 1 : 0;
}

// One drag event of an edge rectangle, as RectangleSelect drags it, on the cached topology.
void RectangleSelectEdges(benchmark::State& state) {
    const Layer& layer = edgeWorkloadLayer(state.range(0));
    const EdgeTopology topology = edgeTopology(layer);
    const Matrix inverse = gridViewProjection().inverted();
    std::vector<Edge> edges;
    for (auto _ : state) {
        const std::array<Plane, 4> sides = selectionSides(
            selectionCorners(ScreenRectangle::between({-0.3f, 0.25f}, {0.2f, -0.35f}), inverse));
        edges = edgesInside(sides, layer, topology);
        benchmark::DoNotOptimize(edges.data());
    }
    state.counters["selected"] = static_cast<double>(edges.size());
}

BENCHMARK(ClickSelect)->Apply(grid_sizes::points);
BENCHMARK(RectangleSelect)->Apply(grid_sizes::points);
BENCHMARK(SelectAll)->Apply(grid_sizes::points);
BENCHMARK(VertexMovePreview)->Apply(grid_sizes::triangles);
BENCHMARK(PickFace)->Apply(grid_sizes::triangles);
BENCHMARK(EdgeTopologyBuild)->Apply(grid_sizes::quads)->Apply(grid_sizes::millionTriangles);
BENCHMARK(EdgeLoop)->Apply(grid_sizes::quads);
BENCHMARK(EdgeRing)->Apply(grid_sizes::quads);
BENCHMARK(EdgeLoopClick)->Apply(grid_sizes::quads);
BENCHMARK(PickEdge)->Apply(grid_sizes::quads)->Apply(grid_sizes::millionTriangles);
BENCHMARK(RectangleSelectEdges)->Apply(grid_sizes::quads)->Apply(grid_sizes::millionTriangles);

} // namespace
