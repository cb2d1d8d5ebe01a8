// Resident memory of the editor over time, as scripts/memory checks it.
//
// BM_DragMemory: a long drag. The grid at 100,352 triangles with a preview installed, 10,000
// drag events, each followed by what a frame reads (the shown layer and its index lists).
// Memory is taken after the first 100 events, when the buffers have their working size, and at
// the end; the counters report both and the growth in percent.
//
// BM_PreviewMemoryReturn: memory goes back to the system. The scene with the grid at 332,928
// triangles is drawn as committed (the cube selected in Mesh mode, nothing previewed); then the
// grid is selected and Mesh "Subdivide" previews it at 998,784 triangles; then the user selects
// the cube again, which drops the grid's preview. The counters report resident memory at each
// stage and how far above the committed scene it ends, in percent. Argument 1 runs the same
// after a larger preview was shown and dropped earlier in the session: the allocator adapts to
// the blocks it has seen freed, and a fresh process is the easy case.

#include "editor/render_index_data.h"
#include "resident_memory.h"

#include "../tests/support/fake_viewport.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace tessel {
namespace {

using Mode = Editor::Mode;

void BM_DragMemory(benchmark::State& state) {
    const int events = static_cast<int>(state.range(0));
    double start = 0;
    double end = 0;
    double peak = 0;
    for (auto _ : state) {
        testing::FakeEditor editor(1.5f);
        editor.quad()->setModel(QuadGenerator(224, 224).generate());
        Model& model = *editor.quad()->model();
        Editor& controller = editor.controller;
        // Polygon "Move": every drag event recomputes a full copy of the grid as the preview.
        controller.modeSelected(static_cast<int>(Mode::Polygon));
        controller.toolSelected(0);
        testing::FakeViewport& view = editor.views[0];
        view.press(0.5f, 0.5f);
        IndexData triangles;
        IndexData points;
        for (int i = 0; i < events; ++i) {
            // Back and forth around the press, so the preview never settles.
            const float t = static_cast<float>(i % 200) / 200.0f;
            view.dragTo(0.5f + 0.2f * (t < 0.5f ? t : 1 - t), 0.5f + 0.1f * t);
            const LayerPtr shown = model.layer();
            handleIndexDataForTriangles(*shown, true, controller.selectedFacesIds(), triangles);
            handleIndexDataForPoints(*shown, true, controller.selectedPointsIds(), points);
            benchmark::DoNotOptimize(triangles.ordinary.data());
            if (i + 1 == 100) {
                start = residentMegabytes();
            }
            if (i >= 100) {
                peak = std::max(peak, residentMegabytes());
            }
        }
        end = residentMegabytes();
        view.release();
    }
    state.counters["rss_after_100_MB"] = start;
    state.counters["rss_end_MB"] = end;
    state.counters["rss_peak_MB"] = peak;
    state.counters["growth_pct"] = start > 0 ? 100.0 * (end - start) / start : 0;
}
BENCHMARK(BM_DragMemory)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);

// Two frames of all four viewports, as two repaints after an event draw them: the second lets
// the frame data forget what only the first used.
void drawFrames(testing::FakeEditor& editor) {
    for (int frame = 0; frame < 2; ++frame) {
        editor.controller.refresh();
        for (testing::FakeViewport& view : editor.views) {
            const std::vector<DrawItem> items = editor.controller.prepareFrame(view);
            benchmark::DoNotOptimize(items.data());
        }
    }
}

void BM_PreviewMemoryReturn(benchmark::State& state) {
    double committed = 0;
    double preview = 0;
    double dropped = 0;
    size_t previewTriangles = 0;
    for (auto _ : state) {
        testing::FakeEditor editor(1.0f);
        Editor& controller = editor.controller;
        const MeshPtr grid = editor.quad();
        controller.modeSelected(static_cast<int>(Mode::Mesh));
        if (state.range(0) != 0) {
            // Earlier in the session, a larger preview: 2,160,000 triangles, then dropped.
            grid->setModel(QuadGenerator(600, 600).generate());
            controller.selectMesh(grid);
            controller.toolSelected(1);
            drawFrames(editor);
            controller.selectMesh(editor.cube());
            controller.toolSelected(0);
            drawFrames(editor);
        }
        grid->setModel(QuadGenerator(408, 408).generate());
        // Mesh "Move" installs nothing before a press, and the grid's Vertex preview goes with
        // the selection: the scene is drawn as committed.
        controller.selectMesh(editor.cube());
        drawFrames(editor);
        committed = residentMegabytes();

        controller.selectMesh(grid);
        controller.toolSelected(1);
        drawFrames(editor);
        preview = residentMegabytes();
        previewTriangles = grid->model()->shownLayer()->faces.size();

        controller.selectMesh(editor.cube());
        drawFrames(editor);
        dropped = residentMegabytes();
        if (grid->model()->modifier() != nullptr) {
            state.SkipWithError("selecting the cube left the grid's preview installed");
        }
    }
    state.counters["preview_triangles"] = static_cast<double>(previewTriangles);
    state.counters["rss_committed_MB"] = committed;
    state.counters["rss_preview_MB"] = preview;
    state.counters["rss_dropped_MB"] = dropped;
    state.counters["excess_pct"] = committed > 0 ? 100.0 * (dropped - committed) / committed : 0;
}
// 0: in a fresh session; 1: after a larger preview earlier in the session.
BENCHMARK(BM_PreviewMemoryReturn)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tessel
