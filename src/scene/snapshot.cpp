#include "scene/snapshot.h"

#include "scene/mesh.h"

namespace tessel {

NodePtr snapshotOf(const Node& root) {
    Node::Children children;
    children.reserve(root.children().size());
    for (const NodePtr& child : root.children()) {
        children.push_back(snapshotOf(*child));
    }
    NodePtr copy;
    if (const auto* mesh = dynamic_cast<const Mesh*>(&root)) {
        MeshPtr meshCopy =
            Mesh::make(mesh->model() ? mesh->model()->snapshot() : nullptr, mesh->name());
        *meshCopy->material = *mesh->material;
        meshCopy->smoothShading = mesh->smoothShading;
        meshCopy->setChildren(children);
        for (const NodePtr& child : children) {
            child->parent = meshCopy;
        }
        copy = meshCopy;
    } else {
        copy = Node::make(root.name(), std::move(children));
    }
    copy->localMatrix = root.localMatrix;
    return copy;
}

} // namespace tessel
