#pragma once

#include "base/signal.h"
#include "editor/step.h"
#include "scene/scene.h"

#include <string>

namespace tessel {

// The window's shared editing state: the scene and the selected node. Every change a user makes
// to it is recorded as a step for the undo history.
class Document {
public:
    Document();

    // What a new document holds: a root with a 4 × 4 "Quad" grid and the "Cube".
    static NodePtr startingRoot();
    // A new "Cube" mesh: the 2-unit cube on the origin, marked as a cube.
    static MeshPtr makeCube();
    // The first mesh of the scene in pre-order, or null.
    MeshPtr firstMesh() const;

    const ScenePtr& scene() const { return scene_; }
    // An empty scene is a programming error.
    void setScene(ScenePtr scene);

    const NodePtr& selectedNode() const { return selectedNode_; }
    // Writing a different node (or none) discards the uncommitted preview of the mesh that loses
    // the selection. Observers are told (new, old) on every write, also of the same node.
    void setSelectedNode(NodePtr node);
    Signal<const NodePtr&, const NodePtr&> selectedNodeChanged;

    // A mesh was made and added from the add menu, and selected: the viewports show it whole.
    Signal<const MeshPtr&> meshAdded;

    // A change happened that undo can take back: the history takes the step.
    void record(StepPtr step) { stepRecorded.emit(step); }
    Signal<const StepPtr&> stepRecorded;

private:
    ScenePtr scene_;
    NodePtr selectedNode_;
};

// Names every mesh of the tree that has no name of its own after `name` (the name of the file it
// was read from, without the extension), in pre-order: the first `name`, the next `name 2`, and
// so on. A mesh is nameless when it has the name a node given none gets ("unnamed"), or the one
// the OBJ reader gives an object the file does not name ("defaultobject").
void nameNamelessMeshes(const NodePtr& root, const std::string& name);

} // namespace tessel
