#include "scene/scene.h"

#include "base/check.h"

namespace tessel {

Scene::Scene(std::vector<NodePtr> nodes) : nodes_(std::move(nodes)) {}

void Scene::setNodes(std::vector<NodePtr> nodes) {
    nodes_ = std::move(nodes);
    nodesChanged.emit();
}

void Scene::insert(const NodePtr& node) {
    if (nodes_.empty()) {
        setNodes({node});
        return;
    }
    const NodePtr root = nodes_.front();
    Node::Children children = root->children();
    children.push_back(node);
    const size_t index = children.size() - 1;
    root->setChildren(std::move(children));
    rootChildInserted.emit(index);
}

void Scene::remove(const NodePtr& node) {
    TESSEL_CHECK(!nodes_.empty(), "Scene::remove", "the scene has no nodes");
    const NodePtr root = nodes_.front();
    const Node::Children& old = root->children();
    Node::Children kept;
    kept.reserve(old.size());
    std::vector<size_t> removed;
    for (size_t i = 0; i < old.size(); ++i) {
        if (old[i] == node) {
            removed.push_back(i);
        } else {
            kept.push_back(old[i]);
        }
    }
    if (removed.empty()) {
        // Deeper in the tree or not in it: the children stay as they were, nothing is announced.
        return;
    }
    root->setChildren(std::move(kept));
    // Last first, so each announced position is still valid for an observer that mirrors the
    // list and removes one row per announcement.
    for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
        rootChildRemoved.emit(*it);
    }
}

std::vector<MeshPtr> Scene::meshes() const {
    TESSEL_CHECK(!nodes_.empty(), "Scene::meshes", "the scene has no nodes");
    std::vector<MeshPtr> meshes;
    for (const NodePtr& node : nodes_.front()->flat()) {
        if (MeshPtr mesh = asMesh(node)) {
            meshes.push_back(std::move(mesh));
        }
    }
    return meshes;
}

} // namespace tessel
