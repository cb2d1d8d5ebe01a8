#include "editor/document.h"

#include "base/check.h"

namespace tessel {

Document::Document() : scene_(Scene::make()) {}

NodePtr Document::startingRoot() {
    return Node::make({},
                      {Mesh::make(Model::makeQuad(Model::Params::make(4, 4)), "Quad"), makeCube()});
}

MeshPtr Document::makeCube() {
    ModelPtr model = Model::makeCube();
    model->markAsCube();
    return Mesh::make(std::move(model), "Cube");
}

MeshPtr Document::firstMesh() const {
    if (scene_->nodes().empty()) {
        return nullptr;
    }
    const std::vector<MeshPtr> meshes = scene_->meshes();
    return meshes.empty() ? nullptr : meshes.front();
}

void Document::setScene(ScenePtr scene) {
    TESSEL_CHECK(scene != nullptr, "Document::scene", "cannot be set to nothing");
    scene_ = std::move(scene);
}

void Document::setSelectedNode(NodePtr node) {
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

void nameNamelessMeshes(const NodePtr& root, const std::string& name) {
    if (!root || name.empty()) {
        return;
    }
    int named = 0;
    for (const NodePtr& node : root->flat()) {
        if (asMesh(node) && (node->name() == "unnamed" || node->name() == "defaultobject")) {
            ++named;
            node->setName(named == 1 ? name : name + " " + std::to_string(named));
        }
    }
}

} // namespace tessel
