#pragma once

#include "base/signal.h"
#include "scene/scene.h"

namespace tessel {

// The window's shared editing state: the scene and the selected node.
class Document {
public:
    Document();

    const ScenePtr& scene() const { return scene_; }
    // An empty scene is a programming error.
    void setScene(ScenePtr scene);

    const NodePtr& selectedNode() const { return selectedNode_; }
    // Writing a different node (or none) discards the uncommitted preview of the mesh that loses
    // the selection. Observers are told (new, old) on every write, also of the same node.
    void setSelectedNode(NodePtr node);
    Signal<const NodePtr&, const NodePtr&> selectedNodeChanged;

private:
    ScenePtr scene_;
    NodePtr selectedNode_;
};

} // namespace tessel
