// The edits the selection commands make: Delete in its four kinds and Duplicate.

#include "editor/editor.h"

#include "mesh/duplicate.h"
#include "mesh/removal.h"

#include <algorithm>

namespace tessel {

namespace {

// "Delete 3 faces", "Delete 1 point".
std::string deletedName(size_t count, const char* noun) { return "Delete " + counted(count, noun); }

template <class Id> size_t distinctCount(std::vector<Id> ids) {
    std::sort(ids.begin(), ids.end());
    return static_cast<size_t>(std::unique(ids.begin(), ids.end()) - ids.begin());
}

} // namespace

void Editor::deleteSelection(Command command) {
    const MeshPtr mesh = selectedMesh();
    if (gestureHeld_ || isTransforming() || !mesh) {
        return;
    }
    if (command == Command::DeleteFaces) {
        switch (mode_) {
        case Mode::Vertex: command = Command::DeletePoints; break;
        case Mode::Edge: command = Command::DeleteEdges; break;
        case Mode::Polygon: break;
        case Mode::Mesh: return;
        }
    }
    const Layer& committed = *mesh->model()->committed();
    // Only the selection of the mode's own elements is deleted: another kind is not on show.
    const Element wanted = command == Command::DeletePoints  ? Element::Point
                           : command == Command::DeleteEdges ? Element::Edge
                                                             : Element::Face;
    if (wanted != element()) {
        return;
    }
    BeforeCommit before = beforeCommit();
    auto layer = std::make_shared<Layer>(committed);
    switch (command) {
    case Command::DeletePoints:
        removePoints(*layer, selection_.points);
        before.toolName = deletedName(distinctCount(selection_.points), "point");
        break;
    case Command::DeleteEdges:
        removeEdges(*layer, selection_.edges);
        before.toolName = deletedName(distinctCount(selection_.edges), "edge");
        break;
    default: {
        std::vector<std::uint32_t> faces;
        std::copy_if(selection_.faces.begin(), selection_.faces.end(), std::back_inserter(faces),
                     [&committed](std::uint32_t face) { return face < committed.faces.size(); });
        if (command == Command::DeleteOnlyFaces) {
            removeFacesOnly(*layer, faces);
        } else if (!faces.empty()) {
            removeFaces(*layer, faces);
        }
        before.toolName = deletedName(distinctCount(faces), "face");
        if (command == Command::DeleteOnlyFaces) {
            before.toolName += " only";
        }
        break;
    }
    }
    if (layer->positions.size() == committed.positions.size() && layer->faces == committed.faces) {
        return;
    }
    mesh->model()->setCommitted(std::move(layer));
    selection_.clear();
    recordCommit(std::move(before));
}

void Editor::duplicateSelection(Viewport& view) {
    const MeshPtr mesh = selectedMesh();
    if (gestureHeld_ || isTransforming() || isLoopCutting() || isBevelling() || !mesh ||
        mode_ == Mode::Mesh) {
        return;
    }
    const LayerPtr committed = mesh->model()->committed();
    std::vector<std::uint32_t> faces;
    switch (element()) {
    case Element::Point:
        faces = pointsToFaces(topologyOf(committed), *committed, selection_.points);
        break;
    case Element::Edge:
        faces = edgesToFaces(topologyOf(committed), *committed, selection_.edges);
        break;
    case Element::Face: faces = selection_.faces; break;
    case Element::Mesh: break;
    }
    auto layer = std::make_shared<Layer>(*committed);
    const Duplicated copy = duplicateFaces(*layer, faces);
    if (copy.faces.empty()) {
        return;
    }
    if (layer->faces.triangleCount() > kMaxTriangles) {
        editRefused.emit(Model::Refusal::Commit);
        return;
    }
    BeforeCommit before = beforeCommit();
    before.toolName = "Duplicate";
    mesh->model()->setCommitted(layer);
    // The copy is selected as the mode shows it, and moved from the pointer.
    selection_.clear();
    switch (element()) {
    case Element::Point: selection_.points.assign(copy.points.begin(), copy.points.end()); break;
    case Element::Edge:
        selection_.edges = facesToEdges(topologyOf(layer), *layer, copy.faces);
        break;
    default: selection_.faces = copy.faces; break;
    }
    recordCommit(std::move(before));
    startTransform(TransformGesture::Kind::Move, view, view.pointerPosition);
}

} // namespace tessel
