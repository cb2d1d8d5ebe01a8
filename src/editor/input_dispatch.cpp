// The editor's pointer handlers and the rectangles they select with.

#include "editor/editor.h"

#include "base/check.h"
#include "tools/selection.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <array>

namespace tessel {

std::array<Plane, 4> Editor::selectionSides(const Viewport& view, bool isClick) {
    const Vec2 start = devicePosition(view.normalizedMouseStartLocation);
    const ScreenRectangle rectangle =
        isClick ? ScreenRectangle::around(start)
                : ScreenRectangle::between(start, devicePosition(view.normalizedPointerPosition));
    const std::array<Vector3, 8> corners =
        selectionCorners(rectangle, view.node()->matrix().inverted());
    if (!isClick && view.selectionVolume) {
        // The dragged rectangle is drawn as the box it selects from.
        const LayerPtr box = view.selectionVolume->model()->committed();
        std::copy(corners.begin(), corners.end(), box->positions.begin());
    }
    return tessel::selectionSides(corners);
}

bool Editor::whenMouseDown(Viewport& view) {
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
    const bool selecting = mode_ == Mode::Vertex && isDuringSelection_;
    // The rectangle tests the layer as it is shown before this event; only that path needs it,
    // and reading it elsewhere would compute a preview only to drop it.
    const LayerPtr layer = selecting ? model.layer() : nullptr;

    // Every drag recomputes the preview, also when the tool changes nothing: the pointer moved.
    model.invalidatePreview();

    if (selecting) {
        selectedPointsIds_ = pointsInside(selectionSides(view, false), *layer);
        needsDisplay.emit();
        return false;
    }

    if (const OperationPtr current = tool_) {
        current->onMouseDragged(dragDelta, view);
    }
    needsDisplay.emit();
    return true;
}

void Editor::whenMouseUp(Viewport& view) {
    BeforeCommit before = beforeCommit();
    // The release goes to the tool directly, in every mode; hold the tool in case the call
    // replaces it.
    if (const OperationPtr current = tool_) {
        current->onMouseUp(view.normalizedPointerPosition, view);
    }
    recordCommit(std::move(before));
    isDuringSelection_ = false;
    needsDisplay.emit();
}

} // namespace tessel
