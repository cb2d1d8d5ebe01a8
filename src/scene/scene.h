#pragma once

#include "base/signal.h"
#include "scene/mesh.h"
#include "scene/node.h"

#include <memory>
#include <vector>

namespace tessel {

class Scene;
using ScenePtr = std::shared_ptr<Scene>;

// The node tree of a window. Holds at most one top-level node: the root.
class Scene {
public:
    explicit Scene(std::vector<NodePtr> nodes = {});
    static ScenePtr make(std::vector<NodePtr> nodes = {}) {
        return std::make_shared<Scene>(std::move(nodes));
    }

    const std::vector<NodePtr>& nodes() const { return nodes_; }
    void setNodes(std::vector<NodePtr> nodes);
    Signal<> nodesChanged;

    // The first top-level node, or null.
    NodePtr root() const { return nodes_.empty() ? nullptr : nodes_.front(); }

    // Into an empty scene the node becomes the root; otherwise it is appended to the root's
    // children and rootChildInserted tells the index.
    void insert(const NodePtr& node);
    // Removes every occurrence of the node from the root's children; rootChildRemoved tells the
    // position each removed child had (last first). A scene without nodes is a programming error.
    void remove(const NodePtr& node);
    // Every mesh of the tree, in pre-order. A scene without nodes is a programming error.
    std::vector<MeshPtr> meshes() const;

    Signal<size_t> rootChildInserted;
    Signal<size_t> rootChildRemoved;

private:
    std::vector<NodePtr> nodes_;
};

} // namespace tessel
