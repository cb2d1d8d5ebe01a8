// Tool previews on the grid layers of QuadGenerator(224, 224) (100,352 triangles) and
// QuadGenerator(317, 317) (200,978 triangles). Each iteration is one preview evaluation as an
// event triggers it: the preview is made stale, then the model's layer is read, which evaluates
// it and releases the previous one. The argument is the triangle count, so they print as e.g.
// ExtrudePreview/100352.
#include "editor/document.h"
#include "editor/editor.h"
#include "geometry/plane.h"
#include "mesh/model.h"
#include "scene/viewport.h"
#include "tools/mesh_tools.h"
#include "tools/plane_cut.h"
#include "tools/polygon_tools.h"

#include "grid_layer.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>

namespace {

using namespace tessel;

// An editor whose scene holds only the grid, selected. Viewport 0's camera sees world (x, y) of
// the grid at the normalized position (0.5 − x, 0.5 + y).
struct GridEditor {
    explicit GridEditor(std::int64_t triangles) : controller(window) {
        controller.bindViewports({&views[0], &views[1], &views[2], &views[3]});
        mesh = Mesh::make(Model::make(std::make_shared<Layer>(gridLayer(triangles))), "Grid");
        window.setScene(Scene::make({Node::make("Root", {mesh})}));
        controller.selectMesh(mesh);
    }

    Model& model() { return *mesh->model(); }
    // Puts the pointer of viewport 0 at a normalized position, as a press there would.
    void pointAt(Vec2 position) {
        views[0].pressPosition = position;
        views[0].pointerPosition = position;
    }

    Document window;
    std::array<Viewport, 4> views;
    Editor controller;
    MeshPtr mesh;
};

// A point inside a grid face near the centre, off every edge at both sizes.
constexpr Vec2 kInsideAFace{0.39f, 0.54f};

void evaluatePreviews(benchmark::State& state, Model& model) {
    if (!model.modifier()) {
        state.SkipWithError("the tool installed no preview");
        return;
    }
    for (auto _ : state) {
        model.invalidatePreview();
        benchmark::DoNotOptimize(model.layer().get());
    }
}

// Press on a face, then hold a drag offset of (0.1, 0.2) device units.
template <class Tool> void pressedFacePreview(benchmark::State& state) {
    GridEditor editor(state.range(0));
    auto tool = Tool::make(editor.controller);
    editor.pointAt(kInsideAFace);
    tool->press(kInsideAFace, editor.views[0]);
    if (editor.controller.selectedFacesIds().empty()) {
        state.SkipWithError("the press hit no face");
        return;
    }
    // A drag by (0.1, 0.2) device units.
    editor.views[0].pointerPosition = {kInsideAFace.x + 0.05f, kInsideAFace.y + 0.1f};
    tool->drag({}, editor.views[0]);
    evaluatePreviews(state, editor.model());
}

void ExtrudePreview(benchmark::State& state) { pressedFacePreview<Extrude>(state); }
void PolygonMovePreview(benchmark::State& state) { pressedFacePreview<PolygonTranslation>(state); }

// The plane x = 0.001: it crosses one column of cells, through no vertex.
void PlaneCutPreview(benchmark::State& state) {
    GridEditor editor(state.range(0));
    auto tool = PlaneCut::make(editor.controller);
    tool->normal = {1, 0, 0};
    tool->cuttingPlaneOrigin = {0.001f, 0, 0};
    evaluatePreviews(state, editor.model());
}

// The plane through the middle row of grid vertices (y = 0 for 224 segments): the row's edges
// lie in the plane and nothing is split; every point is still placed on its side of the plane.
void PlaneCutPreviewOnGrid(benchmark::State& state) {
    GridEditor editor(state.range(0));
    const int n = grid_sizes::segmentsFor(state.range(0));
    auto tool = PlaneCut::make(editor.controller);
    tool->normal = {0, 1, 0};
    tool->cuttingPlaneOrigin = {0, NormalizedRange(n + 1)[static_cast<size_t>(n / 2)] - 0.5f, 0};
    evaluatePreviews(state, editor.model());
}

void MeshSubdividePreview(benchmark::State& state) {
    GridEditor editor(state.range(0));
    MeshSubdivide::make(editor.controller);
    evaluatePreviews(state, editor.model());
}

// Pressed on the grid, the pointer then 0.1 device units further right and down.
void MeshMovePreview(benchmark::State& state) {
    GridEditor editor(state.range(0));
    auto tool = MeshTranslation::make(editor.controller);
    editor.pointAt(kInsideAFace);
    tool->press(kInsideAFace, editor.views[0]);
    if (!tool->intersection()) {
        state.SkipWithError("the press hit no mesh");
        return;
    }
    editor.views[0].pointerPosition = {kInsideAFace.x + 0.05f, kInsideAFace.y - 0.05f};
    evaluatePreviews(state, editor.model());
}

BENCHMARK(ExtrudePreview)->Apply(grid_sizes::triangles);
BENCHMARK(PolygonMovePreview)->Apply(grid_sizes::triangles);
BENCHMARK(PlaneCutPreview)->Apply(grid_sizes::triangles);
BENCHMARK(PlaneCutPreviewOnGrid)->Apply(grid_sizes::triangles);
BENCHMARK(MeshSubdividePreview)->Apply(grid_sizes::triangles);
BENCHMARK(MeshMovePreview)->Apply(grid_sizes::triangles);

} // namespace
