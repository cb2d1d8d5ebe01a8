// Subdivision surfaces of quad grid cages (QuadGenerator(n, n).generateQuadLayer(), z = 0 over
// −0.5 … 0.5):
//
//   SubdivisionDrag/10000       one drag event of a cage point of a 100 × 100 grid with Mesh
//                               "Subdivision surface" at level 2 in an editor with four viewports:
//                               Editor::drag to the tool and the preview evaluated (160,000 quads
//                               from the weights kept for the cage)
//   SubdivisionDragFrame/10000  the same event and then every viewport's frame as the renderer
//                               prepares it on the CPU (the GL calls left out)
//   SubdivisionLevel3/99856     the 316 × 316 grid refined three times (6,390,784 quads), as a
//                               one-off refinement computes it; the editor refuses to commit that
//                               many (kMaxTriangles), so this is the core's time alone
//   SubdivisionApply/99856      Apply of the 316 × 316 grid at level 2 (1,597,696 quads) through
//                               the editor, from the preview shown
//
// The last two measure the CPU time of the whole process: a refinement this large copies its
// faces on a second thread.
#include "mesh/subdivision.h"
#include "tools/subdivision_surface.h"
#include "tools/tool_table.h"

#include "../tests/support/fake_viewport.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <iterator>

namespace tessel {
namespace {

using Mode = Editor::Mode;

int segmentsFor(std::int64_t faces) { return faces == 10000 ? 100 : faces == 99856 ? 316 : 0; }

const Layer& quadCage(std::int64_t faces) {
    static std::map<std::int64_t, LayerPtr> cages;
    LayerPtr& cage = cages[faces];
    if (!cage) {
        const int n = segmentsFor(faces);
        cage = QuadGenerator(n, n).generateQuadLayer();
    }
    return *cage;
}

// The loaded editor with the grid replaced by the cage, selected, with Mesh "Subdivision
// surface" at `level`.
struct Session {
    Session(std::int64_t faces, int level) {
        grid = editor.quad();
        grid->setModel(Model::make(std::make_shared<Layer>(quadCage(faces))));
        editor.controller.selectMesh(grid);
        editor.controller.modeSelected(static_cast<int>(Mode::Mesh));
        editor.controller.toolSelected(static_cast<int>(std::size(kMeshTools)) - 1);
        editor.controller.setToolSetting(1, level);
    }
    size_t frame() {
        size_t triangles = 0;
        for (testing::FakeViewport& view : editor.views) {
            for (const DrawItem& item : editor.controller.prepareFrame(view)) {
                triangles += item.data->triangles.size() / 3;
            }
        }
        return triangles;
    }
    bool ready() const {
        return std::dynamic_pointer_cast<SubdivisionSurfaceTool>(editor.controller.tool()) !=
               nullptr;
    }

    testing::FakeEditor editor{1.0f};
    MeshPtr grid;
};

void drag(benchmark::State& state, bool withFrame) {
    Session session(state.range(0), 2);
    if (!session.ready()) {
        state.SkipWithError("Subdivision surface is not the active tool");
        return;
    }
    session.frame();
    // The middle point of the grid, in the middle of viewport 0; moved back and forth.
    testing::FakeViewport& view = session.editor.views[0];
    view.press(0.5f, 0.5f);
    float x = 0.5f;
    float step = 0.002f;
    int events = 0;
    for (auto _ : state) {
        if (events++ % 40 == 0) {
            step = -step;
        }
        x += step;
        view.dragTo(x, 0.5f);
        if (withFrame) {
            benchmark::DoNotOptimize(session.frame());
        } else {
            benchmark::DoNotOptimize(session.grid->model()->shownLayer().get());
        }
    }
    state.counters["faces"] =
        static_cast<double>(session.grid->model()->shownLayer()->faces.size());
    view.release();
}

void SubdivisionDrag(benchmark::State& state) { drag(state, false); }
void SubdivisionDragFrame(benchmark::State& state) { drag(state, true); }

void SubdivisionLevel3(benchmark::State& state) {
    const Layer& cage = quadCage(state.range(0));
    size_t faces = 0;
    for (auto _ : state) {
        const Layer smooth = subdivisionSurface(cage, 3);
        faces = smooth.faces.size();
        benchmark::DoNotOptimize(smooth.positions.data());
    }
    state.counters["faces"] = static_cast<double>(faces);
}

void SubdivisionApply(benchmark::State& state) {
    Session session(state.range(0), 2);
    Model& model = *session.grid->model();
    const LayerPtr cage = model.committed();
    for (auto _ : state) {
        state.PauseTiming();
        // Back to the cage, its preview shown, as before the user presses the button.
        model.setCommitted(cage);
        session.editor.controller.setToolSetting(1, 2);
        state.ResumeTiming();
        session.editor.controller.apply();
    }
    state.counters["faces"] = static_cast<double>(model.committed()->faces.size());
}

BENCHMARK(SubdivisionDrag)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(SubdivisionDragFrame)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(SubdivisionLevel3)->Arg(99856)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(SubdivisionApply)->Arg(99856)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
} // namespace tessel
