// The editor's pointer handlers and the rectangles they select with.

#include "editor/editor.h"

#include "base/check.h"
#include "mesh/removal.h"
#include "tools/selection.h"
#include "tools/tool_support.h"
#include "tools/tool_table.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

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

namespace {

// `before` (sorted) with `changed` (sorted) added or taken away, sorted.
std::vector<std::int64_t> combined(const std::vector<std::int64_t>& before,
                                   const std::vector<std::int64_t>& changed,
                                   Editor::SelectionChange change) {
    std::vector<std::int64_t> result;
    result.reserve(before.size() + (change == Editor::SelectionChange::Add ? changed.size() : 0));
    if (change == Editor::SelectionChange::Add) {
        std::set_union(before.begin(), before.end(), changed.begin(), changed.end(),
                       std::back_inserter(result));
    } else {
        std::set_difference(before.begin(), before.end(), changed.begin(), changed.end(),
                            std::back_inserter(result));
    }
    return result;
}

template <class Id> std::vector<Id> sortedUnique(std::vector<Id> ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

} // namespace

void Editor::makeRecent(Viewport& view) {
    // The options control follows the viewport worked in last.
    const std::array<bool, 3> options{view.renderPoints, view.renderLines, view.renderFilled};
    if (options != renderingOptionsControl_) {
        renderingOptionsControl_ = options;
        pickersChanged.emit();
    }
    setRecentView(view);
}

void Editor::press(Viewport& view, Vec2 position, SelectionChange change) {
    // A press confirms a transform the keyboard started, and is nothing else.
    if (isTransforming()) {
        confirmTransform();
        return;
    }
    view.pressPosition = position;
    view.pointerPosition = position;
    selectionChange_ = SelectionChange::Replace;
    makeRecent(view);
    gestureHeld_ = true;
    gestureCancelled_ = false;
    meshAtPress_ = selectedMesh();
    selectionAtPress_ = selection_;

    // The whole gesture goes to the tool that takes the press, even if the press makes the
    // editor build another (a press that selects a mesh does).
    gestureTool_ = tool_;
    const OperationPtr current = tool_;
    if (mode_ != Mode::Vertex) {
        pressAddsFaces_ =
            change == SelectionChange::Add && mode_ == Mode::Polygon &&
            kModes[static_cast<size_t>(mode_)].tools[static_cast<size_t>(toolTag_)].severalFaces;
        if (current) {
            current->press(view.pressPosition, view);
        }
        pressAddsFaces_ = false;
        refresh();
        return;
    }

    // The press shows from the next frame on.
    view.isMouseDown = true;
    const MeshPtr mesh = selectedMesh();
    if (mesh == nullptr) {
        refresh();
        return;
    }
    const std::vector<std::int64_t> hits =
        pointsInside(selectionSides(view, true), *mesh->model()->layer());
    if (change != SelectionChange::Replace) {
        // Selection only: a click changes the selection by the points under it, a press on
        // empty space starts a rectangle that does so as it is dragged.
        selectionChange_ = change;
        selectionBefore_ = sortedUnique(selection_.points);
        selection_.points = combined(selectionBefore_, hits, change);
        isDuringSelection_ = hits.empty();
        refresh();
        return;
    }
    if (hits.empty()) {
        selection_.points.clear();
        isDuringSelection_ = true;
    } else {
        // A click on a point of the selection keeps all of it, so that the drag moves it all.
        const bool keep = !selection_.points.empty() &&
                          std::find(selection_.points.begin(), selection_.points.end(),
                                    hits.front()) != selection_.points.end();
        if (!keep) {
            selection_.points = hits;
        }
        isDuringSelection_ = false;
    }
    if (current) {
        current->press(view.pressPosition, view);
    }
    refresh();
}

void Editor::drag(Viewport& view, Vec2 to, Vec2 delta) {
    view.pointerPosition = to;
    if (gestureCancelled_) {
        return;
    }
    const MeshPtr mesh = selectedMesh();
    if (mesh == nullptr) {
        refresh();
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
        selection_.points = pointsInside(selectionSides(view, false), *layer);
        if (selectionChange_ != SelectionChange::Replace) {
            selection_.points = combined(selectionBefore_, selection_.points, selectionChange_);
        }
        view.isMouseDragged = true;
        refresh();
        return;
    }

    if (const OperationPtr current = gestureTool_;
        current && selectionChange_ == SelectionChange::Replace) {
        current->drag(delta, view);
    }
    refresh();
}

void Editor::release(Viewport& view) {
    view.isMouseDown = false;
    view.isMouseDragged = false;
    gestureHeld_ = false;
    if (gestureCancelled_) {
        gestureCancelled_ = false;
        refresh();
        return;
    }
    BeforeCommit before = beforeCommit();
    // The release goes to the tool directly, in every mode; hold the tool in case the call
    // replaces it.
    if (const OperationPtr current = std::exchange(gestureTool_, nullptr);
        current && selectionChange_ == SelectionChange::Replace) {
        current->release(view.pointerPosition, view);
    }
    recordCommit(std::move(before));
    isDuringSelection_ = false;
    selectionChange_ = SelectionChange::Replace;
    selectionBefore_.clear();
    refresh();
}

void Editor::cancelGesture() {
    if (!gestureHeld_ || gestureCancelled_) {
        return;
    }
    gestureCancelled_ = true;
    gestureTool_ = nullptr;
    isDuringSelection_ = false;
    selectionChange_ = SelectionChange::Replace;
    selectionBefore_.clear();
    for (Viewport* view : views_.viewports()) {
        view->isMouseDown = false;
        view->isMouseDragged = false;
    }
    // A tool that installs its preview on a press (Mesh Move) would leave it behind; the new tool
    // installs its own, which shows the committed layer until its next gesture.
    if (const MeshPtr mesh = selectedMesh()) {
        mesh->model()->setModifier(nullptr);
    }
    toolSelected(toolTag_);
    // A Mesh-mode press may have selected another mesh: the ids belonged to the one before.
    if (selectedMesh() == meshAtPress_.lock()) {
        selection_ = selectionAtPress_;
    }
}

void Editor::deleteSelectedFaces() {
    const MeshPtr mesh = selectedMesh();
    if (mode_ != Mode::Polygon || gestureHeld_ || !mesh) {
        return;
    }
    const Layer& committed = *mesh->model()->committed();
    std::vector<std::uint32_t> faces;
    for (const std::uint32_t face : selection_.faces) {
        if (face < committed.faces.size()) {
            faces.push_back(face);
        }
    }
    if (faces.empty()) {
        return;
    }
    BeforeCommit before = beforeCommit();
    const size_t count = sortedUnique(faces).size();
    before.toolName = "Delete " + std::to_string(count) + (count == 1 ? " face" : " faces");
    auto layer = std::make_shared<Layer>(committed);
    removeFaces(*layer, faces);
    mesh->model()->setCommitted(std::move(layer));
    selection_.faces.clear();
    recordCommit(std::move(before));
}

} // namespace tessel
