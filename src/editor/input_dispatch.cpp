// The editor's pointer handlers and the rectangles they select with.

#include "editor/editor.h"

#include "base/check.h"
#include "tools/edge_picking.h"
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
template <class Id>
std::vector<Id> combined(const std::vector<Id>& before, const std::vector<Id>& changed,
                         Editor::SelectionChange change) {
    std::vector<Id> result;
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
    if (loopCutPointer(view, position, LoopCutEvent::Press)) {
        return;
    }
    // A press commits a bevel the keyboard started, and is nothing else.
    if (bevel_) {
        makeRecent(view);
        confirmBevel();
        return;
    }
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
    if (mode_ == Mode::Polygon || mode_ == Mode::Mesh) {
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
    const LayerPtr layer = mesh->model()->layer();
    if (mode_ == Mode::Edge) {
        std::vector<Edge> hits;
        if (const auto edge = nearestEdge(*layer, view.viewProjection(), view.aspectRatio,
                                          devicePosition(position), kEdgeClickDistance)) {
            hits.push_back(*edge);
        }
        if (!pressSelects(selection_.edges, selectionBefore_.edges, hits, change)) {
            return;
        }
    } else {
        const std::vector<std::int64_t> hits = pointsInside(selectionSides(view, true), *layer);
        if (!pressSelects(selection_.points, selectionBefore_.points, hits, change)) {
            return;
        }
    }
    if (current) {
        current->press(view.pressPosition, view);
    }
    refresh();
}

template <class Id>
bool Editor::pressSelects(std::vector<Id>& selected, std::vector<Id>& before,
                          const std::vector<Id>& hits, SelectionChange change) {
    if (change != SelectionChange::Replace) {
        // Selection only: a click changes the selection by what is under it, a press on empty
        // space starts a rectangle that does so as it is dragged.
        selectionChange_ = change;
        before = sortedUnique(selected);
        selected = combined(before, hits, change);
        isDuringSelection_ = hits.empty();
        refresh();
        return false;
    }
    if (hits.empty()) {
        selected.clear();
        isDuringSelection_ = true;
    } else {
        // A click on an element of the selection keeps all of it, so that the drag moves it all.
        const bool keep =
            std::find(selected.begin(), selected.end(), hits.front()) != selected.end();
        if (!keep) {
            selected = hits;
        }
        isDuringSelection_ = false;
    }
    return true;
}

void Editor::drag(Viewport& view, Vec2 to, Vec2 delta) {
    if (loopCutPointer(view, to, LoopCutEvent::Drag)) {
        return;
    }
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
    const bool selecting = (mode_ == Mode::Vertex || mode_ == Mode::Edge) && isDuringSelection_;
    // The rectangle tests the layer as it is shown before this event; only that path needs it,
    // and reading it elsewhere would compute a preview only to drop it.
    const LayerPtr layer = selecting ? model.layer() : nullptr;

    // Every drag recomputes the preview, also when the tool changes nothing: the pointer moved.
    model.invalidatePreview();

    if (selecting) {
        const std::array<Plane, 4> sides = selectionSides(view, false);
        if (mode_ == Mode::Edge) {
            selection_.edges = edgesInside(sides, *layer, topologyOf(layer));
            if (selectionChange_ != SelectionChange::Replace) {
                selection_.edges =
                    combined(selectionBefore_.edges, selection_.edges, selectionChange_);
            }
        } else {
            selection_.points = pointsInside(sides, *layer);
            if (selectionChange_ != SelectionChange::Replace) {
                selection_.points =
                    combined(selectionBefore_.points, selection_.points, selectionChange_);
            }
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
    if (loopCutPointer(view, view.pointerPosition, LoopCutEvent::Release)) {
        return;
    }
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

void Editor::selectLoop(Viewport& view, Vec2 position, bool ring, SelectionChange change) {
    const MeshPtr mesh = selectedMesh();
    if (mode_ != Mode::Edge || gestureHeld_ || isTransforming() || !mesh) {
        return;
    }
    makeRecent(view);
    const LayerPtr layer = mesh->model()->layer();
    const std::optional<Edge> edge = nearestEdge(*layer, view.viewProjection(), view.aspectRatio,
                                                 devicePosition(position), kEdgeClickDistance);
    if (edge) {
        const EdgeTopology& topology = topologyOf(layer);
        std::vector<Edge> edges = sortedUnique(ring ? edgeRing(topology, *layer, *edge)
                                                    : edgeLoop(topology, *layer, *edge));
        selection_.edges = change == SelectionChange::Replace
                               ? std::move(edges)
                               : combined(sortedUnique(selection_.edges), edges, change);
    }
    refresh();
}

} // namespace tessel
