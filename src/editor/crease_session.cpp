// The edge crease the keyboard starts: the pointer and typed digits set the weight of the
// selected edges, a press or Return commits it and Escape or a right click drops it.

#include "editor/editor.h"

#include "tools/edge_crease.h"

#include <utility>

namespace tessel {

void Editor::startEdgeCrease(Viewport& view, Vec2 position) {
    const MeshPtr mesh = selectedMesh();
    if (mode_ != Mode::Edge || gestureHeld_ || isTransforming() || loopCut_ || bevel_ || !mesh) {
        return;
    }
    if (selection_.edges.empty()) {
        commandMessage.emit("Edge Crease: select the edges to crease first");
        return;
    }
    makeRecent(view);
    view.pointerPosition = position;
    Model& model = *mesh->model();
    // The tool's preview (a subdivision surface) shows the creases while they change.
    crease_ = std::make_shared<EdgeCrease>(*model.committed(), selection_.edges, view, position,
                                           model.modifier());
    creaseMesh_ = mesh;
    model.setModifier(crease_);
    refresh();
}

void Editor::creaseChanged() {
    if (const MeshPtr mesh = creaseMesh_.lock()) {
        mesh->model()->invalidatePreview();
    }
    refresh();
}

void Editor::confirmEdgeCrease() {
    const MeshPtr mesh = creaseMesh_.lock();
    if (!crease_ || mesh != selectedMesh()) {
        cancelEdgeCrease();
        return;
    }
    BeforeCommit before = beforeCommit();
    before.toolName = "Edge Crease";
    LayerPtr creased = crease_->creased(*mesh->model()->committed());
    dropEdgeCrease();
    mesh->model()->setCommitted(std::move(creased));
    recordCommit(std::move(before));
    refresh();
}

void Editor::cancelEdgeCrease() {
    if (crease_) {
        dropEdgeCrease();
        refresh();
    }
}

void Editor::dropEdgeCrease() {
    const std::shared_ptr<EdgeCrease> crease = std::exchange(crease_, nullptr);
    // The preview it showed through takes the mesh again.
    if (const MeshPtr mesh = std::exchange(creaseMesh_, {}).lock();
        mesh && crease && mesh->model()->modifier() == crease) {
        mesh->model()->setModifier(crease->shown());
    }
}

} // namespace tessel
