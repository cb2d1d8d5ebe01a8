// Bytes per triangle of a layer and of the previews, on the QuadGenerator grids of 100,352 and
// 200,978 triangles: the growth of the allocator's bytes in use (mallinfo2: arena plus mapped
// blocks) while each is built, everything built staying alive so that no freed memory is reused.
//
// Its own program, run in a fresh process: the layer's object pool never gives memory back, so
// in a process that made layers before, a new one would come partly from freed nodes and look
// smaller than it is. The pool carves memory in chunks of 4,096 objects; a partly used chunk
// counts whole, so a single measurement may be off by up to 0.45 MB (4.5 bytes per triangle at
// 100,352 triangles); the layer copy is measured over several copies to keep that small.
#include "editor/render_index_data.h"
#include "mesh/layer.h"
#include "mesh/model.h"
#include "tools/plane_cut.h"

#include "../tests/support/fake_viewport.h"

#include <malloc.h>

#include <any>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tessel;

double bytesInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks) + static_cast<double>(info.hblkhd);
}

// The bytes `make` leaves allocated.
double growth(const std::function<void()>& make) {
    const double before = bytesInUse();
    make();
    return bytesInUse() - before;
}

void report(const std::string& what, std::int64_t triangles, double bytes, const char* target) {
    std::printf("%-38s %9lld %12.0f %8.1f  %s\n", what.c_str(), static_cast<long long>(triangles),
                bytes, bytes / static_cast<double>(triangles), target);
}

// An editor whose selected mesh is the grid, with a preview of `mode`/`tool` after a press on a
// face near the centre and a short drag. Returns the bytes of one evaluation of that preview,
// averaged over several evaluations that all stay alive (in `alive`).
//
// Objects freed before the measurement would be reused by it: the press evaluates a preview and
// may drop it, which two copies of the grid held in `alive` take out of the pool again; a tool
// may keep its previous result, which `alive` holds as well.
double previewBytes(testing::FakeEditor& editor, int segments, int mode, int tool,
                    std::vector<std::any>& alive,
                    const std::function<void(DetailViewController&)>& before = {}) {
    editor.quad()->setModel(QuadGenerator(segments, segments).generate());
    DetailViewController& controller = editor.controller;
    controller.setSelectedNode(editor.quad());
    controller.modeSelected(mode);
    controller.toolSelected(tool);
    if (before) {
        before(controller);
    }
    testing::FakeViewport& view = editor.views[0];
    Model& model = *editor.quad()->model();
    view.press(0.39f, 0.54f);
    if (model.modifier_ && model.modifier_->result) {
        alive.emplace_back(*model.modifier_->result);
    }
    for (int i = 0; i < 2; ++i) {
        alive.emplace_back(model._layers().front()->copy());
    }
    view.dragTo(0.40f, 0.545f);
    constexpr int evaluations = 4;
    return growth([&] {
               for (int i = 0; i < evaluations; ++i) {
                   (void)model.layers();
                   alive.emplace_back(*model.modifier_->result);
                   model.modifier_->result.reset();
               }
           }) /
           evaluations;
}

} // namespace

int main() {
    std::printf("%-38s %9s %12s %8s  %s\n", "what", "triangles", "bytes", "B/tri", "target");
    std::vector<std::any> alive;
    std::vector<std::unique_ptr<testing::FakeEditor>> editors;
    for (const int n : {224, 317}) {
        const std::int64_t triangles = 2LL * n * n;
        LayerPtr grid;
        report("grid layer (QuadGenerator)", triangles,
               growth([&] { grid = QuadGenerator(n, n).generateLayer(); }), "");
        alive.emplace_back(grid);
        // A commit keeps the preview's layer, which is such a copy.
        constexpr int copies = 8;
        report("layer copy (committed layer)", triangles, growth([&] {
                                                              for (int i = 0; i < copies; ++i) {
                                                                  alive.emplace_back(grid->copy());
                                                              }
                                                          }) / copies,
               "<= 120");

        const auto editor = [&] {
            editors.push_back(std::make_unique<testing::FakeEditor>(1.0f));
            return editors.back().get();
        };
        report("preview: Polygon Move", triangles, previewBytes(*editor(), n, 1, 0, alive), "");
        report("preview: Extrude", triangles, previewBytes(*editor(), n, 1, 3, alive), "");
        report("preview: Plane cut x = 0.001", triangles,
               previewBytes(*editor(), n, 1, 2, alive,
                            [](DetailViewController& controller) {
                                auto* tool = dynamic_cast<PlaneCut*>(controller.op.get());
                                tool->normal = {1, 0, 0};
                                tool->cuttingPlaneOrigin = {0.001f, 0, 0};
                            }),
               "");
        report("preview: Mesh Subdivide (per source)", triangles,
               previewBytes(*editor(), n, 2, 1, alive), "");

        // What a viewport keeps to draw the grid: index lists and positions.
        IndexData triangleLists;
        IndexData pointLists;
        std::vector<float> positions;
        report("frame buffers of one viewport", triangles, growth([&] {
                   handleIndexDataForTriangles(*grid, true, {}, triangleLists);
                   handleIndexDataForPoints(*grid, true, {}, pointLists);
                   fillPositions(*grid, positions);
               }),
               "");
    }
    return 0;
}
