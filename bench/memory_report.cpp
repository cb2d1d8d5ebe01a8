// Bytes per triangle of a layer and of the previews, on the QuadGenerator grids of 100,352 and
// 200,978 triangles, and bytes per face of layers of four-cornered faces (99,856 and 199,809). A
// layer's bytes are what it holds: the capacities of its two arrays, the block that make_shared
// allocates for the layer and its reference counts, and the fragment stage's name when it does not
// fit in the string itself. A preview's bytes are those of the layers it adds to the committed one
// (its edited copy and the tool geometry); what a viewport keeps to draw a layer is the capacity of
// its index lists.
#include "editor/render_index_data.h"
#include "mesh/layer.h"
#include "mesh/model.h"
#include "tools/plane_cut.h"

#include "../tests/support/fake_viewport.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

// Counts the bytes make_shared would ask for; stateless, so the block it makes has the layout of
// std::allocator's.
size_t countedBytes = 0;
template <class T> struct CountingAllocator {
    using value_type = T;
    CountingAllocator() = default;
    template <class U> CountingAllocator(const CountingAllocator<U>&) {}
    T* allocate(size_t n) {
        countedBytes += n * sizeof(T);
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, size_t n) { std::allocator<T>().deallocate(p, n); }
    template <class U> bool operator==(const CountingAllocator<U>&) const { return true; }
};

size_t sharedBlockBytes() {
    countedBytes = 0;
    const auto layer = std::allocate_shared<Layer>(CountingAllocator<Layer>());
    return countedBytes;
}

double layerBytes(const LayerPtr& layer) {
    if (!layer) {
        return 0;
    }
    size_t bytes = sharedBlockBytes() + layer->positions.capacity() * sizeof(Vector3) +
                   layer->faces.bytes() - sizeof(FaceList);
    if (layer->fragmentShader && layer->fragmentShader->capacity() > std::string().capacity()) {
        bytes += layer->fragmentShader->capacity() + 1;
    }
    return static_cast<double>(bytes);
}

double indexBytes(const IndexData& data) {
    return static_cast<double>((data.ordinary.capacity() + data.selected.capacity()) *
                               sizeof(std::uint32_t));
}

void report(const std::string& what, std::int64_t triangles, double bytes, const char* target) {
    std::printf("%-38s %9lld %12.0f %8.1f  %s\n", what.c_str(), static_cast<long long>(triangles),
                bytes, bytes / static_cast<double>(triangles), target);
}

// The bytes of the preview of `mode`/`tool` on the grid, after a press on a face near the centre
// and a short drag, in an editor whose selected mesh is the grid.
double previewBytes(int segments, int mode, int tool,
                    const std::function<void(Editor&)>& before = {}) {
    testing::FakeEditor editor(1.0f);
    editor.quad()->setModel(QuadGenerator(segments, segments).generate());
    Editor& controller = editor.controller;
    controller.selectMesh(editor.quad());
    controller.modeSelected(mode);
    controller.toolSelected(tool);
    if (before) {
        before(controller);
    }
    testing::FakeViewport& view = editor.views[0];
    view.press(0.39f, 0.54f);
    view.dragTo(0.40f, 0.545f);
    Model& model = *editor.quad()->model();
    model.updatePreview();
    if (!model.modifier() || model.shownLayer() == model.committed()) {
        std::fprintf(stderr, "memory report: mode %d tool %d shows no preview\n", mode, tool);
        return 0;
    }
    return layerBytes(model.shownLayer()) + layerBytes(model.toolLayer());
}

} // namespace

int main() {
    std::printf("%-38s %9s %12s %8s  %s\n", "what", "triangles", "bytes", "B/tri", "target");
    for (const int n : {224, 317}) {
        const std::int64_t triangles = 2LL * n * n;
        const LayerPtr grid = QuadGenerator(n, n).generateLayer();
        report("grid layer (QuadGenerator)", triangles, layerBytes(grid), "");
        report("layer copy (committed layer)", triangles,
               layerBytes(std::make_shared<Layer>(*grid)), "<= 24");

        report("preview: Polygon Move", triangles, previewBytes(n, 2, 0), "<= 80");
        report("preview: Extrude", triangles, previewBytes(n, 2, 3), "<= 80");
        report("preview: Plane cut x = 0.001", triangles,
               previewBytes(n, 2, 2,
                            [](Editor& controller) {
                                auto* tool = dynamic_cast<PlaneCut*>(controller.tool().get());
                                tool->normal = {1, 0, 0};
                                tool->cuttingPlaneOrigin = {0.001f, 0, 0};
                                // Without a patch shown, the press takes the mesh and the
                                // drag moves the plane sideways.
                                Model& model = *controller.selectedMesh()->model();
                                model.setModifier(model.modifier());
                            }),
               "<= 80");
        report("preview: Mesh Subdivide (per source)", triangles, previewBytes(n, 3, 1), "");

        // What a viewport keeps to draw the grid: its index lists (the positions are the layer's).
        IndexData triangleLists;
        IndexData pointLists;
        handleIndexDataForTriangles(*grid, true, {}, triangleLists);
        handleIndexDataForPoints(*grid, true, {}, pointLists);
        report("frame buffers of one viewport", triangles,
               indexBytes(triangleLists) + indexBytes(pointLists), "");
    }
    // Grids of four-cornered faces: the same points, one face per cell.
    std::printf("\n%-38s %9s %12s %8s  %s\n", "what", "faces", "bytes", "B/face", "target");
    for (const int n : {316, 447}) {
        const LayerPtr grid = QuadGenerator(n, n).generateQuadLayer();
        report("quad layer copy (committed layer)", static_cast<std::int64_t>(n) * n,
               layerBytes(std::make_shared<Layer>(*grid)), "<= 32");
    }
    return 0;
}
