// The controller's pointer handlers and the shaping of the selection volumes.

#include "editor/editor.h"

#include "base/check.h"
#include "tools/selection.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace tessel {

namespace {

double secondsSince1970() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

// The points of `layer` inside the volume mesh's current shape.
std::vector<std::int64_t> hitsOf(Mesh& volume, const Layer& layer) {
    return pointsInsideVolume(volumePlanes(*volume.model()->layer()), layer);
}

} // namespace

void Editor::selectionFunction(Mesh& selectionMesh, double /*time*/,
                                             const SelectionFunctionContext& context) {
    TESSEL_CHECK(context.view != nullptr, "Editor::selectionFunction",
                 "the context names no viewport");
    Viewport& view = *context.view;
    const Vec2 start = devicePosition(view.normalizedMouseStartLocation);
    const Vec2 pointer = devicePosition(view.normalizedPointerPosition);

    // (x1, y1) is the upper-left corner and (x2, y2) the lower-right one, as in the click box:
    // the side planes then face outward whichever way the rectangle was dragged.
    float x1, y1, x2, y2;
    if (context.flag) {
        x1 = start.x - 0.02f;
        y1 = start.y + 0.02f;
        x2 = start.x + 0.02f;
        y2 = start.y - 0.02f;
    } else {
        x1 = std::min(start.x, pointer.x);
        x2 = std::max(start.x, pointer.x);
        y1 = std::max(start.y, pointer.y);
        y2 = std::min(start.y, pointer.y);
    }

    const LayerPtr layer = selectionMesh.model()->layer();
    TESSEL_CHECK(layer->positions.size() >= 8, "Editor::selectionFunction",
                 "a selection volume needs 8 points, got " << layer->positions.size());
    const Matrix inverse = view.node()->matrix().inverted();
    const float n = selectionNearDepth;
    const float f = selectionFarDepth;
    auto place = [&](size_t index, float x, float y, float z) {
        layer->positions[index] = unproject(x, y, z, inverse);
    };
    place(6, x1, y1, n);
    place(5, x1, y2, n);
    place(4, x2, y2, n);
    place(7, x2, y1, n);
    place(2, x1, y1, f);
    place(1, x1, y2, f);
    place(0, x2, y2, f);
    place(3, x2, y1, f);
}

bool Editor::whenMouseDown(Viewport& view) {
    // The options control follows the clicked viewport.
    const std::array<bool, 3> options{view.renderPoints, view.renderLines, view.renderFilled};
    if (options != renderingOptionsControl) {
        renderingOptionsControl = options;
        pickersChanged.emit();
    }
    setRecentView(view);

    TESSEL_CHECK(view.clickSelectionVolume != nullptr, "Editor::whenMouseDown",
                 "the viewport has no click selection volume");
    selectionFunction(*view.clickSelectionVolume, secondsSince1970(),
                      SelectionFunctionContext{true, view.camera(), &view});

    // Hold the tool: a handler may replace it while it still runs.
    const OperationPtr current = tool;
    if (mode != Mode::Vertex) {
        if (current) {
            current->onMouseDown(view.normalizedMouseStartLocation, view);
        }
        needsDisplay.emit();
        return true;
    }

    const MeshPtr mesh = selectedMesh();
    if (mesh == nullptr) {
        needsDisplay.emit();
        return false;
    }
    const std::vector<std::int64_t> hits =
        hitsOf(*view.clickSelectionVolume, *mesh->model()->layer());
    if (hits.empty()) {
        selectedPointsIds.clear();
        isDuringSelection = true;
    } else {
        // A click on a point of the selection keeps all of it, so that the drag moves it all.
        const bool keep = !selectedPointsIds.empty() &&
                          std::find(selectedPointsIds.begin(), selectedPointsIds.end(),
                                    hits.front()) != selectedPointsIds.end();
        if (!keep) {
            selectedPointsIds = hits;
        }
        isDuringSelection = false;
    }
    if (current) {
        current->onMouseDown(view.normalizedMouseStartLocation, view);
    }
    needsDisplay.emit();
    return false;
}

bool Editor::whenMouseDragged(Viewport& view, Vec2 dragDelta) {
    const MeshPtr mesh = selectedMesh();
    if (mesh == nullptr) {
        needsDisplay.emit();
        return true;
    }
    Model& model = *mesh->model();
    const bool selecting = mode == Mode::Vertex && isDuringSelection;
    // The rectangle tests the layer as it is shown before this event; only that path needs it,
    // and reading it elsewhere would compute a preview only to drop it.
    const LayerPtr layer = selecting ? model.layer() : nullptr;

    // Every drag recomputes the preview, also when the tool changes nothing: the pointer moved.
    model.invalidatePreview();

    if (selecting) {
        TESSEL_CHECK(view.selectionVolume != nullptr, "Editor::whenMouseDragged",
                     "the viewport has no selection volume");
        selectionFunction(*view.selectionVolume, secondsSince1970(),
                          SelectionFunctionContext{false, view.camera(), &view});
        selectedPointsIds = hitsOf(*view.selectionVolume, *layer);
        needsDisplay.emit();
        return false;
    }

    if (const OperationPtr current = tool) {
        current->onMouseDragged(dragDelta, view);
    }
    needsDisplay.emit();
    return true;
}

} // namespace tessel
