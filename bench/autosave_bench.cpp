// What an autosave costs.
//
// Autosave/Pause/<triangles>: the interface thread's share of one autosave of a scene holding a
// grid of that many triangles beside the starting meshes: the copy of the tree (layers shared)
// and the start of the writer thread. The write itself runs on that thread and is not timed.
//
// Autosave/Write/<triangles>: the writer thread's work: the document's bytes and their checksum
// (the files' own writing is the disk's).
#include "editor/document.h"
#include "io/recovery_record.h"
#include "io/scene_writer.h"
#include "scene/snapshot.h"

#include <benchmark/benchmark.h>

#include <thread>

namespace tessel {
namespace {

// 1414 × 1414 cells: 3,998,792 triangles.
constexpr int kCells = 1414;

ScenePtr sceneWithGrid() {
    static ScenePtr scene;
    if (!scene) {
        scene = Scene::make({Document::startingRoot()});
        MeshPtr grid = Mesh::make(QuadGenerator(kCells, kCells).generate(), "grid");
        scene->insert(grid);
    }
    return scene;
}

void AutosavePause(benchmark::State& state) {
    const ScenePtr scene = sceneWithGrid();
    for (auto _ : state) {
        NodePtr copy = snapshotOf(*scene->root());
        std::thread writer([copy = std::move(copy)] { benchmark::DoNotOptimize(copy.get()); });
        state.PauseTiming();
        writer.join();
        state.ResumeTiming();
    }
    state.counters["triangles"] = 2.0 * kCells * kCells;
}
BENCHMARK(AutosavePause)->Name("Autosave/Pause/3998792")->Unit(benchmark::kMillisecond);

void AutosaveWrite(benchmark::State& state) {
    const NodePtr copy = snapshotOf(*sceneWithGrid()->root());
    for (auto _ : state) {
        const WriteResult written = writeSceneFile(*copy, "autosave.glb");
        benchmark::DoNotOptimize(checksumOf(written.bytes));
    }
}
BENCHMARK(AutosaveWrite)->Name("Autosave/Write/3998792")->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tessel
