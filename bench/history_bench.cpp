// Undo and redo at the grid sizes of the other workloads.
//
// History/UndoRedo/<triangles>: one undo or redo of a one-face extrude of the grid, as the user
// meets it: the layer put back from the step, the tool rebuilt, the preview brought up to date,
// and the four viewports' frames prepared on the CPU.
//
// History/Memory/<triangles>: 100 one-face edits (extrude, move the face's corners, delete it, in
// turn, at faces spread over the grid) kept as steps; the counters give the memory the steps
// keep against the memory of the mesh itself (positions and triangles).
#include "editor/mesh_edit.h"
#include "mesh/extrude.h"
#include "mesh/removal.h"

#include "../tests/support/fake_viewport.h"

#include "grid_layer.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace tessel {
namespace {

std::size_t meshBytes(const Layer& layer) {
    return layer.positions.size() * sizeof(Vector3) + layer.faces.size() * sizeof(Triangle);
}

// The face edited by edit `i`: spread over the grid, away from its rim.
std::uint32_t faceOf(int i, const Layer& layer) {
    return static_cast<std::uint32_t>((layer.faces.size() / 2 + 7919u * i) %
                                      (layer.faces.size() - 1000));
}

void oneFaceEdit(Layer& layer, int i) {
    const std::uint32_t face = faceOf(i, layer);
    switch (i % 3) {
    case 0: extrude(layer, face, 0.01f); break;
    case 1:
        for (const std::uint32_t corner : layer.faces[face]) {
            layer.positions[corner].z += 0.01f;
        }
        break;
    default: removeFaces(layer, {&face, 1}); break;
    }
}

void undoRedo(benchmark::State& state) {
    testing::FakeEditor editor;
    const MeshPtr grid = editor.quad();
    grid->setModel(Model::make(std::make_shared<Layer>(gridLayer(state.range(0)))));
    Editor& controller = editor.controller;
    controller.selectMesh(grid);
    controller.modeSelected(static_cast<int>(Editor::Mode::Polygon));
    controller.toolSelected(3);

    const Layer before = *grid->model()->committed();
    LayerPtr after = std::make_shared<Layer>(before);
    oneFaceEdit(*after, 0);
    grid->model()->setCommitted(after);
    EditState selected{1, {}};
    selected.selection.faces = {faceOf(0, before)};
    MeshEdit step("Extrude", controller, grid, before, false, selected, selected);
    bool undone = false;
    for (auto _ : state) {
        undone ? step.redo() : step.undo();
        undone = !undone;
        for (testing::FakeViewport& view : editor.views) {
            benchmark::DoNotOptimize(controller.prepareFrame(view).data());
        }
    }
}
BENCHMARK(undoRedo)->Name("History/UndoRedo")->Apply(grid_sizes::triangles);

void memory(benchmark::State& state) {
    testing::FakeEditor editor;
    const MeshPtr grid = editor.quad();
    for (auto _ : state) {
        grid->setModel(Model::make(std::make_shared<Layer>(gridLayer(state.range(0)))));
        std::size_t kept = 0;
        for (int i = 0; i < 100; ++i) {
            const LayerPtr before = grid->model()->committed();
            LayerPtr after = std::make_shared<Layer>(*before);
            oneFaceEdit(*after, i);
            grid->model()->setCommitted(after);
            kept += MeshEdit("Edit", editor.controller, grid, *before, false, {}, {}).bytes();
        }
        const std::size_t mesh = meshBytes(*grid->model()->committed());
        state.counters["history_bytes"] = static_cast<double>(kept);
        state.counters["mesh_bytes"] = static_cast<double>(mesh);
        state.counters["history_per_mesh"] = static_cast<double>(kept) / static_cast<double>(mesh);
    }
}
BENCHMARK(memory)->Name("History/Memory")->Apply(grid_sizes::triangles)->Iterations(1);

} // namespace
} // namespace tessel
