#include "editor/split_view_controller.h"

#include "base/check.h"

namespace tessel {

SplitViewController::SplitViewController() : scene_(Scene::make()) {}

void SplitViewController::setScene(ScenePtr scene) {
    TESSEL_CHECK(scene != nullptr, "SplitViewController.scene", "cannot be set to nothing");
    scene_ = std::move(scene);
}

void SplitViewController::setSelectedNode(NodePtr node) {
    NodePtr old = selectedNode_;
    // An unapplied preview belongs to the mesh being edited; it must not survive losing the
    // selection, but re-selecting the same mesh keeps it.
    if (old && node != old) {
        if (const MeshPtr mesh = asMesh(old); mesh && mesh->model()) {
            mesh->model()->setModifier(nullptr);
        }
    }
    selectedNode_ = std::move(node);
    // Observers get their own copies: one of them may write the selection again.
    const NodePtr current = selectedNode_;
    selectedNodeChanged.emit(current, old);
}

} // namespace tessel
