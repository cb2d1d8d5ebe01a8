// The editor's pointer handlers and the rectangles they select with.

#include "editor/editor.h"

#include "base/check.h"
#include "tools/selection.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <array>

namespace tessel {

std::array<Plane, 4> Editor::selectionSides(const Viewport& view, bool isClick) {
    const Vec2 start = devicePosition(view.pressPosition);
    const ScreenRectangle rectangle =
        isClick ? ScreenRectangle::around(start)
                : ScreenRectangle::between(start, devicePosition(view.pointerPosition));
    const std::array<Vector3, 8> corners =
        selectionCorners(rectangle, view.viewProjection().inverted());
    if (!isClick && view.selectionVolume) {
        // The dragged rectangle is drawn as the box it selects from.
        const LayerPtr box = view.selectionVolume->model()->committed();
        std::copy(corners.begin(), corners.end(), box->positions.begin());
    }
    return tessel::selectionSides(corners);
}

void Editor::press(Viewport& view, Vec2 position) {
    view.pressPosition = position;
    view.pointerPosition = position;
    // The options control follows the clicked viewport.
    const std::array<bool, 3> options{view.renderPoints, view.renderLines, view.renderFilled};
    if (options != renderingOptionsControl_) {
        renderingOptionsControl_ = options;
        pickersChanged.emit();
    }
    setRecentView(view);

    // Hold the tool: a handler may replace it while it still runs.
    const OperationPtr current = tool_;
    if (mode_ != Mode::Vertex) {
        if (current) {
            current->onMouseDown(view.pressPosition, view);
        }
        needsDisplay.emit();
        return;
    }

    // The press shows from the next frame on.
    view.isMouseDown = true;
    const MeshPtr mesh = selectedMesh();
    if (mesh == nullptr) {
        needsDisplay.emit();
        return;
    }
    const std::vector<std::int64_t> hits =
        pointsInside(selectionSides(view, true), *mesh->model()->layer());
    if (hits.empty()) {
        selectedPointsIds_.clear();
        isDuringSelection_ = true;
    } else {
        // A click on a point of the selection keeps all of it, so that the drag moves it all.
        const bool keep = !selectedPointsIds_.empty() &&
                          std::find(selectedPointsIds_.begin(), selectedPointsIds_.end(),
                                    hits.front()) != selectedPointsIds_.end();
        if (!keep) {
            selectedPointsIds_ = hits;
        }
        isDuringSelection_ = false;
    }
    if (current) {
        current->onMouseDown(view.pressPosition, view);
    }
    needsDisplay.emit();
}

void Editor::drag(Viewport& view, Vec2 to, Vec2 delta) {
    view.pointerPosition = to;
    const MeshPtr mesh = selectedMesh();
    if (mesh == nullptr) {
        needsDisplay.emit();
        return;
    }
    Model& model = *mesh->model();
    const bool selecting = mode_ == Mode::Vertex && isDuringSelection_;
    // The rectangle tests the layer as it is shown before this event; only that path needs it,
    // and reading it elsewhere would compute a preview only to drop it.
    const LayerPtr layer = selecting ? model.layer() : nullptr;

    // Every drag recomputes the preview, also when the tool changes nothing: the pointer moved.
    model.invalidatePreview();

    if (selecting) {
        selectedPointsIds_ = pointsInside(selectionSides(view, false), *layer);
        view.isMouseDragged = true;
        needsDisplay.emit();
        return;
    }

    if (const OperationPtr current = tool_) {
        current->onMouseDragged(delta, view);
    }
    needsDisplay.emit();
}

void Editor::release(Viewport& view) {
    BeforeCommit before = beforeCommit();
    view.isMouseDown = false;
    view.isMouseDragged = false;
    // The release goes to the tool directly, in every mode; hold the tool in case the call
    // replaces it.
    if (const OperationPtr current = tool_) {
        current->onMouseUp(view.pointerPosition, view);
    }
    recordCommit(std::move(before));
    isDuringSelection_ = false;
    needsDisplay.emit();
}

} // namespace tessel
