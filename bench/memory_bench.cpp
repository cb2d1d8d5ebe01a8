// Resident memory over a long drag: the grid at 100,352 triangles with a preview installed,
// 10,000 drag events, each followed by what a frame reads (the shown layer and its index lists).
// Memory is taken after the first 100 events, when the pools and buffers have their working
// size, and at the end; the counters report both and the growth in percent (scripts/memory).

#include "editor/render_index_data.h"

#include "../tests/support/fake_viewport.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace tessel {
namespace {

double residentMegabytes() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

void BM_DragMemory(benchmark::State& state) {
    const int events = static_cast<int>(state.range(0));
    double start = 0;
    double end = 0;
    double peak = 0;
    for (auto _ : state) {
        testing::FakeEditor editor(1.5f);
        editor.quad()->setModel(QuadGenerator(224, 224).generate());
        Model& model = *editor.quad()->model();
        DetailViewController& controller = editor.controller;
        // Polygon "Move": every drag event recomputes a full copy of the grid as the preview.
        controller.modeSelected(1);
        controller.toolSelected(0);
        testing::FakeViewport& view = editor.views[0];
        view.press(0.5f, 0.5f);
        IndexData triangles;
        IndexData points;
        std::vector<float> positions;
        for (int i = 0; i < events; ++i) {
            // Back and forth around the press, so the preview never settles.
            const float t = static_cast<float>(i % 200) / 200.0f;
            view.dragTo(0.5f + 0.2f * (t < 0.5f ? t : 1 - t), 0.5f + 0.1f * t);
            const LayerPtr shown = model.layers().front();
            handleIndexDataForTriangles(*shown, true, controller.selectedFacesIds, triangles);
            handleIndexDataForPoints(*shown, true, controller.selectedPointsIds, points);
            fillPositions(*shown, positions);
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

} // namespace
} // namespace tessel
